// The project-wide look of the topics, stored as meta/project_settings.json.
#pragma once

#include <cstdint>
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

  TProjectSettings() { SetDefaults(); }
  void SetDefaults();
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
