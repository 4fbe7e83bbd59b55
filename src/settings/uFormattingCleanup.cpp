#include "uFormattingCleanup.h"

#include <algorithm>
#include <cctype>
#include <cmath>
#include <cstdlib>
#include <unordered_set>

#include "uFontNames.h"
#include "uHtmlText.h"
#include "uStorage.h"
#include "uUtils.h"

namespace {

bool IsSpace(char c) { return c == ' ' || c == '\t' || c == '\r' || c == '\n' || c == '\f'; }

std::vector<std::string> Split(const std::string& text, char separator) {
  std::vector<std::string> parts;
  size_t start = 0;
  for (size_t at = text.find(separator); at != std::string::npos; at = text.find(separator, start)) {
    parts.push_back(text.substr(start, at - start));
    start = at + 1;
  }
  parts.push_back(text.substr(start));
  return parts;
}

struct TDeclaration {
  std::string text;   // as written, trimmed
  std::string name;   // lower case
  std::string value;  // trimmed, as written
};

// The declarations of a decoded style attribute; semicolons inside quotes or brackets
// do not split.
std::vector<TDeclaration> SplitDeclarations(const std::string& style) {
  std::vector<TDeclaration> list;
  std::string current;
  char quote = 0;
  int depth = 0;
  const auto flush = [&] {
    std::string text = Trim(current);
    current.clear();
    if (text.empty()) return;
    TDeclaration d;
    const size_t colon = text.find(':');
    if (colon != std::string::npos) {
      d.name = AsciiLower(Trim(std::string_view(text).substr(0, colon)));
      d.value = Trim(std::string_view(text).substr(colon + 1));
    }
    d.text = std::move(text);
    list.push_back(std::move(d));
  };
  for (char c : style) {
    if (quote) {
      if (c == quote) quote = 0;
    } else if (c == '"' || c == '\'') {
      quote = c;
    } else if (c == '(') {
      ++depth;
    } else if (c == ')' && depth > 0) {
      --depth;
    } else if (c == ';' && depth == 0) {
      flush();
      continue;
    }
    current += c;
  }
  flush();
  return list;
}

// The families of a font-family value, unquoted, as browsers name them.
std::vector<std::string> FontFamilies(const std::string& value) {
  std::vector<std::string> families;
  for (const std::string& part : Split(value, ',')) {
    std::string name = Trim(part);
    if (name.size() >= 2 && (name.front() == '"' || name.front() == '\'') && name.back() == name.front())
      name = name.substr(1, name.size() - 2);
    families.push_back(AsciiLower(BrowserFontFamily(name)));
  }
  return families;
}

bool IsFallbackFamily(const std::string& lowerName) {
  for (const char* known : {"arial", "liberation sans", "nimbus sans", "helvetica", "sans-serif"}) {
    if (lowerName == known) return true;
  }
  return false;
}

// "#rrggbb" for #rgb, #rrggbb and rgb(r, g, b); empty for anything else.
std::string NormalColor(const std::string& value) {
  const std::string v = AsciiLower(Trim(value));
  if (v.size() == 4 && v[0] == '#') return std::string("#") + v[1] + v[1] + v[2] + v[2] + v[3] + v[3];
  if (v.size() == 7 && v[0] == '#') return v;
  if (StartsWith(v, "rgb(") && EndsWith(v, ")")) {
    const std::vector<std::string> parts = Split(v.substr(4, v.size() - 5), ',');
    if (parts.size() != 3) return "";
    static const char kHex[] = "0123456789abcdef";
    std::string out = "#";
    for (const std::string& part : parts) {
      const std::string digits = Trim(part);
      if (digits.empty() || digits.size() > 3 || digits.find_first_not_of("0123456789") != std::string::npos) return "";
      const int n = std::atoi(digits.c_str());
      if (n > 255) return "";
      out += kHex[n / 16];
      out += kHex[n % 16];
    }
    return out;
  }
  return "";
}

bool SameNumber(const std::string& value, double number) {
  const std::string v = Trim(value);
  if (v.empty() || v.find_first_not_of("0123456789.") != std::string::npos) return false;
  return std::fabs(std::atof(v.c_str()) - number) < 1e-9;
}

class TCleaner {
 public:
  explicit TCleaner(const TProjectSettings& settings)
      : FFont(AsciiLower(
            BrowserFontFamily(Trim(settings.DefaultFontName).empty() ? "Segoe UI" : settings.DefaultFontName))),
        FColor(ColorToHtml(settings.DefaultTextColor)),
        FLineSpacing(settings.DefaultLineSpacing),
        FBodySize(std::to_string(settings.FontSizeBody) + "px"),
        FHeadingSizes{std::to_string(settings.FontSizeH1) + "px", std::to_string(settings.FontSizeH2) + "px",
                      std::to_string(settings.FontSizeH3) + "px"} {}

