#include "uTopicHtmlDefaults.h"

#include <initializer_list>
#include <utility>

#include "uHtmlText.h"
#include "uUtils.h"

std::string DefaultTextFontName(const TProjectSettings& settings) {
  std::string font = Trim(settings.DefaultFontName);
  if (font.empty()) font = "Segoe UI";
  return ReplaceAll(font, "\"", "&quot;");
}

std::string DefaultEmptyParagraphHtml(const TProjectSettings&) {
  // No inline font, size, colour or line height: the project's style sheet governs the
  // text, in the editor and in every output, and follows later changes of the settings.
  // The editor copies a paragraph's style into the next one on Enter, so any style here
  // would spread through everything typed after it.
  return "<p><br></p>";
}

std::string DefaultHeaderHtml(const TProjectSettings& settings, const std::string& title) {
  return "<div style=\"font-size:" + std::to_string(settings.FontSizeBody) +
         "px;font-family:" + DefaultTextFontName(settings) + ", Arial, sans-serif;" +
         "color:" + ColorToHtml(settings.DefaultTextColor) + ";\"><b>" + EncodeHtmlText(title) + "</b></div>";
}

std::string StripTagsToText(std::string_view html) {
  std::string text;
  text.reserve(html.size());
  bool inTag = false;
  for (char c : html) {
    if (c == '<') inTag = true;
    else if (c == '>') inTag = false;
    else if (!inTag) text += c;
  }
  static const std::pair<const char*, const char*> kEntities[] = {
      {"&nbsp;", " "}, {"&#160;", " "}, {"&amp;", "&"}, {"&lt;", "<"}, {"&gt;", ">"}, {"&quot;", "\""}, {"&#39;", "'"}};
  if (text.find('&') != std::string::npos) {
    for (const auto& [entity, character] : kEntities) text = ReplaceAllText(text, entity, character);
  }
  return Trim(text);
}

namespace {

bool ContainsAny(const std::string& lowerText, std::initializer_list<const char*> needles) {
  for (const char* needle : needles) {
    if (lowerText.find(needle) != std::string::npos) return true;
  }
  return false;
}

}  // namespace

bool IsBodyEmpty(std::string_view html) {
  if (ContainsAny(AsciiLower(html), {"<img", "<table", "<video", "<iframe"})) return false;
  const std::string text = ReplaceAll(StripTagsToText(html), "\xC2\xA0", "");
  for (char c : text) {
    if (c != '\r' && c != '\n' && c != '\t' && c != ' ') return false;
  }
  return true;
}

bool IsDefaultLikeHeader(std::string_view headerHtml, const std::string& title, const std::string& projectTitle) {
  const std::string text = StripTagsToText(headerHtml);
  if (!SameTextAscii(text, Trim(title)) && !SameTextAscii(text, Trim(projectTitle))) return false;
  return !ContainsAny(AsciiLower(headerHtml), {"<img", "<table", "<a "});
}

std::optional<std::string> RetitledHeader(std::string_view headerHtml, const std::string& oldTitle,
                                          const std::string& newTitle) {
  if (Trim(oldTitle).empty() || StripTagsToText(headerHtml) != Trim(oldTitle)) return std::nullopt;
  if (ContainsAny(AsciiLower(headerHtml), {"<img", "<table", "<a "})) return std::nullopt;
  // The one run of text between tags that holds the title; attributes are never touched.
  const std::string encoded = EncodeHtmlText(Trim(oldTitle));
  size_t pos = 0;
  while (pos < headerHtml.size()) {
    const size_t open = headerHtml.find('<', pos);
    const size_t end = open == std::string_view::npos ? headerHtml.size() : open;
    const std::string_view run = headerHtml.substr(pos, end - pos);
    const size_t at = run.find(encoded);
    if (at != std::string_view::npos && Trim(std::string(run)) == encoded) {
      std::string result(headerHtml.substr(0, pos + at));
      result += EncodeHtmlText(newTitle);
      result += headerHtml.substr(pos + at + encoded.size());
      return result;
    }
    if (open == std::string_view::npos) break;
    const size_t close = headerHtml.find('>', open);
    if (close == std::string_view::npos) break;
    pos = close + 1;
  }
  return std::nullopt;
}
