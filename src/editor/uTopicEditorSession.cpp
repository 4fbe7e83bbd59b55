#include "uTopicEditorSession.h"

#include "uFontNames.h"
#include "uPlatform.h"
#include "uStorage.h"
#include "uToolbarSync.h"
#include "uTopicHtmlDefaults.h"
#include "uTranslation.h"
#include "uUtils.h"

namespace {

const char kDefaultHeaderBg[] = "#fafafa";

const TProjectSettings& SettingsOrDefaults(const TProjectSettings* settings) {
  static const TProjectSettings defaults;
  return settings ? *settings : defaults;
}

}  // namespace

// --- Page loads ---------------------------------------------------------------------

void TTopicEditorSession::TPageLoads::Record(const std::string& topicID, int64_t seq) {
  loads.push_back({seq, topicID});
  lastLoad[topicID] = seq;
}

const TTopicEditorSession::TPageLoad* TTopicEditorSession::TPageLoads::At(int64_t seq) {
  // Messages arrive in order: loads older than the one this message describes are done with.
  size_t found = loads.size();
  for (size_t i = loads.size(); i-- > 0;) {
    if (loads[i].seq <= seq) {
      found = i;
      break;
    }
  }
  if (found == loads.size()) return nullptr;
  loads.erase(loads.begin(), loads.begin() + static_cast<std::ptrdiff_t>(found));
  return &loads.front();
}

bool TTopicEditorSession::TPageLoads::IsLastOfItsTopic(const TPageLoad& load) const {
  const auto it = lastLoad.find(load.topicID);
  return it != lastLoad.end() && it->second == load.seq;
}

void TTopicEditorSession::TPageLoads::Clear() {
  loads.clear();
  lastLoad.clear();
}

void TTopicEditorSession::ForgetPageLoads() {
  FHeaderPageForms.clear();
  FBodyLoads.Clear();
  FHeaderLoads.Clear();
  FHeaderEchoSeq = -1;
}

// --- Session ------------------------------------------------------------------------

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
  // A page that (re)loaded shows nothing of what it was sent before.
  ForgetPageLoads();
  ApplyBaseHref();
  if (FProject && FProject->HasTopic(FCurrentTopicID)) {
    // What the old page reported typing is shown again, not the text it was loaded with.
    StoreDirtyHtml();
    try {
      ShowPreparedTopic(PrepareTopic(FCurrentTopicID));
    } catch (...) {
      // The page stays empty: no topic may take what is typed into it.
      FCurrentTopicID.clear();
      FWindow.ShowCurrentTopicInTree("");
      throw;
    }
  } else {
    ApplyEditorCss();
    ReadHeaderFiles(FCurrentTopicID, FHeaderHtml, FHeaderBg);
    ApplyHeaderToEditor();
    ApplySettingsToEditor();
  }
  RequestEditorFocus();
}

void TTopicEditorSession::EditorHtmlChanged(const std::string& html) {
  const int64_t seq = FBridge.LastMessageSeq();
  const bool user = FBridge.LastHtmlChangeWasUser();
  const bool response = FBridge.LastHtmlWasResponse();
  if (response && seq >= FHtmlRequestSeq) FWaitingHtmlResponse = false;
  // The echo of a load or of a program command tells nothing new.
  if (!user && !response) return;
  const TPageLoad* load = FBodyLoads.At(seq);
  if (!load || load->topicID.empty()) return;
  if (load->topicID != FCurrentTopicID || !FBodyLoads.IsNewest(*load)) {
    KeepLateText(*load, html);
    return;
  }
  FDirtyHtml = html;
  // A user edit that happens to answer a request is still an edit.
  if (user) FWindow.MarkProjectDirty();
}

