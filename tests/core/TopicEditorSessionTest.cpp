#include <gtest/gtest.h>

#include <deque>

#include "FakeEditorHost.h"
#include "TestHelpers.h"
#include "uPlatform.h"
#include "uStorage.h"
#include "uTopicEditorSession.h"
#include "uTopicHtmlDefaults.h"
#include "uUtils.h"

namespace {

// The window: waits deliver what the page has queued; an empty queue is a time-out.
class TFakeWindow : public ITopicEditorWindow {
 public:
  void MarkProjectDirty() override { ++DirtyMarks; }
  void ShowStatus(const std::string& text) override { Status = text; }
  void ShowTopicProperties(const std::string&) override {}
  void WaitProcessingEvents(const std::function<bool()>& done, int timeoutMs) override {
    WaitLimits.push_back(timeoutMs);
    while (!done() && !PageQueue.empty()) {
      auto message = PageQueue.front();
      PageQueue.pop_front();
      message();
    }
    if (!done()) ++TimedOut;
  }
  void Defer(std::function<void()> fn) override { Deferred.push_back(std::move(fn)); }
  void FocusEditorControl() override { ++Focused; }
  std::string WriteEditorEffectiveCss() override {
    if (!CssError.empty()) throw EFolivaneError(CssError);
    return "/p/internal/editor/editor_effective.css";
  }
  void ShowCurrentTopicInTree(const std::string& id) override { TreeShows = id; }
  void RunDeferred() {
    while (!Deferred.empty()) {
      auto fn = std::move(Deferred.front());
      Deferred.pop_front();
      fn();
    }
  }

  int DirtyMarks = 0;
  int TimedOut = 0;
  int Focused = 0;
  std::string Status;
  std::string CssError;  // a style sheet that cannot be written
  std::string TreeShows = "(unset)";
  std::vector<int> WaitLimits;
  std::deque<std::function<void()>> PageQueue;
  std::deque<std::function<void()>> Deferred;
};

// A page that holds a body and a header and answers as the real one does, later.
struct TFakePage {
  TFakePage(TFakeEditorHost& h, TFakeWindow& w) : host(h), window(w) {}
  TFakeEditorHost& host;
  TFakeWindow& window;
  std::string body;
  std::string header;
  std::string headerBg;
  bool answerGetHtml = true;
  bool answerGetHeader = true;
  int64_t seq = 0;  // the last command taken, as every message says

  void Post(TJson message) {
    message["seq"] = seq;
    const std::string json = JsonWrite(message);
    window.PageQueue.push_back([this, json] { host.Post(json); });
  }
  void Handle(const std::string& script) {
    std::string text;
    TJson cmd;
    if (!DecodeRecvScript(script, text) || !TryParseJson(text, cmd)) return;
    seq = cmd.value("seq", seq);
    const std::string type = JsonString(cmd, "type", "");
    const std::string name = JsonString(cmd, "cmd", "");
    if (type == "setHtml") {
      body = JsonString(cmd, "html", "");
      Post(TJson{{"type", "htmlChanged"}, {"html", body}, {"user", false}});
    } else if (type == "getHtml" && answerGetHtml) {
      Post(TJson{{"type", "htmlResponse"}, {"html", body}});
    } else if (type == "getHeader" && answerGetHeader) {
      Post(TJson{{"type", "headerChanged"}, {"headerHtml", header}, {"headerBg", headerBg}});
    } else if (name == "setHeaderHtml") {
      header = JsonString(cmd, "arg", "");
    } else if (name == "setHeaderBg") {
      headerBg = JsonString(cmd, "arg", "");
      Post(TJson{{"type", "headerChanged"}, {"headerHtml", header}, {"headerBg", headerBg}});
    }
  }
  // The user types: the page reports the new body as a user change.
  void UserTypes(const std::string& html) {
    body = html;
    host.Post(JsonWrite(TJson{{"type", "htmlChanged"}, {"html", body}, {"user", true}, {"seq", seq}}));
  }
};

struct TTopicEditingFixture : ::testing::Test {
  TTempDir dir;
  TDocProject project;
  TProjectSettings settings;
  TFakeEditorHost host;
  TFakeWindow window;
  TFakePage page{host, window};
  TEditorBridge bridge{host};
  TPendingTopicTexts pending;
  TTopicEditorSession session{window, bridge, pending};
  std::string A, B, C;

