// The Publish menu: WebHelp, CHM, PDF, the output folder and the link check.
#include <QApplication>

#include "uMain.h"
#include "uPlatform.h"
#include "uQtText.h"
#include "uStorage.h"
#include "uUserDialogs.h"

std::string TfrmMain::OutputFolder() const { return PathJoin(FProject->RootPath(), "build"); }

void TfrmMain::RunExport(const std::string& caption, const std::function<void(const TProgressCallback&)>& work) {
  TProgressCallback progress = FDialogs->BeginProgress(caption);
  QApplication::setOverrideCursor(Qt::WaitCursor);
  try {
    work(progress);
  } catch (...) {
    QApplication::restoreOverrideCursor();
    FDialogs->EndProgress();
    throw;
  }
  QApplication::restoreOverrideCursor();
  FDialogs->EndProgress();
}

void TfrmMain::btnExportWebClick() { FlushProjectToDisk(); }

void TfrmMain::btnExportChmClick() {}

void TfrmMain::btnExportPdfClick() {}

void TfrmMain::OpenOutputFolder1Click() {
  const std::string folder = OutputFolder();
  EnsureDir(folder);
  OpenWithAssociatedProgram(folder);
}

void TfrmMain::btnCheckLinksClick() {}
