// The page checks, and folivane-cli check that runs them with the link check for CI.
#include "uProjectCheck.h"

#include <gtest/gtest.h>

#include "TestHelpers.h"
#include "uJson.h"
#include "uPlatform.h"
#include "uProjectOpen.h"
#include "uProjectSettings.h"
#include "uStorage.h"

namespace {

using Strings = std::vector<std::string>;

TReusableProjectContent Store() {
  TReusableProjectContent store;
  store.Variables() = {{"Product", "Harbor"}};
  store.Snippets() = {{"Note", "<b>note</b>"}};
  store.Conditions() = {{"Pro", true}};
  return store;
}

}  // namespace

TEST(ProjectCheck, FindingsOfAPage) {
  const struct {
    const char* html;
    Strings findings;
  } cases[] = {
      {"<h1>Start</h1><p>{var:product} {snip: Note }{begincond:PRO}x{endcond:pro}</p>", {}},
      {"<p>&nbsp;</p><p> </p>", {"Empty topic"}},
      {"<p>{var:Edition} {snip:Tip}</p>", {"Undefined variable: {var:Edition}", "Undefined snippet: {snip:Tip}"}},
      {"<p><a href=\"{var:Url}\">x</a></p>", {}},  // tokens in attributes are not expanded, so not checked
      {"<p>{begincond:Lite}a{endcond}</p>", {"Undefined condition: {begincond:Lite}"}},
      {"<p>{begincond:Pro}a</p>", {"Unclosed condition: {begincond:Pro}"}},
      {"<p>a{endcond}</p>", {"{endcond} without a {begincond} before it"}},
      {"<p>{begincond:Pro}a{endcond:Lite}</p>", {"{endcond:Lite} closes the condition Pro"}},
      {"<p>{begincond:Pro}{begincond:Pro}a{endcond}{endcond}</p>", {}},
      {"<p><img src=\"assets/images/a.png\"><img src='b.png' alt=' '><img alt=\"Dock\" src=\"c.png\"></p>",
       {"Picture without alternative text: assets/images/a.png", "Picture without alternative text: b.png"}},
      {"<img src=\"d.png\" ALT=\"\">", {"Picture without alternative text: d.png"}},
      {"<h1>A</h1><h3 class=\"x\">Deep <i>one</i></h3><h2>B</h2><h3>C</h3><h1>D</h1><h2>E</h2><h4>F</h4>",
       {"Heading skips a level (h3 after h1): \"Deep one\"", "Heading skips a level (h4 after h2): \"F\""}},
      {"<h3>Starts low</h3><p>text</p>", {}},
  };
  const TReusableProjectContent store = Store();
  for (const auto& c : cases) EXPECT_EQ(CheckPageHtml(c.html, store), c.findings) << c.html;
}

namespace {

// A project whose every topic shows one finding, and the CLI run on it.
class CliCheck : public ::testing::Test {
 protected:
  TTempDir dir;
  std::string file = dir / "Guide.fvp";
  TDocProject project;

  void SetUp() override {
    CreateProjectFile(file, "Guide");
    TProjectSettings settings;
    OpenProjectFile(file, project, settings);
    project.DeleteTopic(project.RootTopicIDs().at(0));
  }

  TTopic& Page(const std::string& title, const std::string& html, const std::string& parent = "") {
    TTopic& t = project.AddTopic(title, parent);
    if (!html.empty()) WriteFixtureFile(t.HtmlPath(), html);
    return t;
  }

  TProcessResult Check(const Strings& options = {}) {
    SaveProject(project);
    Strings args{"check", file};
    args.insert(args.end(), options.begin(), options.end());
    return RunProcessAndWait(FOLIVANE_CLI_PATH, args, "", std::chrono::milliseconds(60000));
  }

  std::string Rel(const TTopic& t) const { return "topics/" + t.ID() + ".html"; }
};

}  // namespace

