// The commands of folivane-cli. Each command file registers itself with a static
// TCliRegistrar, so adding a command touches no other file.
#pragma once

#include <functional>
#include <optional>
#include <stdexcept>
#include <string>
#include <vector>

#include "uBuildProfile.h"
#include "uDocModel.h"
#include "uProjectSettings.h"
#include "uUtils.h"

// An exit code and what it tells a script ("link problems found").
struct TCliExitCode {
  int code;
  std::string meaning;
};

struct TCliCommand {
  std::string name;
  std::string usage;    // "new FILE.fvp [--title TEXT]"
  std::string summary;  // one line for --help
  // Gets the arguments after the command name; returns the exit code.
  std::function<int(const std::vector<std::string>& args)> run;
  // The codes run may return beyond the shared ones (kSharedExitCodes); --help lists them.
  std::vector<TCliExitCode> exitCodes = {};
};

struct TCliRegistrar {
  explicit TCliRegistrar(TCliCommand command);
};

const std::vector<TCliCommand>& CliCommands();

// Wrong arguments: exit code 2 with the command's usage.
class ECliUsage : public std::runtime_error {
 public:
  explicit ECliUsage(const std::string& message) : std::runtime_error(message) {}
};

// Exit codes shared by all commands.
constexpr int kExitOk = 0;
constexpr int kExitFailure = 1;
constexpr int kExitUsage = 2;
extern const std::vector<TCliExitCode> kSharedExitCodes;

// The exit codes part of --help: the shared codes, then each command's own, one a line.
std::string ExitCodesHelp(const std::vector<TCliCommand>& commands);

// The one positional argument FILE.fvp of a publishing command, made absolute.
std::string ProjectFileArgument(const std::vector<std::string>& args);
// A progress line on a terminal ("Exporting WebHelp: 12/40"); does nothing when stderr is redirected.
TProgressCallback TerminalProgress(const std::string& label);
// Prints the warnings of opening a project to stderr.
void PrintWarnings(const std::vector<std::string>& warnings);
// Opens the project the publishing command's FILE.fvp argument names and prints what
// opening it warns of. Raises ECliUsage for wrong arguments, EFolivaneError for a project
// that cannot be read.
void OpenProjectArgument(const std::vector<std::string>& args, TDocProject& project, TProjectSettings& settings);

// --profile NAME and --all-profiles, which the publishing commands and check share.
struct TProfileChoice {
  std::string name;  // "" with all false: the project as it is
  bool all = false;
};
// Takes the two options out of args; raises ECliUsage when both are given or a name is missing.
TProfileChoice TakeProfileOptions(std::vector<std::string>& args);
// The profiles the choice names, read from the project: one null entry for the project
// as it is. Raises EFolivaneError for an unknown name or when --all-profiles finds none.
std::vector<std::optional<TBuildProfile>> ChosenProfiles(const TDocProject& project, const TProfileChoice& choice);

// A publishing command: the formats given (each profile's own outputs when formats is
// empty) for the project as it is or for each chosen profile, one line per output, and
// with profiles a summary. A failing profile does not stop the others; it makes the exit
// code 1.
int RunPublishing(std::vector<std::string> args, const std::vector<TOutputFormat>& formats);
