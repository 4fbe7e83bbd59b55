#include "uHtmlText.h"

#include <algorithm>
#include <cstring>
#include <iterator>

#include "uRegex.h"
#include "uUtils.h"

// Whether s holds one of the two characters that fold to ASCII letters without case:
// U+017F (long s) and U+212A (Kelvin sign).
bool HasFoldingToAscii(std::string_view s) {
  return s.find("\xC5\xBF") != std::string_view::npos || s.find("\xE2\x84\xAA") != std::string_view::npos;
}

namespace {

char LowerChar(char c) { return (c >= 'A' && c <= 'Z') ? static_cast<char>(c + 32) : c; }

// Whether s holds word (lower-case ASCII) at pos, letter case ignored.
bool HasTextAt(std::string_view s, size_t pos, std::string_view word) {
  if (pos > s.size() || s.size() - pos < word.size()) return false;
  for (size_t i = 0; i < word.size(); ++i) {
    if (LowerChar(s[pos + i]) != word[i]) return false;
  }
  return true;
}

size_t FindText(std::string_view s, std::string_view word, size_t from) { return FindTextNoCase(s, word, from); }

// Removes whole script and style elements (<script ...>...</script>), each as one space.
// The next closing tag of each kind is remembered, so the pass stays linear even when
// many elements are never closed.
std::string_view DropScriptAndStyle(std::string_view html, std::string& buffer) {
  if (FindText(html, "<script", 0) == std::string_view::npos && FindText(html, "<style", 0) == std::string_view::npos &&
      !HasFoldingToAscii(html)) {
    return html;
  }
  if (HasFoldingToAscii(html)) {
    // The pattern ignores case the Unicode way ("\u017F" matches "s"): let it decide.
    buffer = CachedRegex("<(script|style)[^>]*>.*?</\\1>", roIgnoreCase | roDotAll).ReplaceAll(html, " ");
    return buffer;
  }
  struct TKind {
    std::string_view open, close;
    size_t nextClose = 0;
    bool closeKnown = false;
  } kinds[2] = {{"<script", "</script>"}, {"<style", "</style>"}};

  buffer.clear();
  buffer.reserve(html.size());
  size_t copied = 0;
  for (size_t i = html.find('<'); i != std::string_view::npos; i = html.find('<', i + 1)) {
    for (TKind& kind : kinds) {
      if (!HasTextAt(html, i, kind.open)) continue;
      const size_t gt = html.find('>', i + kind.open.size());
      if (gt == std::string_view::npos) break;
      if (!kind.closeKnown || (kind.nextClose != std::string_view::npos && kind.nextClose < gt + 1)) {
        kind.nextClose = FindText(html, kind.close, gt + 1);
        kind.closeKnown = true;
      }
      if (kind.nextClose == std::string_view::npos) break;
      buffer.append(html.substr(copied, i - copied));
      buffer += ' ';
      copied = kind.nextClose + kind.close.size();
      i = copied - 1;
      break;
    }
  }
  buffer.append(html.substr(copied));
  return buffer;
}

bool IsRegexSpace(unsigned char c) { return c == ' ' || (c >= 9 && c <= 13); }

// The entity decoding of the search text, as if each entity were replaced everywhere in
// turn: &nbsp; &amp; &lt; &gt; &quot; &#39;. Since &amp; goes before the later ones, the
// ampersand it leaves may start one of them ("&amp;lt;" gives "<"). Returns the length
// consumed at pos and the decoded character in out.
size_t DecodeSearchEntity(std::string_view s, size_t pos, char& out) {
  static const struct {
    std::string_view text;
    char ch;
  } kLater[] = {{"lt;", '<'}, {"gt;", '>'}, {"quot;", '"'}, {"#39;", '\''}};
  if (HasTextAt(s, pos, "&nbsp;")) {
    out = ' ';
    return 6;
  }
  size_t start = pos + 1;
  size_t consumed = 0;
  if (HasTextAt(s, pos, "&amp;")) {
    consumed = 5;
    start = pos + 5;
    out = '&';
  }
  for (const auto& e : kLater) {
    if (HasTextAt(s, start, e.text)) {
      out = e.ch;
      return (start - pos) + e.text.size();
    }
  }
  return consumed;
}

// Writes the search text into a buffer as large as the input: every step only shortens
// the text (a tag becomes one space, an entity one character, a blank run one space).
class TFoldedWriter {
 public:
  explicit TFoldedWriter(size_t capacity) : FText(capacity, '\0'), FStart(FText.data()), FEnd(FStart) {}
  void Space() {
    if (FEnd == FStart || FEnd[-1] != ' ') *FEnd++ = ' ';
  }
  void Put(char c) {
    if (IsRegexSpace(static_cast<unsigned char>(c))) Space();
    else *FEnd++ = c;
  }
  void PutPlain(const char* from, size_t n) {
    std::memcpy(FEnd, from, n);
    FEnd += n;
  }
  std::string Finish() {
    FText.resize(static_cast<size_t>(FEnd - FStart));
    return Trim(FText);
  }

