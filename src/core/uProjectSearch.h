// Find and replace across a project: topic titles, pages, headers, keywords and index
// entries, in the text a reader sees (uTextSearch). Replacing plans first, so the writer can
// leave out any match, then writes each changed file atomically; a plan can be undone.
#pragma once

#include <map>
#include <optional>
#include <string>
#include <vector>

#include "uDocModel.h"
#include "uTextSearch.h"

enum TSearchFields : unsigned {
  sfTitles = 1,
  sfBodies = 2,
  sfHeaders = 4,
  sfKeywords = 8,  // keywords and index entries
  sfAll = 15,
};

// "titles,bodies,headers,keywords" (any of them, comma-separated); false for other words.
bool ParseSearchFields(const std::string& list, unsigned& fields);

enum class TSearchField { Title, Body, Header, Keyword, IndexEntry };

struct TFieldMatch {
  TSearchField field;
  int item = 0;  // which keyword or index entry
  TTextMatch match;
  std::string context;  // the line around the match
  size_t contextStart = 0;
  std::string matched;  // the visible text matched
};

struct TTopicMatches {
  std::string topicId;
  std::string title;
  std::vector<TFieldMatch> matches;
};

// Page texts not yet saved, by topic ID: they take part in place of the files.
using TUnsavedPages = std::map<std::string, std::string>;

struct TProjectSearch {
  TSearchQuery query;
  unsigned fields = sfAll;
  std::optional<std::string> replacement;  // when set, each match carries its replacement
};

// Every match, topics in tree order (topics outside the tree last). A page that cannot be
// read raises EFolivaneError naming it; a missing page has nothing to find.
std::vector<TTopicMatches> FindInProject(const TDocProject& project, const TProjectSearch& search,
                                         const TUnsavedPages* unsaved = nullptr);

// What replacing does to one topic: each changed value before and after.
struct TTopicChange {
  std::string topicId;
  std::string title;  // as it was
  int count = 0;
  std::optional<std::pair<std::string, std::string>> titleChange, body, header;
  std::optional<std::pair<TStringList, TStringList>> keywords, indexEntries;
};

// The changes that replacing the chosen matches makes (found with a replacement);
// chosen(topicId, index in its matches) leaves any one out.
using TMatchChooser = std::function<bool(const std::string& topicId, size_t index)>;
std::vector<TTopicChange> PlanReplacement(const TDocProject& project, const std::vector<TTopicMatches>& found,
                                          const TUnsavedPages* unsaved = nullptr,
                                          const TMatchChooser& chosen = nullptr);

// Whether the changes touch titles, keywords or index entries, which live in meta/topics.json.
bool ChangesTopicList(const std::vector<TTopicChange>& changes);

// Puts the changes in place (after = true) or takes them back (after = false): titles,
// keywords and index entries into the model; pages and headers into their files, each
// written atomically, except pages the writer has not saved, which go to unsaved. A file
// that cannot be written raises, and the files already written are put back first.
void ApplyTopicChanges(TDocProject& project, const std::vector<TTopicChange>& changes, bool after,
                       TUnsavedPages* unsaved = nullptr);