void TTopicEditorSession::KeepLateText(const TPageLoad& load, const std::string& html) {
  if (!FProject || !FProject->HasTopic(load.topicID) || !FBodyLoads.IsLastOfItsTopic(load)) return;
  if (load.topicID == FCurrentTopicID) return;  // shown again since: the page holds newer text
  const auto pending = FUnsavedTopicHtml.find(load.topicID);
  const std::string path = TopicFilePath(*FProject, load.topicID);
  const std::string known =
      pending != FUnsavedTopicHtml.end() ? pending->second : (FileExists(path) ? ReadTextFileUtf8(path) : "");
  if (known == html) return;
  FUnsavedTopicHtml[load.topicID] = html;
  FWindow.MarkProjectDirty();
}

void TTopicEditorSession::EditorHeaderChanged(const std::string& headerHtml, const std::string& headerBgHtml) {
  const int64_t seq = FBridge.LastMessageSeq();
  if (seq >= FHeaderRequestSeq) FWaitingHeaderResponse = false;
  const TPageLoad* load = FHeaderLoads.At(seq);
  if (seq == FHeaderEchoSeq) {
    // How the page writes the header it was given: the same header, not an edit.
    if (load && !load->topicID.empty()) FHeaderPageForms[load->topicID] = headerHtml;
    return;
  }
  // With no topic shown, a header report belongs to nobody: it never becomes the default.
  if (!load || load->topicID.empty() || !FProject) return;
  if (load->topicID != FCurrentTopicID || !FHeaderLoads.IsNewest(*load)) {
    KeepLateHeader(*load, headerHtml, headerBgHtml);
    return;
  }
  FHeaderHtml = headerHtml;
  if (!Trim(headerBgHtml).empty()) FHeaderBg = headerBgHtml;
  SaveHeader(FCurrentTopicID);
}

void TTopicEditorSession::KeepLateHeader(const TPageLoad& load, const std::string& html,
                                         const std::string& background) {
  if (!FProject->HasTopic(load.topicID) || !FHeaderLoads.IsLastOfItsTopic(load)) return;
  if (load.topicID == FCurrentTopicID) return;
  if (IsStoredHeader(load.topicID, html)) return;
  std::string oldHtml, oldBackground;
  ReadHeaderFiles(load.topicID, oldHtml, oldBackground);
  WriteHeaderFiles(load.topicID, html, Trim(background).empty() ? oldBackground : background);
  FWindow.MarkProjectDirty();
}

// --- Waits ------------------------------------------------------------------------

void TTopicEditorSession::RequestHtmlAndWait(int timeoutMs) {
  if (!FEditorReady || FCurrentTopicID.empty()) return;
  FWaitingHtmlResponse = true;
  FBridge.RequestHtml();
  FHtmlRequestSeq = FBridge.LastSentSeq();
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
  FHeaderRequestSeq = FBridge.LastSentSeq();
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
  if (newTopicID.empty() || !FProject || !FProject->HasTopic(newTopicID)) {
    FCurrentTopicID.clear();
    FDirtyHtml.clear();
    return;
  }
  TPreparedTopic next;
  try {
    next = PrepareTopic(newTopicID);
  } catch (...) {
    // Nothing has changed yet: the page and the current topic still agree.
    FWindow.ShowCurrentTopicInTree(FCurrentTopicID);
    throw;
  }
  FCurrentTopicID = newTopicID;
  FDirtyHtml.clear();
  FWindow.ShowTopicProperties(FCurrentTopicID);
  ShowPreparedTopic(next);
}

void TTopicEditorSession::ForgetCurrentTopic() {
  FCurrentTopicID.clear();
  FDirtyHtml.clear();
  FHasQueuedSwitch = false;
  FQueuedSwitchID.clear();
  // Whatever the page still says about the old topics is dropped.
  ForgetPageLoads();
}

// --- Loading ------------------------------------------------------------------------

