// Topic editing in the window: the session logic lives in the core
// (TTopicEditorSession); this file gives it the window's waits, deferred calls, focus
// and status line, and routes the bridge's events to it.
#include <QElapsedTimer>
#include <QEventLoop>
#include <QTimer>

#include "uEditorBridge.h"
#include "uEditorHost.h"
#include "uMain.h"
#include "uQtText.h"
#include "uSettingsCss.h"
#include "uToolbarSync.h"
#include "uTopicEditorSession.h"
#include "uTopicPanel.h"
#include "uTopicTree.h"

// What the session needs from the window (a friend of it).
class TMainEditorWindow : public ITopicEditorWindow {
 public:
  explicit TMainEditorWindow(TfrmMain& form) : F(form) {}
  void MarkProjectDirty() override { F.MarkProjectDirty(); }
  void ShowStatus(const std::string& text) override { F.ShowStatus(text); }
  void ShowTopicProperties(const std::string& topicID) override { F.ShowTopicProperties(topicID); }

  // The window keeps working while it waits: page messages, paints and user input.
  void WaitProcessingEvents(const std::function<bool()>& done, int timeoutMs) override {
    if (done()) return;
    QEventLoop loop;
    QTimer poll;
    poll.setInterval(1);
    QObject::connect(&poll, &QTimer::timeout, &loop, [&] {
      if (done()) loop.quit();
    });
    QTimer::singleShot(timeoutMs, &loop, &QEventLoop::quit);
    poll.start();
    loop.exec(QEventLoop::AllEvents);
  }

  void Defer(std::function<void()> fn) override {
    QTimer::singleShot(0, &F, [this, fn = std::move(fn)] { F.Guard(fn); });
  }

  void FocusEditorControl() override {
    if (F.TreeKeepsFocus()) return;
    const bool ordered = F.EditorFocusOrdered();
    F.EditorFocusDone();
    if (F.Edge && F.Edge->isVisible() && F.Edge->isEnabled()) {
      F.Edge->setFocus(Qt::OtherFocusReason);
      if (ordered) F.FocusPageCaret();
    }
  }

  std::string WriteEditorEffectiveCss() override { return ::WriteEditorEffectiveCss(F.Settings(), F.Project()); }

  void ShowCurrentTopicInTree(const std::string& topicID) override { F.ShowTopicSelectedQuietly(topicID); }

 private:
  TfrmMain& F;
};

void TfrmMain::CreateTopicEditing() {
  FEditorWindow = std::make_shared<TMainEditorWindow>(*this);
  FSession = std::make_shared<TTopicEditorSession>(*FEditorWindow, *FBridge, FOpenProject.UnsavedTopicHtml());
  FSession->SetProject(&Project(), &Settings());
  FSession->SetToolbarSync(FToolbarSync.get());
}

// The session, pointed at the project objects the window holds now (opening or starting a
// project replaces them).
TTopicEditorSession* TfrmMain::EditingSession() {
  if (FSession) FSession->SetProject(&Project(), &Settings());
  return FSession.get();
}

const std::string& TfrmMain::CurrentTopicID() const {
  static const std::string none;
  return FSession ? FSession->CurrentTopicID() : none;
}

bool TfrmMain::EditorReady() const { return FSession && FSession->IsEditorReady(); }

void TfrmMain::ForgetCurrentTopic() {
  if (auto* session = EditingSession()) session->ForgetCurrentTopic();
  pnlTopics->ClearProperties();
}

void TfrmMain::SelectedTopicChanged() {
  auto* session = EditingSession();
  if (!session) return;
  std::string id = SelectedTopicID();
  if (!id.empty() && !Project().HasTopic(id)) id.clear();
  if (id == CurrentTopicID() && !session->IsBusy()) return;
  session->TopicSelectionChanged(id);
}

