// The Publish menu: WebHelp, CHM, PDF for the project or a build profile, every output of
// the profiles, the output folder and the link check.
#include <QActionGroup>
#include <QApplication>
#include <QMenu>

#include <algorithm>
#include <memory>

#include "uChmCompiler.h"
#include "uExportChm.h"
#include "uExportPdf.h"
#include "uExportWebHelp.h"
#include "uLinkChecker.h"
#include "uMain.h"
#include "uPlatform.h"
#include "uPublishOutput.h"
#include "uQtText.h"
#include "uReusableContent.h"
#include "uStorage.h"
#include "uTopicsJson.h"
#include "uUserDialogs.h"

namespace {

// The compiler's questions, asked with the window's dialogs.
class TChmQuestions : public IChmCompilerQuestions {
 public:
  explicit TChmQuestions(IUserDialogs& dialogs) : FDialogs(dialogs) {}
  void ShowInformation(const std::string& message) override {
    FDialogs.ShowMessage(TMessageKind::Information, message);
  }
  void ShowWarning(const std::string& message) override { FDialogs.ShowMessage(TMessageKind::Warning, message); }
  bool AskYesNo(const std::string& message) override {
    return FDialogs.Ask(TMessageKind::Error, message, TDialogButtons::YesNo) == TDialogAnswer::Yes;
  }
  std::string ChooseFile(const TLocateDialog& dialog) override {
    const std::string start =
        dialog.initialFolder.empty() ? dialog.initialFileName : PathJoin(dialog.initialFolder, dialog.initialFileName);
    return FDialogs.OpenFile(dialog.title, dialog.nameFilters, start);
  }

 private:
  IUserDialogs& FDialogs;
};

// Files an export left out (links that lead outside the project): one message, so a
// received project cannot publish them unnoticed.
void ReportLeftOut(IUserDialogs& dialogs, const std::vector<std::string>& lines) {
  if (lines.empty()) return;
  constexpr size_t kShown = 15;
  std::string text = TranslateText("Some files of the project were not published:");
  for (size_t i = 0; i < lines.size() && i < kShown; ++i) text += "\n" + lines[i];
  if (lines.size() > kShown) {
    text += "\n" + FormatText(TranslateText("... and %d more"), {std::to_string(lines.size() - kShown)});
  }
  dialogs.ShowMessage(TMessageKind::Warning, text);
}

// The hourglass for the length of a command, however it ends.
class TBusyCursor {
 public:
  TBusyCursor() {
    QApplication::setOverrideCursor(Qt::WaitCursor);
    QApplication::processEvents();
  }
  ~TBusyCursor() { QApplication::restoreOverrideCursor(); }
};

// The progress display for the length of an export, closed however the export ends.
class TProgressScope {
 public:
  TProgressScope(IUserDialogs& dialogs, const std::string& caption)
      : FDialogs(dialogs), FProgress(dialogs.BeginProgress(caption)) {}
  ~TProgressScope() { FDialogs.EndProgress(); }
  TProgressScope(const TProgressScope&) = delete;
  TProgressScope& operator=(const TProgressScope&) = delete;
  const TProgressCallback& Callback() const { return FProgress; }

 private:
  IUserDialogs& FDialogs;
  TProgressCallback FProgress;
};

}  // namespace

std::string TfrmMain::OutputFolder() const { return BuildFolder(Project().RootPath(), FCurrentProfile); }

void TfrmMain::RunExport(const std::string& caption, const std::function<void(const TProgressCallback&)>& work) {
  const TProgressScope progress(*FDialogs, caption);
  const TBusyCursor busy;
  work(progress.Callback());
}

// A project never saved lives in a hidden per-user folder: it is saved where the writer
// chooses before anything is published. False when the writer cancels.
bool TfrmMain::SavedForPublishing() {
  if (!Trim(FOpenProject.FileName()).empty()) return true;
  FDialogs->ShowMessage(TMessageKind::Information,
                        TranslateText("The project has not been saved yet. Choose where to save it; it is "
                                      "published into its folder."));
  btnSaveAsClick();
  return !Trim(FOpenProject.FileName()).empty();
}

// What a build publishes: a copy of the project with the profile's choices (or the
// project's own), so that nothing a profile leaves out touches the project being edited.
std::unique_ptr<TDocProject> TfrmMain::PrepareBuild(const TBuildProfile* profile, TProjectSettings& settings) {
  auto built = std::make_unique<TDocProject>();
  CopyProjectStructure(Project(), *built);
  ApplyBuildProfile(*built, profile);
  settings = ProfileSettings(Settings(), profile);
  return built;
}

