// WebHelp publishing of generated projects: the export routine in-process, and the whole
// `folivane-cli webhelp` run as a user starts it (pages per second, peak memory).
#include <benchmark/benchmark.h>

#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>

#include <fcntl.h>

#include <chrono>

#include "BenchProjects.h"
#include "uDocModel.h"
#include "uExportWebHelp.h"
#include "uPlatform.h"
#include "uProjectOpen.h"
#include "uUtils.h"

namespace {

std::string BenchRoot() {
  static const std::string dir = [] {
    char tmpl[] = "/tmp/folivane-bench-webhelp-XXXXXX";
    return std::string(::mkdtemp(tmpl));
  }();
  return dir;
}

// One run of the CLI: wall time, and the peak resident memory of that process alone.
struct TChildRun {
  double seconds = 0;
  double cpuSeconds = 0;  // user and system time of the process
  long peakKb = 0;
  int exitCode = -1;
};

TChildRun RunCli(const std::string& file) {
  const std::string cli = PathJoin(ExecutableDir(), "folivane-cli");
  const auto start = std::chrono::steady_clock::now();
  const pid_t pid = ::fork();
  if (pid == 0) {
    const int devnull = ::open("/dev/null", O_WRONLY);
    ::dup2(devnull, STDOUT_FILENO);
    ::dup2(devnull, STDERR_FILENO);
    ::execl(cli.c_str(), cli.c_str(), "webhelp", file.c_str(), static_cast<char*>(nullptr));
    ::_exit(127);
  }
  int status = 0;
  struct rusage usage {};
  ::wait4(pid, &status, 0, &usage);
  TChildRun run;
  run.seconds = std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
  run.peakKb = usage.ru_maxrss;
  run.cpuSeconds = static_cast<double>(usage.ru_utime.tv_sec + usage.ru_stime.tv_sec) +
                   static_cast<double>(usage.ru_utime.tv_usec + usage.ru_stime.tv_usec) / 1e6;
  run.exitCode = WIFEXITED(status) ? WEXITSTATUS(status) : -1;
  return run;
}

void BM_CliWebHelp(benchmark::State& state) {
  const int n = static_cast<int>(state.range(0));
  const std::string file = GeneratedProjectFile(n);
  RunCli(file);  // the first run creates the output files; the timed runs replace them, as users do
  double seconds = 0;
  double cpuSeconds = 0;
  long peakKb = 0;
  for (auto _ : state) {
    const TChildRun run = RunCli(file);
    if (run.exitCode != 0) {
      state.SkipWithError("folivane-cli webhelp failed");
      return;
    }
    state.SetIterationTime(run.seconds);
    seconds += run.seconds;
    cpuSeconds += run.cpuSeconds;
    peakKb = std::max(peakKb, run.peakKb);
  }
  state.counters["pages_per_s"] = benchmark::Counter(static_cast<double>(n) * state.iterations() / seconds);
  // Wall time follows the machine's load; CPU time shows the program's own cost.
  state.counters["pages_per_cpu_s"] = benchmark::Counter(static_cast<double>(n) * state.iterations() / cpuSeconds);
  state.counters["peak_MB"] = static_cast<double>(peakKb) / 1024.0;
}
BENCHMARK(BM_CliWebHelp)->Arg(2000)->Arg(10000)->UseManualTime()->Iterations(3)->Unit(benchmark::kMillisecond);

// The export alone, without starting a process or opening the project.
void BM_ExportWebHelp(benchmark::State& state) {
  const int n = static_cast<int>(state.range(0));
  TDocProject project;
  TProjectSettings settings;
  OpenProjectFile(GeneratedProjectFile(n), project, settings);
  const std::string out = EnsureDir(PathJoin(BenchRoot(), "out" + std::to_string(n)));
  ExportWebHelp(project, out);
  for (auto _ : state) ExportWebHelp(project, out);
  state.SetItemsProcessed(state.iterations() * n);
}
BENCHMARK(BM_ExportWebHelp)->Arg(2000)->Iterations(3)->Unit(benchmark::kMillisecond);

}  // namespace
