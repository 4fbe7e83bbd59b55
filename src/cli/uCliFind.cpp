// folivane-cli find PROJECT PATTERN [options]
// folivane-cli replace PROJECT PATTERN REPLACEMENT [options] [--dry-run]
#include <iostream>

#include "uCliCommands.h"
#include "uProjectSearch.h"
#include "uStorage.h"

namespace {

constexpr int kExitNothingFound = 3;

struct TFindArguments {
  std::vector<std::string> positional;
  TProjectSearch search;
  bool dryRun = false;
};

TFindArguments ParseFindArguments(const std::vector<std::string>& args, bool replacing) {
  TFindArguments parsed;
  for (size_t i = 0; i < args.size(); ++i) {
    const std::string& a = args[i];
    if (a == "--regex") parsed.search.query.regex = true;
    else if (a == "--case") parsed.search.query.matchCase = true;
    else if (a == "--word") parsed.search.query.wholeWord = true;
    else if (a == "--dry-run" && replacing) parsed.dryRun = true;
    else if (a == "--in") {
      if (i + 1 >= args.size() || !ParseSearchFields(args[i + 1], parsed.search.fields)) {
        throw ECliUsage("--in needs a list of titles, bodies, headers, keywords");
      }
      ++i;
    } else if (a.size() > 1 && a[0] == '-' && a[1] == '-') {
      throw ECliUsage("unknown option " + a);
    } else {
      parsed.positional.push_back(a);
    }
  }
  const size_t wanted = replacing ? 3 : 2;
  if (parsed.positional.size() != wanted) {
    throw ECliUsage(replacing ? "expected a project file, a pattern and a replacement"
                              : "expected a project file and a pattern");
  }
  parsed.search.query.pattern = parsed.positional[1];
  if (replacing) parsed.search.replacement = parsed.positional[2];
  return parsed;
}

void OpenProject(const TFindArguments& parsed, TDocProject& project) {
  TProjectSettings settings;
  OpenProjectArgument({parsed.positional[0]}, project, settings);
}

int RunFind(const std::vector<std::string>& args) {
  const TFindArguments parsed = ParseFindArguments(args, false);
  TDocProject project;
  OpenProject(parsed, project);
  const std::vector<TTopicMatches> found = FindInProject(project, parsed.search);
  std::string text;
  for (const TTopicMatches& topic : found) {
    for (const TFieldMatch& m : topic.matches) text += topic.title + ": " + m.context + "\n";
  }
  std::cout << text << std::flush;
  return found.empty() ? kExitNothingFound : kExitOk;
}

// The context line with the replacement in place of the match.
std::string ReplacedContext(const TFieldMatch& m) {
  std::string line = m.context;
  return line.replace(m.contextStart, m.matched.size(), m.match.replacement);
}

int RunReplace(const std::vector<std::string>& args) {
  const TFindArguments parsed = ParseFindArguments(args, true);
  TDocProject project;
  OpenProject(parsed, project);
  const std::vector<TTopicMatches> found = FindInProject(project, parsed.search);
  const std::vector<TTopicChange> changes = PlanReplacement(project, found);
  std::string text;
  int count = 0;
  for (const TTopicMatches& topic : found) {
    for (const TFieldMatch& m : topic.matches)
      text += topic.title + ": " + m.context + " -> " + ReplacedContext(m) + "\n";
  }
  for (const TTopicChange& change : changes) count += change.count;
  if (!parsed.dryRun && !changes.empty()) {
    ApplyTopicChanges(project, changes, true);
    if (ChangesTopicList(changes)) SaveProject(project);  // pages alone leave the topic list as it is
  }
  text += FormatText(parsed.dryRun ? "Would replace %s matches in %s topics.\n" : "Replaced %s matches in %s topics.\n",
                     {std::to_string(count), std::to_string(changes.size())});
  std::cout << text << std::flush;
  return changes.empty() ? kExitNothingFound : kExitOk;
}

const char kOptions[] = "[--regex] [--case] [--word] [--in titles,bodies,headers,keywords]";

const TCliRegistrar findRegistrar({"find",
                                   std::string("find FILE.fvp PATTERN ") + kOptions,
                                   "Finds text in the topics as readers see it (never in tags or attributes); "
                                   "prints \"title: context\" lines.",
                                   RunFind,
                                   {{kExitNothingFound, "nothing was found"}}});

const TCliRegistrar replaceRegistrar({"replace",
                                      std::string("replace FILE.fvp PATTERN REPLACEMENT ") + kOptions + " [--dry-run]",
                                      "Replaces text in the topics, keeping their markup; $1 and ${name} name "
                                      "groups of a --regex pattern. Prints each change and the count.",
                                      RunReplace,
                                      {{kExitNothingFound, "nothing was found"}}});

}  // namespace
