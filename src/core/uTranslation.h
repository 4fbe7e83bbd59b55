// The lookup every user-visible English text passes through.
#pragma once

#include <map>
#include <string>

// The translation of an English text in the current language, or the text itself
// when no translation is loaded or the text has none. A text of several lines is
// translated line by line, as each row of the file holds one line.
std::string TranslateText(const std::string& english);
// Replaces the current table (English -> translated). An empty table means English.
void SetTranslationTable(std::map<std::string, std::string> table);