  void SetUp() override {
    project.SetRootPath(dir.Path());
    project.SetTitle("Manual");
    A = project.AddTopic("Alpha", "").ID();
    B = project.AddTopic("Beta \"quoted\"", "").ID();
    C = project.AddTopic("Gamma", "").ID();
    WriteFixtureFile(TopicFilePath(project, A), "<p>alpha file</p>");
    WriteFixtureFile(TopicFilePath(project, B), "<p>beta file</p>");
    WriteFixtureFile(TopicFilePath(project, C), "<p>gamma file</p>");
    host.OnScript = [this](const std::string& s) { page.Handle(s); };
    bridge.OnReady = [this](TEditorBridge&) { session.EditorReady(); };
    bridge.OnHtmlChanged = [this](TEditorBridge&, const std::string& html) { session.EditorHtmlChanged(html); };
    bridge.OnHeaderChanged = [this](TEditorBridge&, const std::string& h, const std::string& bg) {
      session.EditorHeaderChanged(h, bg);
    };
    session.SetProject(&project, &settings);
  }
  // The page has loaded and posted ready; everything it answers is delivered.
  void MakeReady() {
    host.Post(R"({"type":"ready"})");
    Settle();
  }
  void Settle() {
    window.WaitProcessingEvents([] { return false; }, 0);
    window.RunDeferred();
  }
  void Select(const std::string& id) {
    session.TopicSelectionChanged(id);
    Settle();
  }
};

}  // namespace

TEST_F(TTopicEditingFixture, SwitchingStoresTheLeftTopicWithoutMarkingTheProject) {
  MakeReady();
  Select(A);
  EXPECT_EQ(page.body, "<p>alpha file</p>");
  EXPECT_EQ(window.Status, "Loaded: Alpha");
  Select(B);
  EXPECT_EQ(pending.at(A), "<p>alpha file</p>");
  EXPECT_EQ(page.body, "<p>beta file</p>");
  EXPECT_EQ(window.DirtyMarks, 0);
  EXPECT_NE(std::find(window.WaitLimits.begin(), window.WaitLimits.end(), 600), window.WaitLimits.end());
  EXPECT_GT(window.Focused, 0);
}

TEST_F(TTopicEditingFixture, UserEditsMarkTheProjectAndSetHtmlEchoesDoNot) {
  MakeReady();
  Select(A);
  EXPECT_EQ(window.DirtyMarks, 0);
  page.UserTypes("<p>alpha edited</p>");
  EXPECT_EQ(window.DirtyMarks, 1);
  EXPECT_EQ(session.DirtyHtml(), "<p>alpha edited</p>");
  Select(B);
  EXPECT_EQ(pending.at(A), "<p>alpha edited</p>");
  Select(A);  // the pending text wins over the file
  EXPECT_EQ(page.body, "<p>alpha edited</p>");
}

// The page's process can die and the page load again: it is given what was typed, not the
// text the topic was opened with.
TEST_F(TTopicEditingFixture, APageThatLoadsAgainShowsWhatWasTyped) {
  MakeReady();
  Select(A);
  page.UserTypes("<p>alpha typed</p>");
  page.body.clear();
  MakeReady();
  EXPECT_EQ(page.body, "<p>alpha typed</p>");
  Select(B);
  EXPECT_EQ(pending.at(A), "<p>alpha typed</p>");
}

TEST_F(TTopicEditingFixture, UserEditAnsweringARequestStillMarksTheProject) {
  MakeReady();
  Select(A);
  page.answerGetHtml = false;
  window.PageQueue.push_back([this] { page.UserTypes("<p>typed just now</p>"); });
  session.CaptureCurrentTopicHtml();
  EXPECT_EQ(pending.at(A), "<p>typed just now</p>");
  EXPECT_EQ(window.DirtyMarks, 1);
}

