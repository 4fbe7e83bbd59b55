// The WebHelp viewer's prebuilt search index: topic text cut into the same terms the viewer's
// query makes (folded words, CJK characters and pairs), written as small script files under
// search/ that the viewer loads only when a query needs them, from disk as from a server.
#pragma once

#include <cstdint>
#include <memory>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

// The fields of one topic as the index weighs them.
enum class TSearchField : int { Title = 0, Keywords = 1, Text = 2 };
constexpr int kSearchFieldCount = 3;

// The terms of one field: (folded term, occurrences), and how many distinct words it held.
struct TFieldTerms {
  std::vector<std::pair<std::string_view, std::uint32_t>> terms;
  std::uint32_t length = 0;
  std::unique_ptr<std::string> arena;  // the terms' text; stays in place when the struct moves
};

// One published topic, ready for the index.
struct TSearchDocument {
  std::string id;
  std::string title;
  std::string_view quotedText;  // the plain text as a JSON string literal, for the snippets; kept by the caller
  TFieldTerms fields[kSearchFieldCount];
};

// The terms and length of one field's text as the viewer's tokenizer and fold make them
// (text.js): words of letters, digits and marks; in Chinese, Japanese and Korean every
// character and every pair of neighbours; accents dropped, lower case, compatibility forms
// unified (ß to ss, æ to ae). Bytes that are not UTF-8 separate words. Thread-safe.
TFieldTerms IndexSearchField(std::string_view text);

// The postings of the index, gathered while the export's workers make the documents: each
// worker (as RunInParallel numbers them) keeps its own table, and Write joins them.
class TSearchIndexBuilder {
 public:
  TSearchIndexBuilder();
  ~TSearchIndexBuilder();
  TSearchIndexBuilder(const TSearchIndexBuilder&) = delete;
  TSearchIndexBuilder& operator=(const TSearchIndexBuilder&) = delete;

  // Takes the terms of document number d; the terms stay where doc keeps them until Write.
  // Each worker adds its documents in rising order.
  void Add(int worker, size_t d, const TSearchDocument& doc);

  // Writes search/index.js (documents, field lengths, term list), search/t<n>.js (postings
  // of a range of terms) and search/x<n>.js (topic texts for snippets) into outDir, docs
  // being every document added by its number. Files of an earlier export that this one
  // does not name are deleted. Raises when a file cannot be written.
  void Write(const std::string& outDir, const std::vector<TSearchDocument>& docs);

 private:
  struct TTable;
  std::vector<std::unique_ptr<TTable>> FTables;  // one a worker
};
