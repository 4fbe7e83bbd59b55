// The translatable pieces of a page or of a plain text, as a translation file carries
// them: text, with the markup in between held as inline codes that translators move but
// cannot change. A piece is rebuilt from its translation with the markup the page itself
// holds, never with markup taken from the translation file.
#pragma once

#include <string>
#include <string_view>
#include <vector>

#include "uUtils.h"

// One element of a piece's content: a run of text, a standalone code, or the start or end
// of a paired code (an element whose content lies inside the piece).
struct TXliffRun {
  enum class TKind { Text, Placeholder, Open, Close };
  TKind kind = TKind::Text;
  std::string value;  // the text, or the code's id

  bool operator==(const TXliffRun& other) const { return kind == other.kind && value == other.value; }
  bool operator!=(const TXliffRun& other) const { return !(*this == other); }
};
using TXliffContent = std::vector<TXliffRun>;

// The markup a code stands for, as the page has it.
struct TXliffCode {
  std::string id;
  bool paired = false;  // a start tag and its end tag around content; else one placeholder
  std::string open;     // the start tag, or the whole placeholder
  std::string close;    // the end tag of a paired code
};

struct TXliffSegment {
  size_t start = 0;  // the bytes [start, end) of the page it stands for
  size_t end = 0;
  std::string original;  // those bytes
  TXliffContent content;
  std::vector<TXliffCode> codes;  // in the order they appear
};

// A translation that cannot be written into a page: a code it does not have, one used
// twice, left out, of the wrong kind, or codes that do not nest.
class EXliffCodes : public EFolivaneError {
 public:
  explicit EXliffCodes(const std::string& message) : EFolivaneError(message) {}
};

// The block-level pieces of an HTML fragment (paragraphs, headings, list items, table
// cells...): each run of text and inline markup between block tags that shows some text
// besides reusable-content tokens, its white space at either end left out. Inline elements
// whose end tag lies in the same piece become paired codes; void elements (images, line
// breaks), comments, tags without their partner and the tokens become standalone codes.
// Character references are read as the characters they stand for.
std::vector<TXliffSegment> SegmentHtml(std::string_view html);
// A plain text (a title, a keyword, a variable's value) as one piece; its tokens are codes.
TXliffSegment SegmentPlainText(std::string_view text);
// Whether content holds any text that is not white space.
bool HasTranslatableText(const TXliffContent& content);

// The HTML that stands for target in place of segment: the page's own bytes when target
// equals the segment's content, else the text escaped and each code as the page has it.
// Raises EXliffCodes when target's codes are not exactly the segment's, properly nested.
std::string RebuildHtml(const TXliffSegment& segment, const TXliffContent& target);
// The same for a piece of plain text: the text as it is, codes as the text has them.
std::string RebuildPlainText(const TXliffSegment& segment, const TXliffContent& target);

// The page with each segment's bytes replaced by the text at the same index of
// replacements; a null entry keeps the segment as it is. Segments are in page order.
std::string ReplaceSegments(std::string_view html, const std::vector<TXliffSegment>& segments,
                            const std::vector<const std::string*>& replacements);

// The visible text of content, codes left out: what a reader sees of it.
std::string ContentText(const TXliffContent& content);
