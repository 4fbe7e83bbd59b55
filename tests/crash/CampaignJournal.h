// The worker's journal: one line per phase it begins ("begin 12 <ms>", "webhelp 12 <ms>"...),
// each written through to the disk before the phase starts, so the checker knows
// which step and which phase a kill interrupted.
#pragma once

#include <string>
#include <vector>

struct TJournalRecord {
  std::string kind;  // start, begin, webhelp, chm, pdf, end
  int step = 0;
};

class TJournalWriter {
 public:
  // Opens path for appending (created when missing); raises EFolivaneError.
  explicit TJournalWriter(const std::string& path);
  ~TJournalWriter();
  TJournalWriter(const TJournalWriter&) = delete;
  TJournalWriter& operator=(const TJournalWriter&) = delete;
  // Appends "kind step" and waits until it is on the disk; raises EFolivaneError.
  void Record(const std::string& kind, int step);

 private:
  int FFd = -1;
  std::string FPath;
};

// The complete records of the journal (a torn last line is left out); empty when missing.
std::vector<TJournalRecord> ReadJournal(const std::string& path);
