// The Tools menu: project settings and the reusable content dialog.
#include "uMain.h"
#include "uQtText.h"
#include "uUserDialogs.h"

void TfrmMain::btnProjectSettingsClick() {
  if (!FDialogs->EditProjectSettings(*FSettings, FProject->RootPath())) return;
  const std::string path = TProjectSettings::DefaultSettingsPathForProject(FProject->RootPath());
  EnsureDir(ExtractFileDir(path));
  FSettings->SaveToFile(path);
  ApplySettingsToUi();
  ApplySettingsChangeToEditor();
  MarkProjectDirty();
}
