// The Publish menu: WebHelp, CHM, PDF, the output folder and the link check.
#include <QApplication>

#include "uChmCompiler.h"
#include "uExportChm.h"
#include "uExportPdf.h"
#include "uExportWebHelp.h"
#include "uLinkChecker.h"
#include "uMain.h"
#include "uPlatform.h"
#include "uQtText.h"
#include "uStorage.h"
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

std::string TfrmMain::OutputFolder() const { return PathJoin(Project().RootPath(), "build"); }

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

void TfrmMain::btnExportWebClick() {
  if (!SavedForPublishing()) return;
  FlushProjectToDisk();
  std::string index;
  std::vector<std::string> leftOut;
  RunExport(TranslateText("Publishing WebHelp..."), [this, &index, &leftOut](const TProgressCallback& progress) {
    index = PublishWebHelp(Project(), &Settings(), progress, &leftOut);
  });
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
  TChmQuestions questions(*FDialogs);
  TChmCommandResult result;
  RunExport(TranslateText("Publishing CHM..."), [this, &questions, &result](const TProgressCallback& progress) {
    result = RunChmCommand(Project(), &questions, progress);
  });
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
  // The export creates the folder, once it has made sure that no link takes it elsewhere.
  const std::string out = PathJoin(Project().RootPath(), "build/pdf");
  std::vector<std::string> leftOut;
  std::string pdf;
  // The export opens the PDF it printed.
  RunExport(TranslateText("Publishing PDF..."), [this, &out, &leftOut, &pdf](const TProgressCallback& progress) {
    TPdfExportOptions options;
    options.OpenPdf = true;
    options.Progress = progress;
    options.Warnings = &leftOut;
    pdf = ExportPdf(Project(), out, options);
  });
  ShowStatus(TranslateText("PDF exported: ") + pdf);
  ReportLeftOut(*FDialogs, leftOut);
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
