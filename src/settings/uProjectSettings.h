// The project-wide look of the topics, stored as meta/project_settings.json.
#pragma once

#include <array>
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

#include "uJson.h"

// A colour in packed form: red in the low byte, then green, then blue (0x00BBGGRR).
// Negative values name system colours.
using TColor = std::int32_t;

constexpr TColor RGBColor(int r, int g, int b) { return r | (g << 8) | (b << 16); }

// "#rrggbb" in lower case; a system colour is resolved first.
std::string ColorToHtml(TColor color);
// "#RRGGBB" (trimmed, any letter case) as a colour; anything else gives the fallback.
TColor ColorFromHtml(const std::string& text, TColor fallback);
// The RGB value of a colour, resolving system colours.
TColor ResolveColor(TColor color);

// PdfPageNumbers: none, "7", "Page 7 of 90".
constexpr const char* kPdfPageNumberStyles[] = {"none", "number", "number-of-total"};
constexpr const char* kPdfPapers[] = {"", "A4", "Letter"};
// The margins used when PdfMargins is empty, in millimetres (top, right, bottom, left).
constexpr std::array<double, 4> kPdfDefaultMargins = {20, 18, 20, 18};
constexpr double kPdfMaxMargin = 60;

// PdfMargins read as in CSS (one value for all sides, two for top/bottom and the sides,
// three for top, the sides and bottom, four clockwise from the top), each a number of
// millimetres from 0 to kPdfMaxMargin; "" gives the defaults. Anything else: nullopt.
std::optional<std::array<double, 4>> ParsePdfMargins(const std::string& text);

// The smallest font size in pixels the settings keep; smaller ones are raised to it.
constexpr std::int32_t kMinFontSizePx = 8;

class TProjectSettings {
 public:
  std::string ProjTitle;
  std::int32_t FontSizeH1;
  std::int32_t FontSizeH2;
  std::int32_t FontSizeH3;
  std::int32_t FontSizeBody;
  TColor DefaultTextColor;
  std::string DefaultFontName;
  TColor DefaultTextBackColor;
  double DefaultLineSpacing;
  TColor DefaultPageBgColor;
  TColor DefaultHeaderBgColor;
  TColor TocTextColor;
  std::int32_t TocTextSize;
  bool CopyrightEnabled;
  std::string CopyrightText;
  TColor LinkColor;
  std::string LinkStyle;
  std::string TableBorderStyle;
  std::int32_t TableBorderWidth;
  TColor TableBorderColor;
  // The dictionary code the topics are checked in ("de-DE"); "" follows the interface
  // language. Written only when set, after the other keys.
  std::string SpellLanguage;
  // The PDF as a book. The defaults (all off, no paper, no margins) print the manual in one
  // plain flow, as projects made before these keys have it; the keys are written only when
  // one of them differs from its default, after the other keys.
  bool PdfCover;
  bool PdfContents;
  std::int32_t PdfContentsDepth;  // heading levels the contents list, 1 to 6
  std::string PdfPageNumbers;     // one of kPdfPageNumberStyles
  bool PdfRunningHeads;
  bool PdfChapterBreaks;
  std::string PdfPaper;    // "" (the browser's own size), "A4" or "Letter"
  std::string PdfMargins;  // millimetres as in CSS: "top right bottom left", 1 to 4 numbers; "" the default
  std::string PdfSubtitle;
  std::string PdfVersionLine;
  std::string PdfLogo;  // a picture under the project's assets folder, relative to the project

  TProjectSettings() { SetDefaults(); }
  void SetDefaults();
  // What a new project starts with: cover, contents, page numbers, running heads and
  // chapter breaks on, A4 paper.
  void SetNewProjectPdfDefaults();
  // Whether the PDF is printed as a book (any Pdf* option differs from its default).
  bool PdfBookLayout() const;
  TJson ToJson() const;
  // Reads the keys present over the current values, then applies the ranges. An
  // integer key holding a number with a fraction or exponent raises.
  void FromJson(const TJson& object);
  void SaveToFile(const std::string& fileName) const;
  // True when the file existed and held a JSON object that was read.
  bool LoadFromFile(const std::string& fileName);
  // The same for the file's decoded text; fileName names it in errors.
  bool LoadFromText(std::string_view text, const std::string& fileName);
  void SavePreset(const std::string& fileName) const { SaveToFile(fileName); }
  bool LoadPreset(const std::string& fileName) { return LoadFromFile(fileName); }
  static std::string DefaultSettingsPathForProject(const std::string& projectRoot);
};
