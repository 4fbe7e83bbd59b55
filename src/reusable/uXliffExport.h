// Writes the translatable texts of a project as an XLIFF 2.1 file for translators: one
// file element for the project, one unit for each piece with its inline codes.
#pragma once

#include <string>

#include "uDocModel.h"
#include "uProjectSettings.h"
#include "uXliffFile.h"

// The document for an opened project: units without targets. original names the project
// file in the document.
TXliffDocument ProjectXliffDocument(const TDocProject& project, const TProjectSettings& settings,
                                    const std::string& original, const std::string& sourceLang,
                                    const std::string& targetLang);

// The language the project is written in, as far as it tells: its spelling language
// ("de-DE", "pt_BR" as "pt-BR"), else "en".
std::string ProjectSourceLanguage(const TProjectSettings& settings);

// build/xliff/<project name>.<targetLang>.xlf in the project's folder.
std::string DefaultXliffPath(const TDocProject& project, const std::string& projectFile, const std::string& targetLang);

// Writes the XLIFF file of an opened project to outPath (replaced whole; its folder made)
// and returns the number of units. Raises EFolivaneError for a language that is not a
// language tag, a reusable-content file that is not JSON, and files that cannot be read or
// written.
size_t ExportProjectXliff(const TDocProject& project, const TProjectSettings& settings, const std::string& projectFile,
                          const std::string& sourceLang, const std::string& targetLang, const std::string& outPath);
