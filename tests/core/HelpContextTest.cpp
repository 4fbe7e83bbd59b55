// Help context IDs and aliases: how they are stored, checked, numbered and written out as
// the map a program's developers include.
#include <gtest/gtest.h>

#include "TestHelpers.h"
#include "uExportWebHelp.h"
#include "uHelpContext.h"
#include "uLinkChecker.h"
#include "uPlatform.h"
#include "uProjectOpen.h"
#include "uStorage.h"
#include "uTopicCopies.h"

namespace {

bool Contains(const std::string& text, const std::string& part) { return text.find(part) != std::string::npos; }

class HelpContextTest : public ::testing::Test {
 protected:
  TTempDir dir;
  TDocProject project;

  void SetUp() override {
    project.Clear();
    project.SetRootPath(dir.Path() + "/P/");
    project.SetTitle("Guide");
  }
  TTopic& Add(const std::string& title, int helpId = 0, const std::string& alias = "", const std::string& parent = "") {
    TTopic& t = project.AddTopic(title, parent);
    t.SetHelpId(helpId);
    t.SetHelpAlias(alias);
    WriteFixtureFile(t.HtmlPath(), "<p>" + title + "</p>");
    return t;
  }
  std::string TopicsFile() const { return ReadBinaryFile(project.RootPath() + "meta/topics.json"); }
};

}  // namespace

TEST_F(HelpContextTest, StoredOnlyWhenSetAfterTheOtherKeys) {
  TTopic& plain = Add("Plain");
  SaveProject(project);
  const std::string without = TopicsFile();
  EXPECT_FALSE(Contains(without, "help")) << without;
  EXPECT_TRUE(Contains(without, "\"index\":[]}]}")) << "the topic object ends as before";

  // A project without help contexts is written byte for byte again after a load.
  Add("Child", 0, "", plain.ID());
  Add("Second");
  SaveProject(project);
  const std::string saved = TopicsFile();
  TDocProject reloaded;
  LoadProject(project.RootPath(), reloaded);
  SaveProject(reloaded);
  EXPECT_EQ(TopicsFile(), saved);

  TTopic& print = Add("Print", 1001, "IDH_PRINT");
  Add("Alias only", 0, "IDH_ONLY");
  SaveProject(project);
  EXPECT_TRUE(Contains(TopicsFile(), "\"index\":[],\"helpId\":1001,\"helpAlias\":\"IDH_PRINT\"}")) << TopicsFile();
  TDocProject loaded;
  LoadProject(project.RootPath(), loaded);
  EXPECT_EQ(loaded.GetTopic(print.ID()).HelpId(), 1001);
  EXPECT_EQ(loaded.GetTopic(print.ID()).HelpAlias(), "IDH_PRINT");
  EXPECT_EQ(loaded.GetTopic(plain.ID()).HelpId(), 0);
  EXPECT_EQ(loaded.GetTopic(plain.ID()).HelpAlias(), "");
}

TEST_F(HelpContextTest, ValuesReadFromTheFile) {
  struct TCase {
    std::string pairs;  // the help keys of the topic object
    int id;
    std::string alias;
    std::string error;  // what the load error says, "" when it loads
  } cases[] = {
      {"\"helpId\":1001,\"helpAlias\":\"IDH_A\"", 1001, "IDH_A", ""},
      {"\"helpId\":\"42\"", 42, "", ""},
      {"\"helpId\":null,\"helpAlias\":null", 0, "", ""},
      {"\"helpId\":2147483647", 2147483647, "", ""},
      {"\"helpAlias\":\"a_1\"", 0, "a_1", ""},
      {"\"helpId\":0", 0, "", "the help ID \"0\" of the topic \"T\" is not a whole number from 1 to 2147483647"},
      {"\"helpId\":-5", 0, "", "the help ID \"-5\""},
      {"\"helpId\":2147483648", 0, "", "the help ID \"2147483648\""},
      {"\"helpId\":10.5", 0, "", "the help ID \"10.5\""},
      {"\"helpId\":\"ten\"", 0, "", "the help ID \"ten\""},
      {"\"helpAlias\":\"1ST\"", 0, "", "the help alias \"1ST\" of the topic \"T\" is not a name"},
      {"\"helpAlias\":\"IDH PRINT\"", 0, "", "the help alias \"IDH PRINT\""},
      {"\"helpAlias\":\"IDH-PRINT\"", 0, "", "the help alias \"IDH-PRINT\""},
  };
  for (const TCase& c : cases) {
    WriteFixtureFile(project.RootPath() + "meta/topics.json",
                     "{\"rootTopicIds\":[\"X\"],\"topics\":[{\"id\":\"X\",\"title\":\"T\"," + c.pairs + "}]}");
    TDocProject p;
    const std::string error = ErrorMessage([&] { LoadProject(project.RootPath(), p); });
    if (c.error.empty()) {
      ASSERT_EQ(error, "(no error)") << c.pairs;
      EXPECT_EQ(p.GetTopic("X").HelpId(), c.id) << c.pairs;
      EXPECT_EQ(p.GetTopic("X").HelpAlias(), c.alias) << c.pairs;
    } else {
      EXPECT_TRUE(Contains(error, "Cannot load " + project.RootPath() + "meta/topics.json: " + c.error))
          << c.pairs << "\n"
          << error;
    }
  }
}

