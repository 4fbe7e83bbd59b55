#include "uXliffSegments.h"

#include <libxml/HTMLparser.h>

#include <algorithm>
#include <cctype>
#include <map>

#include "uHtmlText.h"
#include "uReusableContent.h"
#include "uTranslation.h"

namespace {

bool IsSpace(char c) { return c == ' ' || c == '\t' || c == '\n' || c == '\r' || c == '\f'; }

bool IsNameChar(char c) { return std::isalnum(static_cast<unsigned char>(c)) || c == '-' || c == ':'; }

// Tags that end a piece: text on either side is not one sentence. Line breaks are not
// among them: they stay inside a piece as codes.
bool IsBlockTag(const std::string& tag) {
  static const char* const kBlocks[] = {
      "address", "article", "aside",    "blockquote", "body",    "caption", "dd",      "details", "dialog", "div",
      "dl",      "dt",      "fieldset", "figcaption", "figure",  "footer",  "form",    "h1",      "h2",     "h3",
      "h4",      "h5",      "h6",       "head",       "header",  "hr",      "html",    "li",      "main",   "nav",
      "ol",      "p",       "pre",      "script",     "section", "style",   "summary", "table",   "tbody",  "td",
      "tfoot",   "th",      "thead",    "title",      "tr",      "ul"};
  return std::any_of(std::begin(kBlocks), std::end(kBlocks), [&tag](const char* b) { return tag == b; });
}

bool IsVoidTag(const std::string& tag) {
  static const char* const kVoid[] = {"area",  "base", "br",   "col",   "embed",  "hr",    "img",
                                      "input", "link", "meta", "param", "source", "track", "wbr"};
  return std::any_of(std::begin(kVoid), std::end(kVoid), [&tag](const char* v) { return tag == v; });
}

// A piece of the page: text, a tag, a comment or a reusable-content token.
struct TToken {
  enum class TKind { Text, Tag, Other, Reusable };
  TKind kind;
  size_t start, end;
  std::string tag;  // lower-case name of a tag
  bool closing = false;
  bool standalone = false;  // void element or written as <x/>
};

// The bytes [offset, end) of each variable and snippet token of html, in order.
std::vector<std::pair<size_t, size_t>> TokenRanges(const std::string& html) {
  std::vector<std::pair<size_t, size_t>> ranges;
  for (const TReusableToken& token : FindReusableTokens(html)) {
    const size_t close = html.find('}', token.offset);
    if (close == std::string::npos) continue;
    if (!ranges.empty() && token.offset < ranges.back().second) continue;
    ranges.emplace_back(token.offset, close + 1);
  }
  return ranges;
}

// Splits the text [start, end) around the tokens that lie in it.
void AddText(std::vector<TToken>& tokens, size_t start, size_t end,
             const std::vector<std::pair<size_t, size_t>>& ranges) {
  auto it = std::lower_bound(ranges.begin(), ranges.end(), std::make_pair(start, size_t{0}));
  size_t at = start;
  for (; it != ranges.end() && it->second <= end; ++it) {
    if (it->first > at) tokens.push_back({TToken::TKind::Text, at, it->first, "", false, false});
    tokens.push_back({TToken::TKind::Reusable, it->first, it->second, "", false, false});
    at = it->second;
  }
  if (at < end) tokens.push_back({TToken::TKind::Text, at, end, "", false, false});
}

// Where the raw text of a script or style starting at from ends: its closing tag.
size_t RawTextEnd(std::string_view html, size_t from, const std::string& tag) {
  for (size_t i = html.find("</", from); i != std::string_view::npos; i = html.find("</", i + 2)) {
    if (AsciiLower(html.substr(i + 2, tag.size())) == tag) return i;
  }
  return html.size();
}

std::vector<TToken> Tokenize(const std::string& html) {
  const auto ranges = TokenRanges(html);
  std::vector<TToken> tokens;
  size_t textStart = 0;
  size_t i = 0;
  const auto flushText = [&](size_t upTo) {
    if (upTo > textStart) AddText(tokens, textStart, upTo, ranges);
  };
  while (i < html.size()) {
    if (html[i] != '<') {
      ++i;
      continue;
    }
    const bool isComment = html.compare(i, 4, "<!--") == 0;
    const bool isOther = !isComment && i + 1 < html.size() && (html[i + 1] == '!' || html[i + 1] == '?');
    const bool closing = i + 1 < html.size() && html[i + 1] == '/';
    const size_t nameAt = i + (closing ? 2 : 1);
    const bool isTag = nameAt < html.size() && std::isalpha(static_cast<unsigned char>(html[nameAt]));
    if (!isComment && !isOther && !isTag) {
      ++i;  // a lone '<' is text
      continue;
    }
    flushText(i);
    size_t end;
    if (isComment) {
      const size_t close = html.find("-->", i + 4);
      end = close == std::string::npos ? html.size() : close + 3;
      tokens.push_back({TToken::TKind::Other, i, end, "", false, false});
    } else {
      end = HtmlTagEnd(html, i);
      if (end == std::string::npos) end = html.size();
      TToken token{isOther ? TToken::TKind::Other : TToken::TKind::Tag, i, end, "", closing, false};
      if (isTag) {
        for (size_t n = nameAt; n < html.size() && IsNameChar(html[n]); ++n)
          token.tag += static_cast<char>(std::tolower(static_cast<unsigned char>(html[n])));
        token.standalone = IsVoidTag(token.tag) || (end >= 2 && html[end - 2] == '/');
      }
      tokens.push_back(token);
      if (isTag && !closing && (token.tag == "script" || token.tag == "style")) {
        // Their text is code, not prose: it stays in the page with the tag.
        end = RawTextEnd(html, end, token.tag);
        tokens.back().end = end;
      }
    }
    i = end;
    textStart = end;
  }
  flushText(html.size());
  return tokens;
}

// The characters the reference at text[at] ('&') stands for, and its length; false when
// it is none (the '&' is then text as it stands).
bool DecodeReference(std::string_view text, size_t at, std::string& out, size_t& length) {
  const size_t semicolon = text.find(';', at + 1);
  if (semicolon == std::string_view::npos || semicolon - at > 32 || semicolon == at + 1) return false;
  const std::string name(text.substr(at + 1, semicolon - at - 1));
  uint32_t cp = 0;
  if (name[0] == '#') {
    const bool hex = name.size() > 1 && (name[1] == 'x' || name[1] == 'X');
    const std::string digits = name.substr(hex ? 2 : 1);
    if (digits.empty() || digits.size() > 7) return false;
    for (const char c : digits) {
      if (!(hex ? std::isxdigit(static_cast<unsigned char>(c)) : std::isdigit(static_cast<unsigned char>(c))))
        return false;
    }
    cp = static_cast<uint32_t>(std::stoul(digits, nullptr, hex ? 16 : 10));
    if (cp == 0 || cp > 0x10FFFF || (cp >= 0xD800 && cp <= 0xDFFF)) cp = 0xFFFD;
  } else {
    const htmlEntityDesc* entity = htmlEntityLookup(reinterpret_cast<const xmlChar*>(name.c_str()));
    if (!entity) return false;
    cp = entity->value;
  }
  AppendUtf8(out, cp);
  length = semicolon - at + 1;
  return true;
}

std::string DecodeText(std::string_view text) {
  std::string out;
  out.reserve(text.size());
  for (size_t i = 0; i < text.size();) {
    size_t length = 0;
    if (text[i] == '&' && DecodeReference(text, i, out, length)) {
      i += length;
    } else {
      out += text[i++];
    }
  }
  return out;
}

void AppendText(TXliffContent& content, const std::string& text) {
  if (text.empty()) return;
  if (!content.empty() && content.back().kind == TXliffRun::TKind::Text) content.back().value += text;
  else content.push_back({TXliffRun::TKind::Text, text});
}

// Which tag token closes which: index of the partner, or -1 for a tag without one.
std::vector<int> PairTags(const std::vector<TToken>& tokens, size_t first, size_t last) {
  std::vector<int> partner(tokens.size(), -1);
  std::vector<size_t> open;
  for (size_t t = first; t < last; ++t) {
    const TToken& token = tokens[t];
    if (token.kind != TToken::TKind::Tag || token.standalone) continue;
    if (!token.closing) {
      open.push_back(t);
      continue;
    }
    for (size_t k = open.size(); k-- > 0;) {
      if (tokens[open[k]].tag == token.tag) {
        partner[open[k]] = static_cast<int>(t);
        partner[t] = static_cast<int>(open[k]);
        open.resize(k);  // the ones opened after it stay without partner
        break;
      }
    }
  }
  return partner;
}

TXliffSegment BuildSegment(const std::string& html, const std::vector<TToken>& tokens, size_t first, size_t last,
                           size_t start, size_t end) {
  TXliffSegment segment;
  segment.start = start;
  segment.end = end;
  segment.original = html.substr(start, end - start);
  const std::vector<int> partner = PairTags(tokens, first, last);
  std::map<size_t, size_t> codeOfTag;  // start tag's token -> its code
  const auto addCode = [&segment](bool paired, std::string open) {
    const std::string id = std::to_string(segment.codes.size() + 1);
    segment.codes.push_back({id, paired, std::move(open), ""});
    return id;
  };
  for (size_t t = first; t < last; ++t) {
    const TToken& token = tokens[t];
    const size_t from = std::max(token.start, start);
    const size_t to = std::min(token.end, end);
    if (from >= to) continue;
    const std::string bytes = html.substr(from, to - from);
    if (token.kind == TToken::TKind::Text) {
      AppendText(segment.content, DecodeText(bytes));
    } else if (token.kind == TToken::TKind::Tag && partner[t] >= 0 && !token.closing) {
      codeOfTag[t] = segment.codes.size();
      segment.content.push_back({TXliffRun::TKind::Open, addCode(true, bytes)});
    } else if (token.kind == TToken::TKind::Tag && partner[t] >= 0) {
      TXliffCode& code = segment.codes[codeOfTag[static_cast<size_t>(partner[t])]];
      code.close = bytes;
      segment.content.push_back({TXliffRun::TKind::Close, code.id});
    } else {
      segment.content.push_back({TXliffRun::TKind::Placeholder, addCode(false, bytes)});
    }
  }
  return segment;
}

// Escapes text for a page; a brace that would make a token of the text is escaped too, so
// that a translation cannot bring in content the page did not have.
std::string EscapePageText(const std::string& text) {
  std::string escaped = EncodeHtmlText(text);
  if (escaped.find('{') != std::string::npos && !FindReusableTokens(escaped).empty())
    escaped = ReplaceAll(escaped, "{", "&#123;");
  return escaped;
}

// Checks that target uses every code of segment once, as the segment does, properly nested.
void CheckCodes(const TXliffSegment& segment, const TXliffContent& target) {
  std::map<std::string, const TXliffCode*> codes;
  for (const TXliffCode& code : segment.codes) codes[code.id] = &code;
  std::map<std::string, bool> used;
  std::vector<std::string> open;
  for (const TXliffRun& run : target) {
    if (run.kind == TXliffRun::TKind::Text) continue;
    if (run.kind == TXliffRun::TKind::Close) {
      if (open.empty() || open.back() != run.value)
        throw EXliffCodes(FormatText(TranslateText("Inline code %s is not used as in the source"), {run.value}));
      open.pop_back();
      continue;
    }
    const auto it = codes.find(run.value);
    if (it == codes.end()) throw EXliffCodes(FormatText(TranslateText("Unknown inline code %s"), {run.value}));
    if (used[run.value])
      throw EXliffCodes(FormatText(TranslateText("Inline code %s appears more than once"), {run.value}));
    used[run.value] = true;
    if (it->second->paired != (run.kind == TXliffRun::TKind::Open))
      throw EXliffCodes(FormatText(TranslateText("Inline code %s is not used as in the source"), {run.value}));
    if (run.kind == TXliffRun::TKind::Open) open.push_back(run.value);
  }
  if (!open.empty())
    throw EXliffCodes(FormatText(TranslateText("Inline code %s is not used as in the source"), {open.back()}));
  for (const TXliffCode& code : segment.codes) {
    if (!used[code.id]) throw EXliffCodes(FormatText(TranslateText("Inline code %s is missing"), {code.id}));
  }
}

const TXliffCode& CodeById(const TXliffSegment& segment, const std::string& id) {
  return *std::find_if(segment.codes.begin(), segment.codes.end(),
                       [&id](const TXliffCode& code) { return code.id == id; });
}

std::string Rebuild(const TXliffSegment& segment, const TXliffContent& target,
                    std::string (*escape)(const std::string&)) {
  CheckCodes(segment, target);
  if (target == segment.content) return segment.original;
  std::string out;
  for (const TXliffRun& run : target) {
    switch (run.kind) {
      case TXliffRun::TKind::Text: out += escape(run.value); break;
      case TXliffRun::TKind::Close: out += CodeById(segment, run.value).close; break;
      default: out += CodeById(segment, run.value).open; break;
    }
  }
  return out;
}

std::string KeepText(const std::string& text) { return text; }

}  // namespace

