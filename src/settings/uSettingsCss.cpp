#include "uSettingsCss.h"

#include <charconv>

#include "uContainment.h"
#include "uFontNames.h"
#include "uUtils.h"

const char* const kPdfTopicTitleClass = "zd-topic-title";

const char* const kDefaultBodyCssRule =
    "body{font-family:\"Segoe UI\",Arial,\"Liberation Sans\",\"Nimbus Sans\",Helvetica,sans-serif;"
    "line-height:1.5;margin:0;}";

namespace {

const char kCrLf[] = "\r\n";
const char kChmBaseRules[] =
    "body{font-family:\"Segoe UI\",Arial,\"Liberation Sans\",\"Nimbus Sans\",Helvetica,sans-serif;"
    "line-height:1.5;}";

// Up to 15 significant digits, no trailing zeros, "." whatever the locale.
std::string LineSpacingText(double value) {
  char buffer[64];
  const auto result = std::to_chars(buffer, buffer + sizeof buffer, value, std::chars_format::general, 15);
  return std::string(buffer, result.ptr);
}

// The values of the settings as they enter the style sheet.
struct TCssValues {
  std::string font, size, h1Size, h2Size, h3Size, textColor, lineSpacing, linkColor, linkStyle;
  std::string borderStyle, borderWidth, borderColor, headerBg;
  bool noLinkDecoration = false;
};

TCssValues CssValues(const TProjectSettings& s) {
  TCssValues v;
  v.font = ProjectFontStack(s.DefaultFontName);
  v.size = std::to_string(s.FontSizeBody) + "px";
  v.h1Size = std::to_string(s.FontSizeH1) + "px";
  v.h2Size = std::to_string(s.FontSizeH2) + "px";
  v.h3Size = std::to_string(s.FontSizeH3) + "px";
  v.textColor = ColorToHtml(s.DefaultTextColor);
  v.lineSpacing = LineSpacingText(s.DefaultLineSpacing);
  v.linkColor = ColorToHtml(s.LinkColor);
  v.linkStyle = AsciiLower(Trim(s.LinkStyle));
  if (v.linkStyle.empty()) v.linkStyle = "solid";
  v.noLinkDecoration = v.linkStyle == "none";
  v.borderStyle = AsciiLower(Trim(s.TableBorderStyle));
  v.borderWidth = std::to_string(s.TableBorderWidth) + "px";
  v.borderColor = ColorToHtml(s.TableBorderColor);
  v.headerBg = ColorToHtml(s.DefaultHeaderBgColor);
  return v;
}

class TCssLines {
 public:
  TCssLines& operator<<(const std::string& line) {
    FText += line;
    FText += kCrLf;
    return *this;
  }
  std::string Text() const { return FText; }

 private:
  std::string FText;
};

void AppendBodyAndLinkStart(TCssLines& css, const TCssValues& v) {
  css << ""
      << "/* Project settings overrides */"
      << "body {"
      << "  font-family: " + v.font + " !important;"
      << "  font-size: " + v.size + " !important;"
      << "  color: " + v.textColor + " !important;"
      << "  line-height: " + v.lineSpacing + " !important;"
      << "}"
      << "h1 { font-size: " + v.h1Size + "; }"
      << "h2 { font-size: " + v.h2Size + "; }"
      << "h3 { font-size: " + v.h3Size + "; }"
      << "a, a:link, a:visited {"
      << "  color: " + v.linkColor + " !important;";
}

std::string StandardCss(const TCssValues& v) {
  TCssLines css;
  AppendBodyAndLinkStart(css, v);
  if (v.noLinkDecoration) {
    css << "  text-decoration: none !important;";
  } else {
    css << "  text-decoration-line: underline !important;"
        << "  text-decoration-style: " + v.linkStyle + " !important;";
  }
  css << "}"
      << "table {"
      << "  border-collapse: collapse;"
      << "  max-width: 100%;"
      << "}"
      << "table, td, th {"
      << "  border-style: " + v.borderStyle + " !important;"
      << "  border-width: " + v.borderWidth + " !important;"
      << "  border-color: " + v.borderColor + " !important;"
      << "}"
      << "td, th {"
      << "  padding: 6px;"
      << "  vertical-align: top;"
      << "}"
      << "table tr:first-child > td, table tr:first-child > th {"
      << "  background: " + v.headerBg + " !important;"
      << "  background-color: " + v.headerBg + " !important;"
      << "}";
  return css.Text();
}

std::string ChmCss(const TCssValues& v) {
  TCssLines css;
  AppendBodyAndLinkStart(css, v);
  css << "  text-decoration: none !important;";
  if (v.noLinkDecoration) {
    css << "  border-bottom: none !important;";
  } else {
    css << "  border-bottom-width: 1px !important;"
        << "  border-bottom-style: " + v.linkStyle + " !important;"
        << "  border-bottom-color: " + v.linkColor + " !important;";
  }
  const std::string border = v.borderWidth + " " + v.borderStyle + " " + v.borderColor;
  css << "}"
      << "table {"
      << "  border-collapse: collapse;"
      << "  max-width: 100%;"
      << "  border: " + border + " !important;"
      << "}"
      << "td, th {"
      << "  border: " + border + " !important;"
      << "  padding: 6px;"
      << "  vertical-align: top;"
      << "}"
      << "table thead td, table thead th, table tr:first-child td, table tr:first-child th {"
      << "  background: " + v.headerBg + " !important;"
      << "  background-color: " + v.headerBg + " !important;"
      << "}";
  return css.Text();
}

// The profile's text, or false when the file does not exist or leads outside the project
// through a symbolic link (an unreadable one raises).
bool ReadIfExists(const TDocProject& project, const std::string& path, std::string& text) {
  if (!FileExists(path) || !TFolderBoundary(project.RootPath()).Holds(path)) return false;
  text = ReadTextFileUtf8(path);
  return true;
}

std::string ProfileOrDefaultRule(const TDocProject& project) {
  std::string text;
  if (!ReadIfExists(project, StyleProfilePath(project), text)) text = kDefaultBodyCssRule;
  return text;
}

}  // namespace

