#include "uTranslation.h"

namespace {

std::map<std::string, std::string>& CurrentTable() {
  static std::map<std::string, std::string> table;
  return table;
}

std::string TranslateLine(const std::map<std::string, std::string>& table, const std::string& english) {
  const auto it = table.find(english);
  return it == table.end() || it->second.empty() ? english : it->second;
}

}  // namespace

std::string TranslateText(const std::string& english) {
  const auto& table = CurrentTable();
  if (table.empty()) return english;
  if (english.find('\n') == std::string::npos) return TranslateLine(table, english);
  // A row of the file holds one line: a longer message is translated line by line.
  std::string out;
  size_t start = 0;
  for (;;) {
    const size_t end = english.find('\n', start);
    out += TranslateLine(table, english.substr(start, end == std::string::npos ? std::string::npos : end - start));
    if (end == std::string::npos) return out;
    out += '\n';
    start = end + 1;
  }
}

void SetTranslationTable(std::map<std::string, std::string> table) { CurrentTable() = std::move(table); }
