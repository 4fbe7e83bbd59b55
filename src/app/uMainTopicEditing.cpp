// Topic editing: what the window needs from the editor page until the full editing
// logic (page readiness, loading, capturing, headers, style sheets) replaces these
// functions. Each does the minimum the window relies on.
#include "uEditorBridge.h"
#include "uMain.h"
#include "uQtText.h"
#include "uStorage.h"
#include "uTopicHtmlDefaults.h"

void TfrmMain::tvTocChange() {
  const std::string id = SelectedTopicID();
  if (id == FCurrentTopicID) return;
  CaptureCurrentTopicHtml();
  if (id.empty() || !FProject->HasTopic(id)) {
    FCurrentTopicID.clear();
    return;
  }
  LoadTopicIntoEditor(id);
}

void TfrmMain::LoadTopicIntoEditor(const std::string& id) {
  if (!FProject->HasTopic(id)) return;
  FCurrentTopicID = id;
  FDirtyHtml.clear();
  ShowTopicProperties(id);
  const std::string file = TopicFilePath(*FProject, id);
  if (FUnsavedTopicHtml.count(id) == 0 && !FileExists(file)) {
    EnsureDir(ExtractFileDir(file));
    WriteTextFileUtf8(file, DefaultEmptyParagraphHtml(*FSettings));
  }
  if (FBridge && FEditorReady) {
    TProgrammaticScope programmatic(*FBridge);
    FBridge->SetHtml(GetCurrentTopicHtml());
  }
  ShowStatus(TranslateText("Loaded: ") + FProject->GetTopic(id).Title());
}

std::string TfrmMain::GetCurrentTopicHtml() {
  if (FCurrentTopicID.empty()) return "";
  if (!FDirtyHtml.empty()) return FDirtyHtml;
  const auto pending = FUnsavedTopicHtml.find(FCurrentTopicID);
  if (pending != FUnsavedTopicHtml.end()) return pending->second;
  const std::string file = TopicFilePath(*FProject, FCurrentTopicID);
  return FileExists(file) ? ReadTextFileUtf8(file) : std::string();
}

void TfrmMain::CaptureCurrentTopicHtml() {
  if (FCurrentTopicID.empty() || FDirtyHtml.empty() || !FProject->HasTopic(FCurrentTopicID)) return;
  FUnsavedTopicHtml[FCurrentTopicID] = FDirtyHtml;
  FDirtyHtml.clear();
}

bool TfrmMain::RequestHtmlAndWait(int) { return false; }

bool TfrmMain::RequestHeaderAndWait(int) { return false; }

void TfrmMain::RequestEditorFocus() {
  if (FEditorReady && Edge) Edge->setFocus();
}

void TfrmMain::ApplyBaseHref() {}

void TfrmMain::ApplyEditorCss() {}

void TfrmMain::ApplySettingsToEditor() {}

void TfrmMain::RefreshDefaultHeader() {}

void TfrmMain::SendEditorCommand(const std::string& command) {
  if (FBridge && FEditorReady) FBridge->ExecCommand(command);
}

void TfrmMain::ConnectBridgeEvents() {
  FBridge->OnReady = [this](TEditorBridge&) { Guard([this] { EditorReadyReceived(); }); };
  FBridge->OnHtmlChanged = [this](TEditorBridge& bridge, const std::string& html) {
    Guard([this, &bridge, &html] { EditorHtmlChanged(html, bridge.LastHtmlChangeWasUser()); });
  };
}

void TfrmMain::EditorReadyReceived() {
  FEditorReady = true;
  ApplySettingsToEditor();
  if (!FCurrentTopicID.empty()) LoadTopicIntoEditor(FCurrentTopicID);
}

void TfrmMain::EditorHtmlChanged(const std::string& html, bool user) {
  if (FCurrentTopicID.empty()) return;
  FDirtyHtml = html;
  if (user) MarkProjectDirty();
}
