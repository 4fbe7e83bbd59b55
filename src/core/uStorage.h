// The project folder on disk: structure files, project file, paths and application files.
#pragma once

#include <functional>
#include <string>
#include <vector>

#include "uDocModel.h"

std::string ProjectJsonPath(const std::string& folder);
std::string TopicsJsonPath(const std::string& folder);
// The topic's page: TopicPagePath of the model.
std::string TopicFilePath(const std::string& projectRoot, const std::string& id);
std::string TopicFilePath(const TDocProject& project, const std::string& id);
// meta/header_<id>.html, or meta/header_default.html for an empty id.
std::string HeaderHtmlPath(const std::string& projectRoot, const std::string& id);
std::string HeaderHtmlPath(const TDocProject& project, const std::string& id);
// meta/headerbg_<id>.txt, or meta/headerbg_default.txt for an empty id.
std::string HeaderBgPath(const std::string& projectRoot, const std::string& id);
std::string HeaderBgPath(const TDocProject& project, const std::string& id);
std::string EditorPagePath(const TDocProject& project);

// Writes project.json and meta/topics.json into the project's RootPath.
void SaveProject(const TDocProject& project);
// Clears the project and fills it from the structure files of folder; missing files leave
// the defaults. A file that is not JSON, values of the wrong kind and duplicate topic IDs
// raise EFolivaneError naming the file, and the files stay as they are.
void LoadProject(const std::string& folder, TDocProject& project);

struct TProjectFileInfo {
  std::string folder;  // no trailing delimiter
  std::string title;
};
// The folder a project file names: the folder beside it that bears its name.
std::string ProjectFolderForFile(const std::string& fileName);
// Writes the project file (with a byte-order mark) and the structure into the folder
// named after it. When the project lives in another folder, that folder is first copied
// there and the project moves to it (RootPath changes); returns true in that case.
bool SaveProjectFile(const std::string& fileName, TDocProject& project);
TProjectFileInfo ReadProjectFile(const std::string& fileName);
// Creates the project folder and its standard sub-folders.
void EnsureProjectFolders(const TDocProject& project);
// Copies the application's editor page, viewer template and default profile into the project.
void InstallAppFiles(const TDocProject& project);
// Copies a project folder for Save As: everything but the top-level build folder, *.fvp
// files and links that lead outside the source folder.
void CopyProjectFolder(const std::string& source, const std::string& destination);

// The header band of a published page, after the project default and the topic's own files.
struct TPublishHeader {
  std::string html;
  std::string background;
};
// mayRead, when given, may refuse a file (one that leads outside the project): it then counts as missing.
TPublishHeader ResolvePublishHeader(const std::string& projectRoot, const std::string& topicID,
                                    const std::function<bool(const std::string&)>& mayRead = nullptr);
