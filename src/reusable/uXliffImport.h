// Makes a translated copy of a project from an XLIFF file: the same topic ids, tree,
// settings and assets, each text replaced by its translation, the markup rebuilt from the
// project's own pages. Importing again replaces the same copy.
#pragma once

#include <string>
#include <vector>

struct TXliffImportNote {
  std::string unitId;
  std::string message;
};

struct TXliffImportReport {
  std::string copyFile;                   // the translated project's .fvp
  std::string targetLang;                 // as the XLIFF file names it
  size_t translated = 0;                  // units whose translation was written
  std::vector<std::string> untranslated;  // units without a translation (or an empty one), or not in the file
  std::vector<std::string> changed;       // units whose source the project no longer has
  std::vector<TXliffImportNote> broken;   // units whose inline codes cannot be used
  std::vector<std::string> unknown;       // units the project has no place for
  std::vector<std::string> warnings;      // what opening the project warned of
};

// <project name>.<targetLang>.fvp beside the project file.
std::string DefaultTranslatedProjectFile(const std::string& projectFile, const std::string& targetLang);

// Reads the project file and the XLIFF file and writes the translated copy to intoFile (the
// default name when empty). Units left out (no translation, an edited source, damaged codes)
// keep the project's text and are listed in the report. Raises EFolivaneError, and leaves an
// existing copy as it was, for an XLIFF file that is not XLIFF 2, a copy that would replace
// the original or a folder that is not a project, and files that cannot be read or written.
TXliffImportReport ImportProjectXliff(const std::string& projectFile, const std::string& xliffFile,
                                      const std::string& intoFile = "");