TEST_F(HelpContextTest, RefusedWhenNotValidOrAnotherTopics) {
  TTopic& print = Add("Print", 1001, "IDH_PRINT");
  TTopic& other = Add("Other");
  struct TCase {
    std::string idText, alias;
    std::string refusal;  // "" when allowed
  } cases[] = {
      {"", "", ""},
      {" 2002 ", "IDH_OTHER", ""},
      {"1001", "", "The help ID 1001 is already used by the topic \"Print\"."},
      {"", "idh_print", "The help alias idh_print is already used by the topic \"Print\"."},
      {"0", "", "The help ID must be a whole number from 1 to 2147483647."},
      {"12a", "", "The help ID must be a whole number from 1 to 2147483647."},
      {"99999999999", "", "The help ID must be a whole number from 1 to 2147483647."},
      {"", "_X", "The help alias must start with a letter and hold only letters, digits and _."},
      {"", "IDH_\xC3\x9C", "The help alias must start with a letter and hold only letters, digits and _."},
  };
  for (const TCase& c : cases) {
    int id = -1;
    const std::string idRefusal = HelpIdRefusal(project, other.ID(), c.idText, id);
    const std::string aliasRefusal = HelpAliasRefusal(project, other.ID(), c.alias);
    EXPECT_EQ(idRefusal.empty() ? aliasRefusal : idRefusal, c.refusal) << c.idText << " / " << c.alias;
  }
  int id = -1;
  EXPECT_EQ(HelpIdRefusal(project, print.ID(), "1001", id), "") << "a topic keeps its own";
  EXPECT_EQ(id, 1001);
  EXPECT_EQ(HelpAliasRefusal(project, print.ID(), "IDH_PRINT"), "");
}

