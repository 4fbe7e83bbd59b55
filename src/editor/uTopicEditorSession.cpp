#include "uTopicEditorSession.h"

#include "uPlatform.h"
#include "uStorage.h"
#include "uToolbarSync.h"
#include "uTopicHtmlDefaults.h"
#include "uTranslation.h"
#include "uUtils.h"

TTopicEditorSession::TTopicEditorSession(ITopicEditorWindow& window, TEditorBridge& bridge,
                                         TPendingTopicTexts& unsavedTopicHtml)
    : FWindow(window), FBridge(bridge), FUnsavedTopicHtml(unsavedTopicHtml) {}

void TTopicEditorSession::SetProject(TDocProject* project, TProjectSettings* settings) {
  FProject = project;
  FSettings = settings;
}

std::string TTopicEditorSession::TopicTitle(const std::string& id) const {
  return FProject && FProject->HasTopic(id) ? FProject->GetTopic(id).Title() : "";
}

// --- Page events ------------------------------------------------------------------

void TTopicEditorSession::EditorReady() {
  FEditorReady = true;
  FLoadedTopicBaselineHtml.clear();
  ApplyBaseHref();
  ApplyEditorCss();
  LoadHeader(FCurrentTopicID);
  ApplyHeaderToEditor();
  ApplySettingsToEditor();
  if (!FCurrentTopicID.empty()) LoadTopicIntoEditor(FCurrentTopicID);
  RequestEditorFocus();
}

void TTopicEditorSession::EditorHtmlChanged(const std::string& html) {
  const bool user = FBridge.LastHtmlChangeWasUser();
  if (FWaitingHtmlResponse) {
    FWaitingHtmlResponse = false;
    // An answer requested for a topic that is no longer shown is never stored: it may
    // be the echo of the next topic's setHtml.
    if (FHtmlRequestTopicID != FCurrentTopicID) return;
    FDirtyHtml = html;
    // A user edit that happens to answer the request is still an edit.
    if (user) FWindow.MarkProjectDirty();
    return;
  }
  if (user && !FCurrentTopicID.empty()) {
    FDirtyHtml = html;
    FWindow.MarkProjectDirty();
  }
}

void TTopicEditorSession::EditorHeaderChanged(const std::string& headerHtml, const std::string& headerBgHtml) {
  if (FIgnoreNextHeaderChanged) {
    FIgnoreNextHeaderChanged = false;
    return;
  }
  FWaitingHeaderResponse = false;
  FHeaderHtml = headerHtml;
  if (!Trim(headerBgHtml).empty()) FHeaderBg = headerBgHtml;
  if (FProject) SaveHeader(FCurrentTopicID);
}

// --- Waits ------------------------------------------------------------------------

void TTopicEditorSession::RequestHtmlAndWait(int timeoutMs) {
  if (!FEditorReady || FCurrentTopicID.empty()) return;
  FWaitingHtmlResponse = true;
  FHtmlRequestTopicID = FCurrentTopicID;
  FBridge.RequestHtml();
  ++FWaitDepth;
  struct TDone {
    TTopicEditorSession& s;
    ~TDone() {
      if (--s.FWaitDepth == 0 && s.FHasQueuedSwitch && !s.FSwitching) s.RunQueuedSwitch();
    }
  } done{*this};
  FWindow.WaitProcessingEvents([this] { return !FWaitingHtmlResponse; }, timeoutMs);
}

void TTopicEditorSession::RequestHeaderAndWait(int timeoutMs) {
  if (!FEditorReady) return;
  FWaitingHeaderResponse = true;
  FBridge.RequestHeader();
  ++FWaitDepth;
  struct TDone {
    TTopicEditorSession& s;
    ~TDone() {
      if (--s.FWaitDepth == 0 && s.FHasQueuedSwitch && !s.FSwitching) s.RunQueuedSwitch();
    }
  } done{*this};
  FWindow.WaitProcessingEvents([this] { return !FWaitingHeaderResponse; }, timeoutMs);
}

// --- Capture and current HTML -------------------------------------------------------

void TTopicEditorSession::StoreDirtyHtml() {
  if (FCurrentTopicID.empty() || FDirtyHtml.empty()) return;
  FUnsavedTopicHtml[FCurrentTopicID] = FDirtyHtml;
  FDirtyHtml.clear();
}

void TTopicEditorSession::CaptureCurrentTopicHtml() {
  RequestHtmlAndWait(kHtmlWaitMs);
  StoreDirtyHtml();
}

std::string TTopicEditorSession::GetCurrentTopicHtml() {
  if (FCurrentTopicID.empty()) return "";
  RequestHtmlAndWait(kHtmlWaitMs);
  if (!FDirtyHtml.empty()) return FDirtyHtml;
  if (const auto it = FUnsavedTopicHtml.find(FCurrentTopicID); it != FUnsavedTopicHtml.end()) return it->second;
  if (!FLoadedTopicBaselineHtml.empty()) return FLoadedTopicBaselineHtml;
  if (FProject) {
    const std::string path = TopicFilePath(*FProject, FCurrentTopicID);
    if (FileExists(path)) return ReadTextFileUtf8(path);
  }
  return "";
}

