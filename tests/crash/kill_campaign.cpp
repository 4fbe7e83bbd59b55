// The kill campaign: a worker saves and publishes a project in a loop; the driver kills
// it with SIGKILL at random moments, checks what was left on disk, reopens the project
// with the real loader and lets a new worker go on from there.
//
//   folivane-kill-campaign run --dir DIR [--kills N] [--seed S] [--keep]
//   folivane-kill-campaign worker --dir DIR --seed S [--steps N] [--no-compile]
//
// Each kill: a worker starts (opening the project with OpenProjectFile) and goes on from
// the step after the last one begun; after a delay drawn uniformly from zero to the time
// a worker took for its start and two steps, it is killed with SIGKILL (in half of the
// kills the helper programs it started, chmcmd, too). Then every project file must parse
// where it is JSON and hold its content from before or after the step cut short; meta/
// and topics/ must hold nothing else but temporary files of atomic writes, none of them
// older than a minute after an open; an export's entry file (webhelp/index.html,
// chm/project.hhp, pdf/manual.html) may exist only when the output equals a finished
// export of the same state, and help.chm must be whole when present.
//
// run prints the figures (kills, the phase each landed in, leftovers, findings) and
// exits with 1 when anything was found; the folder is kept then (or with --keep).
#include <fcntl.h>
#include <signal.h>
#include <sys/prctl.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <chrono>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <iostream>
#include <map>
#include <random>
#include <set>
#include <sstream>
#include <thread>

#include "CampaignChecks.h"
#include "CampaignEditor.h"
#include "CampaignJournal.h"
#include "CampaignState.h"
#include "uChmCompiler.h"
#include "uProjectOpen.h"
#include "uStorage.h"
#include "uUtils.h"

