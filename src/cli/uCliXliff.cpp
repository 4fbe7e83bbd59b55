// folivane-cli xliff-export / xliff-import: the translation round trip through XLIFF 2.1.
#include <iostream>

#include "uCliCommands.h"
#include "uXliffExport.h"
#include "uXliffImport.h"

namespace {

// Exit code when the copy was made but some translations could not be used.
constexpr int kExitUnitsLeft = 3;

// The value after an option; ECliUsage when there is none.
std::string OptionValue(const std::vector<std::string>& args, size_t& i) {
  if (i + 1 >= args.size() || StartsWith(args[i + 1], "-")) throw ECliUsage(args[i] + " needs a value");
  return args[++i];
}

int RunXliffExport(const std::vector<std::string>& args) {
  std::string sourceLang;
  std::string targetLang;
  std::string out;
  std::vector<std::string> positional;
  for (size_t i = 0; i < args.size(); ++i) {
    if (args[i] == "--target-lang") targetLang = OptionValue(args, i);
    else if (args[i] == "--source-lang") sourceLang = OptionValue(args, i);
    else if (args[i] == "-o" || args[i] == "--output") out = OptionValue(args, i);
    else if (StartsWith(args[i], "-")) throw ECliUsage("unknown option " + args[i]);
    else positional.push_back(args[i]);
  }
  if (targetLang.empty()) throw ECliUsage("--target-lang is required");
  const std::string projectFile = ProjectFileArgument(positional);
  TDocProject project;
  TProjectSettings settings;
  OpenProjectArgument(positional, project, settings);
  const std::string path = out.empty() ? DefaultXliffPath(project, projectFile, targetLang) : ExpandFileName(out);
  if (sourceLang.empty()) sourceLang = ProjectSourceLanguage(settings);
  const size_t units = ExportProjectXliff(project, settings, projectFile, sourceLang, targetLang, path);
  std::cout << path << ": " << units << " units\n" << std::flush;
  return kExitOk;
}

void PrintUnits(const char* heading, const std::vector<std::string>& units) {
  if (units.empty()) return;
  std::cout << heading << ":\n";
  for (const std::string& id : units) std::cout << "  " << id << "\n";
}

int RunXliffImport(const std::vector<std::string>& args) {
  std::string into;
  std::vector<std::string> positional;
  for (size_t i = 0; i < args.size(); ++i) {
    if (args[i] == "--into") into = OptionValue(args, i);
    else if (StartsWith(args[i], "-")) throw ECliUsage("unknown option " + args[i]);
    else positional.push_back(args[i]);
  }
  if (positional.size() != 2) throw ECliUsage("expected a project file and an XLIFF file");
  const TXliffImportReport report = ImportProjectXliff(ExpandFileName(positional[0]), ExpandFileName(positional[1]),
                                                       into.empty() ? "" : ExpandFileName(into));
  PrintWarnings(report.warnings);
  std::cout << report.copyFile << ": " << report.translated << " units translated\n";
  PrintUnits("Without translation (the source is kept)", report.untranslated);
  PrintUnits("Changed in the project since the export (left as the project has it)", report.changed);
  PrintUnits("Not in the project", report.unknown);
  if (!report.broken.empty()) {
    std::cout << "Inline codes that cannot be used (the source is kept):\n";
    for (const TXliffImportNote& note : report.broken) std::cout << "  " << note.unitId << ": " << note.message << "\n";
  }
  std::cout << std::flush;
  return report.changed.empty() && report.broken.empty() && report.unknown.empty() ? kExitOk : kExitUnitsLeft;
}

const TCliRegistrar exportRegistrar(
    {"xliff-export", "xliff-export FILE.fvp --target-lang LANG [--source-lang LANG] [-o FILE.xlf]",
     "Writes the project's texts (topic titles, pages, headers, keywords, index entries, variables, snippets, "
     "the project title and the footer) as an XLIFF 2.1 file for translators, markup as inline codes; by "
     "default build/xliff/NAME.LANG.xlf in the project folder. The source language is the project's spelling "
     "language, or en when it has none, unless given.",
     RunXliffExport});

const TCliRegistrar importRegistrar(
    {"xliff-import",
     "xliff-import FILE.fvp FILE.xlf [--into TRANSLATED.fvp]",
     "Makes a translated copy of the project from an XLIFF file (by default NAME.LANG.fvp beside the project, "
     "replaced when it exists): the same topics, settings and assets with the translated texts. Lists the units "
     "without translation, edited in the project since the export, or with damaged inline codes; those keep the "
     "project's text.",
     RunXliffImport,
     {{kExitUnitsLeft, "the copy was made, but some translations were left out"}}});

}  // namespace
