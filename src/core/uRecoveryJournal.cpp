#include "uRecoveryJournal.h"

#include <sys/stat.h>

#include <cstdint>
#include <cstdio>
#include <exception>
#include <utility>

#include "uJson.h"
#include "uPlatform.h"
#include "uStorage.h"
#include "uTopicsJson.h"
#include "uUtils.h"

namespace {

const char kFormat[] = "folivane-recovery";
constexpr int kVersion = 1;

std::string NormalRoot(const std::string& projectRoot) { return ExcludeTrailingDelimiter(projectRoot); }

// FNV-1a: stable across runs and builds, unlike std::hash.
std::string FolderKey(const std::string& root) {
  uint64_t hash = 14695981039346656037ULL;
  for (const unsigned char c : root) {
    hash ^= c;
    hash *= 1099511628211ULL;
  }
  char text[17];
  std::snprintf(text, sizeof text, "%016llx", static_cast<unsigned long long>(hash));
  return text;
}

// Reads the tree text into project; raises EFolivaneError when it is not a tree.
void ReadTree(const std::string& topicsJson, TDocProject& project) {
  std::string error;
  if (!ReadTopicsJson(topicsJson, "recovery journal", project.RootPath(), project, &error)) {
    throw EFolivaneError("the topic tree is not JSON: " + error);
  }
}

const std::string* StringMember(const TJson& doc, const char* name) {
  const TJson* value = JsonFind(doc, name);
  return value && value->is_string() ? value->get_ptr<const std::string*>() : nullptr;
}

// The journal in the file's text; raises EFolivaneError saying what is wrong.
TRecoveryJournal ParseJournal(const std::string& text) {
  TJson doc;
  std::string error;
  if (!TryParseJson(text, doc, &error)) throw EFolivaneError("not JSON (" + error + ")");
  if (!doc.is_object()) throw EFolivaneError("not a recovery journal");
  const std::string* format = StringMember(doc, "format");
  const TJson* version = JsonFind(doc, "version");
  if (!format || *format != kFormat || !version || !version->is_number_integer() ||
      version->get<int64_t>() != kVersion) {
    throw EFolivaneError("not a recovery journal of this version");
  }
  TRecoveryJournal journal;
  const char* names[] = {"projectRoot", "title", "styleProfile", "topics"};
  std::string* targets[] = {&journal.projectRoot, &journal.title, &journal.styleProfile, &journal.topicsJson};
  for (size_t i = 0; i < std::size(names); ++i) {
    const std::string* value = StringMember(doc, names[i]);
    if (!value) throw EFolivaneError(std::string("\"") + names[i] + "\" is missing or not a string");
    *targets[i] = *value;
  }
  const TJson* texts = JsonFind(doc, "texts");
  if (!texts || !texts->is_object()) throw EFolivaneError("\"texts\" is missing or not an object");
  for (const auto& [id, html] : texts->items()) {
    if (!html.is_string()) throw EFolivaneError("the text of topic " + id + " is not a string");
    journal.texts[id] = html.get<std::string>();
  }
  return journal;
}

}  // namespace

std::string RecoveryFolder() { return PathJoin(UserStateDir(), "recovery"); }

std::string RecoveryJournalPath(const std::string& projectRoot) {
  return PathJoin(RecoveryFolder(), FolderKey(NormalRoot(projectRoot)) + ".json");
}

void WriteRecoveryJournal(const TRecoveryJournal& journal) {
  const std::string folder = RecoveryFolder();
  if (!DirExists(folder)) {
    EnsureDir(folder);
    ::chmod(folder.c_str(), 0700);  // pages may hold what only this user may read
  }
  TJson doc = TJson::object();
  doc["format"] = kFormat;
  doc["version"] = kVersion;
  doc["projectRoot"] = NormalRoot(journal.projectRoot);
  doc["title"] = journal.title;
  doc["styleProfile"] = journal.styleProfile;
  doc["topics"] = journal.topicsJson;
  TJson texts = TJson::object();
  for (const auto& [id, html] : journal.texts) texts[id] = html;
  doc["texts"] = std::move(texts);
  WriteTextFileUtf8(RecoveryJournalPath(journal.projectRoot), JsonWrite(doc));
}

TJournalRead ReadRecoveryJournal(const std::string& projectRoot) {
  TJournalRead result;
  const std::string path = RecoveryJournalPath(projectRoot);
  if (!FileExists(path)) return result;
  try {
    result.journal = ParseJournal(ReadTextFileUtf8(path));
    if (NormalRoot(result.journal.projectRoot) != NormalRoot(projectRoot)) {
      result.state = TJournalState::OtherProject;
      result.problem = "it was written for " + result.journal.projectRoot;
      result.journal = TRecoveryJournal();
      return result;
    }
    TDocProject tree;
    tree.SetRootPath(IncludeTrailingDelimiter(NormalRoot(projectRoot)));
    ReadTree(result.journal.topicsJson, tree);
    for (auto it = result.journal.texts.begin(); it != result.journal.texts.end();) {
      it = tree.HasTopic(it->first) ? std::next(it) : result.journal.texts.erase(it);
    }
    result.state = TJournalState::Found;
  } catch (const std::exception& e) {
    result.state = TJournalState::Damaged;
    result.problem = e.what();
    result.journal = TRecoveryJournal();
  }
  return result;
}

