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

  // As in the window: a settings file that cannot be read leaves the defaults, and says so.
  const std::string settingsPath = TProjectSettings::DefaultSettingsPathForProject(project.RootPath());
  TProjectSettings loaded;
  std::string problem;
  try {
    if (FileExists(settingsPath) && !loaded.LoadFromFile(settingsPath)) problem = settingsPath;
  } catch (const EFolivaneError& e) {
    problem = e.what();
  }
  settings = problem.empty() ? loaded : TProjectSettings();
  if (!problem.empty() && warnings) {
    warnings->push_back(TranslateText("The project settings cannot be read; the defaults are used until the "
                                      "settings are confirmed again: ") +
                        problem);
  }
  if (!problem.empty()) settings.ProjTitle = project.Title();
  project.SetTitle(settings.ProjTitle);
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
