// Find and replace across a generated project, in-process: finding a word in every topic
// (titles, pages, headers, keywords) and replacing it in a thousand topics.
#include <benchmark/benchmark.h>

#include "BenchProjects.h"
#include "uProjectOpen.h"
#include "uProjectSearch.h"

namespace {

void BM_FindWordInProject(benchmark::State& state) {
  TDocProject project;
  TProjectSettings settings;
  OpenProjectFile(GeneratedProjectFile(static_cast<int>(state.range(0))), project, settings);
  const TProjectSearch search{{"checksum", false, false, true}, sfAll, std::nullopt};
  size_t matches = 0;
  for (auto _ : state) {
    const std::vector<TTopicMatches> found = FindInProject(project, search);
    matches = 0;
    for (const TTopicMatches& t : found) matches += t.matches.size();
  }
  state.counters["matches"] = static_cast<double>(matches);
  state.SetItemsProcessed(state.iterations() * state.range(0));
}
BENCHMARK(BM_FindWordInProject)->Arg(10000)->Iterations(5)->Unit(benchmark::kMillisecond);

// Find, plan and write; the pages are put back between runs, untimed.
void BM_ReplaceInThousandTopics(benchmark::State& state) {
  TDocProject project;
  TProjectSettings settings;
  OpenProjectFile(GeneratedProjectFile(1000), project, settings);
  const TProjectSearch search{{"checksum", false, false, true}, sfBodies, std::string("check sum")};
  for (auto _ : state) {
    const std::vector<TTopicChange> changes = PlanReplacement(project, FindInProject(project, search));
    ApplyTopicChanges(project, changes, true);
    state.PauseTiming();
    state.counters["topics"] = static_cast<double>(changes.size());
    ApplyTopicChanges(project, changes, false);
    state.ResumeTiming();
  }
}
BENCHMARK(BM_ReplaceInThousandTopics)->Iterations(3)->Unit(benchmark::kMillisecond);

}  // namespace
