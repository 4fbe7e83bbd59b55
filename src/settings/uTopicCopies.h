// Topics moved together with their files: duplicating a topic or a branch, and keeping a
// removed branch whole (pages, headers, unsaved texts, place in the tree) so that it can be
// put back.
#pragma once

#include <map>
#include <optional>
#include <string>
#include <vector>

#include "uDocModel.h"
#include "uProjectSettings.h"

// Topic texts typed but not yet written, by topic ID.
using TPendingTopicTexts = std::map<std::string, std::string>;

// The files of one topic; nullopt where a file did not exist.
struct TTopicFiles {
  std::optional<std::string> page;
  std::optional<std::string> header;
  std::optional<std::string> headerBg;
};

// A removed branch and everything needed to put it back.
struct TRemovedBranch {
  std::string parentID;        // "" for a root
  int index = 0;               // its place among its parent's children
  std::vector<TTopic> topics;  // the branch in tree order, its top first
  std::map<std::string, TTopicFiles> files;
  TPendingTopicTexts pendingTexts;
  const std::string& TopID() const { return topics.front().ID(); }
};

// Removes the topic and its descendants with their pages and header files, and returns
// all of it; their entries in pending move into the result. Raises EFolivaneError for an
// unknown ID, and when a file cannot be read (nothing is removed then).
TRemovedBranch RemoveBranch(TDocProject& project, const std::string& id, TPendingTopicTexts& pending);

// Puts a removed branch back at its place (at the end of the roots when its parent is
// gone since), writes its files and returns its unsaved texts to pending. Raises
// EFolivaneError, changing nothing in the model, when one of its IDs is in use again.
void RestoreBranch(TDocProject& project, const TRemovedBranch& branch, TPendingTopicTexts& pending);

// Copies the topic, and with withSubtopics its descendants, under new IDs; the copy goes
// right after the topic and is titled copyTitle (subtopics keep their titles). Pages,
// headers and unsaved texts are copied; a header that shows the old title gets the new
// one. Returns the copy's ID; raises EFolivaneError for an unknown ID or a file that
// cannot be read or written.
std::string DuplicateBranch(TDocProject& project, const std::string& id, bool withSubtopics,
                            const std::string& copyTitle, TPendingTopicTexts& pending);
