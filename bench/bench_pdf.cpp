// The PDF export (our manual and the browser's print, timed apart; the whole export of a
// generated manual printed plain and as a book) and the link checker.
#include <benchmark/benchmark.h>

#include <unistd.h>

#include <map>
#include <memory>

#include "BenchProjects.h"
#include "uDocModel.h"
#include "uExportPdf.h"
#include "uLinkChecker.h"
#include "uPlatform.h"
#include "uProjectOpen.h"
#include "uStorage.h"
#include "uUtils.h"

namespace {

// A project of n topics in a tree ten wide; each page has paragraphs, a variable,
// an internal link, a picture and a link to a file; every tenth topic has a header.
class TBenchProject {
 public:
  explicit TBenchProject(int n) {
    char tmpl[] = "/tmp/folivane-bench-pdf-XXXXXX";
    FProject.SetRootPath(IncludeTrailingDelimiter(::mkdtemp(tmpl)));
    FProject.SetTitle("Benchmark Manual");
    WriteOutputFile(PathJoin(FProject.RootPath(), "assets/images/pic.png"), "PNG");
    std::vector<std::string> ids{""};
    for (int i = 0; i < n; ++i) {
      TTopic& t = FProject.AddTopic("Topic " + std::to_string(i), ids[static_cast<size_t>(i) / 10]);
      std::string html = "<h2>Topic " + std::to_string(i) + "</h2>";
      for (int p = 0; p < 6; ++p) {
        html += "<p>Paragraph " + std::to_string(p) +
                " of a generated topic about configuration, installation and "
                "{var:ProductName}. See <a href=\"doc:" +
                ids.back() +
                "\">the previous topic</a> and "
                "<a href=\"assets/images/pic.png\">the picture</a>.</p>";
      }
      html += "<p><img src=\"assets/images/pic.png\" alt=\"\"><img src=\"../assets/images/pic.png\" alt=\"\"></p>";
      WriteOutputFile(t.HtmlPath(), html);
      if (i % 10 == 0)
        WriteOutputFile(HeaderHtmlPath(FProject, t.ID()), "<div><b>Header " + std::to_string(i) + "</b></div>");
      ids.push_back(t.ID());
    }
  }
  ~TBenchProject() {
    try {
      DeleteFolderTree(FProject.RootPath());
    } catch (const std::exception&) {
    }
  }
  const TDocProject& Project() const { return FProject; }
  std::string OutDir() const { return PathJoin(FProject.RootPath(), "build/pdf"); }

 private:
  TDocProject FProject;
};

// One generated project per size for the whole run.
TBenchProject& ProjectOf(int n) {
  static std::map<int, std::unique_ptr<TBenchProject>> projects;
  auto& slot = projects[n];
  if (!slot) slot = std::make_unique<TBenchProject>(n);
  return *slot;
}

int PdfPages(const std::string& pdf) {
  const TProcessResult info = RunProcessAndWait("pdfinfo", {pdf});
  const size_t at = info.output.find("Pages:");
  return at == std::string::npos ? 0 : std::atoi(info.output.c_str() + at + 6);
}

// Our part: reading, expanding and assembling the pages, writing manual.html, style.css and assets.
void BM_PdfManual(benchmark::State& state) {
  TBenchProject& p = ProjectOf(static_cast<int>(state.range(0)));
  for (auto _ : state) WritePdfManualFiles(p.Project(), p.OutDir());
  state.SetItemsProcessed(state.iterations() * state.range(0));
}
BENCHMARK(BM_PdfManual)->Arg(200)->Arg(1000)->UseRealTime()->Unit(benchmark::kMillisecond);

// The browser's part: loading the manual and printing it, with the pages it made.
void BM_PdfBrowserPrint(benchmark::State& state) {
  TBenchProject& p = ProjectOf(static_cast<int>(state.range(0)));
  const std::string html = WritePdfManualFiles(p.Project(), p.OutDir());
  const std::string pdf = PathJoin(p.OutDir(), "manual.pdf");
  try {
    FindPdfBrowser();
  } catch (const EFolivaneError& e) {
    state.SkipWithError(e.what());
    return;
  }
  for (auto _ : state) {
    DeleteFileIfExists(pdf);
    PrintWithBrowser(html, pdf);
    WaitForPdf(pdf);
  }
  state.counters["pages"] = PdfPages(pdf);
  state.SetItemsProcessed(state.iterations() * state.range(0));
}
BENCHMARK(BM_PdfBrowserPrint)->Arg(200)->Arg(1000)->Iterations(2)->UseRealTime()->Unit(benchmark::kMillisecond);

// The whole export of gen_project's 1,000 topics: book 0 prints the plain flow (what a
// project without the Pdf* keys gets), book 1 every book option on (cover, contents to
// depth 3 with page numbers, which takes a first print, page numbers, running heads,
// chapter breaks).
void BM_PdfExportBook(benchmark::State& state) {
  TDocProject project;
  TProjectSettings stored;
  OpenProjectFile(GeneratedProjectFile(1000), project, stored);
  TProjectSettings settings;
  if (state.range(0) != 0) settings.SetNewProjectPdfDefaults();
  TPdfExportOptions options;
  options.OpenPdf = false;
  options.Settings = &settings;
  options.BrowserTimeout = std::chrono::minutes(10);  // a busy machine takes minutes for 1,700 pages
  try {
    FindPdfBrowser();
  } catch (const EFolivaneError& e) {
    state.SkipWithError(e.what());
    return;
  }
  std::string pdf;
  for (auto _ : state) pdf = ExportPdf(project, PathJoin(project.RootPath(), "build/pdf"), options);
  state.counters["pages"] = PdfPages(pdf);
}
BENCHMARK(BM_PdfExportBook)
    ->ArgName("book")
    ->Arg(0)
    ->Arg(1)
    ->Iterations(2)
    ->UseRealTime()
    ->Unit(benchmark::kMillisecond);

void BM_CheckLinks(benchmark::State& state) {
  TBenchProject& p = ProjectOf(static_cast<int>(state.range(0)));
  size_t issues = 0;
  for (auto _ : state) issues = CheckLinks(p.Project()).size();
  state.counters["issues"] = static_cast<double>(issues);
  state.counters["topics/s"] =
      benchmark::Counter(static_cast<double>(state.iterations() * state.range(0)), benchmark::Counter::kIsRate);
}
BENCHMARK(BM_CheckLinks)->Arg(10000)->UseRealTime()->Unit(benchmark::kMillisecond);

}  // namespace
