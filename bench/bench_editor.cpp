// The program's side of a topic switch with a large topic, and the import of a large
// HTML page with many pictures.
#include <benchmark/benchmark.h>

#include <unistd.h>

#include <deque>

#include "uDocModel.h"
#include "uEditorBridge.h"
#include "uHtmlImport.h"
#include "uJson.h"
#include "uStorage.h"
#include "uTopicEditorSession.h"
#include "uUtils.h"

namespace {

std::string BenchDir(const std::string& name) {
  char tmpl[] = "/tmp/folivane-bench-editor-XXXXXX";
  return std::string(::mkdtemp(tmpl)) + "/" + name;
}

// About n bytes of typical topic markup, with some non-ASCII text.
std::string TopicHtml(size_t n) {
  std::string html;
  for (int i = 0; html.size() < n; ++i)
    html += "<p style=\"font-family:Segoe UI;font-size:14px;\">Paragraph " + std::to_string(i) +
            " with <b>bold</b>, <a href=\"doc:0123456789ABCDEF0123456789ABCDEF\">a link</a> and caf\xC3\xA9 "
            "\"quotes\" \xE2\x80\x94 text.</p>\r\n";
  return html;
}

// A page that answers at once: the cost measured is the program's own.
class TInstantPage : public IEditorHost, public ITopicEditorWindow {
 public:
  void Navigate(const std::string&) override {}
  void ExecuteScript(const std::string& script) override {
    if (script.find("getHtml") != std::string::npos) FQueue.push_back(FAnswer);
  }
  void MarkProjectDirty() override {}
  void ShowStatus(const std::string&) override {}
  void ShowTopicProperties(const std::string&) override {}
  void WaitProcessingEvents(const std::function<bool()>& done, int) override {
    while (!done() && !FQueue.empty()) {
      const std::string message = std::move(FQueue.front());
      FQueue.pop_front();
      DeliverMessage(message);
    }
  }
  void Defer(std::function<void()>) override {}
  void FocusEditorControl() override {}
  std::string WriteEditorEffectiveCss() override { return ""; }
  void ShowCurrentTopicInTree(const std::string&) override {}
  void SetAnswer(const std::string& html) { FAnswer = JsonWrite(TJson{{"type", "htmlResponse"}, {"html", html}}); }

 private:
  std::string FAnswer;
  std::deque<std::string> FQueue;
};

void BM_TopicSwitch200KB(benchmark::State& state) {
  TDocProject project;
  project.SetRootPath(BenchDir("project"));
  TProjectSettings settings;
  const std::string a = project.AddTopic("A", "").ID();
  const std::string b = project.AddTopic("B", "").ID();
  const std::string html = TopicHtml(200 * 1024);
  EnsureDir(project.RootPath() + "/topics");
  WriteTextFileUtf8(TopicFilePath(project, a), html);
  WriteTextFileUtf8(TopicFilePath(project, b), html);
  TInstantPage page;
  page.SetAnswer(html);
  TEditorBridge bridge(page);
  TPendingTopicTexts pending;
  TTopicEditorSession session(page, bridge, pending);
  bridge.OnReady = [&](TEditorBridge&) { session.EditorReady(); };
  bridge.OnHtmlChanged = [&](TEditorBridge&, const std::string& h) { session.EditorHtmlChanged(h); };
  session.SetProject(&project, &settings);
  page.WaitProcessingEvents([] { return true; }, 0);
  bridge.HandleMessage(R"({"type":"ready"})");
  bool toB = true;
  for (auto _ : state) {
    session.TopicSelectionChanged(toB ? b : a);
    toB = !toB;
  }
  state.SetBytesProcessed(state.iterations() * static_cast<int64_t>(html.size()));
  DeleteFolderTree(ExtractFileDir(project.RootPath()));
}
BENCHMARK(BM_TopicSwitch200KB)->Unit(benchmark::kMillisecond);

void BM_ImportHtml1MB200Images(benchmark::State& state) {
  const std::string site = BenchDir("site");
  std::string body;
  for (int i = 0; i < 200; ++i) {
    const std::string name = "img/picture " + std::to_string(i) + ".png";
    WriteFileAtomic(PathJoin(site, name), std::string(2048, static_cast<char>(i)));
    body += "<section><h2>Part " + std::to_string(i) + "</h2><img src=\"img/picture%20" + std::to_string(i) +
            ".png?v=1\" srcset=\"img/picture%20" + std::to_string(i) + ".png 2x\">" + TopicHtml(5000) + "</section>\n";
  }
  WriteFileAtomic(PathJoin(site, "css/site.css"),
                  "@import 'base.css'; .a{display:flex;background:url(../img/picture%200.png)}");
  WriteFileAtomic(PathJoin(site, "css/base.css"), ".b{display:grid}");
  const std::string page = PathJoin(site, "index.html");
  WriteFileAtomic(page,
                  "<!DOCTYPE html><html><head><link rel=stylesheet href=css/site.css><script>x()</script></head>"
                  "<body class=\"doc\">" +
                      body + "</body></html>");
  int run = 0;
  for (auto _ : state) {
    const std::string project = ExtractFileDir(site) + "/project" + std::to_string(run++);
    benchmark::DoNotOptimize(ImportHtmlFragment(project, page));
  }
  state.counters["page_bytes"] = static_cast<double>(ReadBinaryFile(page).size());
  DeleteFolderTree(ExtractFileDir(site));
}
BENCHMARK(BM_ImportHtml1MB200Images)->Unit(benchmark::kMillisecond)->Iterations(5);

}  // namespace