// The build of the profile chosen in the Publish menu, or of the project as it is.
std::unique_ptr<TDocProject> TfrmMain::PrepareChosenBuild(TProjectSettings& settings) {
  if (FCurrentProfile.empty()) return PrepareBuild(nullptr, settings);
  const TBuildProfile profile = LoadProfile(Project(), FCurrentProfile);
  return PrepareBuild(&profile, settings);
}

void TfrmMain::btnExportWebClick() {
  if (!SavedForPublishing()) return;
  FlushProjectToDisk();
  TProjectSettings settings;
  const std::unique_ptr<TDocProject> built = PrepareChosenBuild(settings);
  std::string index;
  std::vector<std::string> leftOut;
  RunExport(TranslateText("Publishing WebHelp..."),
            [&](const TProgressCallback& progress) { index = PublishWebHelp(*built, &settings, progress, &leftOut); });
  ShowStatus(TranslateText("WebHelp exported: ") + index);
  ReportLeftOut(*FDialogs, leftOut);
  try {
    OpenWithAssociatedProgram(index);
  } catch (const std::exception&) {
  }
}

void TfrmMain::btnExportChmClick() {
  if (!SavedForPublishing()) return;
  btnSaveClick();
  TProjectSettings settings;
  const std::unique_ptr<TDocProject> built = PrepareChosenBuild(settings);
  TChmQuestions questions(*FDialogs);
  TChmCommandResult result;
  RunExport(TranslateText("Publishing CHM..."),
            [&](const TProgressCallback& progress) { result = RunChmCommand(*built, &questions, progress); });
  switch (result.outcome) {
    case TChmCommandResult::Done:
      ShowStatus(result.message);
      ReportLeftOut(*FDialogs, result.warnings);
      try {
        OpenWithAssociatedProgram(result.chmPath);
      } catch (const std::exception&) {
      }
      break;
    case TChmCommandResult::Cancelled: ShowStatus(result.message); break;
    case TChmCommandResult::Failed: FDialogs->ShowMessage(TMessageKind::Error, result.message); break;
  }
}

void TfrmMain::btnExportPdfClick() {
  if (!SavedForPublishing()) return;
  btnSaveClick();
  TProjectSettings settings;
  const std::unique_ptr<TDocProject> built = PrepareChosenBuild(settings);
  // The export creates the folder, once it has made sure that no link takes it elsewhere.
  const std::string out = PdfOutputFolder(*built);
  std::vector<std::string> leftOut;
  std::string pdf;
  // The export opens the PDF it printed.
  RunExport(TranslateText("Publishing PDF..."), [&](const TProgressCallback& progress) {
    TPdfExportOptions options;
    options.OpenPdf = true;
    options.Progress = progress;
    options.Warnings = &leftOut;
    options.Settings = &settings;
    pdf = ExportPdf(*built, out, options);
  });
  ShowStatus(TranslateText("PDF exported: ") + pdf);
  ReportLeftOut(*FDialogs, leftOut);
}

// Every output of each profile named, one after the other; a failing output is reported
// at the end and does not stop the others. Opens nothing: there may be many.
void TfrmMain::PublishProfiles(const std::vector<std::string>& names) {
  if (!SavedForPublishing()) return;
  btnSaveClick();
  std::vector<std::string> done, failed, leftOut;
  TChmQuestions questions(*FDialogs);
  for (const std::string& name : names) {
    const TBuildProfile profile = LoadProfile(Project(), name);
    TProjectSettings settings;
    const std::unique_ptr<TDocProject> built = PrepareBuild(&profile, settings);
    for (const TOutputFormat format : profile.Outputs) {
      const std::string what = name + ": " + OutputFormatCaption(format);
      try {
        RunExport(FormatText(TranslateText("Publishing %s..."), {what}), [&](const TProgressCallback& progress) {
          done.push_back(what + " " + PublishOutput(format, *built, settings, {progress, &questions, &leftOut}));
        });
      } catch (const EAbort&) {
        throw;
      } catch (const std::exception& e) {
        failed.push_back(what + ": " + e.what());
      }
    }
  }
  ReportLeftOut(*FDialogs, leftOut);
  std::string text = FormatText(TranslateText("Outputs published: %d"), {std::to_string(done.size())});
  for (const std::string& line : done) text += "\n" + line;
  if (!failed.empty()) {
    text += "\n\n" + FormatText(TranslateText("Outputs that failed: %d"), {std::to_string(failed.size())});
    for (const std::string& line : failed) text += "\n" + line;
  }
  FDialogs->ShowMessage(failed.empty() ? TMessageKind::Information : TMessageKind::Error, text);
  ShowStatus(FormatText(TranslateText("Outputs published: %d"), {std::to_string(done.size())}));
}