std::vector<TXliffSegment> SegmentHtml(std::string_view page) {
  const std::string html(page);
  const std::vector<TToken> tokens = Tokenize(html);
  std::vector<TXliffSegment> segments;
  size_t first = 0;
  const auto closeRun = [&](size_t last) {
    if (last > first) {
      size_t start = tokens[first].start;
      size_t end = tokens[last - 1].end;
      while (start < end && IsSpace(html[start])) ++start;
      while (end > start && IsSpace(html[end - 1])) --end;
      TXliffSegment segment = BuildSegment(html, tokens, first, last, start, end);
      if (HasTranslatableText(segment.content)) segments.push_back(std::move(segment));
    }
  };
  for (size_t t = 0; t < tokens.size(); ++t) {
    if (tokens[t].kind == TToken::TKind::Tag && IsBlockTag(tokens[t].tag)) {
      closeRun(t);
      first = t + 1;
    }
  }
  closeRun(tokens.size());
  return segments;
}

TXliffSegment SegmentPlainText(std::string_view plain) {
  const std::string text(plain);
  TXliffSegment segment;
  segment.end = text.size();
  segment.original = text;
  size_t at = 0;
  for (const auto& [from, to] : TokenRanges(text)) {
    AppendText(segment.content, text.substr(at, from - at));
    const std::string id = std::to_string(segment.codes.size() + 1);
    segment.codes.push_back({id, false, text.substr(from, to - from), ""});
    segment.content.push_back({TXliffRun::TKind::Placeholder, id});
    at = to;
  }
  AppendText(segment.content, text.substr(at));
  return segment;
}