  // The style text without the default declarations (empty when none is left).
  std::string Clean(const std::string& style, int heading, int& removed) const {
    std::vector<TDeclaration> list = SplitDeclarations(style);
    bool appParagraph = false;
    for (const TDeclaration& d : list) {
      if (d.name == "font-family") appParagraph = IsAppParagraphFont(d.value);
    }
    std::string kept;
    for (const TDeclaration& d : list) {
      if (IsDefault(d, heading, appParagraph)) {
        ++removed;
        continue;
      }
      if (!kept.empty()) kept += ' ';
      kept += d.text + ";";
    }
    return kept;
  }

 private:
  // The font list earlier versions wrote into each new paragraph.
  static bool IsAppParagraphFont(const std::string& value) {
    const std::vector<std::string> families = FontFamilies(value);
    return families.size() == 3 && families[1] == "arial" && families[2] == "sans-serif";
  }

  bool IsDefault(const TDeclaration& d, int heading, bool appParagraph) const {
    if (AsciiLower(d.value).find("!important") != std::string::npos) return false;
    if (d.name == "font-family") {
      if (appParagraph) return true;
      const std::vector<std::string> families = FontFamilies(d.value);
      if (families.empty() || families[0] != FFont) return false;
      for (size_t i = 1; i < families.size(); ++i) {
        if (!IsFallbackFamily(families[i])) return false;
      }
      return true;
    }
    if (d.name == "font-size") {
      const std::string size = AsciiLower(d.value);
      return appParagraph || size == FBodySize || (heading >= 1 && heading <= 3 && size == FHeadingSizes[heading - 1]);
    }
    if (d.name == "color") return appParagraph || NormalColor(d.value) == FColor;
    if (d.name == "line-height") return SameNumber(d.value, FLineSpacing);
    return false;
  }

  std::string FFont, FColor;
  double FLineSpacing;
  std::string FBodySize;
  std::string FHeadingSizes[3];
};

// The attribute value with the quote entities the editor writes decoded, and back.
std::string DecodeQuotes(std::string_view text) {
  return ReplaceAll(ReplaceAll(ReplaceAll(text, "&quot;", "\""), "&#34;", "\""), "&#39;", "'");
}

std::string EncodeQuote(const std::string& text, char quote) {
  return quote == '"' ? ReplaceAll(text, "\"", "&quot;") : ReplaceAll(text, "'", "&#39;");
}

struct TStyleAttr {
  size_t begin = std::string::npos, end = 0;  // the attribute, with its leading blank
  size_t valueBegin = 0, valueEnd = 0;
  char quote = 0;
};

// The style attribute of a start tag, if it has one.
TStyleAttr FindStyle(std::string_view tag) {
  TStyleAttr attr;
  const std::string lower = AsciiLower(tag);
  for (size_t at = lower.find("style"); at != std::string::npos; at = lower.find("style", at + 1)) {
    if (at == 0 || !IsSpace(lower[at - 1])) continue;
    size_t i = at + 5;
    while (i < lower.size() && IsSpace(lower[i])) ++i;
    if (i >= lower.size() || lower[i] != '=') continue;
    ++i;
    while (i < lower.size() && IsSpace(lower[i])) ++i;
    if (i >= lower.size() || (lower[i] != '"' && lower[i] != '\'')) continue;
    const size_t close = lower.find(lower[i], i + 1);
    if (close == std::string::npos) continue;
    attr.begin = at - 1;
    attr.quote = lower[i];
    attr.valueBegin = i + 1;
    attr.valueEnd = close;
    attr.end = close + 1;
    return attr;
  }
  return attr;
}

std::string TagName(std::string_view tag) {
  size_t i = 1;
  if (i < tag.size() && tag[i] == '/') ++i;
  const size_t start = i;
  while (i < tag.size() && std::isalnum(static_cast<unsigned char>(tag[i]))) ++i;
  return AsciiLower(tag.substr(start, i - start));
}

bool IsBareSpan(std::string_view tag) {
  std::string rest(tag.substr(5));  // after "<span"
  rest = Trim(rest);
  return rest == ">" || rest == "/>";
}

}  // namespace

