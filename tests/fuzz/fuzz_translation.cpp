// transl.zd over any bytes: the parser gives a rectangular table or refuses, and loading
// the file, choosing each language and translating never fails: the program at worst
// runs in English.
#include <cstdint>
#include <string>

#include "FuzzSupport.h"
#include "uTranslation.h"
#include "uTranslationFile.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  const std::string input(reinterpret_cast<const char*>(data), size);
  TTranslationTable table;
  if (ParseTranslationText(input, table)) {
    if (table.columns.empty()) FuzzFail("a table without languages", input);
    for (const auto& column : table.columns) {
      if (column.size() != table.columns[0].size()) FuzzFail("columns of different lengths", input);
    }
  } else if (!table.columns.empty()) {
    FuzzFail("a refused text left a table", input);
  }

  const std::string file = ScratchPath("transl.zd");
  WriteScratchFile(file, input);
  const std::string code = table.LanguageCount() > 1 ? table.Code(1) : "de";
  LoadTranslationsFrom(file, code);
  const int count = TranslationTable().LanguageCount();
  for (int column = -1; column <= count; ++column) {
    SelectLanguageIndex(column);
    if (CurrentLanguageIndex() < 0 || (count > 0 && CurrentLanguageIndex() >= count))
      FuzzFail("index out of range", input);
    if (CurrentLanguage().empty()) FuzzFail("no language code", input);
    TranslateText("File");
    if (count > 0 && !table.columns.empty() && table.columns[0].size() > 2) TranslateText(table.columns[0][2]);
  }
  return 0;
}
