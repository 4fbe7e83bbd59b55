// folivane-cli check-links FILE.fvp
#include <iostream>

#include "uCliCommands.h"
#include "uLinkChecker.h"

namespace {

// Exit code when the check ran and found problems, so scripts can tell them from a failure.
constexpr int kExitIssuesFound = 3;

int RunCheckLinks(const std::vector<std::string>& args) {
  TDocProject project;
  TProjectSettings settings;
  OpenProjectArgument(args, project, settings);

  const std::vector<TLinkIssue> issues = CheckLinks(project, TerminalProgress("Checking links"));
  if (issues.empty()) {
    std::cout << "No link issues found.\n";
    return kExitOk;
  }
  std::string text;
  for (const TLinkIssue& issue : issues) text += FormatText("%s: %s", {issue.TopicTitle, issue.Issue}) + "\n";
  std::cout << text << std::flush;
  return kExitIssuesFound;
}

const TCliRegistrar registrar({"check-links",
                               "check-links FILE.fvp",
                               "Lists missing topic files, broken internal links, missing local files and "
                               "duplicate or excluded help IDs and aliases, "
                               "one \"title: issue\" line each.",
                               RunCheckLinks,
                               {{kExitIssuesFound, "the check ran and found link problems"}}});

}  // namespace
