// The editing soak: the window's editing session against a page that answers late, out of
// step or not at all, driven at random from a seed. A writer switches topics, types into
// the body and the header, saves, adds, moves and deletes topics, saves the project
// elsewhere and opens it again, while the page takes 0 to 2 seconds a command and now and
// then stalls past every wait. Time is simulated, so a long run takes seconds.
//
// Every text typed is a token naming its topic ("[t3:17]" in the body, "[t3:h4]" in the
// header). After every step, each topic's file, pending text and header file hold only
// tokens of that topic, and the default header none. After a save that follows a stretch
// in which the page kept up, each topic's file holds exactly what the page last showed
// for it: nothing typed is lost.
//
//   folivane-editing-soak [--steps N] [--seed S] [--dir FOLDER] [--verbose]
// Exits 0 when every check held, 1 naming the first that did not (with its seed and step).
#include <cstdio>
#include <cstdlib>
#include <deque>
#include <functional>
#include <map>
#include <memory>
#include <random>
#include <regex>
#include <stdexcept>
#include <string>
#include <vector>

#include "FakeEditorHost.h"
#include "uJson.h"
#include "uPlatform.h"
#include "uStorage.h"
#include "uTopicEditorSession.h"
#include "uUtils.h"

namespace {

struct TSoakFailure : std::runtime_error {
  using std::runtime_error::runtime_error;
};

// --- The page --------------------------------------------------------------------------

// How long the page takes over a command, by the stretch the run is in.
enum class TPace { Prompt, Slow };

// A page that takes the commands in order, each after a delay, and posts what the real
// page posts; its messages reach the window in order, when the window processes events.
class TScriptedPage {
 public:
  struct TMessage {
    int64_t time;
    std::string json;
  };

  TScriptedPage(std::mt19937& random, const int64_t& now) : FRandom(random), FNow(now) {}

  TPace pace = TPace::Prompt;
  std::string body;
  std::string header;
  std::string bodyOwner;  // the topic whose text the page shows ("" for none)
  std::string headerOwner;
  std::map<int64_t, std::string> sentOwner;  // command number -> topic the window meant

  void Receive(const std::string& script) { FInbox.push_back({FNow, script}); }

  // When the next thing happens in the page or on the way to the window; -1 for never.
  int64_t NextEventTime() {
    int64_t next = -1;
    if (!FInbox.empty()) next = DoneTime();
    if (!FOutbox.empty() && (next < 0 || FOutbox.front().time < next)) next = FOutbox.front().time;
    return next;
  }
  // Takes every command that is done by time.
  void RunUntil(int64_t time) {
    while (!FInbox.empty() && DoneTime() <= time) {
      FFreeAt = DoneTime();
      FDelay = -1;
      const std::string script = FInbox.front().script;
      FInbox.pop_front();
      Take(script);
    }
  }
  bool HasMessageDue(int64_t time) const { return !FOutbox.empty() && FOutbox.front().time <= time; }
  std::string PopMessage() {
    std::string json = FOutbox.front().json;
    FOutbox.pop_front();
    return json;
  }
  bool Quiet() const { return FInbox.empty() && FOutbox.empty(); }
  bool InboxEmpty() const { return FInbox.empty(); }

  // The writer types into whatever the page shows now.
  void TypeIntoBody(const std::string& token) {
    RunUntil(FNow);
    body += "<p>" + token + "</p>";
    Post(TJson{{"type", "htmlChanged"}, {"html", body}, {"user", true}});
  }
  void TypeIntoHeader(const std::string& token) {
    RunUntil(FNow);
    header = "<p>" + token + "</p>";
    Post(TJson{{"type", "headerChanged"}, {"headerHtml", header}, {"headerBg", "#fafafa"}});
  }
  // The page reloads (a crash of its process, say): it shows nothing and says ready.
  void Reload() {
    RunUntil(FNow);
    FInbox.clear();
    body.clear();
    header.clear();
    bodyOwner.clear();
    headerOwner.clear();
    FSeq = 0;
    FOutbox.push_back({FNow, R"({"type":"ready"})"});
  }

 private:
  struct TCommand {
    int64_t arrival;
    std::string script;
  };