TFormattingCleanup CleanUpTopicFormatting(std::string_view html, const TProjectSettings& settings) {
  const TCleaner cleaner(settings);
  TFormattingCleanup result;
  std::string& out = result.html;
  out.reserve(html.size());
  std::vector<bool> spans;  // for each open span: was its start tag dropped
  int heading = 0;
  size_t pos = 0;
  while (pos < html.size()) {
    const size_t lt = html.find('<', pos);
    if (lt == std::string_view::npos) break;
    out.append(html.substr(pos, lt - pos));
    if (html.compare(lt, 4, "<!--") == 0) {
      const size_t close = html.find("-->", lt + 4);
      const size_t end = close == std::string_view::npos ? html.size() : close + 3;
      out.append(html.substr(lt, end - lt));
      pos = end;
      continue;
    }
    const size_t end = HtmlTagEnd(html, lt);
    if (end == std::string_view::npos) {
      pos = lt;
      break;
    }
    std::string_view tag = html.substr(lt, end - lt);
    const std::string name = TagName(tag);
    const bool closing = tag.size() > 1 && tag[1] == '/';
    if (name.size() == 2 && name[0] == 'h' && name[1] >= '1' && name[1] <= '6') heading = closing ? 0 : name[1] - '0';
    if (closing) {
      if (name == "span" && !spans.empty()) {
        const bool dropped = spans.back();
        spans.pop_back();
        if (dropped) {
          pos = end;
          continue;
        }
      }
      out.append(tag);
      pos = end;
      continue;
    }
    std::string newTag(tag);
    const TStyleAttr attr = FindStyle(tag);
    if (attr.begin != std::string::npos) {
      const std::string style = DecodeQuotes(tag.substr(attr.valueBegin, attr.valueEnd - attr.valueBegin));
      int removed = 0;
      const std::string kept = cleaner.Clean(style, heading, removed);
      if (removed > 0) {
        result.changes += removed;
        const std::string replacement =
            kept.empty() ? std::string()
                         : " style=" + std::string(1, attr.quote) + EncodeQuote(kept, attr.quote) + attr.quote;
        newTag = std::string(tag.substr(0, attr.begin)) + replacement + std::string(tag.substr(attr.end));
      }
    }
    if (name == "span" && !(newTag.size() >= 2 && newTag[newTag.size() - 2] == '/')) {
      const bool drop = attr.begin != std::string::npos && IsBareSpan(newTag);
      spans.push_back(drop);
      if (drop) {
        ++result.changes;
        pos = end;
        continue;
      }
    }
    out.append(newTag);
    pos = end;
  }
  out.append(html.substr(pos));
  if (result.changes == 0) result.html = std::string(html);
  return result;
}

std::vector<TTopicCleanup> PlanFormattingCleanup(const TDocProject& project, const TProjectSettings& settings) {
  std::vector<const TTopic*> topics;
  std::unordered_set<const TTopic*> seen;
  for (const TTopic* topic : project.TopicsInTreeOrder()) {
    if (seen.insert(topic).second) topics.push_back(topic);
  }
  const size_t inTree = topics.size();
  for (const auto& [id, topic] : project.Topics()) {
    if (seen.insert(topic.get()).second) topics.push_back(topic.get());
  }
  std::sort(topics.begin() + static_cast<std::ptrdiff_t>(inTree), topics.end(),
            [](const TTopic* a, const TTopic* b) { return a->ID() < b->ID(); });
  std::vector<TTopicCleanup> plan;
  for (const TTopic* topic : topics) {
    const std::string path = TopicFilePath(project, topic->ID());
    if (!FileExists(path)) continue;
    TFormattingCleanup cleaned = CleanUpTopicFormatting(ReadTextFileUtf8(path), settings);
    if (cleaned.changes == 0) continue;
    plan.push_back({topic->ID(), topic->Title(), cleaned.changes, std::move(cleaned.html)});
  }
  return plan;
}

void ApplyFormattingCleanup(const TDocProject& project, const std::vector<TTopicCleanup>& plan) {
  for (const TTopicCleanup& topic : plan) {
    try {
      WriteTextFileUtf8(TopicFilePath(project, topic.id), topic.html);
    } catch (const std::exception& e) {
      throw EFolivaneError("Could not write the topic \"" + topic.title + "\": " + e.what());
    }
  }
}