std::string BuildSettingsCss(const TProjectSettings* settings, TSettingsCssForm form) {
  return settings ? BuildSettingsCss(*settings, form) : std::string();
}

std::string BuildSettingsCss(const TProjectSettings& settings, TSettingsCssForm form) {
  const TCssValues values = CssValues(settings);
  return form == TSettingsCssForm::Chm ? ChmCss(values) : StandardCss(values);
}

std::string StyleProfilePath(const TDocProject& project) {
  // The profile name comes from project.json: it names a file in styles/, never a path.
  // Characters PathJoin refuses are replaced like the separators, so a name never raises.
  std::string name = project.StyleProfile();
  for (char& c : name) {
    if (c == '/' || c == '\\' || IsInvalidPathChar(static_cast<unsigned char>(c))) c = '_';
  }
  return PathJoin(PathJoin(project.RootPath(), "styles"), name + ".css");
}

std::string BuildWebHelpStyleCss(const TDocProject& project, const TProjectSettings* settings) {
  return ProfileOrDefaultRule(project) + BuildSettingsCss(settings, TSettingsCssForm::Standard);
}

std::string BuildChmStyleCss(const TProjectSettings* settings) {
  return kChmBaseRules + BuildSettingsCss(settings, TSettingsCssForm::Chm);
}

std::string TopicBodyLayoutCss(const std::string& scope, const std::string& headingFilter) {
  const std::string s = scope.empty() ? std::string() : scope + " ";
  std::string headings;
  for (char level = '1'; level <= '6'; ++level) {
    if (!headings.empty()) headings += ',';
    headings += s + "h" + level + headingFilter;
  }
  return s + "p{margin:0;}" + headings + "{margin:0;}" + s + "ul," + s + "ol{margin:0;padding-left:1.5em;}" + s +
         "li{margin:0;}";
}

std::string BuildPdfStyleCss(const TDocProject& project, const TProjectSettings* settings) {
  // The titles the manual gives its sections keep the profile's spacing.
  return ProfileOrDefaultRule(project) + kCrLf +
         TopicBodyLayoutCss("section", ":not(." + std::string(kPdfTopicTitleClass) + ")") +
         BuildSettingsCss(settings, TSettingsCssForm::Standard);
}

std::string BuildEditorStyleCss(const TDocProject& project, const TProjectSettings* settings) {
  std::string text;
  if (!ReadIfExists(project, StyleProfilePath(project), text) &&
      !ReadIfExists(project, PathJoin(project.RootPath(), "styles/default.css"), text)) {
    text = kDefaultBodyCssRule;
  }
  text += kCrLf + TopicBodyLayoutCss(".zd-body") + BuildSettingsCss(settings, TSettingsCssForm::Standard);
  // The editing areas take the text style of the page's body, as the body of a published
  // page does, and not the one the editor component gives them.
  if (settings) {
    text +=
        ".zd-body, .zd-header { font-family: inherit !important; font-size: inherit !important;"
        " color: inherit !important; line-height: inherit !important; }";
    text += kCrLf;
  }
  return text;
}

std::string EditorEffectiveCssPath(const TDocProject& project) {
  return PathJoin(project.RootPath(), "internal/editor/editor_effective.css");
}

std::string WriteEditorEffectiveCss(const TProjectSettings& settings, const TDocProject& project) {
  if (project.RootPath().empty()) throw EFolivaneError("The project has no folder for the editor's style sheet");
  const std::string path = EditorEffectiveCssPath(project);
  const std::string css = BuildEditorStyleCss(project, &settings);
  // Written only when it changed: showing a topic leaves the project's files as they are.
  if (!FileExists(path) || ReadTextFileUtf8(path) != css) {
    EnsureDir(ExtractFileDir(path));
    WriteTextFileUtf8(path, css);
  }
  return ExpandFileName(path);
}
