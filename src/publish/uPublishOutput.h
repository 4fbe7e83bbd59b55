// One output of a project prepared for a build (as it is, or as a profile wants it):
// the same call for the CLI and the window, so both publish a profile alike.
#pragma once

#include <string>
#include <vector>

#include "uBuildProfile.h"
#include "uChmCompiler.h"
#include "uDocModel.h"
#include "uProjectSettings.h"
#include "uUtils.h"

struct TOutputRun {
  TProgressCallback Progress;                     // may cancel by throwing EAbort
  IChmCompilerQuestions* ChmQuestions = nullptr;  // nullptr: a missing compiler is an error
  std::vector<std::string>* Warnings = nullptr;   // gets a line for each project file left out
};

// Publishes format into BuildFolder(project)/<format>; returns the file a reader opens
// (index.html, help.chm, manual.pdf). Opens nothing. Errors pass to the caller.
std::string PublishOutput(TOutputFormat format, const TDocProject& project, const TProjectSettings& settings,
                          const TOutputRun& run);

// Opens the project file afresh and prepares it for a build of profile (nullptr: the
// project as it is, its topic conditions applied): see ApplyBuildProfile. settings get the
// profile's PDF keys. Opening errors raise as OpenProjectFile's do.
void OpenProjectForBuild(const std::string& projectFile, const TBuildProfile* profile, TDocProject& project,
                         TProjectSettings& settings, std::vector<std::string>* warnings = nullptr);