TTopicEditorSession::TPreparedTopic TTopicEditorSession::PrepareTopic(const std::string& id, bool writeMissingPage) {
  TPreparedTopic p;
  p.id = id;
  p.title = FProject->GetTopic(id).Title();
  const std::string path = TopicFilePath(*FProject, id);
  const auto pending = FUnsavedTopicHtml.find(id);
  if (pending != FUnsavedTopicHtml.end()) {
    p.html = pending->second;
    ReadHeaderFiles(id, p.headerHtml, p.headerBg);
  } else if (FileExists(path) || DirExists(path)) {
    // Something else in the page's place is not a missing page: reading it says why.
    p.html = ReadTextFileUtf8(path);
    ReadHeaderFiles(id, p.headerHtml, p.headerBg);
  } else {
    // A topic without a page shows the defaults; only a new topic gets them written.
    const TProjectSettings& settings = SettingsOrDefaults(FSettings);
    p.html = DefaultEmptyParagraphHtml(settings);
    p.headerHtml = DefaultHeaderHtml(settings, p.title);
    p.headerBg = ColorToHtml(settings.DefaultHeaderBgColor);
    if (writeMissingPage) {
      WriteHeaderFiles(id, p.headerHtml, p.headerBg);
      EnsureDir(ExtractFileDir(path));
      WriteTextFileUtf8(path, p.html);
    }
  }
  if (FEditorReady && FSettings) p.cssPath = FWindow.WriteEditorEffectiveCss();
  return p;
}

void TTopicEditorSession::ShowPreparedTopic(const TPreparedTopic& topic) {
  FHeaderHtml = topic.headerHtml;
  FHeaderBg = topic.headerBg;
  FLoadedTopicBaselineHtml = topic.html;
  FDirtyHtml.clear();
  if (FEditorReady && !topic.cssPath.empty()) {
    TProgrammaticScope scope(FBridge);
    FBridge.SetCssFile(topic.cssPath);
  }
  ApplyHeaderToEditor();
  SendBody(topic.html);
  ApplySettingsToEditor();
  FWindow.ShowStatus(TranslateText("Loaded: ") + topic.title);
  RequestEditorFocus();
}

void TTopicEditorSession::SendBody(const std::string& html) {
  if (FEditorReady) FBridge.SetHtml(html);
  // Recorded also while the page is not ready, so that the topic the page is about to get
  // is the one its reports belong to.
  FBodyLoads.Record(FCurrentTopicID, FBridge.LastSentSeq());
}

void TTopicEditorSession::LoadTopicIntoEditor(const std::string& id) {
  if (id.empty() || id != FCurrentTopicID || !FProject || !FProject->HasTopic(id)) return;
  StoreDirtyHtml();  // what was typed is the text shown again
  ShowPreparedTopic(PrepareTopic(id, true));
}

// --- Header -------------------------------------------------------------------------

void TTopicEditorSession::ReadHeaderFiles(const std::string& id, std::string& html, std::string& background) const {
  if (!FProject) return;
  const TProjectSettings& settings = SettingsOrDefaults(FSettings);
  const std::string htmlPath = HeaderHtmlPath(*FProject, id);
  if (FileExists(htmlPath)) html = ReadTextFileUtf8(htmlPath);
  else if (FProject->HasTopic(id)) html = DefaultHeaderHtml(settings, FProject->GetTopic(id).Title());
  else html = DefaultHeaderHtml(settings, FProject->Title());
  const std::string bgPath = HeaderBgPath(*FProject, id);
  background = FileExists(bgPath) ? Trim(ReadTextFileUtf8(bgPath)) : "";
  if (background.empty()) background = kDefaultHeaderBg;
}

void TTopicEditorSession::WriteHeaderFiles(const std::string& id, const std::string& html,
                                           const std::string& background) {
  const std::string htmlPath = HeaderHtmlPath(*FProject, id);
  EnsureDir(ExtractFileDir(htmlPath));
  WriteTextFileUtf8(htmlPath, html);
  WriteTextFileUtf8(HeaderBgPath(*FProject, id), background);
  FHeaderPageForms.erase(id);
}

