#include "uWebHelpSearchIndex.h"

#include <unicode/locid.h>
#include <unicode/normalizer2.h>
#include <unicode/uchar.h>
#include <unicode/unistr.h>
#include <unicode/uscript.h>
#include <unicode/utf8.h>

#include <algorithm>
#include <filesystem>
#include <iterator>
#include <unordered_map>

#include "uContainment.h"
#include "uJson.h"
#include "uParallelPages.h"
#include "uUtils.h"

namespace {

// Postings files hold about this many bytes, text files about this many characters of
// topic text: small enough to load between two key strokes.
constexpr size_t kShardBytes = 48 * 1024;
constexpr size_t kTextGroupBytes = 64 * 1024;

bool IsWordChar(UChar32 c) { return (U_GET_GC_MASK(c) & (U_GC_L_MASK | U_GC_N_MASK | U_GC_M_MASK)) != 0; }

bool IsMark(UChar32 c) { return (U_GET_GC_MASK(c) & U_GC_M_MASK) != 0; }

// Scripts written without spaces between words (by script extension, so that shared marks
// such as the prolonged sound mark belong to them).
bool IsCjk(UChar32 c) {
  if (c < 0x1100) return false;
  return uscript_hasScript(c, USCRIPT_HAN) || uscript_hasScript(c, USCRIPT_HIRAGANA) ||
         uscript_hasScript(c, USCRIPT_KATAKANA) || uscript_hasScript(c, USCRIPT_HANGUL);
}

std::string Utf8Of(const icu::UnicodeString& s) {
  std::string out;
  s.toUTF8String(out);
  return out;
}

// Letters that do not decompose into a base letter and marks.
const char* SpecialFold(UChar32 c) {
  switch (c) {
    case 0x00DF:
    case 0x1E9E: return "ss";
    case 0x00E6:
    case 0x00C6: return "ae";
    case 0x0153:
    case 0x0152: return "oe";
    case 0x00F8:
    case 0x00D8: return "o";
    case 0x0142:
    case 0x0141: return "l";
    case 0x0111:
    case 0x0110:
    case 0x00F0:
    case 0x00D0: return "d";
    case 0x00FE:
    case 0x00DE: return "th";
    case 0x0131: return "i";
    case 0x0140:
    case 0x013F: return "l";
    default: return nullptr;
  }
}

std::string FoldCharUncached(UChar32 c) {
  if (const char* special = SpecialFold(c)) return special;
  UErrorCode status = U_ZERO_ERROR;
  const icu::Normalizer2* nfkd = icu::Normalizer2::getNFKDInstance(status);
  icu::UnicodeString decomposed;
  if (U_SUCCESS(status)) decomposed = nfkd->normalize(icu::UnicodeString(c), status);
  if (U_FAILURE(status)) decomposed = icu::UnicodeString(c);
  icu::UnicodeString kept;
  for (int32_t i = 0; i < decomposed.length();) {
    const UChar32 d = decomposed.char32At(i);
    if (!IsMark(d)) kept.append(d);
    i += U16_LENGTH(d);
  }
  if (kept.isEmpty() && !IsMark(c)) kept = icu::UnicodeString(c);
  return Utf8Of(kept.toLower(icu::Locale::getRoot()));
}

const std::string& FoldChar(UChar32 c) {
  thread_local std::unordered_map<UChar32, std::string> cache;
  auto it = cache.find(c);
  if (it != cache.end()) return it->second;
  return cache.emplace(c, FoldCharUncached(c)).first->second;
}

struct TCodePoint {
  UChar32 c;
  size_t begin, end;  // bytes in the source
};

// A word holding CJK: its other pieces stay whole, CJK runs give characters and pairs.
void SplitCjkWord(std::string_view text, const std::vector<TCodePoint>& word, std::vector<std::string_view>& out) {
  size_t i = 0;
  while (i < word.size()) {
    size_t j = i;
    const bool cjk = IsCjk(word[i].c);
    while (j < word.size() && IsCjk(word[j].c) == cjk) ++j;
    if (!cjk) {
      out.push_back(text.substr(word[i].begin, word[j - 1].end - word[i].begin));
    } else if (j - i == 1) {
      out.push_back(text.substr(word[i].begin, word[i].end - word[i].begin));
    } else {
      for (size_t k = i; k < j; ++k) {
        out.push_back(text.substr(word[k].begin, word[k].end - word[k].begin));
        if (k + 1 < j) out.push_back(text.substr(word[k].begin, word[k + 1].end - word[k].begin));
      }
    }
    i = j;
  }
}

void FlushWord(std::string_view text, std::vector<TCodePoint>& word, bool hasCjk, std::vector<std::string_view>& out) {
  if (word.empty()) return;
  if (hasCjk) {
    SplitCjkWord(text, word, out);
  } else {
    out.push_back(text.substr(word.front().begin, word.back().end - word.front().begin));
  }
  word.clear();
}

bool IsAsciiWordByte(unsigned char b) {
  return (b >= '0' && b <= '9') || (b >= 'a' && b <= 'z') || (b >= 'A' && b <= 'Z');
}

struct TPosting {
  std::uint32_t doc;
  std::uint32_t count;
  int field;
};
using TPostings = std::vector<TPosting>;  // in document order

// A part is a call the viewer answers: window.__ZD_SEARCH_PART(kind, number, [...]).
std::string PartOpening(char kind, size_t n) {
  std::string s = "window.__ZD_SEARCH_PART(\"";
  s += kind;
  s += "\",";
  s += std::to_string(n);
  s += ',';
  return s;
}

const char kPartClosing[] = ");";

// [term, [field, document, occurrences, document, occurrences, ...], ...]: each document
// number after the first of a field counts from the one before it.
void AppendTermEntry(std::string& out, std::string_view term, const TPostings& postings) {
  out += '[';
  out += JsonQuote(term);
  for (int f = 0; f < kSearchFieldCount; ++f) {
    bool opened = false;
    std::uint32_t last = 0;
    for (const TPosting& p : postings) {
      if (p.field != f) continue;
      if (!opened) {
        out += ",[";
        out += std::to_string(f);
        opened = true;
      }
      out += ',';
      out += std::to_string(p.doc - last);
      out += ',';
      out += std::to_string(p.count);
      last = p.doc;
    }
    if (opened) out += ']';
  }
  out += ']';
}

// Deletes t<n>.js and x<n>.js left by an earlier, larger export.
void RemoveStaleParts(const std::string& folder, size_t termParts, size_t textParts) {
  std::error_code ec;
  for (const auto& entry : std::filesystem::directory_iterator(folder, ec)) {
    const std::string name = entry.path().filename().string();
    if (name.size() < 5 || (name[0] != 't' && name[0] != 'x') || name.compare(name.size() - 3, 3, ".js") != 0) continue;
    const std::string digits = name.substr(1, name.size() - 4);
    if (digits.empty() || digits.size() > 9 || !std::all_of(digits.begin(), digits.end(), ::isdigit)) continue;
    const size_t n = std::stoul(digits);
    if (n >= (name[0] == 't' ? termParts : textParts)) DeleteFileIfExists(entry.path().string());
  }
}

// Counts distinct words by open addressing in one table per thread: a page's words need
// no allocation each, as a node-based map would.
class TDistinctCounter {
 public:
  void Reset(size_t expected) {
    for (size_t slot : FUsed) FSlots[slot] = {};
    FUsed.clear();
    size_t size = 64;
    while (size < expected * 2) size <<= 1;
    if (FSlots.size() < size) FSlots.assign(size, {});
    FMask = FSlots.size() - 1;
  }
  void Add(std::string_view token) {
    size_t slot = std::hash<std::string_view>()(token) & FMask;
    while (FSlots[slot].second != 0 && FSlots[slot].first != token) slot = (slot + 1) & FMask;
    if (FSlots[slot].second++ == 0) {
      FSlots[slot].first = token;
      FUsed.push_back(slot);
    }
  }
  const std::vector<size_t>& Used() const { return FUsed; }
  const std::pair<std::string_view, std::uint32_t>& At(size_t slot) const { return FSlots[slot]; }

