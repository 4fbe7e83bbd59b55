// The project lifecycle: new, open, save, save as, the save question and the
// store of pending topic texts.
#include <QAction>
#include <QApplication>
#include <QMenu>
#include <QToolButton>

#include "uMain.h"
#include "uPlatform.h"
#include "uQtText.h"
#include "uRecentProjects.h"
#include "uStorage.h"
#include "uTopicHtmlDefaults.h"
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
  FProjectDirty = true;
  UpdateCaption();
  ScheduleRecoveryJournal();
}

void TfrmMain::UpdateCaption() {
  if (!FProject) {
    setWindowTitle(kAppTitle);
    return;
  }
  const std::string mark = FProjectDirty ? "*" : "";
  btnSave->setEnabled(FProjectDirty);
  actSave->setEnabled(FProjectDirty);
  actSaveAs->setEnabled(true);
  const std::string caption =
      FProjectFileName.empty() ? FormatText("%s%s - %s", {kAppTitle, mark, FProject->Title()})
                               : FormatText("%s%s - %s [%s]", {kAppTitle, mark, FProject->Title(), FProjectFileName});
  setWindowTitle(ToQ(caption));
}

// Yes that leaves the project modified (Save As cancelled or failed) stops the caller,
// so nothing unsaved is thrown away.
bool TfrmMain::ConfirmSaveChanges() {
  if (!FProjectDirty) return true;
  const TDialogAnswer answer = FDialogs->Ask(TMessageKind::Confirmation,
                                             TranslateText("Project has been modified. Do you want to save changes?"),
                                             TDialogButtons::YesNoCancel);
  switch (answer) {
    case TDialogAnswer::Yes: btnSaveClick(); return !FProjectDirty;
    case TDialogAnswer::No:
      FUnsavedTopicHtml.clear();
      FPendingTextFiles.clear();
      FProjectDirty = false;
      ClearRecoveryJournal();
      return true;
    default: return false;
  }
}

void TfrmMain::FlushPendingTexts() {
  for (const auto& [id, html] : FUnsavedTopicHtml) FPendingTextFiles[TopicFilePath(*FProject, id)] = html;
  for (const auto& [path, text] : FPendingTextFiles) {
    EnsureDir(ExtractFileDir(path));
    WriteTextFileUtf8(path, text);
  }
  FPendingTextFiles.clear();
  FUnsavedTopicHtml.clear();
}

void TfrmMain::DiscardPendingTexts() {
  FUnsavedTopicHtml.clear();
  FPendingTextFiles.clear();
  ForgetCurrentTopic();
  // Removed topics can be put back only into the project they came from.
  FRemovedBranches.clear();
  UpdateUndoRemoveTopic();
}

void TfrmMain::FlushProjectToDisk() {
  RequestHeaderAndWait(400);
  CaptureCurrentTopicHtml();
  FlushPendingTexts();
  SaveProject(*FProject);
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
  RequestHeaderAndWait(400);
  CaptureCurrentTopicHtml();
  FlushPendingTexts();
  SaveProject(*FProject);
  if (!Trim(FProjectFileName).empty()) {
    // A renamed project file moves the project: the page must follow to the new folder.
    if (SaveProjectFile(FProjectFileName, *FProject)) {
      ApplyBaseHref();
      ApplyEditorCss();
    }
    FProjectDirty = false;
    ClearRecoveryJournal();
    UpdateCaption();
    ShowStatus(TranslateText("Saved"));
    return;
  }
  btnSaveAsClick();
}

void TfrmMain::btnSaveAsClick() {
  RequestHeaderAndWait(400);
  // The project's title names the file (and so its folder).
  const std::string title = Trim(FProject->Title()).empty() ? Trim(FSettings->ProjTitle) : Trim(FProject->Title());
  const std::string proposed = (title.empty() ? std::string("Untitled") : SafeFileName(title)) + ".fvp";
  const std::string chosen =
      FDialogs->SaveFile(TranslateText("Save Project As"), TranslateText(kProjectFilter), "fvp",
                         FProjectFileName.empty() ? proposed : PathJoin(ExtractFileDir(FProjectFileName), proposed));
  if (chosen.empty()) return;
  const std::string path = NormalizeProjectPath(chosen);
  if (!IsRootedPath(path) || !SameTextAscii(ExtractFileExt(path), ".fvp")) {
    FDialogs->ShowMessage(TMessageKind::Error, TranslateText("Invalid project filename: ") + path);
    return;
  }
  const std::string newFolder = IncludeTrailingDelimiter(PathJoin(ExtractFileDir(path), FileNameWithoutExt(path)));
  CaptureCurrentTopicHtml();
  // Exact comparison: on Linux two names that differ in letter case are two folders.
  if (ExcludeTrailingDelimiter(FProject->RootPath()) != ExcludeTrailingDelimiter(newFolder)) {
    CopyProjectFolder(ExcludeTrailingDelimiter(FProject->RootPath()), ExcludeTrailingDelimiter(newFolder));
    FProject->SetRootPath(newFolder);
    EnsureProjectFolders(*FProject);
    InstallAppFiles(*FProject);
    ApplyBaseHref();
    ApplyEditorCss();  // the old folder's style sheet may be deleted or changed later
  }
  FProjectFileName = path;
  FlushPendingTexts();
  SaveProject(*FProject);
  SaveProjectFile(path, *FProject);
  FProjectDirty = false;
  ClearRecoveryJournal();
  WriteLastProjectFile(path);
  RememberRecentProject(path);
  UpdateCaption();
  ShowStatus(TranslateText("Saved As"));
}

