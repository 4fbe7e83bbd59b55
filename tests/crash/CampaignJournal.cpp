#include "CampaignJournal.h"

#include <fcntl.h>
#include <unistd.h>

#include <cerrno>
#include <chrono>
#include <cstring>

#include "uUtils.h"

TJournalWriter::TJournalWriter(const std::string& path) : FPath(path) {
  FFd = ::open(path.c_str(), O_WRONLY | O_APPEND | O_CREAT | O_CLOEXEC, 0644);
  if (FFd < 0) throw EFolivaneError("Cannot open journal " + path + ": " + std::strerror(errno));
}

TJournalWriter::~TJournalWriter() {
  if (FFd >= 0) ::close(FFd);
}

void TJournalWriter::Record(const std::string& kind, int step) {
  // The time is for people reading the journal: how long each phase took.
  const auto now =
      std::chrono::duration_cast<std::chrono::milliseconds>(std::chrono::system_clock::now().time_since_epoch());
  const std::string line = kind + " " + std::to_string(step) + " " + std::to_string(now.count()) + "\n";
  // One write: the line is appended whole or not at all as far as a reader after a kill sees.
  if (::write(FFd, line.data(), line.size()) != static_cast<ssize_t>(line.size()) || ::fdatasync(FFd) != 0) {
    throw EFolivaneError("Cannot write journal " + FPath + ": " + std::strerror(errno));
  }
}

std::vector<TJournalRecord> ReadJournal(const std::string& path) {
  std::vector<TJournalRecord> records;
  if (!FileExists(path)) return records;
  const std::string text = ReadBinaryFile(path);
  size_t start = 0;
  for (size_t nl; (nl = text.find('\n', start)) != std::string::npos; start = nl + 1) {
    const std::string line = text.substr(start, nl - start);
    const size_t space = line.find(' ');
    if (space == std::string::npos) continue;
    records.push_back({line.substr(0, space), std::atoi(line.c_str() + space + 1)});
  }
  return records;
}