  int64_t DoneTime() {
    if (FDelay < 0) FDelay = DrawDelay();
    return std::max(FInbox.front().arrival, FFreeAt) + FDelay;
  }
  int64_t DrawDelay() {
    std::uniform_int_distribution<int> percent(0, 99);
    if (pace == TPace::Prompt) return std::uniform_int_distribution<int>(0, 15)(FRandom);
    const int p = percent(FRandom);
    if (p < 70) return std::uniform_int_distribution<int>(0, 50)(FRandom);
    if (p < 95) return std::uniform_int_distribution<int>(0, 2000)(FRandom);
    return std::uniform_int_distribution<int>(2000, 6000)(FRandom);  // past every wait
  }
  void Post(TJson message) {
    message["seq"] = FSeq;
    FOutbox.push_back({FNow > FFreeAt ? FNow : FFreeAt, JsonWrite(message)});
  }
  void Take(const std::string& script) {
    std::string text;
    TJson cmd;
    if (!DecodeRecvScript(script, text) || !TryParseJson(text, cmd)) return;
    FSeq = cmd.value("seq", FSeq);
    const std::string type = JsonString(cmd, "type", "");
    const std::string name = JsonString(cmd, "cmd", "");
    if (type == "setHtml") {
      body = JsonString(cmd, "html", "");
      bodyOwner = sentOwner[FSeq];
      Post(TJson{{"type", "htmlChanged"}, {"html", body}, {"user", false}});
    } else if (type == "getHtml") {
      Post(TJson{{"type", "htmlResponse"}, {"html", body}});
    } else if (type == "getHeader") {
      Post(TJson{{"type", "headerChanged"}, {"headerHtml", header}, {"headerBg", "#fafafa"}});
    } else if (name == "setHeaderHtml") {
      header = JsonString(cmd, "arg", "");
      headerOwner = sentOwner[FSeq];
    } else if (name == "setHeaderBg") {
      Post(TJson{{"type", "headerChanged"}, {"headerHtml", header}, {"headerBg", JsonString(cmd, "arg", "")}});
    }
  }

  std::mt19937& FRandom;
  const int64_t& FNow;
  std::deque<TCommand> FInbox;
  std::deque<TMessage> FOutbox;
  int64_t FFreeAt = 0;
  int64_t FDelay = -1;  // of the command in front, once drawn
  int64_t FSeq = 0;
};

// --- The window ------------------------------------------------------------------------

// The window's side of the waits: events are processed in simulated time; now and then a
// click on the tree arrives while a wait runs, as it can in the real window.
class TSoakWindow : public ITopicEditorWindow {
 public:
  TSoakWindow(TScriptedPage& page, TFakeEditorHost& host, std::mt19937& random, int64_t& now)
      : FPage(page), FHost(host), FRandom(random), FNow(now) {}

  std::function<void()> clickDuringWait;  // a tree click the writer makes while waiting
  int timeouts = 0;

  void MarkProjectDirty() override {}
  void ShowStatus(const std::string&) override {}
  void ShowTopicProperties(const std::string&) override {}
  void WaitProcessingEvents(const std::function<bool()>& done, int timeoutMs) override {
    const int64_t deadline = FNow + timeoutMs;
    while (!done()) {
      const int64_t next = FPage.NextEventTime();
      if (next < 0 || next > deadline) {
        FNow = deadline;
        ++timeouts;
        return;
      }
      if (next > FNow) FNow = next;
      DeliverDue();
      if (Chance(3) && clickDuringWait) clickDuringWait();
      if (Chance(50)) RunDeferred();
    }
  }
  void Defer(std::function<void()> fn) override { FDeferred.push_back(std::move(fn)); }
  void FocusEditorControl() override {}
  std::string WriteEditorEffectiveCss() override { return "/soak/editor_effective.css"; }
  void ShowCurrentTopicInTree(const std::string&) override {}

