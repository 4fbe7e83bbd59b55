// An XLIFF 2.1 translation file in memory, and its XML form (written and read with
// libxml2). One unit holds one piece of text with its inline codes; the markup the codes
// stand for travels along as original data, for the translator to see.
#pragma once

#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "uXliffSegments.h"

struct TXliffUnit {
  std::string id;
  std::string note;  // where the text comes from, for the translator
  TXliffContent source;
  std::optional<TXliffContent> target;
  std::vector<TXliffCode> codes;  // written as original data
  std::string problem;            // set by the reader: content it could not take in
};

struct TXliffDocument {
  std::string sourceLang;
  std::string targetLang;
  std::string original;  // the project file's name
  std::vector<TXliffUnit> units;
};

// Whether code looks like a language tag ("de", "pt-BR", "zh-Hans"): letters, digits and
// hyphens in short parts, safe in a file name.
bool IsLanguageTag(const std::string& code);

// The XML text of the document, UTF-8.
std::string WriteXliff(const TXliffDocument& document);
// Reads an XLIFF 2 file: the units of every <file>, segments and ignorables of a unit
// joined. Raises EFolivaneError naming fileName for text that is not XML or not XLIFF 2.
// A unit whose content holds inline elements this program does not write gets a problem
// instead of failing the file.
TXliffDocument ReadXliff(std::string_view xml, const std::string& fileName);