bool HasTranslatableText(const TXliffContent& content) {
  for (const TXliffRun& run : content) {
    if (run.kind != TXliffRun::TKind::Text) continue;
    // No-break spaces are as blank as spaces: "<p>&nbsp;</p>" has nothing to translate.
    if (!Trim(ReplaceAll(run.value, "\xC2\xA0", " ")).empty()) return true;
  }
  return false;
}

std::string RebuildHtml(const TXliffSegment& segment, const TXliffContent& target) {
  return Rebuild(segment, target, EscapePageText);
}

std::string RebuildPlainText(const TXliffSegment& segment, const TXliffContent& target) {
  return Rebuild(segment, target, KeepText);
}

std::string ReplaceSegments(std::string_view html, const std::vector<TXliffSegment>& segments,
                            const std::vector<const std::string*>& replacements) {
  std::string out;
  out.reserve(html.size() + html.size() / 4);
  size_t copied = 0;
  for (size_t i = 0; i < segments.size(); ++i) {
    if (i >= replacements.size() || !replacements[i]) continue;
    out.append(html.substr(copied, segments[i].start - copied));
    out += *replacements[i];
    copied = segments[i].end;
  }
  out.append(html.substr(copied));
  return out;
}

std::string ContentText(const TXliffContent& content) {
  std::string text;
  for (const TXliffRun& run : content) {
    if (run.kind == TXliffRun::TKind::Text) text += run.value;
  }
  return text;
}
