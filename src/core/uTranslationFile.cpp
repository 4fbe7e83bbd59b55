#include "uTranslationFile.h"

#include <map>

#include "uPlatform.h"
#include "uTranslation.h"
#include "uUtils.h"

namespace {

struct TTranslationState {
  TTranslationTable table;
  std::string currentLanguage = "en";
  int currentIndex = 0;
};

TTranslationState& State() {
  static TTranslationState state;
  return state;
}

bool ParseCount(const std::string& line, int& count) {
  if (line.empty() || line.size() > 6) return false;
  count = 0;
  for (char c : line) {
    if (c < '0' || c > '9') return false;
    count = count * 10 + (c - '0');
  }
  return count > 0;
}

// English -> current column, first row wins as in a top-down search.
void PublishCurrentColumn() {
  const TTranslationState& s = State();
  std::map<std::string, std::string> map;
  if (s.currentIndex > 0 && s.currentIndex < s.table.LanguageCount()) {
    const auto& source = s.table.columns[0];
    const auto& target = s.table.columns[static_cast<size_t>(s.currentIndex)];
    for (size_t row = 0; row < source.size() && row < target.size(); ++row) {
      map.emplace(source[row], target[row]);
    }
  }
  SetTranslationTable(std::move(map));
}

}  // namespace

std::string TTranslationTable::DisplayName(int column) const {
  if (column < 0 || column >= LanguageCount() || columns[column].empty()) return "";
  return columns[column][0];
}

std::string TTranslationTable::Code(int column) const {
  if (column < 0 || column >= LanguageCount() || columns[column].size() < 2) return "";
  return columns[column][1];
}

int TTranslationTable::IndexOfCode(const std::string& code) const {
  for (int i = 0; i < LanguageCount(); ++i) {
    if (SameTextAscii(Code(i), code)) return i;
  }
  return 0;
}

bool ParseTranslationText(const std::string& text, TTranslationTable& table) {
  table.columns.clear();
  const std::vector<std::string> lines = SplitTextLines(text);
  int n = 0;
  if (lines.empty() || !ParseCount(lines[0], n)) return false;
  const size_t rows = (lines.size() - 1) / static_cast<size_t>(n);
  table.columns.assign(static_cast<size_t>(n), std::vector<std::string>(rows));
  for (size_t row = 0; row < rows; ++row) {
    for (size_t col = 0; col < static_cast<size_t>(n); ++col) {
      table.columns[col][row] = lines[1 + row * static_cast<size_t>(n) + col];
    }
  }
  return true;
}

std::string LanguageCodeForIso(const std::string& isoCode) {
  static const std::map<std::string, std::string> kCodes = {
      {"ar", "ar"},
      {"zh", "cn"},
      {"cs", "cs"},
      {"de", "de"},
      {"el", "el"},
      {"es", "es"},
      {"fr", "fr"},
      {"hu", "hu"},
      {"it", "it"},
      {"ja", "jp"},
      {"ko", "kr"},
      {"nl", "nl"},
      {"pl", "pl"},
      {"pt", "pt"},
      {"tr", "tr"},
      // Russian ships with the program, so a Russian desktop gets it.
      {"ru", "ru"}};
  const auto it = kCodes.find(AsciiLower(isoCode));
  return it == kCodes.end() ? "en" : it->second;
}

std::string DefaultLanguageCode() { return LanguageCodeForIso(SystemUiLanguage()); }

const TTranslationTable& TranslationTable() { return State().table; }
const std::string& CurrentLanguage() { return State().currentLanguage; }
int CurrentLanguageIndex() { return State().currentIndex; }

void LoadTranslationsFrom(const std::string& fileName, const std::string& languageCode) {
  TTranslationState& s = State();
  s.currentLanguage = languageCode;
  s.currentIndex = 0;
  s.table.columns.clear();
  try {
    if (FileExists(fileName) && ParseTranslationText(ReadTextFileUtf8(fileName), s.table)) {
      s.currentIndex = s.table.IndexOfCode(languageCode);
    }
  } catch (const std::exception&) {
    s.currentIndex = 0;  // the program runs in English
  }
  PublishCurrentColumn();
}

void LoadTranslations() {
  std::string code = DefaultLanguageCode();
  try {
    const std::string stored = ReadStoredUiLanguage();
    if (!stored.empty()) code = stored;
  } catch (const std::exception&) {
  }
  LoadTranslationsFrom(PathJoin(AppDataDir(), "transl.zd"), code);
}

void SelectLanguageIndex(int column) {
  TTranslationState& s = State();
  s.currentIndex = column > 0 && column < s.table.LanguageCount() ? column : 0;
  const std::string code = s.table.Code(s.currentIndex);
  s.currentLanguage = code.empty() ? "en" : code;
  PublishCurrentColumn();
}

void SaveLanguageSetting() {
  try {
    StoreUiLanguage(State().currentLanguage);
  } catch (const std::exception&) {
    // An unwritable settings file only means the choice is not remembered.
  }
}
