#include "uProjectOpen.h"

#include "uStorage.h"
#include "uTopicHtmlDefaults.h"
#include "uTranslation.h"
#include "uUtils.h"

void OpenProjectFile(const std::string& fileName, TDocProject& project, TProjectSettings& settings,
                     std::vector<std::string>* warnings) {
  const TProjectFileInfo info = ReadProjectFile(fileName);
  project.Clear();
  project.SetRootPath(IncludeTrailingDelimiter(info.folder));
  EnsureProjectFolders(project);
  InstallAppFiles(project);
  LoadProject(project.RootPath(), project);
  if (!info.title.empty()) project.SetTitle(info.title);

  settings = TProjectSettings();
  const std::string problem = ReadProjectSettings(project, settings);
  if (!problem.empty() && warnings) warnings->push_back(problem);
  project.SetTitle(settings.ProjTitle);
}

std::string ReadProjectSettings(const TDocProject& project, TProjectSettings& settings) {
  const std::string path = TProjectSettings::DefaultSettingsPathForProject(project.RootPath());
  TProjectSettings loaded = settings;
  std::string problem;
  try {
    if (FileExists(path) && !loaded.LoadFromFile(path)) problem = path;
  } catch (const std::exception& e) {
    problem = e.what();
  }
  if (problem.empty()) {
    settings = loaded;
    return "";
  }
  settings.ProjTitle = project.Title();
  return TranslateText(
             "The project settings cannot be read; the defaults are used until the settings are "
             "confirmed again: ") +
         problem;
}

std::string CreateProjectFile(const std::string& fileName, const std::string& title) {
  if (FileExists(fileName)) throw EFolivaneError("The project file already exists: " + fileName);
  const std::string folder = ProjectFolderForFile(fileName);
  if (FileExists(ProjectJsonPath(folder))) throw EFolivaneError("A project already exists in " + folder);

  TDocProject project;
  project.Clear();
  project.SetRootPath(IncludeTrailingDelimiter(folder));
  EnsureProjectFolders(project);
  InstallAppFiles(project);

  TProjectSettings settings;
  settings.SetNewProjectPdfDefaults();
  if (!title.empty()) {
    settings.ProjTitle = title;
    project.SetTitle(title);
  }
  settings.SaveToFile(TProjectSettings::DefaultSettingsPathForProject(project.RootPath()));

  const TTopic& welcome = project.AddTopic(TranslateText("Welcome"), "");
  WriteTextFileUtf8(welcome.HtmlPath(), DefaultEmptyParagraphHtml(settings));
  SaveProject(project);
  SaveProjectFile(fileName, project);
  return folder;
}
