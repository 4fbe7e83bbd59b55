#include "uProjectSettings.h"

#include <algorithm>
#include <array>
#include <charconv>
#include <cmath>
#include <cstdio>
#include <limits>

#include "uUtils.h"

namespace {

// The usual values of the Windows system colours (index = the low byte of the
// negative constant), so settings written with one resolve to the same RGB here.
constexpr std::array<TColor, 31> kSystemColors = {
    RGBColor(200, 200, 200), RGBColor(0, 0, 0),       RGBColor(153, 180, 209), RGBColor(191, 205, 219),
    RGBColor(240, 240, 240), RGBColor(255, 255, 255), RGBColor(100, 100, 100), RGBColor(0, 0, 0),
    RGBColor(0, 0, 0),       RGBColor(0, 0, 0),       RGBColor(180, 180, 180), RGBColor(244, 247, 252),
    RGBColor(171, 171, 171), RGBColor(0, 120, 215),   RGBColor(255, 255, 255), RGBColor(240, 240, 240),
    RGBColor(160, 160, 160), RGBColor(109, 109, 109), RGBColor(0, 0, 0),       RGBColor(0, 0, 0),
    RGBColor(255, 255, 255), RGBColor(105, 105, 105), RGBColor(227, 227, 227), RGBColor(0, 0, 0),
    RGBColor(255, 255, 225), RGBColor(0, 0, 0),       RGBColor(0, 102, 204),   RGBColor(185, 209, 234),
    RGBColor(215, 228, 242), RGBColor(0, 120, 215),   RGBColor(240, 240, 240)};

const char* const kLinkStyles[] = {"none", "solid", "dashed", "dotted", "double"};
const char* const kTableBorderStyles[] = {"solid", "dashed", "dotted", "double"};

template <size_t N>
std::string OneOf(const std::string& value, const char* const (&allowed)[N], const char* fallback = "solid") {
  for (const char* a : allowed) {
    if (SameTextAscii(value, a)) return a;
  }
  return fallback;
}

void ReadText(const TJson& o, const char* key, std::string& field) { field = JsonString(o, key, field); }

void ReadInteger(const TJson& o, const char* key, std::int32_t& field) {
  const TJson* v = JsonFind(o, key);
  if (!v || !v->is_number()) return;
  const bool fits =
      v->is_number_integer() && !v->is_number_unsigned()
          ? v->get<std::int64_t>() >= std::numeric_limits<std::int32_t>::min() &&
                v->get<std::int64_t>() <= std::numeric_limits<std::int32_t>::max()
          : v->is_number_unsigned() && v->get<std::uint64_t>() <= std::numeric_limits<std::int32_t>::max();
  if (!fits) {
    throw EFolivaneError("the setting " + std::string(key) + " must be a whole number, but it is " + JsonWrite(*v));
  }
  field = static_cast<std::int32_t>(v->get<std::int64_t>());
}

void ReadFloat(const TJson& o, const char* key, double& field) {
  const TJson* v = JsonFind(o, key);
  if (v && v->is_number()) field = v->get<double>();
}

void ReadBoolean(const TJson& o, const char* key, bool& field) {
  const TJson* v = JsonFind(o, key);
  if (!v) return;
  if (v->is_boolean()) {
    field = v->get<bool>();
    return;
  }
  const std::string text = Trim(JsonValueText(*v));
  if (SameTextAscii(text, "true")) field = true;
  else if (SameTextAscii(text, "false")) field = false;
}

void ReadColor(const TJson& o, const char* key, TColor& field) {
  field = ColorFromHtml(JsonString(o, key, ColorToHtml(field)), field);
}

}  // namespace

std::optional<std::array<double, 4>> ParsePdfMargins(const std::string& text) {
  std::vector<double> values;
  for (const std::string& part : SplitString(ReplaceAll(Trim(text), ",", "."), ' ')) {
    if (part.empty()) continue;
    double value = 0;
    const auto [end, error] = std::from_chars(part.data(), part.data() + part.size(), value);
    if (error != std::errc() || end != part.data() + part.size() || !std::isfinite(value)) return std::nullopt;
    if (value < 0 || value > kPdfMaxMargin) return std::nullopt;
    values.push_back(value);
  }
  switch (values.size()) {
    case 0: return kPdfDefaultMargins;
    case 1: return std::array<double, 4>{values[0], values[0], values[0], values[0]};
    case 2: return std::array<double, 4>{values[0], values[1], values[0], values[1]};
    case 3: return std::array<double, 4>{values[0], values[1], values[2], values[1]};
    case 4: return std::array<double, 4>{values[0], values[1], values[2], values[3]};
    default: return std::nullopt;
  }
}

TColor ResolveColor(TColor color) {
  if (color >= 0) return color & 0xFFFFFF;
  const unsigned index = static_cast<unsigned>(color) & 0xFF;
  return index < kSystemColors.size() ? kSystemColors[index] : 0;
}

