// Text-level HTML helpers every layer may use: escaping, a case-ignoring search, and the
// plain text of a page. Each is a textual pass; nothing builds a document tree.
//
// Three routines turn HTML into plain text, each for its own reader, which is why they
// differ:
// - HtmlToPlainText (here) feeds the search index: scripts and styles go, tags become
//   spaces so that words on either side stay apart, white space folds to one space.
// - StripTagsToText (uTopicHtmlDefaults) decides whether a body or header shows
//   anything: tags simply vanish, and only the entities that stand for blanks matter.
// - HeaderPlainText (uExportPdf) is the header line a printed page shows: tags vanish,
//   every numeric and common named reference is decoded so the reader sees characters.
#pragma once

#include <cstddef>
#include <string>
#include <string_view>

// Where s holds lowerWord at or after from, ASCII letter case ignored (lowerWord must be
// lower case); npos when it does not. A skip-table search: quick on whole pages.
size_t FindTextNoCase(std::string_view s, std::string_view lowerWord, size_t from = 0);

// Whether s holds U+017F or U+212A, which a case-ignoring pattern takes for "s" and "k":
// quick ASCII pre-checks must then leave the decision to the pattern.
bool HasFoldingToAscii(std::string_view s);

// Plain text for the search index: scripts and styles dropped, tags as spaces, the
// common entities decoded, white space folded, trimmed.
std::string HtmlToPlainText(std::string_view html);

// Where the tag starting with '<' at start ends (just past its '>'), quoted attribute
// values respected; npos when it never does.
size_t HtmlTagEnd(std::string_view html, size_t start);

// Escapes & < > " and ' (as &#39;): safe in text and in either kind of quoted attribute.
std::string HtmlEscape(std::string_view text);
// Escapes & < > and " but keeps the apostrophe, as stored topics and CHM pages have it.
std::string EncodeHtmlText(std::string_view text);
