// The window's side of editing one topic at a time: readiness of the page, loading a
// topic, keeping its newest HTML, moving it into the pending topic texts, the header
// area, and pointing the page at the project's files. Qt-free: the window supplies
// waiting, deferred calls and focus through ITopicEditorWindow.
//
// The page answers late and out of step with the window: a report may arrive after the
// next topic was sent. Each load of a topic into the page is remembered with the number
// of the command that carried it, and every message names the last command the page had
// taken, so each text and header goes to the topic it describes, never to another.
#pragma once

#include <cstdint>
#include <functional>
#include <map>
#include <string>
#include <vector>

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
  // A switch was refused: the tree shows the topic that is still current ("" for none).
  virtual void ShowCurrentTopicInTree(const std::string& topicID) = 0;
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
  // Captures the current topic, then shows the new one. Everything the new topic needs is
  // read first: when that fails, the current topic stays and the error passes on.
  void TopicSelectionChanged(const std::string& newTopicID);
  void CaptureCurrentTopicHtml();
  void RequestHtmlAndWait(int timeoutMs);
  void RequestHeaderAndWait(int timeoutMs);
  std::string GetCurrentTopicHtml();
  // Shows the current topic afresh (id must be the current one; others are ignored).
  void LoadTopicIntoEditor(const std::string& id);
  // Writes the current header into the topic's header files when it differs from the
  // stored one, and marks the project modified; no topic writes nothing.
  void SaveHeader(const std::string& id);
  void ApplyHeaderToEditor();
  void RefreshDefaultHeader();
  // The topic was renamed from oldTitle: a header of it that still shows just the old title
  // shows the new one (a header never written is made from the title when shown).
  void RetitleHeader(const std::string& id, const std::string& oldTitle);
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
  bool IsBusy() const { return FWaitDepth > 0 || FSwitching; }
  const std::string& LoadedTopicBaselineHtml() const { return FLoadedTopicBaselineHtml; }
  const std::string& EditorArea() const { return FEditorArea; }

 private:
  // What a topic switch reads before anything changes.
  struct TPreparedTopic {
    std::string id;
    std::string title;
    std::string html;
    std::string headerHtml;
    std::string headerBg;
    std::string cssPath;  // "" while the page is not ready
  };
  // A topic's body or header sent to the page, by the number of the command that carried it.
  struct TPageLoad {
    int64_t seq;
    std::string topicID;
  };
  struct TPageLoads {
    std::vector<TPageLoad> loads;             // oldest first
    std::map<std::string, int64_t> lastLoad;  // per topic
    void Record(const std::string& topicID, int64_t seq);
    // The load a message with this number describes; null when none.
    const TPageLoad* At(int64_t seq);
    bool IsNewest(const TPageLoad& load) const { return &load == &loads.back(); }
    bool IsLastOfItsTopic(const TPageLoad& load) const;
    void Clear();
  };

  // writeMissingPage: a topic without a page gets the default page and header written
  // (a new topic); otherwise they are only shown.
  TPreparedTopic PrepareTopic(const std::string& id, bool writeMissingPage = false);
  // Whether html is the header the topic has on disk (or by default when it has none),
  // or the page's writing of it.
  bool IsStoredHeader(const std::string& id, const std::string& html) const;
  void ShowPreparedTopic(const TPreparedTopic& topic);
  void ReadHeaderFiles(const std::string& id, std::string& html, std::string& background) const;
  void WriteHeaderFiles(const std::string& id, const std::string& html, const std::string& background);
  void SendBody(const std::string& html);
  // A report about a topic the page no longer shows: kept for that topic when nothing newer
  // was loaded for it since.
  void KeepLateText(const TPageLoad& load, const std::string& html);
  void KeepLateHeader(const TPageLoad& load, const std::string& html, const std::string& background);
  void ForgetPageLoads();
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
  std::string FEditorArea = "body";

  TPageLoads FBodyLoads;
  TPageLoads FHeaderLoads;
  int64_t FHeaderEchoSeq = -1;                          // the report that follows a header load is only its echo
  std::map<std::string, std::string> FHeaderPageForms;  // topic -> the page's echo of its loaded header
  int64_t FHtmlRequestSeq = 0;
  int64_t FHeaderRequestSeq = 0;
  int FWaitDepth = 0;
  bool FSwitching = false;
  bool FHasQueuedSwitch = false;
  std::string FQueuedSwitchID;
  bool FQueuedSwitchScheduled = false;
};