void ClearRecoveryJournal(const std::string& projectRoot) { DeleteFileIfExists(RecoveryJournalPath(projectRoot)); }

std::string SetAsideRecoveryJournal(const std::string& projectRoot) {
  const std::string path = RecoveryJournalPath(projectRoot);
  const std::string aside = path + ".damaged";
  return std::rename(path.c_str(), aside.c_str()) == 0 ? aside : "";
}

TRecoveryChanges RecoveryChanges(const TRecoveryJournal& journal, const TDocProject& onDisk) {
  TRecoveryChanges changes;
  TDocProject tree;
  tree.SetRootPath(onDisk.RootPath());
  try {
    ReadTree(journal.topicsJson, tree);
  } catch (const std::exception&) {
    return changes;  // ReadRecoveryJournal hands out no such journal
  }
  // Both trees as read back, so that only what they hold is compared, not how it was written.
  changes.structureChanged = journal.title != onDisk.Title() || journal.styleProfile != onDisk.StyleProfile() ||
                             TopicsJsonText(tree) != TopicsJsonText(onDisk);
  for (const TTopic* topic : tree.TopicsInTreeOrder()) {
    const auto text = journal.texts.find(topic->ID());
    if (text == journal.texts.end()) continue;
    const std::string page = TopicFilePath(onDisk.RootPath(), topic->ID());
    const bool same = FileExists(page) && ReadTextFileUtf8(page) == text->second;
    if (same) continue;
    changes.topicIDs.push_back(topic->ID());
    changes.topicTitles.push_back(topic->Title());
  }
  return changes;
}

void ApplyRecoveryJournal(const TRecoveryJournal& journal, TDocProject& project,
                          std::map<std::string, std::string>& pending) {
  {
    TDocProject check;
    check.SetRootPath(project.RootPath());
    ReadTree(journal.topicsJson, check);
  }
  project.Clear();
  ReadTree(journal.topicsJson, project);
  project.SetTitle(journal.title);
  project.SetStyleProfile(journal.styleProfile.empty() ? "default" : journal.styleProfile);
  for (const auto& [id, html] : journal.texts) {
    if (project.HasTopic(id)) pending[id] = html;
  }
}

// --- The writer thread ------------------------------------------------------------------

TRecoveryJournalWriter::TRecoveryJournalWriter() : FThread([this] { Run(); }) {}

TRecoveryJournalWriter::~TRecoveryJournalWriter() {
  {
    std::lock_guard<std::mutex> lock(FMutex);
    FStop = true;
  }
  FWake.notify_all();
  FThread.join();
}

void TRecoveryJournalWriter::Write(TRecoveryJournal journal) {
  {
    std::lock_guard<std::mutex> lock(FMutex);
    const std::string root = NormalRoot(journal.projectRoot);
    if (!FJobs.empty() && !FJobs.back().clear && NormalRoot(FJobs.back().journal.projectRoot) == root) {
      FJobs.back().journal = std::move(journal);
    } else {
      FJobs.push_back({false, std::move(journal)});
    }
  }
  FWake.notify_all();
}

void TRecoveryJournalWriter::Clear(const std::string& projectRoot) {
  {
    std::lock_guard<std::mutex> lock(FMutex);
    TJob job;
    job.clear = true;
    job.journal.projectRoot = projectRoot;
    FJobs.push_back(std::move(job));
  }
  FWake.notify_all();
}

void TRecoveryJournalWriter::Flush() {
  std::unique_lock<std::mutex> lock(FMutex);
  FDone.wait(lock, [this] { return FJobs.empty() && !FBusy; });
}

std::string TRecoveryJournalWriter::TakeProblem() {
  std::lock_guard<std::mutex> lock(FMutex);
  return std::exchange(FProblem, std::string());
}

void TRecoveryJournalWriter::Run() {
  std::unique_lock<std::mutex> lock(FMutex);
  for (;;) {
    FWake.wait(lock, [this] { return FStop || !FJobs.empty(); });
    if (FJobs.empty()) return;  // stopping, and nothing is left to do
    TJob job = std::move(FJobs.front());
    FJobs.pop_front();
    FBusy = true;
    lock.unlock();
    std::string problem;
    try {
      if (job.clear) ClearRecoveryJournal(job.journal.projectRoot);
      else WriteRecoveryJournal(job.journal);
    } catch (const std::exception& e) {
      problem = e.what();
    }
    lock.lock();
    FBusy = false;
    if (!problem.empty()) FProblem = problem;
    if (FJobs.empty()) FDone.notify_all();
  }
}
