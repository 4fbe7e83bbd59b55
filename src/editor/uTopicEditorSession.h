// The window's side of editing one topic at a time: readiness of the page, loading a
// topic, keeping its newest HTML, moving it into the pending topic texts, the header
// area, and pointing the page at the project's files. Qt-free: the window supplies
// waiting, deferred calls and focus through ITopicEditorWindow.
#pragma once

#include <cstdint>
#include <functional>
#include <map>
#include <string>

#include "uDocModel.h"
#include "uEditorBridge.h"
#include "uProjectSettings.h"

class TToolbarSync;

class ITopicEditorWindow {
 public:
  virtual ~ITopicEditorWindow() = default;
  virtual void MarkProjectDirty() = 0;
  virtual void ShowStatus(const std::string& text) = 0;
  virtual void ShowTopicProperties(const std::string& topicID) = 0;
  // Processes window events until done() holds or timeoutMs have passed.
  virtual void WaitProcessingEvents(const std::function<bool()>& done, int timeoutMs) = 0;
  // Runs fn once the current command has finished (a posted window message).
  virtual void Defer(std::function<void()> fn) = 0;
  // Gives the browser control the keyboard focus when it is visible and enabled.
  virtual void FocusEditorControl() = 0;
  // Writes the editor's effective style sheet and returns its absolute path.
  virtual std::string WriteEditorEffectiveCss() = 0;
};

using TPendingTopicTexts = std::map<std::string, std::string>;

class TTopicEditorSession {
 public:
  static constexpr int kHtmlWaitMs = 600;
  static constexpr int kHeaderWaitMs = 400;

  TTopicEditorSession(ITopicEditorWindow& window, TEditorBridge& bridge, TPendingTopicTexts& unsavedTopicHtml);

  // The open project and its settings (not owned); either may be null between projects.
  void SetProject(TDocProject* project, TProjectSettings* settings);
  void SetToolbarSync(TToolbarSync* sync) { FToolbarSync = sync; }

  // Bridge events.
  void EditorReady();
  void EditorHtmlChanged(const std::string& html);
  void EditorHeaderChanged(const std::string& headerHtml, const std::string& headerBgHtml);
  void EditorAreaChanged(const std::string& area) { FEditorArea = area; }

  // Routines the window's commands call.
  void TopicSelectionChanged(const std::string& newTopicID);
  void CaptureCurrentTopicHtml();
  void RequestHtmlAndWait(int timeoutMs);
  void RequestHeaderAndWait(int timeoutMs);
  std::string GetCurrentTopicHtml();
  void LoadTopicIntoEditor(const std::string& id);
  void LoadHeader(const std::string& id);
  void SaveHeader(const std::string& id);
  void ApplyHeaderToEditor();
  void RefreshDefaultHeader();
  // After the settings dialog; the new-project flow also writes the default paragraph
  // to the topic file and asks for no focus.
  void ApplySettingsChangeToEditor(bool newProjectFlow = false);
  void ApplySettingsToEditor();
  void ApplyBaseHref();
  void ApplyEditorCss();
  void RequestEditorFocus();
  void HandlePendingFocus();
  // A project was opened or created, or the current topic deleted: nothing of the old
  // topic is captured afterwards.
  void ForgetCurrentTopic();

  const std::string& CurrentTopicID() const { return FCurrentTopicID; }
  const std::string& DirtyHtml() const { return FDirtyHtml; }
  bool IsEditorReady() const { return FEditorReady; }
  bool WaitingHtmlResponse() const { return FWaitingHtmlResponse; }
  bool WaitingHeaderResponse() const { return FWaitingHeaderResponse; }
  const std::string& HeaderHtml() const { return FHeaderHtml; }
  const std::string& HeaderBg() const { return FHeaderBg; }
  const std::string& LoadedTopicBaselineHtml() const { return FLoadedTopicBaselineHtml; }
  const std::string& EditorArea() const { return FEditorArea; }
  bool IsBusy() const { return FWaitDepth > 0 || FSwitching; }

 private:
  bool CanTalkToEditor() const { return FEditorReady && FProject != nullptr; }
  void StoreDirtyHtml();
  void SwitchTopic(const std::string& newTopicID);
  void RunQueuedSwitch();
  std::string TopicTitle(const std::string& id) const;

  ITopicEditorWindow& FWindow;
  TEditorBridge& FBridge;
  TPendingTopicTexts& FUnsavedTopicHtml;
  TDocProject* FProject = nullptr;
  TProjectSettings* FSettings = nullptr;
  TToolbarSync* FToolbarSync = nullptr;

  std::string FCurrentTopicID;
  std::string FDirtyHtml;
  bool FWaitingHtmlResponse = false;
  bool FWaitingHeaderResponse = false;
  bool FEditorReady = false;
  bool FPendingFocusEditor = false;
  std::string FHeaderHtml;
  std::string FHeaderBg;
  std::string FLoadedTopicBaselineHtml;
  bool FIgnoreNextHeaderChanged = false;
  std::string FEditorArea = "body";

  // The topic an outstanding getHtml was sent for: an answer is only ever stored for it.
  std::string FHtmlRequestTopicID;
  int FWaitDepth = 0;
  bool FSwitching = false;
  bool FHasQueuedSwitch = false;
  std::string FQueuedSwitchID;
  bool FQueuedSwitchScheduled = false;
};
