#include "uTranslation.h"

namespace {

std::map<std::string, std::string>& CurrentTable() {
  static std::map<std::string, std::string> table;
  return table;
}

}  // namespace

std::string TranslateText(const std::string& english) {
  const auto& table = CurrentTable();
  if (table.empty()) return english;
  const auto it = table.find(english);
  return it == table.end() || it->second.empty() ? english : it->second;
}

void SetTranslationTable(std::map<std::string, std::string> table) { CurrentTable() = std::move(table); }