TEST_F(HelpContextTest, NumberingFollowsTheTreeAndSkipsTakenNumbers) {
  TTopic& a = Add("Print dialog");
  TTopic& a1 = Add("Page setup", 0, "", a.ID());
  TTopic& b = Add("Options", 1010, "IDH_OPTIONS");
  TTopic& c = Add("\xD0\xA1\xD1\x85\xD0\xB5\xD0\xBC\xD0\xB0");  // "Схема"
  TTopic& d = Add("Print dialog");
  TTopic& e = Add("!!!");
  TTopic& notes = Add("Notes");
  notes.SetExcludeWeb(true);
  notes.SetExcludeChm(true);
  const THelpNumberingResult done = NumberHelpContexts(project, {1000, 10, true});
  EXPECT_EQ(done.numbered, 5);
  EXPECT_EQ(done.aliased, 5);
  EXPECT_EQ(a.HelpId(), 1000);
  EXPECT_EQ(a1.HelpId(), 1020) << "1010 is taken";
  EXPECT_EQ(b.HelpId(), 1010) << "a topic keeps its number";
  EXPECT_EQ(c.HelpId(), 1030);
  EXPECT_EQ(e.HelpId(), 1050);
  EXPECT_EQ(a.HelpAlias(), "IDH_PRINT_DIALOG");
  EXPECT_EQ(a1.HelpAlias(), "IDH_PAGE_SETUP");
  EXPECT_EQ(b.HelpAlias(), "IDH_OPTIONS");
  EXPECT_EQ(c.HelpAlias(), "IDH_SHEMA");
  EXPECT_EQ(d.HelpAlias(), "IDH_PRINT_DIALOG_2");
  EXPECT_EQ(e.HelpAlias(), "IDH_TOPIC");
  EXPECT_EQ(notes.HelpId(), 0) << "left out of every output that opens topics by ID";
  EXPECT_EQ(notes.HelpAlias(), "");
  EXPECT_EQ(NumberHelpContexts(project, {1, 1, true}).numbered, 0) << "nothing left to number";

  Add("New");
  Add("Another");
  EXPECT_EQ(ErrorMessage([&] {
              NumberHelpContexts(project, {2147483640, 10, false});
            }),
            "The help IDs would run past 2147483647; choose a smaller start or step.")
      << "the first would fit, the second not";
  EXPECT_EQ(ErrorMessage([&] {
              NumberHelpContexts(project, {0, 10, false});
            }),
            "The first help ID and the step must be whole numbers of at least 1.");
  for (const auto& [id, topic] : project.Topics()) {
    if (topic->Title() == "New" || topic->Title() == "Another") EXPECT_EQ(topic->HelpId(), 0) << "nothing changed";
  }
}

TEST_F(HelpContextTest, MapInThreeFormats) {
  TTopic& a = Add("Print, \"quick\"", 1001, "IDH_PRINT");
  TTopic& b = Add("Only a number", 1002);
  TTopic& c = Add("Only a name", 0, "IDH_NAME");
  TTopic& d = Add("Clash", 1003);
  Add("Clashing alias", 0, "IDH_1003");
  Add("No context");
  const std::vector<THelpContextEntry> entries = HelpContextEntries(project);
  ASSERT_EQ(entries.size(), 5u);

  EXPECT_EQ(HelpMapText(entries, THelpMapFormat::C),
            "/* Help context IDs, written by Folivane. */\n"
            "#define IDH_PRINT 1001\n"
            "#define IDH_1002 1002\n"
            "#define IDH_1003_2 1003\n");
  EXPECT_EQ(HelpMapText(entries, THelpMapFormat::Csv),
            "helpId,alias,topicId,title,page\r\n"
            "1001,IDH_PRINT," +
                a.ID() + ",\"Print, \"\"quick\"\"\",topics/" + a.ID() +
                ".html\r\n"
                "1002,," +
                b.ID() + ",Only a number,topics/" + b.ID() +
                ".html\r\n"
                "," +
                "IDH_NAME," + c.ID() + ",Only a name,topics/" + c.ID() +
                ".html\r\n"
                "1003,," +
                d.ID() + ",Clash,topics/" + d.ID() + ".html\r\n" + "," + "IDH_1003," + entries[4].topicId +
                ",Clashing alias,topics/" + entries[4].topicId + ".html\r\n");
  const std::string json = HelpMapText(entries, THelpMapFormat::Json);
  EXPECT_TRUE(Contains(json, "{\"helpId\":1001,\"alias\":\"IDH_PRINT\",\"topicId\":\"" + a.ID() +
                                 "\",\"title\":\"Print, \\\"quick\\\"\",\"page\":\"topics\\/" + a.ID() + ".html\"}"))
      << json;
  EXPECT_TRUE(Contains(json, "{\"helpId\":null,\"alias\":\"IDH_NAME\"")) << json;

  THelpMapFormat format;
  EXPECT_TRUE(ParseHelpMapFormat("csv", format));
  EXPECT_FALSE(ParseHelpMapFormat("xml", format));
}

