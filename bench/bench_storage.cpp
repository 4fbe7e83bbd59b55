// Opening and saving the structure of a large project.
#include <benchmark/benchmark.h>

#include <unistd.h>

#include "uDocModel.h"
#include "uStorage.h"
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

}  // namespace