  // Lets time pass with the window idle: everything due is delivered, posted calls run.
  void Idle(int64_t ms) {
    const int64_t until = FNow + ms;
    for (;;) {
      RunDeferred();
      const int64_t next = FPage.NextEventTime();
      if (next < 0 || next > until) break;
      if (next > FNow) FNow = next;
      DeliverDue();
    }
    FNow = until;
    RunDeferred();
  }
  // Waits until the page has taken every command and the window every message.
  void Settle() {
    while (!FPage.Quiet() || !FDeferred.empty()) {
      const int64_t next = FPage.NextEventTime();
      Idle(next > FNow ? next - FNow : 0);
    }
  }
  void RunDeferred() {
    while (!FDeferred.empty()) {
      auto fn = std::move(FDeferred.front());
      FDeferred.pop_front();
      fn();
    }
  }

 private:
  void DeliverDue() {
    FPage.RunUntil(FNow);
    while (FPage.HasMessageDue(FNow)) FHost.Post(FPage.PopMessage());
  }
  bool Chance(int percent) { return std::uniform_int_distribution<int>(0, 99)(FRandom) < percent; }

  TScriptedPage& FPage;
  TFakeEditorHost& FHost;
  std::mt19937& FRandom;
  int64_t& FNow;
  std::deque<std::function<void()>> FDeferred;
};

// --- Tokens ----------------------------------------------------------------------------

// The topics a token names, in order of appearance.
std::vector<std::string> TokenOwners(const std::string& text, bool header) {
  static const std::regex body(R"(\[(t\d+):\d+\])"), head(R"(\[(t\d+):h\d+\])");
  std::vector<std::string> owners;
  const std::regex& pattern = header ? head : body;
  for (std::sregex_iterator it(text.begin(), text.end(), pattern), end; it != end; ++it) owners.push_back((*it)[1]);
  return owners;
}

// --- The run ---------------------------------------------------------------------------

struct TSoakOptions {
  long steps = 3000;
  unsigned seed = 1;
  std::string dir;
  bool verbose = false;
};

struct TSoakFigures {
  long steps = 0, typed = 0, headerEdits = 0, switches = 0, saves = 0, checkedSaves = 0, timeouts = 0;
  long added = 0, deleted = 0, moved = 0, savedAs = 0, reopened = 0, reloads = 0;
};

class TEditingSoak {
 public:
  explicit TEditingSoak(const TSoakOptions& options)
      : FOptions(options), FRandom(options.seed), FPage(FRandom, FNow), FWindow(FPage, FHost, FRandom, FNow) {
    FHost.OnScript = [this](const std::string& script) { NoteCommand(script); };
    FBridge.OnReady = [this](TEditorBridge&) {
      Trace("window gets ready");
      FSession.EditorReady();
    };
    FBridge.OnHtmlChanged = [this](TEditorBridge& b, const std::string& html) {
      Trace(std::string("window gets ") +
            (b.LastHtmlWasResponse()     ? "html answer"
             : b.LastHtmlChangeWasUser() ? "typing"
                                         : "echo") +
            " seq " + std::to_string(b.LastMessageSeq()) + ": " + html.substr(html.size() > 60 ? html.size() - 60 : 0));
      FSession.EditorHtmlChanged(html);
    };
    FBridge.OnHeaderChanged = [this](TEditorBridge& b, const std::string& h, const std::string& bg) {
      Trace("window gets header seq " + std::to_string(b.LastMessageSeq()) + ": " + h);
      FSession.EditorHeaderChanged(h, bg);
    };
    FWindow.clickDuringWait = [this] { FSession.TopicSelectionChanged(RandomTopic()); };
  }

  TSoakFigures Run() {
    StartProject();
    for (FStep = 1; FStep <= FOptions.steps; ++FStep) {
      if (FStep % 200 == 1) FPage.pace = Chance(60) ? TPace::Prompt : TPace::Slow;
      if (FPage.pace == TPace::Slow) FPageKeptUp = false;
      const int timeoutsBefore = FWindow.timeouts;
      DoOneStep();
      if (FWindow.timeouts != timeoutsBefore) FPageKeptUp = false;
      CheckNothingMisfiled();
    }
    FWindow.Settle();
    SaveLikeTheWindow();
    CheckNothingMisfiled();
    CheckFormerFoldersUntouched();
    FFigures.steps = FOptions.steps;
    FFigures.timeouts = FWindow.timeouts;
    return FFigures;
  }

 private:
  // --- Setting up ---

