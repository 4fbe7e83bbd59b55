// Finds the English texts the sources pass to the translation lookup (Tr, TranslateText),
// also where they travel through a constant, a table walked by a loop, a function's
// parameter or an out-parameter, so the test of the shipped file sees every one.
// A lexical reading of C++, not a compiler: an argument it cannot follow back to
// literals is reported as unresolved, never skipped.
#pragma once

#include <string>
#include <vector>

struct TSourceFile {
  std::string name;  // as shown in messages
  std::string text;
};

struct TTranslatedText {
  std::string file;
  int line = 0;
  std::string text;  // the English text; for an unresolved call, the argument as written
};

struct TTranslatedTextScan {
  std::vector<TTranslatedText> texts;
  std::vector<TTranslatedText> unresolved;
};

// Scans every file; names (constants, functions) are looked up in the same file first,
// then in all the others.
TTranslatedTextScan ScanTranslatedTexts(const std::vector<TSourceFile>& files);