 private:
  std::vector<std::pair<std::string_view, std::uint32_t>> FSlots;
  std::vector<size_t> FUsed;  // filled slots in the order of first sight
  size_t FMask = 0;
};

TDistinctCounter& ThreadCounter() {
  thread_local TDistinctCounter counter;
  return counter;
}

// The tokens as views into text, into out.
void TokenViews(std::string_view text, std::vector<std::string_view>& out) {
  out.clear();
  std::vector<TCodePoint> word;
  bool hasCjk = false;
  const auto* bytes = reinterpret_cast<const uint8_t*>(text.data());
  const int32_t length = static_cast<int32_t>(text.size());
  int32_t i = 0;
  while (i < length) {
    const size_t begin = static_cast<size_t>(i);
    // Most words are plain ASCII: taken whole when nothing but ASCII ends them.
    if (word.empty() && IsAsciiWordByte(bytes[i])) {
      int32_t end = i + 1;
      while (end < length && IsAsciiWordByte(bytes[end])) ++end;
      if (end == length || bytes[end] < 0x80) {
        out.push_back(text.substr(begin, static_cast<size_t>(end - i)));
        i = end;
        continue;
      }
    }
    UChar32 c;
    if (bytes[i] < 0x80) {
      c = bytes[i++];
    } else {
      U8_NEXT(bytes, i, length, c);
    }
    const bool wordChar = c >= 0 && (c < 0x80 ? IsAsciiWordByte(static_cast<unsigned char>(c)) : IsWordChar(c));
    if (!wordChar) {
      FlushWord(text, word, hasCjk, out);
      hasCjk = false;
      continue;
    }
    if (c >= 0x80 && IsCjk(c)) hasCjk = true;
    word.push_back({c, begin, static_cast<size_t>(i)});
  }
  FlushWord(text, word, hasCjk, out);
}

void FoldInto(std::string_view token, std::string& out) {
  out.clear();
  const auto* bytes = reinterpret_cast<const uint8_t*>(token.data());
  const int32_t length = static_cast<int32_t>(token.size());
  int32_t i = 0;
  while (i < length) {
    if (bytes[i] < 0x80) {
      const char b = static_cast<char>(bytes[i++]);
      out += (b >= 'A' && b <= 'Z') ? static_cast<char>(b - 'A' + 'a') : b;
      continue;
    }
    UChar32 c;
    U8_NEXT(bytes, i, length, c);
    if (c >= 0) out += FoldChar(c);
  }
}

}  // namespace