std::string ColorToHtml(TColor color) {
  const TColor rgb = ResolveColor(color);
  char buf[8];
  std::snprintf(buf, sizeof buf, "#%02x%02x%02x", rgb & 0xFF, (rgb >> 8) & 0xFF, (rgb >> 16) & 0xFF);
  return buf;
}

TColor ColorFromHtml(const std::string& text, TColor fallback) {
  const std::string t = Trim(text);
  if (t.size() != 7 || t[0] != '#') return fallback;
  if (t.find_first_not_of("0123456789abcdefABCDEF", 1) != std::string::npos) return fallback;
  const unsigned long value = std::stoul(t.substr(1), nullptr, 16);
  return RGBColor(static_cast<int>((value >> 16) & 0xFF), static_cast<int>((value >> 8) & 0xFF),
                  static_cast<int>(value & 0xFF));
}

void TProjectSettings::SetDefaults() {
  ProjTitle = "Untitled Documentation";
  FontSizeH1 = 32;
  FontSizeH2 = 24;
  FontSizeH3 = 18;
  FontSizeBody = 16;
  DefaultTextColor = RGBColor(0, 0, 0);
  DefaultFontName = "Segoe UI";
  DefaultTextBackColor = RGBColor(255, 255, 255);
  DefaultLineSpacing = 1.5;
  DefaultPageBgColor = RGBColor(255, 255, 255);
  DefaultHeaderBgColor = RGBColor(231, 239, 245);
  TocTextColor = RGBColor(0, 0, 0);
  TocTextSize = 12;
  CopyrightEnabled = false;
  CopyrightText.clear();
  LinkColor = RGBColor(0, 0, 255);
  LinkStyle = "solid";
  TableBorderStyle = "solid";
  TableBorderWidth = 1;
  TableBorderColor = RGBColor(153, 153, 153);
  SpellLanguage.clear();
  PdfCover = false;
  PdfContents = false;
  PdfContentsDepth = 3;
  PdfPageNumbers = "none";
  PdfRunningHeads = false;
  PdfChapterBreaks = false;
  PdfPaper.clear();
  PdfMargins.clear();
  PdfSubtitle.clear();
  PdfVersionLine.clear();
  PdfLogo.clear();
}

void TProjectSettings::SetNewProjectPdfDefaults() {
  PdfCover = true;
  PdfContents = true;
  PdfPageNumbers = "number-of-total";
  PdfRunningHeads = true;
  PdfChapterBreaks = true;
  PdfPaper = "A4";
}

bool TProjectSettings::PdfBookLayout() const {
  return PdfCover || PdfContents || PdfPageNumbers != "none" || PdfRunningHeads || PdfChapterBreaks ||
         !PdfPaper.empty() || !Trim(PdfMargins).empty();
}

TJson TProjectSettings::ToJson() const {
  TJson o = TJson::object();
  o["ProjTitle"] = ProjTitle;
  o["FontSizeH1"] = FontSizeH1;
  o["FontSizeH2"] = FontSizeH2;
  o["FontSizeH3"] = FontSizeH3;
  o["FontSizeBody"] = FontSizeBody;
  o["DefaultTextColor"] = ColorToHtml(DefaultTextColor);
  o["DefaultFontName"] = DefaultFontName;
  o["DefaultTextBackColor"] = ColorToHtml(DefaultTextBackColor);
  o["DefaultLineSpacing"] = DefaultLineSpacing;
  o["DefaultPageBgColor"] = ColorToHtml(DefaultPageBgColor);
  o["DefaultHeaderBgColor"] = ColorToHtml(DefaultHeaderBgColor);
  o["TocTextColor"] = ColorToHtml(TocTextColor);
  o["TocTextSize"] = TocTextSize;
  o["CopyrightEnabled"] = CopyrightEnabled;
  o["CopyrightText"] = CopyrightText;
  o["LinkColor"] = ColorToHtml(LinkColor);
  o["LinkStyle"] = LinkStyle;
  o["TableBorderStyle"] = TableBorderStyle;
  o["TableBorderWidth"] = TableBorderWidth;
  o["TableBorderColor"] = ColorToHtml(TableBorderColor);
  if (!SpellLanguage.empty()) o["SpellLanguage"] = SpellLanguage;
  const TProjectSettings defaults;
  if (PdfBookLayout() || PdfContentsDepth != defaults.PdfContentsDepth || !PdfSubtitle.empty() ||
      !PdfVersionLine.empty() || !PdfLogo.empty()) {
    o["PdfCover"] = PdfCover;
    o["PdfContents"] = PdfContents;
    o["PdfContentsDepth"] = PdfContentsDepth;
    o["PdfPageNumbers"] = PdfPageNumbers;
    o["PdfRunningHeads"] = PdfRunningHeads;
    o["PdfChapterBreaks"] = PdfChapterBreaks;
    o["PdfPaper"] = PdfPaper;
    o["PdfMargins"] = PdfMargins;
    o["PdfSubtitle"] = PdfSubtitle;
    o["PdfVersionLine"] = PdfVersionLine;
    o["PdfLogo"] = PdfLogo;
  }
  return o;
}