bool TTopicEditorSession::IsStoredHeader(const std::string& id, const std::string& html) const {
  std::string stored, background;
  ReadHeaderFiles(id, stored, background);
  if (html == stored) return true;
  const auto pageForm = FHeaderPageForms.find(id);
  return pageForm != FHeaderPageForms.end() && pageForm->second == html;
}

void TTopicEditorSession::SaveHeader(const std::string& id) {
  // An empty id would name the project's default header, which only settings change.
  if (!FProject || id.empty()) return;
  // Showing a topic, or leaving it, is no change: its header files stay as they are.
  if (IsStoredHeader(id, FHeaderHtml)) return;
  WriteHeaderFiles(id, FHeaderHtml, FHeaderBg);
  FWindow.MarkProjectDirty();
}

void TTopicEditorSession::ApplyHeaderToEditor() {
  if (FEditorReady) {
    TProgrammaticScope scope(FBridge);
    FBridge.SetHeaderHtml(FHeaderHtml);
    FHeaderLoads.Record(FCurrentTopicID, FBridge.LastSentSeq());
    FBridge.SetHeaderBgColor(FHeaderBg);
    FHeaderEchoSeq = FBridge.LastSentSeq();
  } else {
    FHeaderLoads.Record(FCurrentTopicID, FBridge.LastSentSeq());
  }
}

void TTopicEditorSession::RefreshDefaultHeader() {
  if (!FProject || FCurrentTopicID.empty() || !FProject->HasTopic(FCurrentTopicID)) return;
  const std::string title = FProject->GetTopic(FCurrentTopicID).Title();
  if (!IsBodyEmpty(GetCurrentTopicHtml())) return;
  if (!Trim(FHeaderHtml).empty() && !IsDefaultLikeHeader(FHeaderHtml, title, FProject->Title())) return;
  const TProjectSettings& settings = SettingsOrDefaults(FSettings);
  FHeaderHtml = DefaultHeaderHtml(settings, title);
  FHeaderBg = ColorToHtml(settings.DefaultHeaderBgColor);
  SaveHeader(FCurrentTopicID);
  ApplyHeaderToEditor();
}

void TTopicEditorSession::RetitleHeader(const std::string& id, const std::string& oldTitle) {
  if (!FProject || !FProject->HasTopic(id)) return;
  const std::string title = FProject->GetTopic(id).Title();
  if (id == FCurrentTopicID) {
    // The page reports every header edit, so the header held here is the one shown.
    if (auto retitled = RetitledHeader(FHeaderHtml, oldTitle, title)) {
      FHeaderHtml = *retitled;
      SaveHeader(id);
      ApplyHeaderToEditor();
    }
    return;
  }
  const std::string path = HeaderHtmlPath(*FProject, id);
  if (!FileExists(path)) return;
  if (auto retitled = RetitledHeader(ReadTextFileUtf8(path), oldTitle, title)) WriteTextFileUtf8(path, *retitled);
}

// --- Settings -----------------------------------------------------------------------

void TTopicEditorSession::ApplySettingsChangeToEditor(bool newProjectFlow) {
  ApplyEditorCss();
  if (FProject && FSettings && !FCurrentTopicID.empty() && IsBodyEmpty(GetCurrentTopicHtml())) {
    FLoadedTopicBaselineHtml = DefaultEmptyParagraphHtml(*FSettings);
    FUnsavedTopicHtml[FCurrentTopicID] = FLoadedTopicBaselineHtml;
    FDirtyHtml.clear();
    if (newProjectFlow) {
      const std::string path = TopicFilePath(*FProject, FCurrentTopicID);
      EnsureDir(ExtractFileDir(path));
      WriteTextFileUtf8(path, FLoadedTopicBaselineHtml);
    }
    SendBody(FLoadedTopicBaselineHtml);
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
  FBridge.SetFontName(BrowserFontFamily(s.DefaultFontName));
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