namespace {

constexpr int kTopicCount = 20;  // above the count at which WebHelp writes pages on two threads
// Older leftovers of atomic writes are removed when a project opens or an export starts
// (the margin covers a slow step between that moment and the check).
constexpr double kStaleTempSeconds = kStaleWriteTempAge.count() + 30;

struct TOptions {
  std::string mode;
  std::string dir;
  std::uint64_t seed = 1;
  int kills = 25;
  int steps = -1;
  bool compile = true;
  bool keep = false;
};

TOptions ParseOptions(int argc, char** argv) {
  TOptions o;
  if (argc < 2) throw EFolivaneError("usage: folivane-kill-campaign run|worker --dir DIR [options]");
  o.mode = argv[1];
  for (int i = 2; i < argc; ++i) {
    const std::string a = argv[i];
    auto value = [&]() -> std::string {
      if (i + 1 >= argc) throw EFolivaneError(a + " needs a value");
      return argv[++i];
    };
    if (a == "--dir") o.dir = ExpandFileName(value());
    else if (a == "--seed") o.seed = std::stoull(value());
    else if (a == "--kills") o.kills = std::stoi(value());
    else if (a == "--steps") o.steps = std::stoi(value());
    else if (a == "--no-compile") o.compile = false;
    else if (a == "--keep") o.keep = true;
    else throw EFolivaneError("unknown option " + a);
  }
  if (o.dir.empty()) throw EFolivaneError("--dir is required");
  return o;
}

struct TPaths {
  std::string fvp, journal, ids, log;
  explicit TPaths(const std::string& dir)
      : fvp(PathJoin(dir, "Kill.fvp")),
        journal(PathJoin(dir, "journal.log")),
        ids(PathJoin(dir, "ids.txt")),
        log(PathJoin(dir, "worker.log")) {}
  std::string Root() const { return ProjectFolderForFile(fvp); }
};

std::vector<std::string> ReadIds(const std::string& path) {
  std::vector<std::string> ids;
  for (const std::string& line : SplitTextLines(ReadTextFileUtf8(path))) {
    if (!Trim(line).empty()) ids.push_back(Trim(line));
  }
  return ids;
}

// ---- the worker ----------------------------------------------------------------------

int RunWorker(const TOptions& o) {
  const TPaths paths(o.dir);
  const std::vector<std::string> ids = ReadIds(paths.ids);
  int last = 0;
  for (const TJournalRecord& r : ReadJournal(paths.journal)) {
    if (r.kind == "begin") last = r.step;
  }
  TJournalWriter journal(paths.journal);
  journal.Record("start", last);
  TCampaignEditor editor(paths.fvp);
  const bool compile = o.compile && !LocateCompiler().empty();
  for (int step = last + 1; o.steps < 0 || step <= last + o.steps; ++step) {
    const TCampaignState state = CampaignStateAt(o.seed, step, ids);
    journal.Record("begin", step);
    editor.Save(state);
    journal.Record("webhelp", step);
    editor.PublishWebHelp();
    journal.Record("chm", step);
    editor.PublishChm(compile);
    journal.Record("pdf", step);
    editor.WritePdfManual();
    journal.Record("end", step);
  }
  return 0;
}

// ---- the driver ----------------------------------------------------------------------

pid_t SpawnWorker(const TOptions& o, const TPaths& paths, int steps) {
  // This very program, even when a rebuild has replaced the file meanwhile.
  std::vector<std::string> args = {"/proc/self/exe", "worker", "--dir", o.dir, "--seed", std::to_string(o.seed)};
  if (steps >= 0) args.insert(args.end(), {"--steps", std::to_string(steps)});
  if (!o.compile) args.push_back("--no-compile");
  const pid_t pid = ::fork();
  if (pid < 0) throw EFolivaneError("fork failed");
  if (pid == 0) {
    ::setpgid(0, 0);
    const int fd = ::open(paths.log.c_str(), O_WRONLY | O_APPEND | O_CREAT, 0644);
    if (fd >= 0) {
      ::dup2(fd, 1);
      ::dup2(fd, 2);
    }
    std::vector<char*> argv;
    for (std::string& a : args) argv.push_back(a.data());
    argv.push_back(nullptr);
    ::execv(argv[0], argv.data());
    ::_exit(127);
  }
  ::setpgid(pid, pid);
  return pid;
}

// The programs the worker started outlive it as our children (we are their subreaper).
void KillOrphans() {
  const std::string self = std::to_string(::getpid());
  std::error_code ec;
  for (std::filesystem::directory_iterator it("/proc", ec), end; !ec && it != end; it.increment(ec)) {
    const std::string name = it->path().filename().string();
    if (name.find_first_not_of("0123456789") != std::string::npos) continue;
    std::ifstream stat(it->path() / "stat");
    std::string line;
    std::getline(stat, line);
    const size_t close = line.rfind(')');
    if (close == std::string::npos) continue;
    std::istringstream rest(line.substr(close + 2));
    std::string state, ppid;
    rest >> state >> ppid;
    if (ppid == self) ::kill(std::stoi(name), SIGKILL);
  }
}

void ReapAll() {
  while (::waitpid(-1, nullptr, 0) > 0 || errno == EINTR) {
  }
}

std::string LogTail(const std::string& path) {
  if (!FileExists(path)) return std::string();
  const std::string text = ReadTextFileUtf8(path);
  return text.size() > 2000 ? text.substr(text.size() - 2000) : text;
}

// What a kill interrupted, read from the records the killed worker wrote.
std::string PhaseOf(const std::vector<TJournalRecord>& fresh) {
  if (fresh.empty()) return "open";
  const std::string& kind = fresh.back().kind;
  if (kind == "start") return "open";
  if (kind == "begin") return "save";
  if (kind == "end") return "between";
  return kind;
}

// The steps whose export of kind an output may come from: the last one that finished
// and every one begun after it (a run killed after its entry file was written leaves a
// finished output, and the next run may be killed before it deletes that file). The
// latest come first.
std::vector<int> ExportCandidates(const std::vector<TJournalRecord>& records, const std::string& kind) {
  std::vector<int> steps;
  for (size_t i = 0; i < records.size(); ++i) {
    if (records[i].kind != kind) continue;
    const bool finished = i + 1 < records.size() && records[i + 1].kind != "start";
    if (finished) steps.clear();
    steps.push_back(records[i].step);
  }
  std::reverse(steps.begin(), steps.end());
  return steps;
}

class TCampaign {
 public:
  explicit TCampaign(const TOptions& o) : FOptions(o), FPaths(o.dir), FRandom(o.seed * 7919 + 17) {}

  int Run() {
    ::prctl(PR_SET_CHILD_SUBREAPER, 1);
    Setup();
    const auto started = std::chrono::steady_clock::now();
    const int calibrationSteps = 2;
    RunUnkilled(calibrationSteps);
    const double stepsSeconds = std::chrono::duration<double>(std::chrono::steady_clock::now() - started).count();
    FRangeMs = std::max(50.0, stepsSeconds * 1000.0);
    CheckFinished("after the first run");

    for (int k = 1; k <= FOptions.kills && FStop.empty(); ++k) KillOnce(k);
    if (FStop.empty()) {
      RunUnkilled(1);
      CheckFinished("after the last run");
    }
    Report(std::chrono::duration<double>(std::chrono::steady_clock::now() - started).count());
    const bool clean = FFindings.empty() && FStop.empty();
    if (clean && !FOptions.keep) DeleteFolderTree(FOptions.dir);
    return clean ? 0 : 1;
  }

