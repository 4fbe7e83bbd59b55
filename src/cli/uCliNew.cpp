// folivane-cli new FILE.fvp [--title TEXT]
#include <iostream>

#include "uCliCommands.h"
#include "uProjectOpen.h"

namespace {

int RunNew(const std::vector<std::string>& args) {
  std::string file;
  std::string title;
  for (size_t i = 0; i < args.size(); ++i) {
    if (args[i] == "--title") {
      if (i + 1 >= args.size()) throw ECliUsage("--title needs a text");
      title = args[++i];
    } else if (StartsWith(args[i], "-")) {
      throw ECliUsage("unknown option " + args[i]);
    } else if (file.empty()) {
      file = args[i];
    } else {
      throw ECliUsage("expected one project file");
    }
  }
  if (file.empty()) throw ECliUsage("expected a project file");
  const std::string path = ExpandFileName(Trim(file));
  if (!SameTextAscii(ExtractFileExt(path), ".fvp")) throw EFolivaneError("Invalid project filename: " + path);
  std::cout << CreateProjectFile(path, title) << "\n";
  return kExitOk;
}

const TCliRegistrar registrar({"new", "new FILE.fvp [--title TEXT]",
                               "Creates a project: FILE.fvp and the project folder beside it, with one topic.",
                               RunNew});

}  // namespace