// Shown with the defaults, written only for a new topic (LoadTopicIntoEditor): selecting
// a topic changes no file.
TEST_F(TTopicEditingFixture, MissingTopicFileShowsDefaultsAndOnlyANewTopicWritesThem) {
  DeleteFileIfExists(TopicFilePath(project, B));
  MakeReady();
  Select(B);
  EXPECT_EQ(page.body, DefaultEmptyParagraphHtml(settings));
  EXPECT_NE(session.HeaderHtml().find("<b>Beta &quot;quoted&quot;</b>"), std::string::npos);
  Select(A);
  Select(B);
  EXPECT_FALSE(FileExists(TopicFilePath(project, B)));
  EXPECT_FALSE(FileExists(HeaderHtmlPath(project, B)));
  EXPECT_FALSE(FileExists(HeaderBgPath(project, B)));
  EXPECT_EQ(window.DirtyMarks, 0);

  // A new topic: shown, then loaded again by the tree command that made it.
  DeleteFileIfExists(TopicFilePath(project, C));
  Select(C);
  session.LoadTopicIntoEditor(C);
  EXPECT_EQ(ReadTextFileUtf8(TopicFilePath(project, C)), DefaultEmptyParagraphHtml(settings));
  EXPECT_EQ(ReadTextFileUtf8(HeaderHtmlPath(project, C)), DefaultHeaderHtml(settings, "Gamma"));
  EXPECT_TRUE(FileExists(HeaderBgPath(project, C)));
}

TEST_F(TTopicEditingFixture, NoTopicMeansNoQuestionToThePage) {
  MakeReady();
  host.Clear();
  EXPECT_EQ(session.GetCurrentTopicHtml(), "");
  EXPECT_TRUE(host.CommandsNamed("getHtml").empty());
}

// The page stalls past every wait while the user moves A -> B -> C; then it answers both
// requests at once. Each answer goes to the topic it was asked for, never to the next one.
TEST_F(TTopicEditingFixture, LateAnswersGoToTheTopicTheyWereAskedFor) {
  MakeReady();
  Select(A);
  page.UserTypes("<p>alpha typed</p>");
  page.answerGetHtml = false;
  Select(B);
  const int64_t askedForA = JsonFind(host.CommandsNamed("getHtml").back(), "seq")->get<int64_t>();
  Select(C);
  const int64_t askedForB = JsonFind(host.CommandsNamed("getHtml").back(), "seq")->get<int64_t>();
  EXPECT_GE(window.TimedOut, 2);
  EXPECT_EQ(session.CurrentTopicID(), C);
  EXPECT_EQ(pending.at(A), "<p>alpha typed</p>");
  EXPECT_EQ(pending.count(B), 0u);

  const int marks = window.DirtyMarks;
  auto answer = [this](int64_t seq, const std::string& html) {
    host.Post(JsonWrite(TJson{{"type", "htmlResponse"}, {"html", html}, {"seq", seq}}));
  };
  answer(askedForA, "<p>alpha typed, and more before the switch</p>");
  answer(askedForB, "<p>beta typed</p>");
  EXPECT_EQ(pending.at(A), "<p>alpha typed, and more before the switch</p>");
  EXPECT_EQ(pending.at(B), "<p>beta typed</p>");
  EXPECT_EQ(pending.count(C), 0u);
  EXPECT_EQ(session.DirtyHtml(), "");
  EXPECT_EQ(window.DirtyMarks, marks + 2) << "text the page had and the files lack is unsaved";

  // A typing report the page sent before it took the load of C is B's as well.
  host.Post(JsonWrite(
      TJson{{"type", "htmlChanged"}, {"html", "<p>beta, last keys</p>"}, {"user", true}, {"seq", askedForB}}));
  EXPECT_EQ(pending.at(B), "<p>beta, last keys</p>");
  EXPECT_EQ(session.DirtyHtml(), "");
  page.answerGetHtml = true;
  Settle();
  Select(A);
  EXPECT_EQ(pending.at(C), "<p>gamma file</p>");
  EXPECT_EQ(page.body, "<p>alpha typed, and more before the switch</p>");
}

