// The project lifecycle in the window: new, open, save and save as ask the writer and
// show the result; the project itself, its files and its pending texts are the
// controller's (uProjectController).
#include <QAction>
#include <QApplication>
#include <QMenu>
#include <QToolButton>

#include "uMain.h"
#include "uPlatform.h"
#include "uQtText.h"
#include "uRecentProjects.h"
#include "uStorage.h"
#include "uTopicPanel.h"
#include "uUserDialogs.h"

namespace {

const char* kProjectFilter = "Help Project (*.fvp)|*.fvp";

}  // namespace

std::string TfrmMain::WorkspaceFolder() { return IncludeTrailingDelimiter(PathJoin(UserDataDir(), "Workspace")); }

std::string TfrmMain::LastProjectFilePath() { return PathJoin(UserDataDir(), "last_project.txt"); }

std::string TfrmMain::NormalizeProjectPath(const std::string& path) {
  std::string text = Trim(path);
  // A drive-rooted path pasted behind another path: keep only the last one.
  for (size_t p = text.size() >= 3 ? text.size() - 3 : 0; p >= 1 && p + 2 < text.size(); --p) {
    const char c = text[p];
    if (((c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z')) && text[p + 1] == ':' && text[p + 2] == '\\') {
      text = text.substr(p);
      break;
    }
  }
  if (text.empty()) return text;
  try {
    return ExpandFileName(text);
  } catch (const std::exception&) {
    return text;
  }
}

void TfrmMain::MarkProjectDirty() {
  FOpenProject.MarkDirty();
  UpdateCaption();
  ScheduleRecoveryJournal();
}

void TfrmMain::UpdateCaption() {
  const bool dirty = FOpenProject.Dirty();
  btnSave->setEnabled(dirty);
  actSave->setEnabled(dirty);
  actSaveAs->setEnabled(true);
  const std::string mark = dirty ? "*" : "";
  const std::string& file = FOpenProject.FileName();
  const std::string caption = file.empty() ? FormatText("%s%s - %s", {kAppTitle, mark, Project().Title()})
                                           : FormatText("%s%s - %s [%s]", {kAppTitle, mark, Project().Title(), file});
  setWindowTitle(ToQ(caption));
}

// Yes that leaves the project modified (Save As cancelled or failed) stops the caller,
// so nothing unsaved is thrown away.
bool TfrmMain::ConfirmSaveChanges() {
  TopicPropertiesEdited();  // a help ID still in its field counts as a change
  if (!FOpenProject.Dirty()) return true;
  const TDialogAnswer answer = FDialogs->Ask(TMessageKind::Confirmation,
                                             TranslateText("Project has been modified. Do you want to save changes?"),
                                             TDialogButtons::YesNoCancel);
  switch (answer) {
    case TDialogAnswer::Yes: btnSaveClick(); return !FOpenProject.Dirty();
    case TDialogAnswer::No:
      FOpenProject.DiscardChanges();
      ClearRecoveryJournal();
      return true;
    default: return false;
  }
}

void TfrmMain::ForgetProjectState() {
  ForgetCurrentTopic();
  // Removed topics can be put back only into the project they came from.
  FRemovedBranches.clear();
  UpdateUndoRemoveTopic();
  FCurrentProfile.clear();
  ApplyProfileShading();
}

void TfrmMain::CaptureEditorTexts() {
  TopicPropertiesEdited();
  RequestHeaderAndWait(400);
  CaptureCurrentTopicHtml();
}

void TfrmMain::FlushProjectToDisk() {
  CaptureEditorTexts();
  FOpenProject.FlushPendingTexts();
  SaveProject(Project());
}

void TfrmMain::WriteLastProjectFile(const std::string& path) {
  try {
    WriteTextFileUtf8(LastProjectFilePath(), path);
  } catch (const std::exception&) {
    // Only the next start's choice depends on it.
  }
}

void TfrmMain::RememberRecentProject(const std::string& path) {
  try {
    AddRecentProject(UserSettingsIniPath(), path);
  } catch (const std::exception&) {
    // Only File > Open Recent depends on it.
  }
}

void TfrmMain::FillOpenRecentMenu() {
  mnuOpenRecent->clear();
  const std::vector<std::string> recent = ReadRecentProjects(UserSettingsIniPath());
  for (size_t i = 0; i < recent.size(); ++i) {
    const std::string path = recent[i];
    const QString label = QString("&%1 %2").arg((i + 1) % 10).arg(ToQ(path).replace('&', "&&"));
    QAction* item = mnuOpenRecent->addAction(label);
    connect(item, &QAction::triggered, this, [this, path] { Guard([this, path] { OpenRecentProject(path); }); });
  }
  mnuOpenRecent->setEnabled(!recent.empty());
}

void TfrmMain::OpenRecentProject(const std::string& path) {
  if (!FileExists(path)) {
    try {
      RemoveRecentProject(UserSettingsIniPath(), path);
    } catch (const std::exception&) {
      // The list stays as it was; the message still says why nothing opened.
    }
    FDialogs->ShowMessage(TMessageKind::Warning,
                          FormatText(TranslateText("The project %s no longer exists; it is removed from the list of "
                                                   "recent projects."),
                                     {path}));
    return;
  }
  if (!ConfirmSaveChanges()) return;
  FSettingsProblemShown.clear();
  OpenProject(path);
}

void TfrmMain::btnSaveClick() {
  if (Trim(FOpenProject.FileName()).empty()) {
    // The workspace keeps the text even when the writer then cancels the name.
    FlushProjectToDisk();
    btnSaveAsClick();
    return;
  }
  CaptureEditorTexts();
  // A renamed project file moves the project: the page must follow to the new folder.
  if (FOpenProject.Save()) {
    ApplyBaseHref();
    ApplyEditorCss();
  }
  ClearRecoveryJournal();
  UpdateCaption();
  ShowStatus(TranslateText("Saved"));
}

void TfrmMain::btnSaveAsClick() {
  RequestHeaderAndWait(400);
  const std::string proposed = FOpenProject.ProposedFileName();
  const std::string& current = FOpenProject.FileName();
  const std::string chosen =
      FDialogs->SaveFile(TranslateText("Save Project As"), TranslateText(kProjectFilter), "fvp",
                         current.empty() ? proposed : PathJoin(ExtractFileDir(current), proposed));
  if (chosen.empty()) return;
  const std::string path = NormalizeProjectPath(chosen);
  if (!IsRootedPath(path) || !SameTextAscii(ExtractFileExt(path), ".fvp")) {
    FDialogs->ShowMessage(TMessageKind::Error, TranslateText("Invalid project filename: ") + path);
    return;
  }
  CaptureCurrentTopicHtml();
  if (FOpenProject.SaveAs(path)) {
    ApplyBaseHref();
    ApplyEditorCss();  // the old folder's style sheet may be deleted or changed later
  }
  ClearRecoveryJournal();
  WriteLastProjectFile(path);
  RememberRecentProject(path);
  UpdateCaption();
  ShowStatus(TranslateText("Saved As"));
}

void TfrmMain::btnOpenProjectClick() {
  if (!ConfirmSaveChanges()) return;
  const std::string& current = FOpenProject.FileName();
  const std::string chosen = FDialogs->OpenFile(TranslateText("Open Project"), TranslateText("Project (*.fvp)|*.fvp"),
                                                current.empty() ? "" : ExtractFileDir(current));
  if (chosen.empty()) return;
  FSettingsProblemShown.clear();  // each Open reports a damaged settings file anew
  OpenProject(NormalizeProjectPath(chosen));
}

// The controller reads the new project completely before anything of the open one is
// dropped: a file that cannot be read leaves the window exactly as it was.
void TfrmMain::OpenProject(const std::string& fileName) {
  const std::string path = NormalizeProjectPath(fileName);
  const std::string settingsProblem = FOpenProject.Open(path);
  ForgetProjectState();
  EditingSession();
  ApplyBaseHref();
  // Before anything below writes into the project.
  OfferRecovery();
  FOpenProject.EnsureFirstTopic();
  ShowSettingsProblem(settingsProblem);
  ShowProject();
  WriteLastProjectFile(path);
  RememberRecentProject(path);
}

void TfrmMain::ReloadProjectSettings() { ShowSettingsProblem(FOpenProject.ReloadSettings()); }

// Start-up reads the settings twice: a damaged file is reported once.
void TfrmMain::ShowSettingsProblem(const std::string& problem) {
  if (problem.empty()) {
    FSettingsProblemShown.clear();
    return;
  }
  if (problem == FSettingsProblemShown) return;
  FSettingsProblemShown = problem;
  ShowErrorBox(*FDialogs, problem);
}

void TfrmMain::ShowProject() {
  ApplySettingsToUi();
  if (EditorReady()) ApplySettingsToEditor();
  ApplySpellCheck();
  pnlTopics->FillStyleProfiles();
  RebuildTopicTree();
  pnlTopics->SelectFirst();
  UpdateCaption();
}

void TfrmMain::btnNewProjectClick() {
  if (!ConfirmSaveChanges()) return;
  // The workspace may hold an earlier session's work that was never saved.
  if (RecoverWorkspaceProject()) return;
  StartWorkspaceProject();
  ShowProject();
  if (FDialogs->EditProjectSettings(Settings(), Project().RootPath())) {
    SaveConfirmedSettings();
    ApplySettingsToUi();
    ApplySettingsChangeToEditor(true);
  }
  UpdateCaption();
  ShowStatus(TranslateText("New project created (not saved)"));
}

void TfrmMain::StartWorkspaceProject() {
  const std::string folder = ProjectWorkspaceFolder();
  try {
    if (DirExists(folder)) DeleteFolderTree(folder);
  } catch (const std::exception&) {
  }
  ForgetProjectState();
  Guard([this, &folder] { FOpenProject.StartNew(folder); });
  EditingSession();
  ApplyBaseHref();
}
