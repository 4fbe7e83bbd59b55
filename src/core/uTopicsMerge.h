// A three-way merge of meta/topics.json by topic, for a project kept in git: each
// side's additions, removals, moves, renames and property changes are applied to the
// common base, so two branches that both touch the tree need no hand-editing of JSON.
#pragma once

#include <string>
#include <string_view>
#include <vector>

// One version of the file and the name its errors give it (a path, "base").
struct TTopicsVersion {
  std::string_view text;
  std::string name;
};

struct TTopicsMergeResult {
  std::string text;                    // the merged file, as the program writes it
  std::vector<std::string> conflicts;  // one line each; empty when the merge is clean
};

// Merges what ours and theirs changed since base. A real conflict keeps both sides where
// a topic can (two new titles become "ours | theirs"; a topic one side deleted and the
// other changed stays, as changed) and otherwise keeps ours; each is listed in conflicts.
// An empty text counts as a project without topics. Raises EFolivaneError naming the
// version when a text is not a topic list the program can read.
TTopicsMergeResult MergeTopicsJson(const TTopicsVersion& base, const TTopicsVersion& ours,
                                   const TTopicsVersion& theirs);