// --- Topic switch -------------------------------------------------------------------

void TTopicEditorSession::TopicSelectionChanged(const std::string& newTopicID) {
  // A switch that arrives while a wait runs would interleave with the running command:
  // it is queued and applied when that command has finished.
  if (IsBusy()) {
    FHasQueuedSwitch = true;
    FQueuedSwitchID = newTopicID;
    return;
  }
  SwitchTopic(newTopicID);
}

void TTopicEditorSession::RunQueuedSwitch() {
  if (FQueuedSwitchScheduled) return;
  FQueuedSwitchScheduled = true;
  FWindow.Defer([this] {
    FQueuedSwitchScheduled = false;
    if (!FHasQueuedSwitch) return;
    if (IsBusy()) return;  // the wait that is running applies it when it ends
    FHasQueuedSwitch = false;
    SwitchTopic(FQueuedSwitchID);
  });
}

void TTopicEditorSession::SwitchTopic(const std::string& newTopicID) {
  FSwitching = true;
  struct TDone {
    TTopicEditorSession& s;
    ~TDone() {
      s.FSwitching = false;
      if (s.FHasQueuedSwitch && s.FWaitDepth == 0) s.RunQueuedSwitch();
    }
  } done{*this};
  CaptureCurrentTopicHtml();
  RequestHeaderAndWait(kHeaderWaitMs);
  // An answer that came in during the header wait still belongs to this topic.
  StoreDirtyHtml();
  if (!FCurrentTopicID.empty() && FProject) {
    try {
      SaveHeader(FCurrentTopicID);
    } catch (const std::exception&) {
      // A header that cannot be written must not keep the user on the topic.
    }
  }
  FCurrentTopicID = newTopicID;
  FDirtyHtml.clear();
  if (FCurrentTopicID.empty() || !FProject) return;
  FWindow.ShowTopicProperties(FCurrentTopicID);
  LoadHeader(FCurrentTopicID);
  if (FEditorReady) {
    ApplyHeaderToEditor();
    LoadTopicIntoEditor(FCurrentTopicID);
  }
}

void TTopicEditorSession::ForgetCurrentTopic() {
  FCurrentTopicID.clear();
  FDirtyHtml.clear();
  FHasQueuedSwitch = false;
  FQueuedSwitchID.clear();
}

// --- Loading ------------------------------------------------------------------------

void TTopicEditorSession::LoadTopicIntoEditor(const std::string& id) {
  if (!FProject || !FProject->HasTopic(id)) return;
  const TTopic& topic = FProject->GetTopic(id);
  const std::string path = TopicFilePath(*FProject, id);
  std::string html;
  if (FileExists(path)) {
    const auto it = FUnsavedTopicHtml.find(id);
    html = it != FUnsavedTopicHtml.end() ? it->second : ReadTextFileUtf8(path);
  } else {
    const TProjectSettings defaults;
    const TProjectSettings& settings = FSettings ? *FSettings : defaults;
    html = DefaultEmptyParagraphHtml(settings);
    FHeaderHtml = DefaultHeaderHtml(settings, topic.Title());
    FHeaderBg = ColorToHtml(settings.DefaultHeaderBgColor);
    SaveHeader(id);
    EnsureDir(ExtractFileDir(path));
    WriteTextFileUtf8(path, html);
  }
  ApplyEditorCss();
  ApplyHeaderToEditor();
  FLoadedTopicBaselineHtml = html;
  if (FEditorReady) FBridge.SetHtml(html);
  FDirtyHtml.clear();
  ApplySettingsToEditor();
  FWindow.ShowStatus(TranslateText("Loaded: ") + topic.Title());
  RequestEditorFocus();
}

// --- Header -------------------------------------------------------------------------

void TTopicEditorSession::LoadHeader(const std::string& id) {
  if (!FProject) return;
  const TProjectSettings defaults;
  const TProjectSettings& settings = FSettings ? *FSettings : defaults;
  const std::string htmlPath = HeaderHtmlPath(*FProject, id);
  if (FileExists(htmlPath)) FHeaderHtml = ReadTextFileUtf8(htmlPath);
  else if (FProject->HasTopic(id)) FHeaderHtml = DefaultHeaderHtml(settings, FProject->GetTopic(id).Title());
  else FHeaderHtml = DefaultHeaderHtml(settings, FProject->Title());
  const std::string bgPath = HeaderBgPath(*FProject, id);
  FHeaderBg = FileExists(bgPath) ? Trim(ReadTextFileUtf8(bgPath)) : "";
  if (FHeaderBg.empty()) FHeaderBg = "#fafafa";
}

