#include "uCliCommands.h"

#include <unistd.h>

#include <cstdio>
#include <iostream>

#include "uProjectOpen.h"

namespace {

std::vector<TCliCommand>& Registry() {
  static std::vector<TCliCommand> commands;
  return commands;
}

}  // namespace

const std::vector<TCliExitCode> kSharedExitCodes = {
    {kExitOk, "success"},
    {kExitFailure, "failure (message on stderr)"},
    {kExitUsage, "wrong arguments"},
};

std::string ExitCodesHelp(const std::vector<TCliCommand>& commands) {
  std::string text = "Exit codes:\n";
  for (const TCliExitCode& e : kSharedExitCodes) text += "  " + std::to_string(e.code) + "  " + e.meaning + "\n";
  for (const TCliCommand& c : commands) {
    for (const TCliExitCode& e : c.exitCodes)
      text += "  " + std::to_string(e.code) + "  " + c.name + ": " + e.meaning + "\n";
  }
  return text;
}

TCliRegistrar::TCliRegistrar(TCliCommand command) { Registry().push_back(std::move(command)); }

const std::vector<TCliCommand>& CliCommands() { return Registry(); }

std::string ProjectFileArgument(const std::vector<std::string>& args) {
  if (args.size() != 1 || StartsWith(args[0], "-")) throw ECliUsage("expected one project file");
  return ExpandFileName(args[0]);
}

TProgressCallback TerminalProgress(const std::string& label) {
  if (!::isatty(STDERR_FILENO)) return nullptr;
  return [label](int done, int total) {
    std::fprintf(stderr, "\r%s: %d/%d", label.c_str(), done, total);
    if (done >= total) std::fprintf(stderr, "\r\033[K");
    std::fflush(stderr);
  };
}

void PrintWarnings(const std::vector<std::string>& warnings) {
  for (const std::string& w : warnings) std::cerr << "warning: " << w << "\n";
}

void OpenProjectArgument(const std::vector<std::string>& args, TDocProject& project, TProjectSettings& settings) {
  std::vector<std::string> warnings;
  OpenProjectFile(ProjectFileArgument(args), project, settings, &warnings);
  PrintWarnings(warnings);
}