// An answer about a topic that was shown again since is older than what the page holds.
TEST_F(TTopicEditingFixture, ALateAnswerNeverOverwritesATopicShownAgain) {
  MakeReady();
  Select(A);
  page.answerGetHtml = false;
  Select(B);
  const int64_t askedForA = JsonFind(host.CommandsNamed("getHtml").back(), "seq")->get<int64_t>();
  page.answerGetHtml = true;
  Select(A);
  page.UserTypes("<p>alpha now</p>");
  host.Post(JsonWrite(TJson{{"type", "htmlResponse"}, {"html", "<p>alpha old</p>"}, {"seq", askedForA}}));
  EXPECT_EQ(session.DirtyHtml(), "<p>alpha now</p>");
  Select(C);
  EXPECT_EQ(pending.at(A), "<p>alpha now</p>");
}

TEST_F(TTopicEditingFixture, ASwitchDuringAWaitIsQueuedAndAppliedAfter) {
  MakeReady();
  Select(A);
  // While the capture of A waits, the user selects C, then B.
  window.PageQueue.push_front([this] { session.TopicSelectionChanged(C); });
  window.PageQueue.push_front([this] { session.TopicSelectionChanged(B); });
  session.TopicSelectionChanged(C);
  EXPECT_EQ(session.CurrentTopicID(), C);
  Settle();
  EXPECT_EQ(session.CurrentTopicID(), C) << "the last selection wins";
  EXPECT_EQ(pending.at(A), "<p>alpha file</p>");
  EXPECT_EQ(page.body, "<p>gamma file</p>");
  for (const auto& [id, html] : pending) EXPECT_NE(id == A ? "" : html, "<p>alpha file</p>") << id;
}

