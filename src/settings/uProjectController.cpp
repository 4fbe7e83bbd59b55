#include "uProjectController.h"

#include <vector>

#include "uProjectOpen.h"
#include "uStorage.h"
#include "uTopicHtmlDefaults.h"
#include "uTranslation.h"
#include "uUtils.h"

namespace {

std::string SettingsPath(const TDocProject& project) {
  return TProjectSettings::DefaultSettingsPathForProject(project.RootPath());
}

bool SameFolder(const std::string& a, const std::string& b) {
  // Exact comparison: on Linux two names that differ in letter case are two folders.
  return ExcludeTrailingDelimiter(a) == ExcludeTrailingDelimiter(b);
}

}  // namespace

TProjectController::TProjectController() : FProject(std::make_unique<TDocProject>()) {}

void TProjectController::DiscardChanges() {
  FUnsavedTopicHtml.clear();
  FDirty = false;
}

void TProjectController::FlushPendingTexts() {
  for (auto it = FUnsavedTopicHtml.begin(); it != FUnsavedTopicHtml.end();) {
    const std::string path = TopicFilePath(*FProject, it->first);
    EnsureDir(ExtractFileDir(path));
    WriteTextFileUtf8(path, it->second);
    it = FUnsavedTopicHtml.erase(it);
  }
}

void TProjectController::Adopt(std::unique_ptr<TDocProject> project, const std::string& fileName) {
  DiscardChanges();
  FProject = std::move(project);
  FFileName = fileName;
}

std::string TProjectController::Open(const std::string& fileName) {
  auto loaded = std::make_unique<TDocProject>();
  TProjectSettings settings;
  std::vector<std::string> warnings;
  try {
    OpenProjectFile(fileName, *loaded, settings, &warnings);
  } catch (const EFolivaneError& e) {
    const std::string message = e.what();
    if (message.find(fileName) != std::string::npos) throw;
    throw EFolivaneError(message + " (" + fileName + ")");
  }
  const bool settingsMissing = !FileExists(SettingsPath(*loaded));
  Adopt(std::move(loaded), fileName);
  FSettings = settings;
  if (settingsMissing) WriteSettingsIfPossible();
  return warnings.empty() ? std::string() : warnings.front();
}

void TProjectController::AdoptFolder(const std::string& folder) {
  auto loaded = std::make_unique<TDocProject>();
  loaded->SetRootPath(IncludeTrailingDelimiter(folder));
  try {
    EnsureProjectFolders(*loaded);
    InstallAppFiles(*loaded);
    LoadProject(loaded->RootPath(), *loaded);
  } catch (const std::exception&) {
    loaded->Clear();
  }
  Adopt(std::move(loaded), "");
}

void TProjectController::StartNew(const std::string& folder) {
  auto fresh = std::make_unique<TDocProject>();
  fresh->Clear();  // untitled, default style profile
  fresh->SetRootPath(IncludeTrailingDelimiter(folder));
  fresh->AddTopic(TranslateText("Welcome"), "");
  Adopt(std::move(fresh), "");
  FSettings.SetDefaults();
  FSettings.SetNewProjectPdfDefaults();
  // The project is complete in memory before the disk is touched: a folder that cannot be
  // prepared is reported, and Save As can still put the project elsewhere.
  EnsureProjectFolders(*FProject);
  InstallAppFiles(*FProject);
  WriteSettingsIfPossible();
}

std::string TProjectController::ReloadSettings() {
  if (!FileExists(SettingsPath(*FProject))) {
    FSettings.SetDefaults();
    WriteSettingsIfPossible();
    return "";
  }
  // Read into fresh defaults: keys a file lacks must not keep the previous project's values.
  TProjectSettings loaded;
  const std::string problem = ReadProjectSettings(*FProject, loaded);
  FSettings = loaded;
  return problem;
}

void TProjectController::SaveSettings() {
  const std::string path = SettingsPath(*FProject);
  EnsureDir(ExtractFileDir(path));
  FSettings.SaveToFile(path);
}

void TProjectController::WriteSettingsIfPossible() {
  try {
    SaveSettings();
  } catch (const std::exception&) {
    // The settings are in memory; the file is written again by the next settings change.
  }
}

bool TProjectController::EnsureFirstTopic() {
  if (!FProject->RootTopicIDs().empty()) return false;
  const TTopic& welcome = FProject->AddTopic(TranslateText("Welcome"), "");
  WriteTextFileUtf8(TopicFilePath(*FProject, welcome.ID()), DefaultEmptyParagraphHtml(FSettings));
  SaveProject(*FProject);
  return true;
}

std::string TProjectController::ProposedFileName() const {
  const std::string title = Trim(FProject->Title()).empty() ? Trim(FSettings.ProjTitle) : Trim(FProject->Title());
  return (title.empty() ? std::string("Untitled") : SafeFileName(title)) + ".fvp";
}

bool TProjectController::Save() {
  if (Trim(FFileName).empty()) throw EFolivaneError("The project has no file yet; use Save As.");
  FlushPendingTexts();
  SaveProject(*FProject);
  const bool moved = SaveProjectFile(FFileName, *FProject);
  FDirty = false;
  return moved;
}

bool TProjectController::SaveAs(const std::string& fileName) {
  const std::string newFolder = IncludeTrailingDelimiter(ProjectFolderForFile(fileName));
  const bool moved = !SameFolder(FProject->RootPath(), newFolder);
  if (moved) {
    CopyProjectFolder(ExcludeTrailingDelimiter(FProject->RootPath()), ExcludeTrailingDelimiter(newFolder));
    FProject->SetRootPath(newFolder);
    EnsureProjectFolders(*FProject);
    InstallAppFiles(*FProject);
  }
  FFileName = fileName;
  FlushPendingTexts();
  SaveProject(*FProject);
  SaveProjectFile(fileName, *FProject);
  FDirty = false;
  return moved;
}