void TProjectSettings::FromJson(const TJson& o) {
  ReadText(o, "ProjTitle", ProjTitle);
  ReadInteger(o, "FontSizeH1", FontSizeH1);
  ReadInteger(o, "FontSizeH2", FontSizeH2);
  ReadInteger(o, "FontSizeH3", FontSizeH3);
  ReadInteger(o, "FontSizeBody", FontSizeBody);
  ReadColor(o, "DefaultTextColor", DefaultTextColor);
  ReadText(o, "DefaultFontName", DefaultFontName);
  ReadColor(o, "DefaultTextBackColor", DefaultTextBackColor);
  ReadFloat(o, "DefaultLineSpacing", DefaultLineSpacing);
  ReadColor(o, "DefaultPageBgColor", DefaultPageBgColor);
  ReadColor(o, "DefaultHeaderBgColor", DefaultHeaderBgColor);
  ReadColor(o, "TocTextColor", TocTextColor);
  ReadInteger(o, "TocTextSize", TocTextSize);
  ReadBoolean(o, "CopyrightEnabled", CopyrightEnabled);
  ReadText(o, "CopyrightText", CopyrightText);
  ReadColor(o, "LinkColor", LinkColor);
  if (JsonFind(o, "LinkStyle")) LinkStyle = AsciiLower(JsonString(o, "LinkStyle", LinkStyle));
  if (JsonFind(o, "TableBorderStyle"))
    TableBorderStyle = AsciiLower(JsonString(o, "TableBorderStyle", TableBorderStyle));
  ReadInteger(o, "TableBorderWidth", TableBorderWidth);
  ReadColor(o, "TableBorderColor", TableBorderColor);
  ReadText(o, "SpellLanguage", SpellLanguage);
  SpellLanguage = Trim(SpellLanguage);
  ReadBoolean(o, "PdfCover", PdfCover);
  ReadBoolean(o, "PdfContents", PdfContents);
  ReadInteger(o, "PdfContentsDepth", PdfContentsDepth);
  ReadText(o, "PdfPageNumbers", PdfPageNumbers);
  ReadBoolean(o, "PdfRunningHeads", PdfRunningHeads);
  ReadBoolean(o, "PdfChapterBreaks", PdfChapterBreaks);
  ReadText(o, "PdfPaper", PdfPaper);
  ReadText(o, "PdfMargins", PdfMargins);
  ReadText(o, "PdfSubtitle", PdfSubtitle);
  ReadText(o, "PdfVersionLine", PdfVersionLine);
  ReadText(o, "PdfLogo", PdfLogo);

  for (std::int32_t* size : {&FontSizeH1, &FontSizeH2, &FontSizeH3, &FontSizeBody})
    *size = std::max(*size, kMinFontSizePx);
  TocTextSize = std::clamp(TocTextSize, 6, 36);
  DefaultLineSpacing = std::clamp(DefaultLineSpacing, 1.0, 5.0);
  LinkStyle = OneOf(LinkStyle, kLinkStyles);
  TableBorderStyle = OneOf(TableBorderStyle, kTableBorderStyles);
  TableBorderWidth = std::clamp(TableBorderWidth, 1, 12);
  PdfContentsDepth = std::clamp(PdfContentsDepth, 1, 6);
  PdfPageNumbers = OneOf(PdfPageNumbers, kPdfPageNumberStyles, "none");
  PdfPaper = OneOf(Trim(PdfPaper), kPdfPapers, "");
  PdfMargins = Trim(PdfMargins);
  if (!ParsePdfMargins(PdfMargins)) PdfMargins.clear();  // unreadable margins print with the defaults
  PdfLogo = ReplaceAll(Trim(PdfLogo), "\\", "/");
}

void TProjectSettings::SaveToFile(const std::string& fileName) const {
  EnsureDir(ExtractFileDir(fileName));
  WriteTextFileUtf8Bom(fileName, JsonWrite(ToJson()));
}

bool TProjectSettings::LoadFromFile(const std::string& fileName) {
  if (!FileExists(fileName)) return false;
  return LoadFromText(ReadTextFileAutoBom(fileName), fileName);
}

bool TProjectSettings::LoadFromText(std::string_view text, const std::string& fileName) {
  TJson doc;
  if (!TryParseJson(text, doc) || !doc.is_object()) return false;
  try {
    FromJson(doc);
  } catch (const EFolivaneError& e) {
    throw EFolivaneError("Cannot load " + fileName + ": " + e.what());
  }
  return true;
}

std::string TProjectSettings::DefaultSettingsPathForProject(const std::string& projectRoot) {
  return PathJoin(PathJoin(projectRoot, "meta"), "project_settings.json");
}