TEST_F(TTopicEditingFixture, HeaderEchoRulesAndBlankBackgrounds) {
  MakeReady();
  Select(A);
  // A user header edit goes to disk at once and marks the project modified.
  host.Post(R"({"type":"headerChanged","headerHtml":"<b>Own</b>","headerBg":"#123456"})");
  EXPECT_EQ(ReadTextFileUtf8(HeaderHtmlPath(project, A)), "<b>Own</b>");
  EXPECT_EQ(ReadTextFileUtf8(HeaderBgPath(project, A)), "#123456");
  EXPECT_EQ(window.DirtyMarks, 1);
  host.Post(R"({"type":"headerChanged","headerHtml":"<b>Own 2</b>","headerBg":"  "})");
  EXPECT_EQ(session.HeaderBg(), "#123456");

  // The echo of an applied header is not taken for the answer to getHeader, nor the other way.
  session.ApplyHeaderToEditor();
  page.answerGetHeader = true;
  const int timeoutsBefore = window.TimedOut;
  session.RequestHeaderAndWait(400);
  EXPECT_EQ(window.TimedOut, timeoutsBefore);
  EXPECT_EQ(window.WaitLimits.back(), 400);
  EXPECT_FALSE(session.WaitingHeaderResponse());
}

// With no topic current (after a deletion, Open or New), header reports belong to nobody:
// the project's default header is never written from them.
TEST_F(TTopicEditingFixture, HeaderReportsWithoutATopicWriteNothing) {
  MakeReady();
  Select(A);
  session.ForgetCurrentTopic();
  host.Post(JsonWrite(TJson{
      {"type", "headerChanged"}, {"headerHtml", "<b>typed after</b>"}, {"headerBg", "#00ff00"}, {"seq", page.seq}}));
  session.ApplySettingsToEditor();  // its background command is echoed too
  Settle();
  EXPECT_FALSE(FileExists(HeaderHtmlPath(project, "")));
  EXPECT_FALSE(FileExists(HeaderBgPath(project, "")));
  EXPECT_FALSE(FileExists(HeaderHtmlPath(project, A)) &&
               ReadTextFileUtf8(HeaderHtmlPath(project, A)) == "<b>typed after</b>");
}

// A switch whose new topic cannot be read or shown changes nothing: the page keeps the old
// topic and the old topic stays current, so the next save cannot misfile its text.
TEST_F(TTopicEditingFixture, ASwitchThatFailsHalfWayStaysOnTheOldTopic) {
  MakeReady();
  Select(A);
  page.UserTypes("<p>alpha typed</p>");
  struct TCase {
    const char* name;
    std::function<void()> breakIt;
    std::function<void()> mend;
  };
  const std::string pageOfB = TopicFilePath(project, B);
  const TCase cases[] = {
      {"style sheet cannot be written", [&] { window.CssError = "Cannot write editor_effective.css"; },
       [&] { window.CssError.clear(); }},
      {"topic file is a folder",
       [&] {
         DeleteFileIfExists(pageOfB);
         EnsureDir(pageOfB);
       },
       [&] {
         DeleteFolderTree(pageOfB);
         WriteFixtureFile(pageOfB, "<p>beta file</p>");
       }},
  };
  for (const TCase& c : cases) {
    c.breakIt();
    window.TreeShows = "(unset)";
    EXPECT_THROW(session.TopicSelectionChanged(B), EFolivaneError) << c.name;
    Settle();
    EXPECT_EQ(session.CurrentTopicID(), A) << c.name;
    EXPECT_EQ(window.TreeShows, A) << c.name;
    EXPECT_EQ(page.body, "<p>alpha typed</p>") << c.name;
    c.mend();
  }
  page.UserTypes("<p>alpha, still here</p>");
  Select(B);
  EXPECT_EQ(pending.at(A), "<p>alpha, still here</p>");
  EXPECT_EQ(pending.count(B), 0u);
  EXPECT_EQ(page.body, "<p>beta file</p>");
}

TEST_F(TTopicEditingFixture, SettingsChangeRefreshesAnEmptyTopicAndItsDefaultHeader) {
  MakeReady();
  WriteFixtureFile(TopicFilePath(project, C), "<p>&nbsp;</p>");
  Select(C);
  settings.FontSizeBody = 17;
  session.ApplySettingsChangeToEditor();
  Settle();
  EXPECT_EQ(pending.at(C), DefaultEmptyParagraphHtml(settings));
  EXPECT_EQ(page.body, DefaultEmptyParagraphHtml(settings));
  EXPECT_NE(session.HeaderHtml().find("font-size:17px"), std::string::npos);

  // A header with a link is the user's own and stays.
  page.header = "<a href=\"x\">Gamma</a>";
  host.Post(R"({"type":"headerChanged","headerHtml":"<a href=\"x\">Gamma</a>","headerBg":"#ffffff"})");
  settings.FontSizeBody = 19;
  session.ApplySettingsChangeToEditor();
  Settle();
  EXPECT_EQ(session.HeaderHtml(), "<a href=\"x\">Gamma</a>");
}

TEST_F(TTopicEditingFixture, ReadyPointsThePageAtTheProjectAndSendsDefaultsAsProgram) {
  MakeReady();
  const auto base = std::find_if(host.Scripts.begin(), host.Scripts.end(),
                                 [](const std::string& s) { return StartsWith(s, "zdSetBaseHref("); });
  ASSERT_NE(base, host.Scripts.end());
  EXPECT_EQ(*base, "zdSetBaseHref(" + JsStringLiteral(FilePathToFileUrl(dir.Path() + "/")) + ");");
  for (const char* cmd : {"setCssFile", "fontName", "fontSizePx", "foreColor", "lineHeight", "setPageBg"}) {
    const auto sent = host.CommandsNamed(cmd);
    ASSERT_FALSE(sent.empty()) << cmd;
    EXPECT_EQ(JsonString(sent.back(), "origin", ""), "program") << cmd;
  }
  EXPECT_EQ(JsonFind(host.CommandsNamed("backColor").back(), "arg"), nullptr);
}