void TfrmMain::LoadTopicIntoEditor(const std::string& id) {
  auto* session = EditingSession();
  if (!session) return;
  // Only the current topic is ever shown in the page.
  if (id != CurrentTopicID()) session->TopicSelectionChanged(id);
  else session->LoadTopicIntoEditor(id);
}

std::string TfrmMain::GetCurrentTopicHtml() {
  auto* session = EditingSession();
  return session ? session->GetCurrentTopicHtml() : std::string();
}

void TfrmMain::CaptureCurrentTopicHtml() {
  if (auto* session = EditingSession()) session->CaptureCurrentTopicHtml();
}

bool TfrmMain::RequestHtmlAndWait(int timeoutMs) {
  auto* session = EditingSession();
  if (!session) return false;
  session->RequestHtmlAndWait(timeoutMs);
  return !session->WaitingHtmlResponse();
}

bool TfrmMain::RequestHeaderAndWait(int timeoutMs) {
  auto* session = EditingSession();
  if (!session) return false;
  session->RequestHeaderAndWait(timeoutMs);
  return !session->WaitingHeaderResponse();
}

void TfrmMain::RequestEditorFocus() {
  // A command of the window sends the keyboard to the page, even from the tree.
  FEditorFocusOrdered = true;
  if (auto* session = EditingSession()) session->RequestEditorFocus();
}

void TfrmMain::ApplyBaseHref() {
  if (auto* session = EditingSession()) session->ApplyBaseHref();
}

void TfrmMain::ApplyEditorCss() {
  if (auto* session = EditingSession()) session->ApplyEditorCss();
}

void TfrmMain::ApplySettingsToEditor() {
  if (auto* session = EditingSession()) session->ApplySettingsToEditor();
}

void TfrmMain::RefreshDefaultHeader() {
  if (auto* session = EditingSession()) session->RefreshDefaultHeader();
}

void TfrmMain::ApplySettingsChangeToEditor(bool newProjectFlow) {
  if (auto* session = EditingSession()) session->ApplySettingsChangeToEditor(newProjectFlow);
}

void TfrmMain::SendEditorCommand(const std::string& command) {
  if (FBridge) FBridge->ExecCommand(command);
}

void TfrmMain::ConnectBridgeEvents() {
  CreateTopicEditing();
  FBridge->OnReady = [this](TEditorBridge&) { Guard([this] { EditorReadyReceived(); }); };
  FBridge->OnHtmlChanged = [this](TEditorBridge& bridge, const std::string& html) {
    Guard([this, &bridge, &html] { EditorHtmlChanged(html, bridge.LastHtmlChangeWasUser()); });
  };
  FBridge->OnHeaderChanged = [this](TEditorBridge&, const std::string& headerHtml, const std::string& headerBg) {
    Guard([&] { EditingSession()->EditorHeaderChanged(headerHtml, headerBg); });
  };
  FBridge->OnCursorStyle = [this](TEditorBridge&, const TEditorCursorStyle& style) {
    Guard([&] { EditorCursorStyle(style); });
  };
  FBridge->OnAreaChanged = [this](TEditorBridge&, const std::string& area) {
    EditingSession()->EditorAreaChanged(area);
  };
}

// The page's editing area gets its caret back where it was: the view taking the keyboard
// from the tree does not by itself give the caret to the page.
void TfrmMain::FocusPageCaret() {
  if (!FEditorHost || !EditorReady()) return;
  const std::string area = FSession->EditorArea() == "header" ? "zd-header" : "zd-body";
  FEditorHost->ExecuteScript("(() => { const e = window.tinymce && tinymce.get('" + area +
                             "'); if (e && !e.hasFocus()) e.focus(); })();");
}

void TfrmMain::EditorReadyReceived() {
  EditingSession()->EditorReady();
  ApplySpellCheck();
  ApplyProfileShading();
}

void TfrmMain::EditorHtmlChanged(const std::string& html, bool) { EditingSession()->EditorHtmlChanged(html); }
