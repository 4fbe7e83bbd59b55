#include "uSettingsCss.h"

#include <charconv>

#include "uContainment.h"
#include "uUtils.h"

const char* const kDefaultBodyCssRule = "body{font-family:Segoe UI,Arial;line-height:1.5;margin:0;}";

namespace {

const char kCrLf[] = "\r\n";
const char kChmBaseRules[] = "body{font-family:Segoe UI,Arial;line-height:1.5;}p{margin:0;}";

// Up to 15 significant digits, no trailing zeros, "." whatever the locale.
std::string LineSpacingText(double value) {
  char buffer[64];
  const auto result = std::to_chars(buffer, buffer + sizeof buffer, value, std::chars_format::general, 15);
  return std::string(buffer, result.ptr);
}

// The font name inside a double-quoted CSS string: a backslash before every quote, and
// also before every backslash, so a name ending in one cannot swallow the closing quote;
// line breaks and other control characters, which end a CSS string, become spaces.
std::string CssStringContent(const std::string& text) {
  std::string out;
  out.reserve(text.size());
  for (char c : text) {
    if (c == '"' || c == '\\') out += '\\';
    out += static_cast<unsigned char>(c) < 0x20 ? ' ' : c;
  }
  return out;
}

// The values of the settings as they enter the style sheet.
struct TCssValues {
  std::string font, size, textColor, lineSpacing, linkColor, linkStyle;
  std::string borderStyle, borderWidth, borderColor, headerBg;
  bool noLinkDecoration = false;
};

TCssValues CssValues(const TProjectSettings& s) {
  TCssValues v;
  v.font = Trim(s.DefaultFontName);
  if (v.font.empty()) v.font = "Segoe UI";
  v.font = CssStringContent(v.font);
  v.size = std::to_string(s.FontSizeBody) + "px";
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
  css << "" << "/* Project settings overrides */" << "body {"
      << "  font-family: \"" + v.font + "\", Arial, sans-serif !important;"
      << "  font-size: " + v.size + " !important;" << "  color: " + v.textColor + " !important;"
      << "  line-height: " + v.lineSpacing + " !important;" << "}" << "a, a:link, a:visited {"
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
  css << "}" << "table {" << "  border-collapse: collapse;" << "  max-width: 100%;" << "}" << "table, td, th {"
      << "  border-style: " + v.borderStyle + " !important;" << "  border-width: " + v.borderWidth + " !important;"
      << "  border-color: " + v.borderColor + " !important;" << "}" << "td, th {" << "  padding: 6px;"
      << "  vertical-align: top;" << "}" << "table tr:first-child > td, table tr:first-child > th {"
      << "  background: " + v.headerBg + " !important;" << "  background-color: " + v.headerBg + " !important;"
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
    css << "  border-bottom-width: 1px !important;" << "  border-bottom-style: " + v.linkStyle + " !important;"
        << "  border-bottom-color: " + v.linkColor + " !important;";
  }
  const std::string border = v.borderWidth + " " + v.borderStyle + " " + v.borderColor;
  css << "}" << "table {" << "  border-collapse: collapse;" << "  max-width: 100%;"
      << "  border: " + border + " !important;" << "}" << "td, th {" << "  border: " + border + " !important;"
      << "  padding: 6px;" << "  vertical-align: top;" << "}"
      << "table thead td, table thead th, table tr:first-child td, table tr:first-child th {"
      << "  background: " + v.headerBg + " !important;" << "  background-color: " + v.headerBg + " !important;"
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

std::string BuildPdfStyleCss(const TDocProject& project, const TProjectSettings* settings) {
  std::string text = ProfileOrDefaultRule(project);
  if (text.find("p { margin") == std::string::npos) text += std::string(kCrLf) + "p { margin: 0; }";
  return text + BuildSettingsCss(settings, TSettingsCssForm::Standard);
}

std::string BuildEditorStyleCss(const TDocProject& project, const TProjectSettings* settings) {
  std::string text;
  if (!ReadIfExists(project, StyleProfilePath(project), text) &&
      !ReadIfExists(project, PathJoin(project.RootPath(), "styles/default.css"), text)) {
    text = kDefaultBodyCssRule;
  }
  return text + kCrLf + BuildSettingsCss(settings, TSettingsCssForm::Standard);
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