  void StartProject() {
    FRoot = IncludeTrailingDelimiter(PathJoin(FOptions.dir, "P0"));
    FProject = std::make_unique<TDocProject>();
    FProject->SetRootPath(FRoot);
    FProject->SetTitle("Soak");
    EnsureProjectFolders(*FProject);
    for (int i = 0; i < 4; ++i) AddTopic(i == 3 ? FProject->RootTopicIDs().front() : "");
    SaveProject(*FProject);
    FSession.SetProject(FProject.get(), &FSettings);
    FHost.Post(R"({"type":"ready"})");
    FSession.TopicSelectionChanged(FProject->RootTopicIDs().front());
    FWindow.Settle();
    RecordBaseline();
  }

  // A topic with a page and a header of its own, as the writer left them.
  std::string AddTopic(const std::string& parent) {
    const std::string id = FProject->AddTopic("Topic " + std::to_string(FNextAlias), parent).ID();
    const std::string alias = "t" + std::to_string(FNextAlias++);
    FAlias[id] = alias;
    WriteTextFileUtf8(TopicFilePath(*FProject, id), "<p>[" + alias + ":0]</p>");
    WriteTextFileUtf8(HeaderHtmlPath(*FProject, id), "<p>[" + alias + ":h0]</p>");
    return id;
  }

  // --- Steps ---

  void DoOneStep() {
    const int roll = std::uniform_int_distribution<int>(0, 999)(FRandom);
    Trace("roll " + std::to_string(roll) + ", current " + AliasOf(FSession.CurrentTopicID()));
    if (roll < 380) TypeIntoBody();
    else if (roll < 460) TypeIntoHeader();
    else if (roll < 700) SwitchTopic();
    else if (roll < 800) FWindow.Idle(std::uniform_int_distribution<int>(0, 3000)(FRandom));
    else if (roll < 870) Save();
    else if (roll < 900) NewTopic();
    else if (roll < 920) DeleteTopic();
    else if (roll < 950) MoveTopic();
    else if (roll < 965) SaveAs();
    else if (roll < 980) Reopen();
    else if (roll < 985) ReloadPage();
    else FWindow.Idle(0);
  }

  // While the page keeps up, the writer types into what it shows once it has taken every
  // command; a slow page is typed into whenever, as a writer who does not wait would.
  void WaitForThePageToCatchUp() {
    if (FPage.pace != TPace::Prompt) return;
    while (!FPage.InboxEmpty()) FWindow.Idle(std::max<int64_t>(FPage.NextEventTime() - FNow, 0));
  }

  void TypeIntoBody() {
    WaitForThePageToCatchUp();
    if (FPage.bodyOwner.empty()) return;
    const std::string alias = AliasOf(FPage.bodyOwner);
    const std::string token = "[" + alias + ":" + std::to_string(++FTyped[alias]) + "]";
    FPage.TypeIntoBody(token);
    Trace("typed " + token);
    FTypedSince[FPage.bodyOwner].push_back(token);
    ++FFigures.typed;
  }

  void TypeIntoHeader() {
    WaitForThePageToCatchUp();
    if (FPage.headerOwner.empty()) return;
    const std::string alias = AliasOf(FPage.headerOwner);
    const std::string token = "[" + alias + ":h" + std::to_string(++FTyped[alias + "h"]) + "]";
    FPage.TypeIntoHeader(token);
    Trace("typed header " + token);
    FLastHeaderTyped[FPage.headerOwner] = token;
    ++FFigures.headerEdits;
  }

  // A click on the tree; as in the window, the topic shown already is no switch.
  void SwitchTopic() {
    const std::string id = RandomTopic();
    if (id == FSession.CurrentTopicID() && !FSession.IsBusy()) return;
    FSession.TopicSelectionChanged(id);
    ++FFigures.switches;
  }

  // Save as the window does it: header and body captured, pending texts written, structure saved.
  void SaveLikeTheWindow() {
    FSession.RequestHeaderAndWait(TTopicEditorSession::kHeaderWaitMs);
    FSession.CaptureCurrentTopicHtml();
    FlushPendingTexts();
    SaveProject(*FProject);
  }

  void FlushPendingTexts() {
    for (const auto& [id, html] : FPending) WriteTextFileUtf8(TopicFilePath(*FProject, id), html);
    FPending.clear();
  }