void TfrmMain::btnOpenProjectClick() {
  if (!ConfirmSaveChanges()) return;
  const std::string chosen = FDialogs->OpenFile(TranslateText("Open Project"), TranslateText("Project (*.fvp)|*.fvp"),
                                                FProjectFileName.empty() ? "" : ExtractFileDir(FProjectFileName));
  if (chosen.empty()) return;
  FSettingsProblemShown.clear();  // each Open reports a damaged settings file anew
  OpenProject(NormalizeProjectPath(chosen));
}

// The new project is read completely before anything of the open one is dropped: a
// file that cannot be read leaves the window exactly as it was.
void TfrmMain::OpenProject(const std::string& fileName) {
  const std::string path = NormalizeProjectPath(fileName);
  auto loaded = std::make_unique<TDocProject>();
  TProjectFileInfo info;
  try {
    info = ReadProjectFile(path);
    loaded->SetRootPath(IncludeTrailingDelimiter(info.folder));
    EnsureProjectFolders(*loaded);
    InstallAppFiles(*loaded);
    LoadProject(loaded->RootPath(), *loaded);
  } catch (const EFolivaneError& e) {
    const std::string message = e.what();
    if (message.find(path) != std::string::npos) throw;
    throw EFolivaneError(message + " (" + path + ")");
  }

  DiscardPendingTexts();
  FProjectDirty = false;
  FProjectFileName = path;
  FProject = std::move(loaded);
  EditingSession();
  ApplyBaseHref();
  if (!info.title.empty()) FProject->SetTitle(info.title);
  // Before anything below writes into the project.
  OfferRecovery();
  if (FProject->RootTopicIDs().empty()) {
    if (FProject->Title().empty()) FProject->SetTitle(FileNameWithoutExt(path));
    const TTopic& welcome = FProject->AddTopic(TranslateText("Welcome"), "");
    WriteTextFileUtf8(TopicFilePath(*FProject, welcome.ID()), DefaultEmptyParagraphHtml(*FSettings));
    SaveProject(*FProject);
  }
  LoadProjectSettings();
  FillStyleProfiles();
  RebuildTopicTree();
  SelectFirstNode();
  WriteLastProjectFile(path);
  RememberRecentProject(path);
  UpdateCaption();
}

void TfrmMain::LoadProjectSettings() {
  if (!FSettings) FSettings = std::make_unique<TProjectSettings>();
  const std::string path = TProjectSettings::DefaultSettingsPathForProject(FProject->RootPath());
  if (FileExists(path)) {
    // Read into a copy: a file that cannot be read must neither leave the previous
    // project's settings (and title) in place nor stop the opening half-way.
    TProjectSettings loaded = *FSettings;
    std::string problem;
    try {
      if (!loaded.LoadFromFile(path)) problem = path;
    } catch (const std::exception& e) {
      problem = e.what();
    }
    if (problem.empty()) {
      *FSettings = loaded;
      FSettingsProblemShown.clear();
    } else {
      FSettings->SetDefaults();
      FSettings->ProjTitle = FProject->Title();
      if (problem != FSettingsProblemShown) {
        FSettingsProblemShown = problem;
        ShowErrorBox(*FDialogs, TranslateText("The project settings cannot be read; the defaults are used until the "
                                              "settings are confirmed again: ") +
                                    problem);
      }
    }
  } else {
    FSettings->SetDefaults();
    SaveDefaultSettings();
  }
  ApplySettingsToUi();
  if (EditorReady()) ApplySettingsToEditor();
  ApplySpellCheck();
}

void TfrmMain::btnNewProjectClick() {
  if (!ConfirmSaveChanges()) return;
  // The workspace may hold an earlier session's work that was never saved.
  if (RecoverWorkspaceProject()) return;
  ResetWorkspaceFolder();
  DiscardPendingTexts();
  FProjectDirty = false;
  FProject->Clear();
  FProject->SetRootPath(ProjectWorkspaceFolder());
  FProject->SetTitle("Untitled Documentation");
  FProject->SetStyleProfile("default");
  ApplyBaseHref();
  EnsureProjectFolders(*FProject);
  InstallAppFiles(*FProject);
  FSettings->SetDefaults();
  SaveDefaultSettings();
  ApplySettingsToUi();
  if (EditorReady()) ApplySettingsToEditor();
  FProject->AddTopic(TranslateText("Welcome"), "");
  FProjectFileName.clear();
  FillStyleProfiles();
  RebuildTopicTree();
  SelectFirstNode();
  UpdateCaption();

  if (FDialogs->EditProjectSettings(*FSettings, FProject->RootPath())) {
    SaveConfirmedSettings();
    ApplySettingsToUi();
    ApplySettingsChangeToEditor(true);
  }
  UpdateCaption();
  ShowStatus(TranslateText("New project created (not saved)"));
}
