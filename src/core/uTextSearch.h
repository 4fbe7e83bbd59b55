// Finding and replacing in the text a reader sees. A page's visible text leaves out tags,
// attribute values, comments, scripts and styles, reads character references as the
// characters they stand for and white space as one space, and keeps blocks apart; a match
// may run across inline markup ("<b>Save</b> As" holds "Save As"). Replacing changes only
// that text and keeps the markup around it.
#pragma once

#include <memory>
#include <string>
#include <string_view>
#include <vector>

#include "uRegex.h"

struct TSearchQuery {
  std::string pattern;
  bool regex = false;      // a PCRE2 pattern; else the text as typed
  bool matchCase = false;  // else letter case is ignored, in every script
  bool wholeWord = false;  // letters, digits or "_" may not touch the match on either side
};

// One match in a visible text: [start, end) in bytes, and its replacement when one was asked.
struct TTextMatch {
  size_t start = 0;
  size_t end = 0;
  std::string replacement;
};

// A query compiled once for many texts.
class TTextMatcher {
 public:
  // Raises EFolivaneError for an empty pattern or a regular expression that does not compile.
  explicit TTextMatcher(const TSearchQuery& query);
  // The matches in text, in order, none empty and none crossing a block boundary ('\n').
  // With a replacement, each match gets it (groups expanded for a regular expression).
  std::vector<TTextMatch> Find(std::string_view text, const std::string* replacement = nullptr) const;

 private:
  std::unique_ptr<TRegex> FRegex;
  bool FExpandGroups;
};

// The visible text of an HTML page and where each piece of it stands in the source.
class THtmlVisibleText {
 public:
  explicit THtmlVisibleText(std::string_view html);
  // Blocks and line breaks are separated by '\n'.
  const std::string& Text() const { return FText; }
  // The page with the matched text replaced (matches sorted, not overlapping): the text of
  // each match goes, the tags inside it stay, and the replacement, escaped, stands where the
  // match began.
  std::string Replace(const std::vector<TTextMatch>& matches) const;

 private:
  enum class TKind { Text, Decoded, Break };
  struct TSegment {
    size_t visStart, visLen, srcStart, srcLen;
    TKind kind;
  };
  std::string_view FSource;
  std::string FText;
  std::vector<TSegment> FSegments;

  void AddText(size_t srcStart, size_t srcLen);
  void AddDecoded(size_t srcStart, size_t srcLen, const std::string& text);
  void AddBreak(size_t srcAt);
  size_t SegmentAt(size_t vis) const;
};

// A line of visible text around [start, end) for a result list: about radius bytes on each
// side, cut at whole characters, breaks shown as spaces. matchStart is where the match
// begins within the line.
std::string ContextLine(std::string_view text, size_t start, size_t end, size_t radius, size_t* matchStart);
