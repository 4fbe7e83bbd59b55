// The text passes every published page goes through: token expansion and the search text.
#include <benchmark/benchmark.h>

#include <unistd.h>

#include "uDocModel.h"
#include "uHtmlText.h"
#include "uReusableContent.h"
#include "uUtils.h"

namespace {

constexpr size_t kPageSize = 20 * 1024;

// One paragraph as the editor writes it: the default style, bold text and a topic link.
std::string Paragraph(int i) {
  return "<p style=\"font-family:Segoe UI, Arial, sans-serif;font-size:16px;color:#000000;line-height:1.5;\">"
         "Paragraph " +
         std::to_string(i) +
         " explains how the <b>export settings</b> shape the published pages; see "
         "<a href=\"doc:0123456789ABCDEF0123456789ABCDEF\">the overview</a> for details.</p>\r\n";
}

std::string PageWithoutTokens() {
  std::string html = "<h1>Publishing</h1>\r\n";
  for (int i = 0; html.size() < kPageSize; ++i) html += Paragraph(i);
  return html;
}

// 50 variables, 10 snippets and 10 condition pairs spread over a 20 KB page.
std::string PageWithTokens() {
  std::string html = "<h1>{var:Product} {var:Version}</h1>\r\n";
  int variables = 2, snippets = 0, conditions = 0;
  for (int i = 0; html.size() < kPageSize - 600 || variables < 50 || snippets < 10 || conditions < 10; ++i) {
    html += Paragraph(i);
    if (variables < 50) {
      html += "<p>{var:Var" + std::to_string(i % 20) + "} and {var:Product}</p>";
      variables += 2;
    }
    if (i % 3 == 0 && snippets < 10) html += "{snip:Snippet" + std::to_string(snippets++) + "}";
    if (i % 3 == 1 && conditions < 10) {
      const std::string name = conditions % 2 ? "Pro" : "Lite";
      html += "<p>{begincond:" + name + "}</p><p>Only in " + name + ".</p><p>{endcond}</p>";
      ++conditions;
    }
  }
  return html;
}

class TBenchProject {
 public:
  TBenchProject() {
    char tmpl[] = "/tmp/folivane-bench-text-XXXXXX";
    FProject.SetRootPath(IncludeTrailingDelimiter(::mkdtemp(tmpl)));
    TReusableProjectContent store;
    store.Variables() = {{"Product", "Folivane & Co"}, {"Version", "4.2"}};
    for (int i = 0; i < 20; ++i)
      store.Variables().push_back({"Var" + std::to_string(i), "value <" + std::to_string(i) + ">"});
    for (int i = 0; i < 10; ++i) {
      store.Snippets().push_back({"Snippet" + std::to_string(i),
                                  "<div class=\"note\"><b>Note:</b> {var:Product} " + std::to_string(i) + "</div>"});
    }
    store.Conditions() = {{"Pro", true}, {"Lite", false}};
    store.SaveToProject(FProject);
  }
  ~TBenchProject() { DeleteFolderTree(FProject.RootPath()); }
  const TDocProject& Project() const { return FProject; }

 private:
  TDocProject FProject;
};

void RunExpand(benchmark::State& state, const std::string& page) {
  TBenchProject project;
  for (auto _ : state) benchmark::DoNotOptimize(ExpandReusableContent(project.Project(), page));
  state.SetBytesProcessed(static_cast<int64_t>(state.iterations()) * static_cast<int64_t>(page.size()));
}

void BM_ExpandNoTokens(benchmark::State& state) { RunExpand(state, PageWithoutTokens()); }
BENCHMARK(BM_ExpandNoTokens);

void BM_ExpandWithTokens(benchmark::State& state) { RunExpand(state, PageWithTokens()); }
BENCHMARK(BM_ExpandWithTokens);

void BM_HtmlToPlainText(benchmark::State& state) {
  const std::string page = PageWithoutTokens();
  for (auto _ : state) benchmark::DoNotOptimize(HtmlToPlainText(page));
  state.SetBytesProcessed(static_cast<int64_t>(state.iterations()) * static_cast<int64_t>(page.size()));
}
BENCHMARK(BM_HtmlToPlainText);

}  // namespace