 private:
  TOptions FOptions;
  TPaths FPaths;
  std::mt19937_64 FRandom;
  std::vector<std::string> FIds;
  std::unique_ptr<TReferenceExports> FRefs;
  TExpectedFiles FSnapshot;  // the project files as the last check left them
  double FRangeMs = 0;
  std::map<std::string, int> FPhases;
  int FStepsBegun = 0;
  int FOrphansKilled = 0;
  std::set<std::string> FTempsSeen;  // every temporary file a kill left
  size_t FTempsMax = 0;
  std::map<std::string, int> FFindingCounts;
  std::vector<std::string> FFindings;  // first occurrences, in full
  std::string FStop;

  std::string AssetsFolder() const { return PathJoin(FPaths.Root(), "assets"); }

  void Setup() {
    if (DirExists(FOptions.dir)) DeleteFolderTree(FOptions.dir);
    EnsureDir(FOptions.dir);
    CreateProjectFile(FPaths.fvp, "Kill Campaign");
    {
      TDocProject project;
      TProjectSettings settings;
      OpenProjectFile(FPaths.fvp, project, settings);
      for (int i = static_cast<int>(project.Topics().size()); i < kTopicCount; ++i) project.AddTopic("new", "");
      SaveProject(project);
      for (const auto& [id, topic] : project.Topics()) FIds.push_back(id);
      std::sort(FIds.begin(), FIds.end());
    }
    std::string ids;
    for (const std::string& id : FIds) ids += id + "\n";
    WriteTextFileUtf8(FPaths.ids, ids);
    WriteTextFileUtf8(PathJoin(AssetsFolder(), "images/diagram.svg"),
                      "<svg xmlns=\"http://www.w3.org/2000/svg\" width=\"40\" height=\"20\">"
                      "<rect width=\"40\" height=\"20\" fill=\"#36c\"/></svg>");
    TCampaignEditor(FPaths.fvp).Save(State(0));
    FRefs =
        std::make_unique<TReferenceExports>(PathJoin(FOptions.dir, "reference"), FOptions.seed, FIds, AssetsFolder());
    FSnapshot = SnapshotFiles(Expected(0));
    TFindings findings;
    CheckProjectFiles(Expected(0), Expected(0), findings);
    if (!findings.empty()) throw EFolivaneError("the starting project is not as expected: " + findings.front());
  }

  TCampaignState State(int step) const { return CampaignStateAt(FOptions.seed, step, FIds); }
  TExpectedFiles Expected(int step) const { return ExpectedProjectFiles(State(step), FPaths.fvp); }

  int LastBegun() const {
    int last = 0;
    for (const TJournalRecord& r : ReadJournal(FPaths.journal)) {
      if (r.kind == "begin") last = r.step;
    }
    return last;
  }

  void RunUnkilled(int steps) {
    const pid_t pid = SpawnWorker(FOptions, FPaths, steps);
    int status = 0;
    ::waitpid(pid, &status, 0);
    ReapAll();
    if (!WIFEXITED(status) || WEXITSTATUS(status) != 0) {
      FStop = "a worker that was not killed failed:\n" + LogTail(FPaths.log);
    }
  }

  void Note(const std::string& context, const TFindings& findings) {
    for (const std::string& f : findings) {
      // Group by the kind of finding: the text before the first path or number.
      const std::string key = f.substr(0, f.find_first_of("/(0123456789"));
      if (FFindingCounts[key]++ < 3) FFindings.push_back(context + ": " + f);
    }
  }

  void CheckOutputs(const std::vector<TJournalRecord>& records, TFindings& findings) {
    for (const char* kind : {"webhelp", "chm", "pdf"}) {
      CheckExport(kind, FPaths.Root(), ExportCandidates(records, kind), *FRefs, findings);
    }
  }

  // After a worker that was not killed: every file holds the last step, every export is there and finished.
  void CheckFinished(const std::string& context) {
    if (!FStop.empty()) return;
    const int step = LastBegun();
    TFindings findings;
    const TExpectedFiles expected = Expected(step);
    CheckProjectFiles(expected, expected, findings);
    for (const char* entry : {"webhelp/index.html", "chm/project.hhp", "pdf/manual.html"}) {
      if (!FileExists(PathJoin(PathJoin(FPaths.Root(), "build"), entry)))
        findings.push_back(std::string(entry) + " missing");
    }
    CheckOutputs(ReadJournal(FPaths.journal), findings);
    const TLeftoverScan scan = ScanLeftovers(FPaths.fvp, expected, findings);
    if (scan.oldestInOutputs > kStaleTempSeconds || scan.oldestInProject > kStaleTempSeconds) {
      findings.push_back("temporary files older than a minute survived an open and an export");
    }
    Note(context, findings);
    FSnapshot = SnapshotFiles(expected);
  }

