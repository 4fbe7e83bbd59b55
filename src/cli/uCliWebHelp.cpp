// folivane-cli webhelp FILE.fvp
#include <iostream>

#include "uCliCommands.h"
#include "uExportWebHelp.h"

namespace {

int RunWebHelp(const std::vector<std::string>& args) {
  TDocProject project;
  TProjectSettings settings;
  OpenProjectArgument(args, project, settings);
  std::vector<std::string> skipped;
  const std::string index = PublishWebHelp(project, &settings, TerminalProgress("Exporting WebHelp"), &skipped);
  PrintWarnings(skipped);
  std::cout << "WebHelp exported: " << index << "\n";
  return kExitOk;
}

const TCliRegistrar registrar({"webhelp", "webhelp FILE.fvp",
                               "Publishes the project as WebHelp into its build/webhelp folder.", RunWebHelp});

}  // namespace