  // Half the saves wait for the page first; those check for loss when the page kept up
  // since the last such save, and start the next stretch from what they wrote.
  void Save() {
    const bool settled = Chance(50);
    if (settled) FWindow.Settle();
    SaveLikeTheWindow();
    ++FFigures.saves;
    if (!settled) return;
    FWindow.Settle();
    if (FPageKeptUp) {
      CheckNothingLost();
      ++FFigures.checkedSaves;
    }
    RecordBaseline();
  }

  // A writer's project of a dozen or so topics; the checks read every file at every step.
  void NewTopic() {
    if (FProject->Topics().size() >= 16) return;
    const std::string parent = Chance(50) ? RandomTopic() : "";
    const std::string id = FProject->AddTopic("New Topic", parent).ID();
    FAlias[id] = "t" + std::to_string(FNextAlias++);
    SaveProject(*FProject);
    FSession.TopicSelectionChanged(id);  // as the window does: the new topic is shown
    ++FFigures.added;
  }

  // The tree deletes the selected topic, which is the current one.
  void DeleteTopic() {
    const std::string id = FSession.CurrentTopicID();
    if (id.empty()) return;
    for (const std::string& gone : FProject->DeleteTopic(id)) {
      FPending.erase(gone);
      FTypedSince.erase(gone);
      FLastHeaderTyped.erase(gone);
    }
    FSession.ForgetCurrentTopic();
    if (FProject->Topics().empty()) AddTopic("");
    SaveProject(*FProject);
    FSession.TopicSelectionChanged(FirstTopic());
    ++FFigures.deleted;
  }

  void MoveTopic() {
    const std::string id = RandomTopic();
    const std::string parent = Chance(40) ? "" : RandomTopic();
    if (id.empty() || id == parent || (!parent.empty() && FProject->IsDescendant(parent, id))) return;
    FProject->MoveTopic(id, parent, std::uniform_int_distribution<int>(0, 3)(FRandom));
    SaveProject(*FProject);
    ++FFigures.moved;
  }

  // Save As into a new folder, as the window does; the old folder must not change after.
  void SaveAs() {
    FSession.RequestHeaderAndWait(TTopicEditorSession::kHeaderWaitMs);
    FSession.CaptureCurrentTopicHtml();
    const std::string next = IncludeTrailingDelimiter(PathJoin(FOptions.dir, "P" + std::to_string(++FFolders)));
    CopyProjectFolder(ExcludeTrailingDelimiter(FRoot), ExcludeTrailingDelimiter(next));
    const std::string former = FRoot;
    FRoot = next;
    FProject->SetRootPath(FRoot);
    EnsureProjectFolders(*FProject);
    FSession.ApplyBaseHref();
    FSession.ApplyEditorCss();
    FlushPendingTexts();
    SaveProject(*FProject);
    FFormerFolders[former] = FolderContents(former);
    ++FFigures.savedAs;
  }

  // Open the same project again after saving it, as the window's Open does.
  void Reopen() {
    SaveLikeTheWindow();
    auto loaded = std::make_unique<TDocProject>();
    loaded->SetRootPath(FRoot);
    LoadProject(loaded->RootPath(), *loaded);
    FPending.clear();
    FSession.ForgetCurrentTopic();
    FProject = std::move(loaded);
    FSession.SetProject(FProject.get(), &FSettings);
    FSession.ApplyBaseHref();
    FSession.TopicSelectionChanged(FirstTopic());
    ++FFigures.reopened;
  }

  void ReloadPage() {
    FPage.Reload();
    ++FFigures.reloads;
  }

  // --- Checks ---

