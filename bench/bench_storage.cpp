// Opening and saving the structure of a large project.
#include <benchmark/benchmark.h>

#include <unistd.h>

#include "uDocModel.h"
#include "uPlatform.h"
#include "uRecoveryJournal.h"
#include "uStorage.h"
#include "uTopicsJson.h"
#include "uUtils.h"

namespace {

// A project of n topics in a tree ten wide, with keywords and index entries.
void FillProject(TDocProject& project, int n) {
  project.Clear();
  std::vector<std::string> parents{""};
  for (int i = 0; i < n; ++i) {
    const std::string& parent = parents[static_cast<size_t>(i) / 10];
    TTopic& t = project.AddTopic("Topic number " + std::to_string(i) + " \xC3\xA9t\xC3\xA9", parent);
    t.Keywords() = {"alpha", "beta"};
    t.IndexEntries() = {"index " + std::to_string(i)};
    parents.push_back(t.ID());
  }
}

std::string BenchFolder() {
  static const std::string dir = [] {
    char tmpl[] = "/tmp/folivane-bench-XXXXXX";
    return IncludeTrailingDelimiter(::mkdtemp(tmpl));
  }();
  return dir;
}

void BM_SaveProject(benchmark::State& state) {
  TDocProject project;
  project.SetRootPath(BenchFolder());
  FillProject(project, static_cast<int>(state.range(0)));
  for (auto _ : state) SaveProject(project);
  state.SetItemsProcessed(state.iterations() * state.range(0));
}
BENCHMARK(BM_SaveProject)->Arg(20000)->Unit(benchmark::kMillisecond);

void BM_LoadProject(benchmark::State& state) {
  TDocProject project;
  project.SetRootPath(BenchFolder());
  FillProject(project, static_cast<int>(state.range(0)));
  SaveProject(project);
  for (auto _ : state) LoadProject(BenchFolder(), project);
  state.SetItemsProcessed(state.iterations() * state.range(0));
}
BENCHMARK(BM_LoadProject)->Arg(20000)->Unit(benchmark::kMillisecond);

// The journal of a project of n topics with ten pending texts of 200 KB each: the tree
// serialised and the file replaced. The window only serialises the tree and hands the rest
// to the journal's thread; this is the whole of it.
void BM_WriteRecoveryJournal(benchmark::State& state) {
  setenv("APPDATA", (BenchFolder() + "appdata").c_str(), 1);
  TDocProject project;
  project.SetRootPath(BenchFolder());
  FillProject(project, static_cast<int>(state.range(0)));
  TRecoveryJournal journal;
  journal.projectRoot = project.RootPath();
  const std::string page = "<p>" + std::string(200 * 1024, 'x') + "</p>";
  for (int i = 0; i < 10; ++i) journal.texts[project.RootTopicIDs()[static_cast<size_t>(i)]] = page;
  for (auto _ : state) {
    journal.topicsJson = TopicsJsonText(project);
    WriteRecoveryJournal(journal);
  }
}
BENCHMARK(BM_WriteRecoveryJournal)->Arg(1000)->Arg(20000)->Unit(benchmark::kMillisecond)->UseRealTime();

}  // namespace