  void KillOnce(int k) {
    const size_t before = ReadJournal(FPaths.journal).size();
    const double delayMs = std::uniform_real_distribution<double>(0, FRangeMs)(FRandom);
    const bool orphansToo = FRandom() % 2 == 0;

    const pid_t pid = SpawnWorker(FOptions, FPaths, -1);
    std::this_thread::sleep_for(std::chrono::microseconds(static_cast<long>(delayMs * 1000)));
    ::killpg(pid, SIGKILL);
    int status = 0;
    ::waitpid(pid, &status, 0);
    if (orphansToo) {
      KillOrphans();
      ++FOrphansKilled;
    }
    ReapAll();
    if (!WIFSIGNALED(status)) {
      FStop = "kill #" + std::to_string(k) + ": the worker ended by itself:\n" + LogTail(FPaths.log);
      return;
    }

    const std::vector<TJournalRecord> records = ReadJournal(FPaths.journal);
    const std::vector<TJournalRecord> fresh(records.begin() + static_cast<long>(std::min(before, records.size())),
                                            records.end());
    const std::string phase = PhaseOf(fresh);
    ++FPhases[phase];
    std::vector<int> begun;
    for (const TJournalRecord& r : fresh) {
      if (r.kind == "begin") begun.push_back(r.step);
    }
    FStepsBegun += static_cast<int>(begun.size());

    TFindings findings;
    // Files may hold what they held before the interrupted step, or what it writes.
    const int interrupted = begun.empty() ? -1 : begun.back();
    const TExpectedFiles previous = begun.size() >= 2 ? Expected(interrupted - 1) : FSnapshot;
    CheckProjectFiles(previous, begun.empty() ? previous : Expected(interrupted), findings);
    CheckOutputs(records, findings);
    const TLeftoverScan leftovers = ScanLeftovers(FPaths.fvp, Expected(0), findings);
    FTempsSeen.insert(leftovers.temps.begin(), leftovers.temps.end());
    FTempsMax = std::max(FTempsMax, leftovers.temps.size());

    // The real loader must take whatever was left.
    try {
      TCampaignEditor reopened(FPaths.fvp);
      if (reopened.Project().Topics().size() != FIds.size()) findings.push_back("reopened project lost topics");
    } catch (const std::exception& e) {
      findings.push_back(std::string("reopening failed: ") + e.what());
    }
    if (ScanLeftovers(FPaths.fvp, Expected(0), findings).oldestInProject > kStaleTempSeconds) {
      findings.push_back("temporary files older than a minute survived the reopening");
    }
    Note("kill #" + std::to_string(k) + " (" + phase +
             (interrupted >= 0 ? " of step " + std::to_string(interrupted) : "") + ", " +
             std::to_string(static_cast<int>(delayMs)) + " ms)",
         findings);
    FSnapshot = SnapshotFiles(Expected(0));
  }

  void Report(double seconds) const {
    std::cout << "kill campaign: seed " << FOptions.seed << ", " << FOptions.kills << " kills, delays 0.."
              << static_cast<int>(FRangeMs) << " ms, " << static_cast<int>(seconds) << " s\n";
    std::cout << "  landed in:";
    for (const char* phase : {"open", "save", "webhelp", "chm", "pdf", "between"}) {
      const auto it = FPhases.find(phase);
      std::cout << " " << phase << " " << (it == FPhases.end() ? 0 : it->second);
    }
    std::cout << "\n  steps begun under kills: " << FStepsBegun << "; last step " << LastBegun()
              << "; helper programs killed too in " << FOrphansKilled << " kills\n";
    const auto remaining = std::count_if(FTempsSeen.begin(), FTempsSeen.end(), FileExists);
    std::cout << "  temporary files of atomic writes left by kills: " << FTempsSeen.size() << " (at most " << FTempsMax
              << " at once); removed by later opens and exports: " << FTempsSeen.size() - remaining
              << ", still there at the end: " << remaining << "\n";
    if (!FStop.empty()) std::cout << "  STOPPED: " << FStop << "\n";
    if (FFindingCounts.empty()) {
      std::cout << "  findings: none\n";
      return;
    }
    std::cout << "  findings:\n";
    for (const auto& [kind, count] : FFindingCounts) std::cout << "    " << count << " x " << kind << "\n";
    for (const std::string& f : FFindings) std::cout << "    " << f << "\n";
  }
};

}  // namespace

int main(int argc, char** argv) {
  try {
    const TOptions options = ParseOptions(argc, argv);
    if (options.mode == "worker") return RunWorker(options);
    if (options.mode == "run") return TCampaign(options).Run();
    throw EFolivaneError("unknown mode " + options.mode);
  } catch (const std::exception& e) {
    std::cerr << "folivane-kill-campaign: " << e.what() << "\n";
    return 2;
  }
}