 private:
  std::string FText;
  char* FStart;
  char* FEnd;
};

bool IsPlainTextChar(unsigned char c) { return c != '<' && c != '&' && !IsRegexSpace(c); }

}  // namespace

size_t FindTextNoCase(std::string_view s, std::string_view lowerWord, size_t from) {
  const size_t m = lowerWord.size();
  if (from > s.size() || s.size() - from < m) return std::string_view::npos;
  if (m == 0) return from;
  // A character without letter case is found with memchr; the word is checked around it.
  size_t anchor = 0;
  while (anchor < m && ((lowerWord[anchor] >= 'a' && lowerWord[anchor] <= 'z'))) ++anchor;
  if (anchor < m) {
    const char* base = s.data();
    const char* p = base + from + anchor;
    const char* last = base + (s.size() - m) + anchor;  // the anchor of the last possible place
    while (p <= last) {
      p = static_cast<const char*>(std::memchr(p, lowerWord[anchor], static_cast<size_t>(last - p) + 1));
      if (!p) break;
      const size_t pos = static_cast<size_t>(p - base) - anchor;
      if (HasTextAt(s, pos, lowerWord)) return pos;
      ++p;
    }
    return std::string_view::npos;
  }
  // Letters only: a Horspool search with a case-folded skip table.
  const char tail = lowerWord[m - 1];
  unsigned char skip[256];
  std::fill(std::begin(skip), std::end(skip), static_cast<unsigned char>(std::min<size_t>(m, 255)));
  for (size_t i = 0; i + 1 < m; ++i) {
    const auto shift = static_cast<unsigned char>(std::min<size_t>(m - 1 - i, 255));
    const char c = lowerWord[i];
    skip[static_cast<unsigned char>(c)] = shift;
    skip[static_cast<unsigned char>(c - 32)] = shift;
  }
  for (size_t pos = from; pos + m <= s.size();) {
    const char c = s[pos + m - 1];
    if (LowerChar(c) == tail && HasTextAt(s, pos, lowerWord.substr(0, m - 1))) return pos;
    pos += skip[static_cast<unsigned char>(c)];
  }
  return std::string_view::npos;
}

std::string HtmlToPlainText(std::string_view html) {
  std::string withoutScripts;
  const std::string_view s = DropScriptAndStyle(html, withoutScripts);
  TFoldedWriter out(s.size());
  size_t i = 0;
  while (i < s.size()) {
    size_t plain = i;
    while (plain < s.size() && IsPlainTextChar(static_cast<unsigned char>(s[plain]))) ++plain;
    if (plain > i) {
      out.PutPlain(s.data() + i, plain - i);
      i = plain;
      continue;
    }
    const char c = s[i];
    if (c == '<') {
      const size_t gt = s.find('>', i + 1);
      // With no ">" left, no tag can close any more: the rest is text.
      if (gt != std::string_view::npos && gt > i + 1) {
        out.Space();
        i = gt + 1;
        continue;
      }
    } else if (c == '&') {
      char decoded = 0;
      if (const size_t used = DecodeSearchEntity(s, i, decoded)) {
        out.Put(decoded);
        i += used;
        continue;
      }
    }
    out.Put(c);
    ++i;
  }
  return out.Finish();
}

namespace {

// The one escaper: & < > " always, the apostrophe when asked.
std::string Escape(std::string_view text, bool apostrophe) {
  std::string out;
  out.reserve(text.size() + text.size() / 8);
  for (char c : text) {
    switch (c) {
      case '&': out += "&amp;"; break;
      case '<': out += "&lt;"; break;
      case '>': out += "&gt;"; break;
      case '"': out += "&quot;"; break;
      case '\'':
        if (apostrophe) {
          out += "&#39;";
          break;
        }
        [[fallthrough]];
      default: out += c;
    }
  }
  return out;
}

}  // namespace

std::string HtmlEscape(std::string_view text) { return Escape(text, true); }

std::string EncodeHtmlText(std::string_view text) { return Escape(text, false); }

size_t HtmlTagEnd(std::string_view html, size_t start) {
  char quote = 0;
  for (size_t i = start + 1; i < html.size(); ++i) {
    const char c = html[i];
    if (quote) {
      if (c == quote) quote = 0;
    } else if (c == '"' || c == '\'') {
      quote = c;
    } else if (c == '>') {
      return i + 1;
    }
  }
  return std::string_view::npos;
}
