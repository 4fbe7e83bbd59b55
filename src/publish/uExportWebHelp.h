// WebHelp: the static web site form of a project (topic pages, table of contents and
// search index for the viewer, style sheet, assets) in build/webhelp.
#pragma once

#include <string>
#include <vector>

#include "uDocModel.h"
#include "uProjectSettings.h"
#include "uUtils.h"

// build/webhelp in the project folder.
std::string WebHelpOutputFolder(const TDocProject& project);

// Writes the pages, style.css, toc.json/toc.js, search.json/search.js, the viewer's
// prebuilt search index (search/), the keyword index (keywords.js) and the assets into
// outDir (created when missing). Nothing is deleted first but search parts no longer
// named. progress gets (topics done, topics to write) and may cancel between topics by
// throwing EAbort. Project files that lead outside the project through a symbolic link
// are left out, each adding a line to warnings when given; nothing is written outside
// outDir (raises).
void ExportWebHelp(const TDocProject& project, const std::string& outDir, const TProgressCallback& progress = nullptr,
                   std::vector<std::string>* warnings = nullptr);

// The table of contents and the search index as the export writes them (JSON text).
std::string BuildWebHelpTocJson(const TDocProject& project);

// Copies the viewer from the project's internal/webhelp into outDir (app.html becomes
// index.html, written last), fills the style placeholders of app.css from settings (when
// given) and puts the project title into index.html. A missing viewer file raises, naming
// it, and so does one that leads outside the project through a symbolic link.
void InstallWebHelpViewer(const TDocProject& project, const std::string& outDir, const TProjectSettings* settings);

// The whole publishing run after the window's flush: ExportWebHelp into build/webhelp,
// then the viewer. index.html is deleted first and written last, so it exists only
// beside a finished site; stale temporary files of writes cut short are deleted from
// the folder. Returns the full path of index.html. Opens nothing. warnings as for ExportWebHelp.
std::string PublishWebHelp(const TDocProject& project, const TProjectSettings* settings,
                           const TProgressCallback& progress = nullptr, std::vector<std::string>* warnings = nullptr);

// app.css with the three placeholders replaced by the settings' values.
std::string FillWebHelpCssPlaceholders(const std::string& css, const TProjectSettings& settings);