TEST_F(CliCheck, CleanProjectPassesTheGate) {
  Page("Start", "<h1>Start</h1><p>Hello</p>");
  const TProcessResult r = Check();
  EXPECT_EQ(r.exitCode, 0) << r.output;
  EXPECT_EQ(r.output, "No problems found.\n");
  EXPECT_EQ(Check({"--format", "json"}).output, "{\"findings\":[]}\n");
}

TEST_F(CliCheck, EveryKindOfFindingWithExitCodeThree) {
  TReusableProjectContent store = Store();
  store.Snippets().push_back({"Bad", "{var:Nope}"});
  store.SaveToProject(project);
  TTopic& links = Page("Links", "<p><a href=\"doc:" + std::string(32, 'A') + "\">x</a></p>");
  TTopic& missing = Page("Missing", "", links.ID());
  TTopic& tokens = Page("Tokens", "<p>{var:Edition}{begincond:Pro}x</p>");
  TTopic& empty = Page("Empty", "<p><br></p>");
  TTopic& pictures = Page("Pictures", "<h1>A</h1><h3>C</h3><img src=\"assets/images/a.png\">");
  WriteFixtureFile(dir / "Guide/assets/images/a.png", "png");
  TTopic& gated = Page("Gated", "<h1>G</h1><p>Admins only</p>");
  gated.SetCondition("Admin");  // defined nowhere, so never published
  TTopic& toGated = Page("To gated", "<p><a href=\"doc:" + gated.ID() + "\">admins</a></p>");
  links.SetHelpId(7);
  tokens.SetHelpId(7);
  const TProcessResult r = Check();
  EXPECT_EQ(r.exitCode, 3) << r.output;
  const std::string text = Rel(links) + ": Links: Broken internal link: doc:" + std::string(32, 'A') + "\n" +       //
                           Rel(missing) + ": Missing: Missing HTML file: " + missing.HtmlPath() + "\n" +            //
                           Rel(tokens) + ": Tokens: Undefined variable: {var:Edition}\n" +                          //
                           Rel(tokens) + ": Tokens: Unclosed condition: {begincond:Pro}\n" +                        //
                           Rel(empty) + ": Empty: Empty topic\n" +                                                  //
                           Rel(pictures) + ": Pictures: Picture without alternative text: assets/images/a.png\n" +  //
                           Rel(pictures) + ": Pictures: Heading skips a level (h3 after h1): \"C\"\n" +             //
                           Rel(toGated) + ": To gated: Link to a topic left out of WebHelp, CHM, PDF: Gated\n" +    //
                           "meta/topics.json: Tokens: Duplicate help ID 7: also used by \"Links\"\n" +              //
                           "meta/topics.json: Gated: Undefined condition of the topic: Admin (the topic is never "
                           "published)\n" +  //
                           "meta/reusable_content.json: snippet Bad: Undefined variable: {var:Nope}\n";
  EXPECT_EQ(r.output, text);

  // The JSON form holds the same findings, each with its topic's ID.
  const TProcessResult json = Check({"--format", "json"});
  EXPECT_EQ(json.exitCode, 3);
  TJson doc;
  ASSERT_TRUE(TryParseJson(json.output, doc)) << json.output;
  std::string lines;
  for (const TJson& f : doc.at("findings")) {
    lines += f.at("file").get<std::string>() + ": " + f.at("topic").get<std::string>() + ": " +
             f.at("message").get<std::string>() + "\n";
  }
  EXPECT_EQ(lines, text);
  EXPECT_EQ(doc.at("findings").at(0).at("topicId"), links.ID());
}

TEST_F(CliCheck, UnreadableProjectIsAFailure) {
  WriteFixtureFile(dir / "Guide/meta/reusable_content.json", "{not json");
  const TProcessResult r = Check();
  EXPECT_EQ(r.exitCode, 1) << r.output;
  EXPECT_EQ(r.output, "error: The reusable content file is not JSON: " + dir / "Guide/meta/reusable_content.json\n");
  EXPECT_EQ(Check({"--format", "yaml"}).exitCode, 2);
}
