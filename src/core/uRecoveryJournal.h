// The recovery journal: what the window holds and has not saved (topic texts, the topic
// tree with its properties, title and style profile), kept in the per-user state folder
// so that a crash or a kill loses only the last seconds of typing. One journal a project,
// named by a hash of the project's folder: no part of a project's path is ever part of
// a path the journal writes, and the journal never lies inside a project.
#pragma once

#include <condition_variable>
#include <deque>
#include <map>
#include <mutex>
#include <string>
#include <thread>
#include <vector>

#include "uDocModel.h"

struct TRecoveryJournal {
  std::string projectRoot;  // the project's folder, without a trailing delimiter
  std::string title;
  std::string styleProfile;
  std::string topicsJson;                    // the topic tree as meta/topics.json holds it
  std::map<std::string, std::string> texts;  // topic ID -> page HTML not yet saved
};

enum class TJournalState { None, Found, Damaged, OtherProject };

struct TJournalRead {
  TJournalState state = TJournalState::None;
  TRecoveryJournal journal;  // filled when Found
  std::string problem;       // why a Damaged or OtherProject journal is ignored
};

// UserStateDir()/recovery.
std::string RecoveryFolder();
// RecoveryFolder()/<16 hexadecimal digits of a hash of the folder>.json.
std::string RecoveryJournalPath(const std::string& projectRoot);

// Replaces the project's journal atomically (the folder is made private to the user).
// Raises EFolivaneError when it cannot be written.
void WriteRecoveryJournal(const TRecoveryJournal& journal);
// The project's journal. Never raises for its content: a file that is not a whole
// journal is Damaged, one written for another folder is OtherProject, each with the
// reason; the topic tree is checked as the loader checks meta/topics.json, and texts of
// topics the tree does not hold are dropped.
TJournalRead ReadRecoveryJournal(const std::string& projectRoot);
// Deletes the project's journal; a missing one is no error. Raises when it stays.
void ClearRecoveryJournal(const std::string& projectRoot);
// Renames an unusable journal to <name>.damaged (replacing an older one), so that it is
// reported once and kept for inspection. Returns the new path, "" when that failed.
std::string SetAsideRecoveryJournal(const std::string& projectRoot);

// What a journal would change in the project as it is on disk: the topics whose text
// differs from their page, and whether the tree, title or style profile differ.
struct TRecoveryChanges {
  std::vector<std::string> topicIDs;     // in the order of the journal's tree
  std::vector<std::string> topicTitles;  // their titles in the journal's tree
  bool structureChanged = false;
  bool Empty() const { return topicIDs.empty() && !structureChanged; }
};
TRecoveryChanges RecoveryChanges(const TRecoveryJournal& journal, const TDocProject& onDisk);

// Replaces the project's tree, title and style profile by the journal's (the root path
// stays) and puts its texts into pending. Raises EFolivaneError, leaving both untouched,
// when the journal's tree cannot be read.
void ApplyRecoveryJournal(const TRecoveryJournal& journal, TDocProject& project,
                          std::map<std::string, std::string>& pending);

// Writes and clears journals on a thread of its own, in the order they were asked for, so
// that the window never waits for the disk. A write not yet started is replaced by a newer
// one for the same folder.
class TRecoveryJournalWriter {
 public:
  TRecoveryJournalWriter();
  // Finishes everything asked for before it returns.
  ~TRecoveryJournalWriter();
  TRecoveryJournalWriter(const TRecoveryJournalWriter&) = delete;
  TRecoveryJournalWriter& operator=(const TRecoveryJournalWriter&) = delete;

  void Write(TRecoveryJournal journal);
  void Clear(const std::string& projectRoot);
  // Waits until everything asked for so far is done.
  void Flush();
  // The message of the last write or clear that failed since the previous call; "" when none.
  std::string TakeProblem();

 private:
  struct TJob {
    bool clear = false;
    TRecoveryJournal journal;  // for a clear, only projectRoot
  };
  void Run();

  std::mutex FMutex;
  std::condition_variable FWake;
  std::condition_variable FDone;
  std::deque<TJob> FJobs;
  bool FBusy = false;
  bool FStop = false;
  std::string FProblem;
  std::thread FThread;
};
