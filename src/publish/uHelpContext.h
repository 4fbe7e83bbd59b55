// Context-sensitive help: the help IDs and aliases by which a program opens topics, the
// map its developers include, numbering topics, and the checks that keep the map sound.
#pragma once

#include <functional>
#include <string>
#include <vector>

#include "uDocModel.h"

// One topic a program can open: by number, by name, or both.
struct THelpContextEntry {
  int helpId = 0;     // 0: none
  std::string alias;  // "": none
  std::string topicId;
  std::string title;
  std::string page;  // the topic's page in a published site, "topics/<id>.html"
};

// Every topic with a help ID or alias, in tree order (topics outside the tree last, by
// identifier), leaving out those for which leftOut answers true.
std::vector<THelpContextEntry> HelpContextEntries(const TDocProject& project,
                                                  const std::function<bool(const TTopic&)>& leftOut = nullptr);

enum class THelpMapFormat { Json, C, Csv };

// "json", "c" or "csv"; false for anything else.
bool ParseHelpMapFormat(const std::string& name, THelpMapFormat& format);

// The map as developers read it: JSON for scripts, a C header of #define lines, CSV for
// spreadsheets. The C header holds only entries with an ID.
std::string HelpMapText(const std::vector<THelpContextEntry>& entries, THelpMapFormat format);

// The name each entry with an ID has in the C header and in a CHM's [ALIAS] section: its
// alias, or "IDH_<id>" (made unique against the aliases) when it has none.
std::vector<std::string> HelpMapSymbols(const std::vector<THelpContextEntry>& entries);

// Why the topic may not have this help ID or alias, or "" when it may. text is what the
// writer typed; an empty text removes the ID or alias and is always allowed. The ID is
// returned through id.
std::string HelpIdRefusal(const TDocProject& project, const std::string& topicId, const std::string& text, int& id);
std::string HelpAliasRefusal(const TDocProject& project, const std::string& topicId, const std::string& alias);
// The same for the form alone, without looking at other topics (while the writer types).
std::string HelpIdFormRefusal(const std::string& text);
std::string HelpAliasFormRefusal(const std::string& alias);

// "IDH_" and the title in capitals, words joined by "_" ("Print dialog" -> "IDH_PRINT_DIALOG").
std::string HelpAliasFromTitle(const std::string& title);

struct THelpNumbering {
  int start = 1000;
  int step = 10;
  bool deriveAliases = false;  // also give each topic without an alias one from its title
};

struct THelpNumberingResult {
  int numbered = 0;
  int aliased = 0;
};

// Gives every topic without a help ID the next free number, in tree order (topics
// outside the tree last), from start by step; numbers other topics hold are skipped.
// Topics left out of both WebHelp and CHM get none: no output opens them by ID.
// Raises, changing nothing, when the numbers would run past kMaxHelpId or the start or
// step is not positive.
THelpNumberingResult NumberHelpContexts(TDocProject& project, const THelpNumbering& numbering);

// A finding of the help-context check: duplicates, and IDs or aliases of topics an
// output leaves out (a program asking for them would get an error).
struct THelpContextIssue {
  const TTopic* topic;
  std::string text;
};
std::vector<THelpContextIssue> HelpContextIssues(const TDocProject& project);
