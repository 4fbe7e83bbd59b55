// Opening and creating a project without a window: what the CLI and every
// publishing command start from.
#pragma once

#include <string>
#include <vector>

#include "uDocModel.h"
#include "uProjectSettings.h"

// Reads the project file, ensures the folders, installs the application files, loads
// the structure and the settings (defaults in memory when the file is missing). The
// project title becomes the settings' ProjTitle, as the window shows it. Adds no topic.
// A damaged project file or structure file raises EFolivaneError naming it; a settings
// file that cannot be read leaves the defaults and adds a line to warnings.
void OpenProjectFile(const std::string& fileName, TDocProject& project, TProjectSettings& settings,
                     std::vector<std::string>* warnings = nullptr);

// Reads the settings file of an opened project into settings, which hold the defaults:
// a file that cannot be read leaves them, titled as the project, and returns the
// message to show; a missing file leaves them as they are. "" when nothing is wrong.
std::string ReadProjectSettings(const TDocProject& project, TProjectSettings& settings);

// Creates a project as New Project followed by Save As: the folder named after the
// file, its standard folders and application files, a new project's settings (title set when
// given), one root topic "Welcome" with an empty paragraph, the structure and the
// project file. Returns the project folder.
std::string CreateProjectFile(const std::string& fileName, const std::string& title);
