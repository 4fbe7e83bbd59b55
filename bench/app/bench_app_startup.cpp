// Start-up of the main window with a large project, and the topic tree rebuild.
#include <benchmark/benchmark.h>
#include <QApplication>
#include <QTemporaryDir>

#include "MainWindowProbe.h"
#include "ScriptedUserDialogs.h"
#include "uMain.h"
#include "uProjectOpen.h"
#include "uStorage.h"

namespace {

// A project of n topics: 100 roots, each with children two levels deep.
std::string MakeLargeProject(const std::string& folder, int n) {
  const std::string file = folder + "/Large.fvp";
  CreateProjectFile(file, "Large");
  TDocProject project;
  TProjectSettings settings;
  OpenProjectFile(file, project, settings);
  std::vector<std::string> parents;
  int made = 1;
  for (int r = 0; r < 100 && made < n; ++r, ++made)
    parents.push_back(project.AddTopic("Chapter " + std::to_string(r), "").ID());
  for (size_t p = 0; made < n; ++p, ++made) {
    const std::string parent = parents[p % parents.size()];
    const std::string id = project.AddTopic("Topic " + std::to_string(made), parent).ID();
    if (parents.size() < 1000) parents.push_back(id);
  }
  SaveProject(project);
  return file;
}

struct TLargeProject {
  QTemporaryDir dir;
  std::string file;
  TLargeProject() {
    qputenv("APPDATA", (dir.path() + "/appdata").toUtf8());
    file = MakeLargeProject(dir.path().toStdString(), 10000);
  }
};

TLargeProject& Large() {
  static TLargeProject large;
  return large;
}

void BM_StartupToShownWindow10k(benchmark::State& state) {
  const std::string file = Large().file;
  for (auto _ : state) {
    TScriptedUserDialogs dialogs;
    TMainWindowServices services;
    services.dialogs = &dialogs;
    services.arguments = {QString::fromStdString(file)};
    TfrmMain window(services);
    window.show();
    QApplication::processEvents();
    benchmark::DoNotOptimize(window.findChild<QWidget*>("tvToc"));
    state.PauseTiming();
    window.hide();
    state.ResumeTiming();
  }
}
BENCHMARK(BM_StartupToShownWindow10k)->Unit(benchmark::kMillisecond)->Iterations(3);

void BM_RebuildTopicTree10k(benchmark::State& state) {
  TScriptedUserDialogs dialogs;
  TMainWindowServices services;
  services.dialogs = &dialogs;
  services.arguments = {QString::fromStdString(Large().file)};
  TfrmMain window(services);
  window.show();
  QApplication::processEvents();
  for (auto _ : state) {
    Probe(window).RebuildTopicTree();
    QApplication::processEvents();
  }
}
BENCHMARK(BM_RebuildTopicTree10k)->Unit(benchmark::kMillisecond)->Iterations(5);

}  // namespace

int main(int argc, char** argv) {
  qputenv("QT_QPA_PLATFORM", "offscreen");
  QApplication app(argc, argv);
  benchmark::Initialize(&argc, argv);
  benchmark::RunSpecifiedBenchmarks();
  benchmark::Shutdown();
  return 0;
}