  // Each text the window keeps or has written holds only its own topic's tokens.
  void CheckNothingMisfiled() {
    for (const auto& [id, topic] : FProject->Topics()) {
      const std::string alias = AliasOf(id);
      const std::string page = TopicFilePath(*FProject, id);
      if (FileExists(page)) ExpectOnly(alias, ReadTextFileUtf8(page), false, "the page file of " + alias);
      if (const auto it = FPending.find(id); it != FPending.end()) {
        ExpectOnly(alias, it->second, false, "the pending text of " + alias);
      }
      const std::string header = HeaderHtmlPath(*FProject, id);
      if (FileExists(header)) ExpectOnly(alias, ReadTextFileUtf8(header), true, "the header file of " + alias);
    }
    if (!FSession.CurrentTopicID().empty()) {
      const std::string alias = AliasOf(FSession.CurrentTopicID());
      ExpectOnly(alias, FSession.DirtyHtml(), false, "the typed text of the current topic " + alias);
      ExpectOnly(alias, FSession.HeaderHtml(), true, "the header of the current topic " + alias);
    }
    const std::string defaultHeader = HeaderHtmlPath(*FProject, "");
    if (FileExists(defaultHeader)) ExpectOnly("", ReadTextFileUtf8(defaultHeader), true, "the default header");
  }

  void ExpectOnly(const std::string& alias, const std::string& text, bool header, const std::string& what) {
    for (const std::string& owner : TokenOwners(text, header)) {
      if (owner != alias) Fail(what + " holds text typed into " + owner + ": " + text);
    }
  }

  // After a stretch in which the page kept up: each topic's file holds everything typed
  // into its body since, and its header file the last text typed into its header.
  void CheckNothingLost() {
    for (const auto& [id, tokens] : FTypedSince) {
      if (!FProject->HasTopic(id)) continue;
      const std::string saved = ReadTextFileUtf8(TopicFilePath(*FProject, id));
      for (const std::string& token : tokens) {
        if (saved.find(token) == std::string::npos)
          Fail("the page file of " + AliasOf(id) + " lost " + token + ": " + saved);
      }
    }
    for (const auto& [id, token] : FLastHeaderTyped) {
      if (!FProject->HasTopic(id)) continue;
      const std::string saved = ReadTextFileUtf8(HeaderHtmlPath(*FProject, id));
      if (saved.find(token) == std::string::npos)
        Fail("the header of " + AliasOf(id) + " lost " + token + ": " + saved);
    }
  }

  // What the files say now is what the next stretch starts from.
  void RecordBaseline() {
    FTypedSince.clear();
    FLastHeaderTyped.clear();
    FPageKeptUp = true;
  }

  void CheckFormerFoldersUntouched() {
    for (const auto& [folder, contents] : FFormerFolders) {
      if (FolderContents(folder) != contents) Fail("the folder left by Save As changed afterwards: " + folder);
    }
  }

  static std::map<std::string, std::string> FolderContents(const std::string& folder) {
    std::map<std::string, std::string> contents;
    for (const std::string& rel : ListFilesRecursive(folder)) contents[rel] = ReadBinaryFile(PathJoin(folder, rel));
    return contents;
  }

  // --- Page bookkeeping ---

  // Remembers which topic the window meant each body and header load for, and that a body
  // sent for a topic holds only that topic's text.
  void NoteCommand(const std::string& script) {
    std::string text;
    TJson cmd;
    if (DecodeRecvScript(script, text) && TryParseJson(text, cmd)) {
      const std::string type = JsonString(cmd, "type", "");
      const std::string name = JsonString(cmd, "cmd", "");
      const std::string current = FSession.CurrentTopicID();
      Trace("sent " + type + " " + name + " seq " + std::to_string(cmd.value("seq", int64_t(0))) + " for " +
            AliasOf(current));
      if (type == "setHtml" || name == "setHeaderHtml") {
        FPage.sentOwner[cmd.value("seq", int64_t(0))] = current;
        const std::string sent = type == "setHtml" ? JsonString(cmd, "html", "") : JsonString(cmd, "arg", "");
        ExpectOnly(current.empty() ? "" : AliasOf(current), sent, name == "setHeaderHtml",
                   "the text sent to the page for " + (current.empty() ? std::string("no topic") : AliasOf(current)));
      }
    }
    FPage.Receive(script);
  }

  // --- Helpers ---

