#include "uTextSearch.h"

#include <algorithm>
#include <cctype>
#include <cstring>

#include "uHtmlText.h"
#include "uTranslation.h"
#include "uUtils.h"

namespace {

bool IsSpace(char c) { return c == ' ' || c == '\t' || c == '\n' || c == '\r' || c == '\f'; }

bool IsNameChar(char c) {
  return (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z') || (c >= '0' && c <= '9') || c == '-' || c == ':';
}

// Tags that end a block or a line: text on either side is not one run of words.
bool BreaksText(const std::string& tag) {
  static const char* const kBlocks[] = {
      "address", "article",    "aside",  "blockquote", "br",  "caption", "dd", "details", "div",     "dl",
      "dt",      "figcaption", "figure", "footer",     "h1",  "h2",      "h3", "h4",      "h5",      "h6",
      "header",  "hr",         "li",     "main",       "nav", "ol",      "p",  "pre",     "section", "summary",
      "table",   "tbody",      "td",     "tfoot",      "th",  "thead",   "tr", "ul"};
  return std::any_of(std::begin(kBlocks), std::end(kBlocks), [&tag](const char* b) { return tag == b; });
}

// A code point a reference may name; the replacement character for any other.
char32_t ValidCodePoint(uint32_t cp) {
  return (cp == 0 || cp > 0x10FFFF || (cp >= 0xD800 && cp <= 0xDFFF)) ? 0xFFFD : cp;
}

// The characters a reference at html[at] ('&') stands for, and its length; false when it
// is not one (then the "&" is text as it stands). A no-break space reads as a space: that
// is what the reader sees and types.
bool DecodeReference(std::string_view html, size_t at, std::string& text, size_t& length) {
  const size_t semicolon = html.find(';', at + 1);
  if (semicolon == std::string_view::npos || semicolon - at > 12) return false;
  const std::string_view name = html.substr(at + 1, semicolon - at - 1);
  if (name.empty()) return false;
  text.clear();
  if (name[0] == '#') {
    const bool hex = name.size() > 1 && (name[1] == 'x' || name[1] == 'X');
    const std::string_view digits = name.substr(hex ? 2 : 1);
    if (digits.empty() || digits.size() > 7) return false;
    uint32_t cp = 0;
    for (const char c : digits) {
      int v = -1;
      if (c >= '0' && c <= '9') v = c - '0';
      else if (hex && c >= 'a' && c <= 'f') v = c - 'a' + 10;
      else if (hex && c >= 'A' && c <= 'F') v = c - 'A' + 10;
      if (v < 0) return false;
      cp = cp * (hex ? 16 : 10) + static_cast<uint32_t>(v);
    }
    AppendUtf8(text, cp == 0xA0 ? U' ' : ValidCodePoint(cp));
  } else {
    static const std::pair<const char*, uint32_t> kNamed[] = {
        {"amp", '&'},      {"lt", '<'},       {"gt", '>'},       {"quot", '"'},     {"apos", '\''},
        {"nbsp", ' '},     {"copy", 0xA9},    {"reg", 0xAE},     {"trade", 0x2122}, {"hellip", 0x2026},
        {"mdash", 0x2014}, {"ndash", 0x2013}, {"laquo", 0xAB},   {"raquo", 0xBB},   {"lsquo", 0x2018},
        {"rsquo", 0x2019}, {"ldquo", 0x201C}, {"rdquo", 0x201D}, {"bdquo", 0x201E}, {"euro", 0x20AC},
        {"deg", 0xB0},     {"times", 0xD7},   {"middot", 0xB7},  {"bull", 0x2022},  {"larr", 0x2190},
        {"rarr", 0x2192},  {"auml", 0xE4},    {"ouml", 0xF6},    {"uuml", 0xFC},    {"Auml", 0xC4},
        {"Ouml", 0xD6},    {"Uuml", 0xDC},    {"szlig", 0xDF},   {"eacute", 0xE9},  {"egrave", 0xE8},
        {"agrave", 0xE0},  {"ccedil", 0xE7},  {"Eacute", 0xC9},  {"ntilde", 0xF1},  {"iexcl", 0xA1},
        {"iquest", 0xBF},  {"sect", 0xA7},    {"para", 0xB6},    {"plusmn", 0xB1},  {"micro", 0xB5}};
    const auto it =
        std::find_if(std::begin(kNamed), std::end(kNamed), [&name](const auto& entry) { return name == entry.first; });
    if (it == std::end(kNamed)) return false;
    AppendUtf8(text, it->second);
  }
  length = semicolon - at + 1;
  return true;
}

// The end of the construct that starts with '<' at html[at]; for a tag its lower-case name
// goes to tag ("" for a comment, a doctype or a processing instruction).
size_t SkipMarkup(std::string_view html, size_t at, std::string& tag, bool& closing) {
  tag.clear();
  closing = false;
  if (html.compare(at, 4, "<!--") == 0) {
    const size_t end = html.find("-->", at + 4);
    return end == std::string_view::npos ? html.size() : end + 3;
  }
  size_t i = at + 1;
  if (i < html.size() && html[i] == '/') {
    closing = true;
    ++i;
  }
  while (i < html.size() && IsNameChar(html[i]))
    tag += static_cast<char>(std::tolower(static_cast<unsigned char>(html[i++])));
  const size_t end = HtmlTagEnd(html, at);
  return end == std::string_view::npos ? html.size() : end;
}

// The end of a script's or style's text: the start of its closing tag.
size_t SkipRawText(std::string_view html, size_t from, const std::string& tag) {
  for (size_t i = html.find("</", from); i != std::string_view::npos; i = html.find("</", i + 2)) {
    if (i + 2 + tag.size() <= html.size() && AsciiLower(html.substr(i + 2, tag.size())) == tag) return i;
  }
  return html.size();
}

bool IsUtf8Continuation(char c) { return (static_cast<unsigned char>(c) & 0xC0) == 0x80; }

std::string QuotedPattern(const std::string& text) {
  std::string out;
  for (const char c : text) {
    if (std::strchr("\\^$.|?*+()[]{}", c)) out += '\\';
    out += c;
  }
  return out;
}

}  // namespace

TTextMatcher::TTextMatcher(const TSearchQuery& query) : FExpandGroups(query.regex) {
  if (query.pattern.empty()) throw EFolivaneError(TranslateText("Nothing to find: the search text is empty."));
  std::string pattern = query.regex ? query.pattern : QuotedPattern(query.pattern);
  if (query.wholeWord) pattern = "(?<![\\p{L}\\p{N}_])(?:" + pattern + ")(?![\\p{L}\\p{N}_])";
  unsigned options = roUnicodeClasses;
  if (!query.matchCase) options |= roIgnoreCase;
  FRegex = std::make_unique<TRegex>(pattern, options);
}

std::vector<TTextMatch> TTextMatcher::Find(std::string_view text, const std::string* replacement) const {
  std::vector<TTextMatch> matches;
  TRegexMatch m;
  size_t offset = 0;
  while (offset <= text.size() && FRegex->Search(text, m, offset)) {
    const size_t start = m.Start();
    const size_t end = m.End();
    if (end > start && text.substr(start, end - start).find('\n') == std::string_view::npos) {
      TTextMatch match{start, end, std::string()};
      if (replacement) match.replacement = FExpandGroups ? ExpandReplacement(m, *replacement) : *replacement;
      matches.push_back(std::move(match));
      offset = end;
    } else {
      // An empty match or one across blocks: go on from the next character.
      offset = start + 1;
      while (offset < text.size() && IsUtf8Continuation(text[offset])) ++offset;
    }
  }
  return matches;
}

THtmlVisibleText::THtmlVisibleText(std::string_view html) : FSource(html) {
  FText.reserve(html.size() / 2);
  std::string tag;
  std::string decoded;
  size_t i = 0;
  while (i < html.size()) {
    const char c = html[i];
    if (c == '<') {
      bool closing = false;
      const size_t end = SkipMarkup(html, i, tag, closing);
      if (!tag.empty() && BreaksText(tag)) AddBreak(i);
      i = end;
      if (!closing && (tag == "script" || tag == "style")) i = SkipRawText(html, i, tag);
    } else if (c == '&') {
      size_t length = 0;
      if (DecodeReference(html, i, decoded, length)) {
        AddDecoded(i, length, decoded);
        i += length;
      } else {
        AddText(i, 1);
        ++i;
      }
    } else if (IsSpace(c)) {
      size_t end = i;
      while (end < html.size() && IsSpace(html[end])) ++end;
      // White space after a break or at the start shows nothing; elsewhere one space.
      if (!FText.empty() && FText.back() != '\n') {
        if (end - i == 1 && c == ' ') AddText(i, 1);
        else AddDecoded(i, end - i, " ");
      }
      i = end;
    } else {
      size_t end = i + 1;
      while (end < html.size() && html[end] != '<' && html[end] != '&' && !IsSpace(html[end])) ++end;
      AddText(i, end - i);
      i = end;
    }
  }
}

void THtmlVisibleText::AddText(size_t srcStart, size_t srcLen) {
  // Neighbouring plain text joins one segment: pages are mostly that.
  if (!FSegments.empty()) {
    TSegment& last = FSegments.back();
    if (last.kind == TKind::Text && last.srcStart + last.srcLen == srcStart) {
      last.srcLen += srcLen;
      last.visLen += srcLen;
      FText.append(FSource.substr(srcStart, srcLen));
      return;
    }
  }
  FSegments.push_back({FText.size(), srcLen, srcStart, srcLen, TKind::Text});
  FText.append(FSource.substr(srcStart, srcLen));
}

void THtmlVisibleText::AddDecoded(size_t srcStart, size_t srcLen, const std::string& text) {
  FSegments.push_back({FText.size(), text.size(), srcStart, srcLen, TKind::Decoded});
  FText += text;
}

void THtmlVisibleText::AddBreak(size_t srcAt) {
  if (FText.empty() || FText.back() == '\n') return;
  FSegments.push_back({FText.size(), 1, srcAt, 0, TKind::Break});
  FText += '\n';
}

size_t THtmlVisibleText::SegmentAt(size_t vis) const {
  const auto it = std::upper_bound(FSegments.begin(), FSegments.end(), vis,
                                   [](size_t v, const TSegment& s) { return v < s.visStart; });
  return static_cast<size_t>(it - FSegments.begin()) - 1;
}

std::string THtmlVisibleText::Replace(const std::vector<TTextMatch>& matches) const {
  // The source ranges to drop, and where each replacement goes.
  struct TCut {
    size_t from, to;
    const std::string* insert;
  };
  std::vector<TCut> cuts;
  for (const TTextMatch& match : matches) {
    bool first = true;
    for (size_t s = SegmentAt(match.start); s < FSegments.size() && FSegments[s].visStart < match.end; ++s) {
      const TSegment& seg = FSegments[s];
      size_t from = seg.srcStart;
      size_t to = seg.srcStart + seg.srcLen;
      if (seg.kind == TKind::Text) {
        from = seg.srcStart + (std::max(match.start, seg.visStart) - seg.visStart);
        to = seg.srcStart + (std::min(match.end, seg.visStart + seg.visLen) - seg.visStart);
      }
      cuts.push_back({from, to, first ? &match.replacement : nullptr});
      first = false;
    }
  }
  std::string out;
  out.reserve(FSource.size() + 64);
  size_t copied = 0;
  for (const TCut& cut : cuts) {
    out.append(FSource.substr(copied, cut.from - copied));
    if (cut.insert) out += EncodeHtmlText(*cut.insert);
    copied = cut.to;
  }
  out.append(FSource.substr(copied));
  return out;
}

std::string ContextLine(std::string_view text, size_t start, size_t end, size_t radius, size_t* matchStart) {
  size_t from = start > radius ? start - radius : 0;
  size_t to = std::min(text.size(), end + radius);
  while (from > 0 && IsUtf8Continuation(text[from])) --from;
  while (to < text.size() && IsUtf8Continuation(text[to])) ++to;
  // Whole words at the edges where there is room.
  const size_t space = text.find_first_of(" \n", from);
  if (from > 0 && space != std::string_view::npos && space < start) from = space + 1;
  const size_t lastSpace = text.find_last_of(" \n", to);
  if (to < text.size() && lastSpace != std::string_view::npos && lastSpace >= end) to = lastSpace;
  while (to > end && (text[to - 1] == ' ' || text[to - 1] == '\n')) --to;
  while (from < start && (text[from] == ' ' || text[from] == '\n')) ++from;
  std::string line(text.substr(from, to - from));
  std::replace(line.begin(), line.end(), '\n', ' ');
  if (matchStart) *matchStart = start - from;
  return line;
}
