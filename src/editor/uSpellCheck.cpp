#include "uSpellCheck.h"

#include <algorithm>

#include "uPlatform.h"
#include "uUtils.h"

namespace {

struct TSpellLanguage {
  const char* code;
  const char* uiCode;
  const char* name;
};

const TSpellLanguage kLanguages[] = {
    {"en-US", "en", "English (US)"},
    {"de-DE", "de", "Deutsch"},
    {"fr-FR", "fr",
     "Fran\xC3\xA7"
     "ais"},
    {"es-ES", "es", "Espa\xC3\xB1ol"},
    {"ru-RU", "ru", "\xD0\xA0\xD1\x83\xD1\x81\xD1\x81\xD0\xBA\xD0\xB8\xD0\xB9"},
};

std::vector<std::string> SortedUnique(std::vector<std::string> words) {
  std::sort(words.begin(), words.end());
  words.erase(std::unique(words.begin(), words.end()), words.end());
  return words;
}

}  // namespace

const std::vector<std::string>& KnownSpellLanguages() {
  static const std::vector<std::string> codes = [] {
    std::vector<std::string> all;
    for (const TSpellLanguage& l : kLanguages) all.push_back(l.code);
    return all;
  }();
  return codes;
}

std::string SpellLanguageForUiLanguage(const std::string& uiCode) {
  for (const TSpellLanguage& l : kLanguages) {
    if (uiCode == l.uiCode) return l.code;
  }
  return "";
}

std::string SpellLanguageName(const std::string& code) {
  for (const TSpellLanguage& l : kLanguages) {
    if (code == l.code) return l.name;
  }
  return code;
}

std::string SpellDictionaryFolder() { return PathJoin(AppDataDir(), "qtwebengine_dictionaries"); }

std::vector<std::string> InstalledSpellLanguages(const std::string& folder) {
  std::vector<std::string> installed;
  for (const std::string& code : KnownSpellLanguages()) {
    if (FileExists(PathJoin(folder, code + ".bdic"))) installed.push_back(code);
  }
  return installed;
}

std::string EffectiveSpellLanguage(const std::string& chosen, const std::string& uiCode,
                                   const std::vector<std::string>& installed) {
  const auto has = [&installed](const std::string& code) {
    return !code.empty() && std::find(installed.begin(), installed.end(), code) != installed.end();
  };
  if (has(chosen)) return chosen;
  const std::string ui = SpellLanguageForUiLanguage(uiCode);
  return has(ui) ? ui : "";
}

std::string ProjectWordsPath(const std::string& root) { return PathJoin(PathJoin(root, "meta"), "words.txt"); }

std::vector<std::string> LoadProjectWords(const std::string& root) {
  const std::string path = ProjectWordsPath(root);
  if (!FileExists(path)) return {};
  std::vector<std::string> words;
  for (const std::string& line : SplitTextLines(ReadTextFileAutoBom(path))) {
    std::string word = Trim(line);
    if (!word.empty()) words.push_back(std::move(word));
  }
  return SortedUnique(std::move(words));
}

bool AddProjectWord(const std::string& root, const std::string& word) {
  const std::string w = Trim(word);
  if (w.empty() || w.find_first_of("\r\n") != std::string::npos) return false;
  std::vector<std::string> words = LoadProjectWords(root);
  if (std::binary_search(words.begin(), words.end(), w)) return false;
  words.push_back(w);
  words = SortedUnique(std::move(words));
  std::string text;
  for (const std::string& each : words) text += each + "\n";
  EnsureDir(ExtractFileDir(ProjectWordsPath(root)));
  WriteTextFileUtf8(ProjectWordsPath(root), text);
  return true;
}