TFieldTerms IndexSearchField(std::string_view text) {
  thread_local std::vector<std::string_view> tokens;
  TokenViews(text, tokens);
  TDistinctCounter& distinct = ThreadCounter();
  distinct.Reset(tokens.size());
  for (std::string_view token : tokens) distinct.Add(token);
  // Each distinct word is folded once; words that fold alike ("Install", "install") merge.
  // The forms go to the arena by offset first: its buffer moves while it grows.
  TFieldTerms result;
  result.arena = std::make_unique<std::string>();
  std::string& arena = *result.arena;
  std::vector<std::pair<size_t, std::uint32_t>> ends;  // (end in the arena, occurrences)
  ends.reserve(distinct.Used().size());
  std::string term;
  for (size_t slot : distinct.Used()) {
    const auto& [token, n] = distinct.At(slot);
    ++result.length;
    FoldInto(token, term);
    if (term.empty()) continue;
    arena += term;
    ends.emplace_back(arena.size(), n);
  }
  std::vector<std::pair<std::string_view, std::uint32_t>> terms;
  terms.reserve(ends.size());
  size_t start = 0;
  for (const auto& [end, n] : ends) {
    terms.emplace_back(std::string_view(arena).substr(start, end - start), n);
    start = end;
  }
  std::sort(terms.begin(), terms.end());
  for (const auto& entry : terms) {
    if (!result.terms.empty() && result.terms.back().first == entry.first) {
      result.terms.back().second += entry.second;
    } else {
      result.terms.push_back(entry);
    }
  }
  return result;
}

struct TSearchIndexBuilder::TTable {
  std::unordered_map<std::string_view, size_t> slot;  // views into the documents
  std::vector<std::string_view> terms;
  std::vector<TPostings> postings;  // of each term, in document order
};

TSearchIndexBuilder::TSearchIndexBuilder() {
  for (int w = 0; w < kParallelWorkers; ++w) FTables.push_back(std::make_unique<TTable>());
}

TSearchIndexBuilder::~TSearchIndexBuilder() = default;

void TSearchIndexBuilder::Add(int worker, size_t d, const TSearchDocument& doc) {
  TTable& table = *FTables.at(static_cast<size_t>(worker));
  for (int f = 0; f < kSearchFieldCount; ++f) {
    for (const auto& [term, count] : doc.fields[f].terms) {
      auto [it, fresh] = table.slot.emplace(term, table.terms.size());
      if (fresh) {
        table.terms.push_back(term);
        table.postings.emplace_back();
      }
      table.postings[it->second].push_back({static_cast<std::uint32_t>(d), count, f});
    }
  }
}

