// The Tools menu: project settings.
#include "uMain.h"
#include "uQtText.h"
#include "uStorage.h"
#include "uUserDialogs.h"

void TfrmMain::btnProjectSettingsClick() {
  if (!FSettings || !FDialogs->EditProjectSettings(*FSettings, FProject->RootPath())) return;
  SaveConfirmedSettings();
  ApplySettingsToUi();
  ApplySettingsChangeToEditor();
  ApplySpellCheck();
  ApplyHeaderBgToAllTopics(ColorToHtml(FSettings->DefaultHeaderBgColor));
  MarkProjectDirty();
}

void TfrmMain::SaveConfirmedSettings() {
  try {
    const std::string path = TProjectSettings::DefaultSettingsPathForProject(FProject->RootPath());
    EnsureDir(ExtractFileDir(path));
    FSettings->SaveToFile(path);
  } catch (const std::exception& e) {
    // Save Project does not write the settings, so a silent failure would lose them.
    ShowErrorBox(*FDialogs, TranslateText("Failed to save project settings: ") + e.what());
  }
}

void TfrmMain::ApplyHeaderBgToAllTopics(const std::string& color) {
  if (!FProject || FProject->RootPath().empty()) return;
  const std::string meta = PathJoin(FProject->RootPath(), "meta");
  if (!DirExists(meta)) return;
  const std::string defaultFile = HeaderBgPath(*FProject, "");
  std::vector<std::string> files{defaultFile};
  for (const std::string& file : ListFiles(meta)) {
    const std::string name = ExtractFileName(file);
    if (file != defaultFile && StartsWith(name, "headerbg_") && EndsWith(name, ".txt")) files.push_back(file);
  }
  for (const std::string& file : files) {
    try {
      WriteTextFileUtf8(file, color);
    } catch (const std::exception&) {
      // One unwritable file keeps its colour; the others still change.
    }
  }
}

