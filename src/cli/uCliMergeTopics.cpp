// folivane-cli merge-topics BASE OURS THEIRS: the merge driver for meta/topics.json.
#include <iostream>

#include "uCliCommands.h"
#include "uTopicsMerge.h"

namespace {

// Git takes any exit code but 0 as "conflicts left in the file".
constexpr int kExitConflicts = 1;

std::string ReadVersion(const std::string& path) {
  if (!FileExists(path)) throw EFolivaneError("File not found: " + path);
  return ReadBinaryFile(path);
}

int RunMergeTopics(const std::vector<std::string>& args) {
  if (args.size() != 3) throw ECliUsage("expected the files BASE, OURS and THEIRS");
  for (const std::string& a : args) {
    if (StartsWith(a, "-")) throw ECliUsage("unknown option " + a);
  }
  const std::string base = ReadVersion(args[0]), ours = ReadVersion(args[1]), theirs = ReadVersion(args[2]);
  // Everything is read and merged before OURS is replaced: a file that cannot be read changes nothing.
  const TTopicsMergeResult merged = MergeTopicsJson({base, args[0]}, {ours, args[1]}, {theirs, args[2]});
  WriteTextFileUtf8(args[1], merged.text);
  for (const std::string& c : merged.conflicts) std::cerr << "conflict: " << c << "\n";
  return merged.conflicts.empty() ? kExitOk : kExitConflicts;
}

const TCliRegistrar registrar({"merge-topics",
                               "merge-topics BASE OURS THEIRS",
                               "Merges three versions of meta/topics.json by topic into OURS, as a git merge "
                               "driver: \"folivane-cli merge-topics %O %A %B\".",
                               RunMergeTopics,
                               {{kExitConflicts, "conflicts, kept in OURS and listed on stderr"}}});

}  // namespace