void TSearchIndexBuilder::Write(const std::string& outDir, const std::vector<TSearchDocument>& docs) {
  const std::string folder = EnsureDir(CheckedOutputPath(outDir, PathJoin(outDir, "search")));

  // The tables of all workers as one: each term once, its postings merged in document order.
  TTable& joined = *FTables.front();
  for (size_t w = 1; w < FTables.size(); ++w) {
    TTable& from = *FTables[w];
    for (size_t t = 0; t < from.terms.size(); ++t) {
      auto [it, fresh] = joined.slot.emplace(from.terms[t], joined.terms.size());
      if (fresh) {
        joined.terms.push_back(from.terms[t]);
        joined.postings.push_back(std::move(from.postings[t]));
        continue;
      }
      TPostings& kept = joined.postings[it->second];
      TPostings merged;
      merged.reserve(kept.size() + from.postings[t].size());
      std::merge(kept.begin(), kept.end(), from.postings[t].begin(), from.postings[t].end(), std::back_inserter(merged),
                 [](const TPosting& a, const TPosting& b) { return a.doc < b.doc; });
      kept = std::move(merged);
    }
    from = TTable();
  }
  const std::vector<std::string_view>& terms = joined.terms;
  std::vector<TPostings>& postings = joined.postings;
  double totalLength[kSearchFieldCount] = {0, 0, 0};
  for (const TSearchDocument& doc : docs) {
    for (int f = 0; f < kSearchFieldCount; ++f) totalLength[f] += doc.fields[f].length;
  }
  std::vector<size_t> sorted(terms.size());
  for (size_t i = 0; i < sorted.size(); ++i) sorted[i] = i;
  std::sort(sorted.begin(), sorted.end(), [&](size_t a, size_t b) { return terms[a] < terms[b]; });

  // Postings by ranges of sorted terms; the term list of each range goes into index.js.
  // Parts are written as pages are (index.js, which names them, comes last and whole).
  std::vector<std::string> shardTerms;
  std::string shard;
  std::string termList;
  auto flushShard = [&] {
    if (shard.empty()) return;
    const size_t n = shardTerms.size();
    std::string script = PartOpening('t', n);
    script.reserve(script.size() + shard.size() + 8);
    script += '[';
    script += shard;
    script += ']';
    script += kPartClosing;
    WriteOutputFile(CheckedOutputPath(outDir, PathJoin(folder, "t" + std::to_string(n) + ".js")), script);
    shardTerms.push_back(std::move(termList));
    shard.clear();
    termList.clear();
  };
  for (size_t t : sorted) {
    if (!shard.empty()) shard += ',';
    AppendTermEntry(shard, terms[t], postings[t]);
    if (!termList.empty()) termList += ' ';
    termList += terms[t];
    if (shard.size() >= kShardBytes) flushShard();
  }
  flushShard();
  joined.slot.clear();
  std::vector<TPostings>().swap(postings);

  // Topic texts in groups of consecutive documents; index.js names the first of each.
  std::vector<size_t> groupStarts;
  for (size_t d = 0, groupBytes = 0; d < docs.size(); ++d) {
    if (groupStarts.empty() || groupBytes >= kTextGroupBytes) {
      groupStarts.push_back(d);
      groupBytes = 0;
    }
    groupBytes += docs[d].quotedText.size() + 1;
  }
  RunInParallel(groupStarts.size(), nullptr, [&](size_t g, int) {
    const size_t end = g + 1 < groupStarts.size() ? groupStarts[g + 1] : docs.size();
    std::string script = PartOpening('x', g);
    script += '[';
    for (size_t d = groupStarts[g]; d < end; ++d) {
      if (d > groupStarts[g]) script += ',';
      script += docs[d].quotedText;
    }
    script += ']';
    script += kPartClosing;
    WriteOutputFile(CheckedOutputPath(outDir, PathJoin(folder, "x" + std::to_string(g) + ".js")), script);
  });

  TJsonWriter w;
  w.BeginObject();
  w.Key("documentCount");
  w.Unsigned(docs.size());
  w.Key("ids");
  w.BeginArray();
  for (const TSearchDocument& d : docs) w.String(d.id);
  w.EndArray();
  w.Key("titles");
  w.BeginArray();
  for (const TSearchDocument& d : docs) w.String(d.title);
  w.EndArray();
  w.Key("lengths");  // title, keywords and text of each document in turn
  w.BeginArray();
  for (const TSearchDocument& d : docs) {
    for (const TFieldTerms& f : d.fields) w.Unsigned(f.length);
  }
  w.EndArray();
  w.Key("averageFieldLength");
  w.BeginArray();
  for (double total : totalLength) w.Float(docs.empty() ? 0.0 : total / static_cast<double>(docs.size()));
  w.EndArray();
  w.Key("terms");
  w.StringArray(shardTerms);
  w.Key("texts");
  w.BeginArray();
  for (size_t start : groupStarts) w.Unsigned(start);
  w.EndArray();
  w.EndObject();
  std::string script = "window.__ZD_SEARCH_INDEX = ";
  script += w.Text();
  script += ';';
  RemoveStaleParts(folder, shardTerms.size(), groupStarts.size());
  WriteTextFileUtf8(CheckedOutputPath(outDir, PathJoin(folder, "index.js")), script);
}