  std::string FirstTopic() const { return FProject->RootTopicIDs().empty() ? "" : FProject->RootTopicIDs().front(); }
  std::string RandomTopic() {
    if (FProject->Topics().empty()) return "";
    auto it = FProject->Topics().begin();
    std::advance(it, std::uniform_int_distribution<size_t>(0, FProject->Topics().size() - 1)(FRandom));
    return it->first;
  }
  std::string AliasOf(const std::string& id) {
    const auto it = FAlias.find(id);
    return id.empty() ? "(none)" : it != FAlias.end() ? it->second : "t?" + id;
  }
  bool Chance(int percent) { return std::uniform_int_distribution<int>(0, 99)(FRandom) < percent; }
  // The last steps, for the report of a failure.
  void Trace(const std::string& line) {
    FTrace.push_back("step " + std::to_string(FStep) + " t=" + std::to_string(FNow) + " " + line);
    if (FTrace.size() > 60) FTrace.pop_front();
  }
  [[noreturn]] void Fail(const std::string& what) {
    if (FOptions.verbose) {
      for (const std::string& line : FTrace) std::fprintf(stderr, "%s\n", line.c_str());
    }
    throw TSoakFailure("seed " + std::to_string(FOptions.seed) + ", step " + std::to_string(FStep) + ": " + what);
  }

  TSoakOptions FOptions;
  std::mt19937 FRandom;
  int64_t FNow = 0;
  TScriptedPage FPage;
  TFakeEditorHost FHost;
  TSoakWindow FWindow;
  TEditorBridge FBridge{FHost};
  TPendingTopicTexts FPending;
  TTopicEditorSession FSession{FWindow, FBridge, FPending};
  TProjectSettings FSettings;
  std::unique_ptr<TDocProject> FProject;
  std::string FRoot;
  int FFolders = 0;
  int FNextAlias = 0;
  long FStep = 0;
  bool FPageKeptUp = true;
  std::deque<std::string> FTrace;
  std::map<std::string, std::string> FAlias;                    // topic id -> "t<n>"
  std::map<std::string, long> FTyped;                           // tokens typed per alias
  std::map<std::string, std::vector<std::string>> FTypedSince;  // topic id -> tokens typed since the last check
  std::map<std::string, std::string> FLastHeaderTyped;          // topic id -> the last header token typed
  std::map<std::string, std::map<std::string, std::string>> FFormerFolders;
  TSoakFigures FFigures;
};

bool ParseOptions(int argc, char** argv, TSoakOptions& options) {
  for (int i = 1; i < argc; ++i) {
    const std::string arg = argv[i];
    const bool hasValue = i + 1 < argc;
    if (arg == "--steps" && hasValue) options.steps = std::atol(argv[++i]);
    else if (arg == "--seed" && hasValue) options.seed = static_cast<unsigned>(std::atol(argv[++i]));
    else if (arg == "--dir" && hasValue) options.dir = argv[++i];
    else if (arg == "--verbose") options.verbose = true;
    else return false;
  }
  return options.steps > 0;
}

}  // namespace

int main(int argc, char** argv) {
  TSoakOptions options;
  if (!ParseOptions(argc, argv, options)) {
    std::fprintf(stderr, "usage: folivane-editing-soak [--steps N] [--seed S] [--dir FOLDER] [--verbose]\n");
    return 2;
  }
  const bool ownFolder = options.dir.empty();
  if (ownFolder) options.dir = MakePrivateTempFolder("folivane-soak-");
  int result = 0;
  try {
    const TSoakFigures f = TEditingSoak(options).Run();
    std::printf(
        "editing soak, seed %u: %ld steps, %ld typed, %ld header edits, %ld switches, %ld saves (%ld checked for "
        "loss), %ld added, %ld deleted, %ld moved, %ld saved as, %ld reopened, %ld page reloads, %ld waits timed "
        "out; nothing misfiled or lost\n",
        options.seed, f.steps, f.typed, f.headerEdits, f.switches, f.saves, f.checkedSaves, f.added, f.deleted, f.moved,
        f.savedAs, f.reopened, f.reloads, f.timeouts);
  } catch (const TSoakFailure& e) {
    std::fprintf(stderr, "editing soak FAILED: %s\n", e.what());
    result = 1;
  } catch (const std::exception& e) {
    std::fprintf(stderr, "editing soak stopped by an error: %s\n", e.what());
    result = 1;
  }
  if (ownFolder && result == 0) DeleteFolderTree(options.dir);
  else if (result != 0) std::fprintf(stderr, "files left in %s\n", options.dir.c_str());
  return result;
}