TEST_F(HelpContextTest, CheckReportsDuplicatesAndExcludedTopics) {
  Add("First", 1001, "IDH_A");
  Add("Second", 1001, "idh_a");
  TTopic& hidden = Add("Hidden", 1002);
  hidden.SetExcludeWeb(true);
  hidden.SetExcludeChm(true);
  TTopic& named = Add("Named", 0, "IDH_N");
  named.SetExcludeChm(true);
  TTopic& plain = Add("Plain");
  plain.SetExcludeChm(true);
  std::vector<std::string> found;
  for (const TLinkIssue& issue : CheckLinks(project)) found.push_back(issue.TopicTitle + ": " + issue.Issue);
  EXPECT_EQ(found, (std::vector<std::string>{
                       "Second: Duplicate help ID 1001: also used by \"First\"",
                       "Second: Duplicate help alias idh_a: also used by \"First\"",
                       "Hidden: Help context 1002 names a topic left out of WebHelp",
                       "Hidden: Help context 1002 names a topic left out of CHM",
                       "Named: Help context IDH_N names a topic left out of CHM",
                   }));
}

TEST_F(HelpContextTest, WebHelpWritesTheMapOfItsTopics) {
  Add("Shown", 7, "IDH_SHOWN");
  TTopic& hidden = Add("Hidden", 8, "IDH_HIDDEN");
  hidden.SetExcludeWeb(true);
  const std::string out = dir.Path() + "/P/build/webhelp";
  ExportWebHelp(project, out);
  const std::string json = ReadBinaryFile(out + "/context.json");
  EXPECT_TRUE(Contains(json, "IDH_SHOWN"));
  EXPECT_FALSE(Contains(json, "IDH_HIDDEN"));
  EXPECT_EQ(ReadBinaryFile(out + "/context.js"), "window.__ZD_CONTEXT = " + Trim(json) + ";");
}

TEST_F(HelpContextTest, ACopyStartsWithoutTheOriginalsContext) {
  TTopic& original = Add("Original", 5, "IDH_ORIGINAL");
  TTopic& child = Add("Child", 6, "IDH_CHILD", original.ID());
  TPendingTopicTexts pending;
  const std::string copyId = DuplicateBranch(project, original.ID(), true, "Copy", pending);
  for (const std::string& id : project.SubtreeIDs(copyId)) {
    EXPECT_EQ(project.GetTopic(id).HelpId(), 0);
    EXPECT_EQ(project.GetTopic(id).HelpAlias(), "");
  }
  EXPECT_EQ(child.HelpId(), 6) << "the original keeps its own";
}

TEST(CliMap, PrintsTheMapInEachFormat) {
  TTempDir dir;
  const std::string file = dir / "Guide.fvp";
  CreateProjectFile(file, "Guide");
  TDocProject project;
  TProjectSettings settings;
  OpenProjectFile(file, project, settings);
  TTopic& print = project.AddTopic("Print", "");
  print.SetHelpId(1001);
  print.SetHelpAlias("IDH_PRINT");
  SaveProject(project);
  const auto run = [](const std::vector<std::string>& args) {
    return RunProcessAndWait(FOLIVANE_CLI_PATH, args, "", std::chrono::milliseconds(60000));
  };
  const std::string page = "topics/" + print.ID() + ".html";
  const std::string jsonPage = "topics\\/" + print.ID() + ".html";  // "/" escaped, as in every JSON file written
  struct TCase {
    std::vector<std::string> args;
    int exitCode;
    std::string output;
  } cases[] = {
      {{"map", file},
       0,
       "{\"topics\":[{\"helpId\":1001,\"alias\":\"IDH_PRINT\",\"topicId\":\"" + print.ID() +
           "\",\"title\":\"Print\",\"page\":\"" + jsonPage + "\"}]}\n"},
      {{"map", "--format", "c", file}, 0, "/* Help context IDs, written by Folivane. */\n#define IDH_PRINT 1001\n"},
      {{"map", file, "--format", "csv"},
       0,
       "helpId,alias,topicId,title,page\r\n1001,IDH_PRINT," + print.ID() + ",Print," + page + "\r\n"},
      {{"map", file, "--format", "xml"},
       2,
       "error: unknown format xml\nUsage: folivane-cli map FILE.fvp [--format json|c|csv]\n"},
      {{"map"}, 2, "error: expected one project file\nUsage: folivane-cli map FILE.fvp [--format json|c|csv]\n"},
  };
  for (const TCase& c : cases) {
    const TProcessResult r = run(c.args);
    EXPECT_EQ(r.exitCode, c.exitCode) << c.args.back() << "\n" << r.output;
    EXPECT_EQ(r.output, c.output) << c.args.back();
  }
}
