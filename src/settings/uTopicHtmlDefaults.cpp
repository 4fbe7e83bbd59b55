#include "uTopicHtmlDefaults.h"

#include "uUtils.h"

std::string DefaultTextFontName(const TProjectSettings& settings) {
  std::string font = Trim(settings.DefaultFontName);
  if (font.empty()) font = "Segoe UI";
  return ReplaceAll(font, "\"", "&quot;");
}

std::string DefaultEmptyParagraphHtml(const TProjectSettings& settings) {
  return "<p style=\"font-family:" + DefaultTextFontName(settings) + ", Arial, sans-serif;" +
         "font-size:" + std::to_string(settings.FontSizeBody) + "px;" +
         "color:" + ColorToHtml(settings.DefaultTextColor) + ";" +
         "line-height:" + FloatToText(settings.DefaultLineSpacing) + ";\"><br></p>";
}
