// The translation file transl.zd and the choice of the UI language.
#pragma once

#include <string>
#include <vector>

// One column per language: string 0 is its display name, string 1 its code, the rest
// its texts, row by row; column 0 holds the English source texts.
struct TTranslationTable {
  std::vector<std::vector<std::string>> columns;

  int LanguageCount() const { return static_cast<int>(columns.size()); }
  std::string DisplayName(int column) const;
  std::string Code(int column) const;
  // The column whose code equals code, letter case ignored; 0 when there is none.
  int IndexOfCode(const std::string& code) const;
};

// Parses the file's text: line 0 is the number of languages N, then rows of N lines.
// A partial table is kept when parsing stops early; returns false on such an error.
bool ParseTranslationText(const std::string& text, TTranslationTable& table);

// The program's code for the system UI language ("de", "fr", "cn", ...), "en" for any
// language the program does not know.
std::string DefaultLanguageCode();
std::string LanguageCodeForIso(const std::string& isoCode);

// The table loaded at start-up and the current language; process-wide.
const TTranslationTable& TranslationTable();
const std::string& CurrentLanguage();
int CurrentLanguageIndex();

// Reads transl.zd from the executable's folder and picks the stored language, else the
// system's. Any failure leaves the program in English, silently.
void LoadTranslations();
void LoadTranslationsFrom(const std::string& fileName, const std::string& languageCode);
// Makes a column current: TranslateText follows it at once. Out-of-range means English.
void SelectLanguageIndex(int column);
// Keeps the current language code in the per-user settings.ini (section UI).
void SaveLanguageSetting();
