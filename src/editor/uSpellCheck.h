// Spell checking in the editor: which dictionary checks a project's topics, and the
// project's own word list (meta/words.txt) that travels with the project.
#pragma once

#include <string>
#include <vector>

// The dictionary codes the program knows, in menu order ("en-US", "de-DE", ...).
const std::vector<std::string>& KnownSpellLanguages();
// The dictionary for an interface language code ("de" gives "de-DE"); "" when none.
std::string SpellLanguageForUiLanguage(const std::string& uiCode);
// The language's own name, as its speakers write it ("Deutsch"); the code when unknown.
std::string SpellLanguageName(const std::string& code);
// The folder of compiled dictionaries the editor uses: qtwebengine_dictionaries in the
// program's data folder (AppDataDir).
std::string SpellDictionaryFolder();
// The known languages whose dictionary file (<code>.bdic) is in folder, in menu order.
std::vector<std::string> InstalledSpellLanguages(const std::string& folder);
// The language to check in: the chosen one when installed, else the interface
// language's when installed, else "" (no checking).
std::string EffectiveSpellLanguage(const std::string& chosen, const std::string& uiCode,
                                   const std::vector<std::string>& installed);

// meta/words.txt of the project at root.
std::string ProjectWordsPath(const std::string& root);
// The project's words: one a line, UTF-8, blank lines and surrounding white space
// dropped, sorted and without repeats. A missing file is an empty list; raises when the
// file exists but cannot be read.
std::vector<std::string> LoadProjectWords(const std::string& root);
// Adds a word (trimmed) and rewrites the file sorted, atomically. Returns false when the
// word is empty, holds a line break, or is already listed; raises when the file cannot
// be written (the old list stays as it was).
bool AddProjectWord(const std::string& root, const std::string& word);