// With a profile chosen, the editor greys the text that profile leaves out.
void TfrmMain::ApplyProfileShading() {
  if (!EditorReady() || !FBridge) return;
  std::vector<std::string> on;
  if (!FCurrentProfile.empty()) {
    try {
      const TBuildProfile profile = LoadProfile(Project(), FCurrentProfile);
      TReusableProjectContent store;
      store.LoadFromProject(Project());
      store.ApplyBuildChoices(ProfileChoices(&profile));
      for (const TReusableCondition& c : store.Conditions()) {
        if (c.Enabled) on.push_back(c.Name);
      }
    } catch (const std::exception& e) {
      ShowStatus(e.what());
    }
  }
  FBridge->SetLeftOutConditions(!FCurrentProfile.empty(), on);
}

void TfrmMain::PublishCurrentProfileClick() {
  if (FCurrentProfile.empty()) {
    FDialogs->ShowMessage(TMessageKind::Information,
                          TranslateText("Choose a build profile first (Publish > Build Profile)."));
    return;
  }
  PublishProfiles({FCurrentProfile});
}

void TfrmMain::PublishAllProfilesClick() {
  const std::vector<std::string> names = ListProfileNames(Project());
  if (names.empty()) {
    FDialogs->ShowMessage(TMessageKind::Information,
                          TranslateText("The project has no build profiles. Create them with Tools > Build "
                                        "Profiles."));
    return;
  }
  PublishProfiles(names);
}

// The Build Profile submenu: the project as it is, then each profile; the chosen one checked.
void TfrmMain::FillBuildProfileMenu() {
  mnuBuildProfile->clear();
  auto* group = new QActionGroup(mnuBuildProfile);
  std::vector<std::string> names{""};
  for (const std::string& n : ListProfileNames(Project())) names.push_back(n);
  if (std::find(names.begin(), names.end(), FCurrentProfile) == names.end()) FCurrentProfile.clear();
  for (const std::string& name : names) {
    QAction* item = mnuBuildProfile->addAction(name.empty() ? Tr("None (the project as it is)") : ToQ(name));
    item->setCheckable(true);
    item->setChecked(name == FCurrentProfile);
    group->addAction(item);
    connect(item, &QAction::triggered, this, [this, name] { SelectBuildProfile(name); });
  }
}

void TfrmMain::SelectBuildProfile(const std::string& name) {
  FCurrentProfile = name;
  ApplyProfileShading();
  ShowStatus(name.empty() ? TranslateText("Publishing the project as it is")
                          : FormatText(TranslateText("Publishing with the build profile %s"), {name}));
}

void TfrmMain::OpenOutputFolderClick() {
  const std::string folder = OutputFolder();
  if (DirExists(folder)) OpenWithAssociatedProgram(folder);
}

// The findings go to a list (not a message box): long lists stay readable, and a
// double-click takes the writer to the topic.
void TfrmMain::btnCheckLinksClick() {
  std::vector<TLinkIssue> issues;
  RunExport(TranslateText("Checking links..."),
            [this, &issues](const TProgressCallback& progress) { issues = CheckLinks(Project(), progress); });
  if (issues.empty()) {
    FDialogs->ShowMessage(TMessageKind::Information, TranslateText("No link issues found."));
    return;
  }
  std::vector<TFindingRow> rows;
  for (const TLinkIssue& issue : issues) {
    const size_t colon = issue.Issue.find(": ");
    TFindingRow row{issue.TopicID, issue.TopicTitle, issue.Issue, ""};
    if (colon != std::string::npos) {
      row.kind = issue.Issue.substr(0, colon);
      row.detail = issue.Issue.substr(colon + 2);
    }
    rows.push_back(std::move(row));
  }
  const std::string summary = FormatText(TranslateText("Link issues found: %d"), {std::to_string(issues.size())}) +
                              "\n" + TranslateText("Double-click a line to open its topic.");
  FDialogs->ShowFindings(TranslateText("Check Links"), summary, rows,
                         [this](const std::string& id) { SelectTopicNode(id); });
}
