// The Publish menu: WebHelp, CHM, PDF, the output folder and the link check.
#include <QApplication>

#include "uChmCompiler.h"
#include "uExportChm.h"
#include "uExportWebHelp.h"
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

// The hourglass for the length of a command, however it ends.
class TBusyCursor {
 public:
  TBusyCursor() {
    QApplication::setOverrideCursor(Qt::WaitCursor);
    QApplication::processEvents();
  }
  ~TBusyCursor() { QApplication::restoreOverrideCursor(); }
};

}  // namespace

std::string TfrmMain::OutputFolder() const { return PathJoin(FProject->RootPath(), "build"); }

void TfrmMain::RunExport(const std::string& caption, const std::function<void(const TProgressCallback&)>& work) {
  TProgressCallback progress = FDialogs->BeginProgress(caption);
  TBusyCursor busy;
  try {
    work(progress);
  } catch (...) {
    FDialogs->EndProgress();
    throw;
  }
  FDialogs->EndProgress();
}

void TfrmMain::btnExportWebClick() {
  FlushProjectToDisk();
  std::string index;
  RunExport(TranslateText("Publishing WebHelp..."), [this, &index](const TProgressCallback& progress) {
    index = PublishWebHelp(*FProject, FSettings.get(), progress);
  });
  ShowStatus("WebHelp exported: " + index);
  try {
    OpenWithAssociatedProgram(index);
  } catch (const std::exception&) {
  }
}

void TfrmMain::btnExportChmClick() {
  btnSaveClick();
  TChmQuestions questions(*FDialogs);
  TChmCommandResult result;
  RunExport(TranslateText("Publishing CHM..."), [this, &questions, &result](const TProgressCallback& progress) {
    result = RunChmCommand(*FProject, &questions, progress);
  });
  switch (result.outcome) {
    case TChmCommandResult::Done:
      ShowStatus(result.message);
      try {
        OpenWithAssociatedProgram(result.chmPath);
      } catch (const std::exception&) {
      }
      break;
    case TChmCommandResult::Cancelled:
      ShowStatus(result.message);
      break;
    case TChmCommandResult::Failed:
      FDialogs->ShowMessage(TMessageKind::Error, result.message);
      break;
  }
}

void TfrmMain::btnExportPdfClick() {}

void TfrmMain::OpenOutputFolder1Click() {
  const std::string folder = OutputFolder();
  if (DirExists(folder)) OpenWithAssociatedProgram(folder);
}

void TfrmMain::btnCheckLinksClick() {}
