// folivane-cli chm FILE.fvp: exports the project as CHM and compiles it.
#include <iostream>

#include "uCliCommands.h"
#include "uExportChm.h"

namespace {

int RunChm(const std::vector<std::string>& args) {
  TDocProject project;
  TProjectSettings settings;
  OpenProjectArgument(args, project, settings);
  // No questions here: a missing compiler is an error that says how to get one.
  std::vector<std::string> skipped;
  const std::string chm = ExportChm(project, nullptr, TerminalProgress("Exporting CHM"), &skipped);
  PrintWarnings(skipped);
  std::cout << "CHM exported: " << chm << "\n";
  return kExitOk;
}

const TCliRegistrar registrar({"chm", "chm FILE.fvp",
                               "Exports the project as an HTML Help project in build/chm and compiles help.chm "
                               "with chmcmd (or the compiler stored in settings.ini).",
                               RunChm});

}  // namespace
