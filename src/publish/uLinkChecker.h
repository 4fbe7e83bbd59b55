// The link checker: missing topic files, internal links to topics the project does
// not hold, local references to files that do not exist, and help IDs and aliases that
// are duplicated or name a topic an output leaves out. It changes nothing.
#pragma once

#include <string>
#include <vector>

#include "uDocModel.h"
#include "uUtils.h"

struct TLinkIssue {
  std::string TopicID;
  std::string TopicTitle;
  std::string Issue;
  std::string File;  // where the writer mends it: the topic's page, or meta/topics.json
};

// Reads every topic file from disk, topics in tree order (topics outside the tree last,
// by identifier); within a topic the internal-link issues come first, and the help-context
// findings follow all of them. A file that
// exists but cannot be read raises. progress gets (topics done, total).
std::vector<TLinkIssue> CheckLinks(const TDocProject& project, const TProgressCallback& progress = nullptr);

// Internal links that a published topic holds to a topic the same output leaves out (by
// its flags, a parent's, or what a build profile left out): dead links for the reader.
// One issue per link and output set, in tree order; missing or unreadable pages are skipped.
std::vector<TLinkIssue> CheckLinksToLeftOutTopics(const TDocProject& project);

// Whether a src/href value names a local file the checker should look for: web and
// mail addresses, doc: links, anchors and any other URL scheme are not.
bool IsLocalReference(const std::string& value);