void TTopicEditorSession::SaveHeader(const std::string& id) {
  if (!FProject) return;
  const std::string htmlPath = HeaderHtmlPath(*FProject, id);
  EnsureDir(ExtractFileDir(htmlPath));
  WriteTextFileUtf8(htmlPath, FHeaderHtml);
  WriteTextFileUtf8(HeaderBgPath(*FProject, id), FHeaderBg);
}

void TTopicEditorSession::ApplyHeaderToEditor() {
  if (!FEditorReady) return;
  FIgnoreNextHeaderChanged = true;
  TProgrammaticScope scope(FBridge);
  FBridge.SetHeaderHtml(FHeaderHtml);
  FBridge.SetHeaderBgColor(FHeaderBg);
}

void TTopicEditorSession::RefreshDefaultHeader() {
  if (!FProject || FCurrentTopicID.empty() || !FProject->HasTopic(FCurrentTopicID)) return;
  const std::string title = FProject->GetTopic(FCurrentTopicID).Title();
  if (!IsBodyEmpty(GetCurrentTopicHtml())) return;
  if (!Trim(FHeaderHtml).empty() && !IsDefaultLikeHeader(FHeaderHtml, title, FProject->Title())) return;
  const TProjectSettings defaults;
  const TProjectSettings& settings = FSettings ? *FSettings : defaults;
  FHeaderHtml = DefaultHeaderHtml(settings, title);
  FHeaderBg = ColorToHtml(settings.DefaultHeaderBgColor);
  SaveHeader(FCurrentTopicID);
  ApplyHeaderToEditor();
}

// --- Settings -----------------------------------------------------------------------

void TTopicEditorSession::ApplySettingsChangeToEditor(bool newProjectFlow) {
  ApplyEditorCss();
  if (FProject && FSettings && !FCurrentTopicID.empty() && IsBodyEmpty(GetCurrentTopicHtml())) {
    FLoadedTopicBaselineHtml = DefaultEmptyParagraphHtml(*FSettings);
    FUnsavedTopicHtml[FCurrentTopicID] = FLoadedTopicBaselineHtml;
    if (newProjectFlow) {
      const std::string path = TopicFilePath(*FProject, FCurrentTopicID);
      EnsureDir(ExtractFileDir(path));
      WriteTextFileUtf8(path, FLoadedTopicBaselineHtml);
    }
    if (FEditorReady) FBridge.SetHtml(FLoadedTopicBaselineHtml);
  }
  RefreshDefaultHeader();
  ApplySettingsToEditor();
  if (!newProjectFlow) RequestEditorFocus();
}

void TTopicEditorSession::ApplySettingsToEditor() {
  if (!FEditorReady || !FSettings) return;
  const TProjectSettings& s = *FSettings;
  TProgrammaticScope scope(FBridge);
  FHeaderBg = ColorToHtml(s.DefaultHeaderBgColor);
  FBridge.SetHeaderBgColor(FHeaderBg);
  FBridge.SetPageBgColor(ColorToHtml(s.DefaultPageBgColor));
  if (FToolbarSync) FToolbarSync->NoteSettingsApplied(s);
  FBridge.SetTextColor(ColorToHtml(s.DefaultTextColor));
  FBridge.SetTextBackColor("");
  FBridge.SetFontName(s.DefaultFontName);
  FBridge.SetFontSizePx(s.FontSizeBody);
  FBridge.SetLineSpacing(s.DefaultLineSpacing);
  FBridge.SetTableBorderStyle(s.TableBorderStyle);
  FBridge.SetTableBorderWidth(s.TableBorderWidth);
  FBridge.SetTableBorderColor(ColorToHtml(s.TableBorderColor));
}

// --- Base URL, style sheet, focus ---------------------------------------------------

void TTopicEditorSession::ApplyBaseHref() {
  if (!FEditorReady || !FProject || FProject->RootPath().empty()) return;
  FBridge.SetBaseHref(FilePathToFileUrl(IncludeTrailingDelimiter(FProject->RootPath())));
}

void TTopicEditorSession::ApplyEditorCss() {
  if (!FEditorReady || !FProject || !FSettings) return;
  const std::string path = FWindow.WriteEditorEffectiveCss();
  if (path.empty()) return;
  TProgrammaticScope scope(FBridge);
  FBridge.SetCssFile(path);
}

void TTopicEditorSession::RequestEditorFocus() {
  if (FPendingFocusEditor) return;
  FPendingFocusEditor = true;
  FWindow.Defer([this] { HandlePendingFocus(); });
}

void TTopicEditorSession::HandlePendingFocus() {
  if (!FPendingFocusEditor) return;
  FPendingFocusEditor = false;
  try {
    FWindow.FocusEditorControl();
  } catch (const std::exception&) {
    // Focus is a courtesy.
  }
}
