// folivane-cli: publishes and checks help projects from scripts and CI pipelines.
#include <algorithm>
#include <iostream>

#include "uCliCommands.h"
#include "uUtils.h"

namespace {

void PrintHelp(std::ostream& out) {
  out << "Usage: folivane-cli COMMAND [ARGUMENTS]\n\n"
         "Commands:\n";
  std::vector<TCliCommand> commands = CliCommands();
  std::sort(commands.begin(), commands.end(), [](const auto& a, const auto& b) { return a.name < b.name; });
  for (const TCliCommand& c : commands) {
    out << "  " << c.usage << "\n      " << c.summary << "\n";
  }
  out << "\n  folivane-cli --help      this text\n"
         "  folivane-cli --version   the program's version\n"
         "\n"
      << ExitCodesHelp(commands);
}

const TCliCommand* FindCommand(const std::string& name) {
  for (const TCliCommand& c : CliCommands()) {
    if (c.name == name) return &c;
  }
  return nullptr;
}

}  // namespace

int main(int argc, char** argv) {
  std::vector<std::string> args(argv + 1, argv + argc);
  if (args.empty()) {
    PrintHelp(std::cerr);
    return kExitUsage;
  }
  if (args[0] == "--help" || args[0] == "-h" || args[0] == "help") {
    PrintHelp(std::cout);
    return kExitOk;
  }
  if (args[0] == "--version") {
    std::cout << "folivane-cli " << FOLIVANE_VERSION << "\n";
    return kExitOk;
  }
  const TCliCommand* command = FindCommand(args[0]);
  if (!command) {
    std::cerr << "error: unknown command '" << args[0] << "' (see folivane-cli --help)\n";
    return kExitUsage;
  }
  const std::vector<std::string> rest(args.begin() + 1, args.end());
  if (std::find(rest.begin(), rest.end(), "--help") != rest.end()) {
    std::cout << "Usage: folivane-cli " << command->usage << "\n"
              << command->summary << "\n\n"
              << ExitCodesHelp({*command});
    return kExitOk;
  }
  try {
    return command->run(rest);
  } catch (const ECliUsage& e) {
    std::cerr << "error: " << e.what() << "\nUsage: folivane-cli " << command->usage << "\n";
    return kExitUsage;
  } catch (const EAbort&) {
    std::cerr << "error: cancelled\n";
    return kExitFailure;
  } catch (const std::exception& e) {
    std::cerr << "error: " << e.what() << "\n";
    return kExitFailure;
  }
}
