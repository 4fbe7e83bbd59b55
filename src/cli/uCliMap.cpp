// folivane-cli map FILE.fvp [--format json|c|csv]
#include <iostream>

#include "uCliCommands.h"
#include "uHelpContext.h"

namespace {

int RunMap(const std::vector<std::string>& args) {
  THelpMapFormat format = THelpMapFormat::Json;
  std::vector<std::string> files;
  for (size_t i = 0; i < args.size(); ++i) {
    if (args[i] == "--format") {
      if (i + 1 >= args.size()) throw ECliUsage("--format needs json, c or csv");
      if (!ParseHelpMapFormat(args[++i], format)) throw ECliUsage("unknown format " + args[i]);
    } else {
      files.push_back(args[i]);
    }
  }
  TDocProject project;
  TProjectSettings settings;
  OpenProjectArgument(files, project, settings);
  std::cout << HelpMapText(HelpContextEntries(project), format) << std::flush;
  return kExitOk;
}

const TCliRegistrar registrar({"map", "map FILE.fvp [--format json|c|csv]",
                               "Prints the help context map: every topic with a help ID or alias (ID, alias, "
                               "topic ID, title, WebHelp page), as JSON (the default), a C header or CSV.",
                               RunMap});

}  // namespace
