// Build profiles: their files, how a build applies them, the condition report, and the
// CLI that publishes and checks them.
#include "uBuildProfile.h"

#include <gtest/gtest.h>
#include <unistd.h>

#include "PdfTestProject.h"
#include "TestHelpers.h"
#include "uConditionReport.h"
#include "uExportWebHelp.h"
#include "uLinkChecker.h"
#include "uPlatform.h"
#include "uProjectOpen.h"
#include "uPublishOutput.h"
#include "uReusableContent.h"
#include "uStorage.h"

namespace {

using Strings = std::vector<std::string>;

TBuildProfile Profile(const std::string& name) {
  TBuildProfile p;
  p.Name = name;
  return p;
}

// A guide with a Pro condition, a Product variable, a topic for Pro readers only and an
// internal topic below a chapter.
class ProfileProject : public ::testing::Test {
 protected:
  TTempDir dir;
  std::string file = dir / "Guide.fvp";
  TDocProject project;
  std::string welcome, pro, chapter, internal, internalChild;

  void SetUp() override {
    CreateProjectFile(file, "Guide");
    TProjectSettings settings;
    OpenProjectFile(file, project, settings);
    project.DeleteTopic(project.RootTopicIDs().at(0));
    welcome = Page("Welcome", "<p>{var:Product}{begincond:Pro} Pro text{endcond}</p><p><a href=\"doc:@pro\">x</a></p>");
    pro = Page("Pro features", "<p>Pro</p>");
    project.GetTopic(pro).SetCondition("Pro");
    chapter = Page("Chapter", "<p>Chapter</p>");
    internal = Page("Internal", "<p>Internal</p>", chapter);
    project.GetTopic(internal).Keywords() = {"internal"};
    internalChild = Page("Below internal", "<p>Below</p>", internal);
    WriteFixtureFile(project.GetTopic(welcome).HtmlPath(),
                     "<p>{var:Product}{begincond:Pro} Pro text{endcond}</p><p><a href=\"doc:" + pro + "\">x</a></p>");
    TReusableProjectContent store;
    store.Variables() = {{"Product", "Harbor"}};
    store.Conditions() = {{"Pro", true}, {"Beta", false}};
    store.SaveToProject(project);
    SaveProject(project);
  }

  std::string Page(const std::string& title, const std::string& html, const std::string& parent = "") {
    TTopic& t = project.AddTopic(title, parent);
    WriteFixtureFile(t.HtmlPath(), html);
    return t.ID();
  }

  TBuildProfile Lite() const {
    TBuildProfile p = Profile("Lite");
    p.Conditions = {{"pro", false}};
    p.Variables = {{"Product", "Harbor Lite"}};
    p.Outputs = {TOutputFormat::WebHelp};
    p.LeaveOutKeywords = {"INTERNAL"};
    return p;
  }

  // The project as a fresh build of profile sees it.
  void OpenFor(const TBuildProfile* profile, TDocProject& out) {
    TProjectSettings settings;
    OpenProjectFile(file, out, settings);
    ApplyBuildProfile(out, profile);
  }

  TProcessResult Cli(const Strings& args) {
    return RunProcessAndWait(FOLIVANE_CLI_PATH, args, "", std::chrono::milliseconds(60000));
  }
};

}  // namespace

TEST(BuildProfile, FileRoundTripAndDefaults) {
  TBuildProfile p = Profile("Pro");
  p.Conditions = {{"Pro", true}, {"Beta", false}};
  p.Variables = {{"Product", "Harbor Pro \xC2\xAE"}};
  p.Outputs = {TOutputFormat::Pdf, TOutputFormat::WebHelp};
  p.LeaveOutKeywords = {"internal"};
  p.Pdf["PdfSubtitle"] = "Pro edition";
  const std::string text = ProfileToJsonText(p);
  EXPECT_NE(text.find("\n  \"conditions\": {\n    \"Pro\": true,"), std::string::npos) << text;
  EXPECT_EQ(ProfileFromJsonText("Pro", text, "Pro.json"), p);
  EXPECT_EQ(ProfileToJsonText(ProfileFromJsonText("Pro", text, "Pro.json")), text);

  // An empty object chooses nothing and builds every output.
  const TBuildProfile empty = ProfileFromJsonText("E", "{}", "E.json");
  EXPECT_TRUE(empty.Conditions.empty() && empty.Variables.empty() && empty.LeaveOutKeywords.empty());
  EXPECT_EQ(empty.Outputs.size(), 3u);
}

TEST(BuildProfile, DamagedFilesAreRefusedWithTheirReason) {
  const struct {
    const char* text;
    const char* message;
  } cases[] = {
      {"{\"conditions\": ", "Cannot read the build profile p.json: "},
      {"[]", "Cannot read the build profile p.json: the file must be an object, not an array"},
      {"{\"conditions\": []}", "\"conditions\" must be an object, not an array"},
      {"{\"conditions\": {\"Pro\": \"yes\"}}", "the condition \"Pro\" must be true or false, not a string"},
      {"{\"variables\": {\"V\": 4}}", "the variable \"V\" must be a string, not a number"},
      {"{\"outputs\": [\"html\"]}", "\"html\" is no output; the outputs are webhelp, chm and pdf"},
      {"{\"leaveOutKeywords\": [1]}", "each of \"leaveOutKeywords\" must be a string, not a number"},
      {"{\"pdf\": {\"FontSizeBody\": 40}}", "\"FontSizeBody\" is no PDF setting"},
  };
  for (const auto& c : cases) {
    const std::string message = ErrorMessage([&] { ProfileFromJsonText("p", c.text, "p.json"); });
    EXPECT_NE(message.find(c.message), std::string::npos) << c.text << " -> " << message;
  }
}

TEST(BuildProfile, NamesThatCanBeFileAndFolderNames) {
  for (const char* good : {"Lite", "Pro 4.2", "admin-guide_v3", "\xD0\x9F\xD1\x80\xD0\xBE"}) {
    EXPECT_TRUE(IsValidProfileName(good)) << good;
  }
  for (const char* bad : {"", " ", "..", ".hidden", "a/b", "a\\b", "x:", "trailing ", "dot.", "tab\there"}) {
    EXPECT_FALSE(IsValidProfileName(bad)) << bad;
  }
  EXPECT_FALSE(IsValidProfileName(std::string(65, 'a')));
}

TEST_F(ProfileProject, ManageProfileFiles) {
  SaveProfile(project, Lite());
  SaveProfile(project, Profile("Pro"));
  EXPECT_EQ(ListProfileNames(project), (Strings{"Lite", "Pro"}));
  EXPECT_EQ(LoadProfile(project, "Lite"), Lite());

  EXPECT_EQ(ErrorMessage([&] { RenameProfile(project, "Lite", "pro"); }),
            "A build profile named \"pro\" exists already.");
  RenameProfile(project, "Lite", "Basic");
  RenameProfile(project, "Basic", "BASIC");  // only the letter case
  EXPECT_EQ(ListProfileNames(project), (Strings{"BASIC", "Pro"}));
  TBuildProfile renamed = Lite();
  renamed.Name = "BASIC";
  EXPECT_EQ(LoadProfile(project, "BASIC"), renamed);
  DeleteProfile(project, "Pro");
  EXPECT_EQ(ErrorMessage([&] { LoadProfile(project, "Pro"); }), "No build profile named \"Pro\" (profiles: BASIC)");
  EXPECT_NE(ErrorMessage([&] { SaveProfile(project, Profile("../x")); }), "(no error)");
}

TEST_F(ProfileProject, ReceivedFilesThatAreNoProfilesAreSkipped) {
  SaveProfile(project, Profile("Pro"));
  WriteFixtureFile(dir / "outside.json", "{}");
  ASSERT_EQ(::symlink((dir / "outside.json").c_str(), (dir / "Guide/profiles/Stolen.json").c_str()), 0);
  WriteFixtureFile(dir / "Guide/profiles/.hidden.json", "{}");
  WriteFixtureFile(dir / "Guide/profiles/notes.txt", "");
  Strings warnings;
  EXPECT_EQ(ListProfileNames(project, &warnings), Strings{"Pro"});
  ASSERT_EQ(warnings.size(), 2u);
  EXPECT_NE(warnings[1].find("Stolen.json skipped: it leads outside the project"), std::string::npos) << warnings[1];
}

// A profiles folder that is a link to elsewhere: deleting, renaming and saving a profile
// refuse, and nothing outside the project changes.
TEST_F(ProfileProject, AProfilesFolderLeadingOutsideIsNotWrittenThrough) {
  WriteFixtureFile(dir / "elsewhere/Pro.json", "{}");
  ASSERT_EQ(::symlink((dir / "elsewhere").c_str(), (dir / "Guide/profiles").c_str()), 0);
  EXPECT_THROW(DeleteProfile(project, "Pro"), EFolivaneError);
  EXPECT_THROW(RenameProfile(project, "Pro", "PRO"), EFolivaneError);
  EXPECT_THROW(SaveProfile(project, Profile("Lite")), EFolivaneError);
  EXPECT_EQ(ReadTextFileUtf8(dir / "elsewhere/Pro.json"), "{}");
  EXPECT_FALSE(FileExists(dir / "elsewhere/PRO.json"));
  EXPECT_FALSE(FileExists(dir / "elsewhere/Lite.json"));
}

TEST_F(ProfileProject, ABuildAppliesConditionsVariablesTopicsAndFolder) {
  const TBuildProfile lite = Lite();
  TDocProject asIs, built;
  OpenFor(nullptr, asIs);
  OpenFor(&lite, built);

  const std::string page = ReadTextFileUtf8(project.GetTopic(welcome).HtmlPath());
  EXPECT_EQ(ExpandReusableContent(asIs, page).substr(0, 20), "<p>Harbor Pro text</");
  EXPECT_EQ(ExpandReusableContent(built, page).substr(0, 19), "<p>Harbor Lite</p><");
  EXPECT_EQ(BuildFolder(asIs), dir / "Guide/build");
  EXPECT_EQ(BuildFolder(built), dir / "Guide/build/Lite");
  EXPECT_EQ(WebHelpOutputFolder(built), dir / "Guide/build/Lite/webhelp");

  // Left out of every output: the Pro topic by its condition, the internal one by keyword
  // (letter case ignored) with what lies below it. The project as it is keeps them all.
  const auto leftOut = [](const TDocProject& p) {
    Strings ids;
    for (const TTopic* t : p.TopicsInTreeOrder()) {
      if (t->ExcludeWeb() && t->ExcludeChm() && t->ExcludePdf()) ids.push_back(t->Title());
    }
    return ids;
  };
  EXPECT_EQ(leftOut(asIs), Strings{});
  EXPECT_EQ(leftOut(built), (Strings{"Pro features", "Internal", "Below internal"}));

  // A topic under a condition nothing defines is never published, as text is not.
  project.GetTopic(chapter).SetCondition("Nowhere");
  SaveProject(project);
  TDocProject again;
  OpenFor(nullptr, again);
  EXPECT_EQ(leftOut(again), (Strings{"Chapter", "Internal", "Below internal"}));

  // The link to the topic the profile leaves out is dead in its outputs.
  const std::vector<TLinkIssue> issues = CheckLinksToLeftOutTopics(built);
  ASSERT_EQ(issues.size(), 1u);
  EXPECT_EQ(issues[0].Issue, "Link to a topic left out of WebHelp, CHM, PDF: Pro features");
}

TEST_F(ProfileProject, PdfKeysOverTheProjectSettings) {
  TProjectSettings settings;
  settings.ProjTitle = "Guide";
  settings.PdfCover = false;
  TBuildProfile p = Profile("Print");
  p.Pdf["PdfSubtitle"] = "Pro edition";
  p.Pdf["PdfCover"] = true;
  p.Pdf["PdfNoSuchKeyYet"] = true;  // keys this version does not know are ignored, as in the settings file
  const TProjectSettings chosen = ProfileSettings(settings, &p);
  EXPECT_EQ(chosen.PdfSubtitle, "Pro edition");
  EXPECT_TRUE(chosen.PdfCover);
  EXPECT_EQ(chosen.ProjTitle, "Guide");
  EXPECT_EQ(ProfileSettings(settings, nullptr).ToJson(), settings.ToJson());
}

// The profile's PDF options are the ones the print is made with.
TEST_F(ProfileProject, APrintTakesTheProfilesPdfKeys) {
  pdftest::TScopedEnv browser("FOLIVANE_BROWSER",
                              pdftest::WriteFakeBrowser(dir, pdftest::PrintingBrowserScript(dir / "args.txt")));
  TBuildProfile print = Profile("Print");
  print.Outputs = {TOutputFormat::Pdf};
  print.Pdf["PdfCover"] = true;
  print.Pdf["PdfContents"] = false;
  print.Pdf["PdfSubtitle"] = "Pro edition";
  SaveProfile(project, print);
  TDocProject built;
  TProjectSettings settings;
  OpenProjectForBuild(file, &print, built, settings);
  const std::string pdf = PublishOutput(TOutputFormat::Pdf, built, settings, {});
  EXPECT_EQ(pdf, dir / "Guide/build/Print/pdf/manual.pdf");
  EXPECT_NE(ReadTextFileUtf8(PathJoin(ExtractFileDir(pdf), "manual.html")).find("Pro edition"), std::string::npos);
}

TEST_F(ProfileProject, ConditionReportAndDiff) {
  TBuildProfile pro = Profile("Pro");
  pro.Conditions = {{"Pro", true}};
  TReusableProjectContent store;
  store.LoadFromProject(project);
  const TConditionReport report = BuildConditionReport(project, store, {Lite(), pro});
  EXPECT_EQ(ConditionReportText(report, true),
            "Conditions:\n"
            "  Beta: off in the project; Lite off; Pro off; NEVER TRUE in any profile; never used\n"
            "  Pro: on in the project; Lite off; Pro on; used in Welcome, Pro features\n"
            "Variables:\n"
            "  Product: \"Harbor\" in the project; \"Harbor Lite\" in Lite; used in Welcome\n");

  pro.Outputs = {TOutputFormat::WebHelp, TOutputFormat::Pdf};
  EXPECT_EQ(ProfileDiffText(project, store, Lite(), pro),
            "Topics Pro publishes and Lite does not:\n"
            "  Pro features (webhelp)\n"
            "  Internal (webhelp)\n"
            "  Below internal (webhelp)\n"
            "Condition Pro: off in Lite, on in Pro; used in Welcome, Pro features\n"
            "Variable Product: \"Harbor Lite\" in Lite, \"Harbor\" in Pro; used in Welcome\n"
            "Outputs: webhelp in Lite, webhelp, pdf in Pro\n");
  EXPECT_EQ(ProfileDiffText(project, store, pro, pro), "No differences.\n");
}

TEST_F(ProfileProject, CliPublishesEachProfileIntoItsFolder) {
  TBuildProfile broken = Profile("Broken");
  SaveProfile(project, Lite());
  SaveProfile(project, Profile("Pro"));

  TProcessResult r = Cli({"profiles", file});
  EXPECT_EQ(r.exitCode, 0) << r.output;
  EXPECT_EQ(r.output, "Lite: webhelp into build/Lite/\nPro: webhelp, chm, pdf into build/Pro/\n");

  // The project's own viewer template: builds without the bundled viewer run this too.
  for (const char* name : {"app.html", "app.js", "app.css"})
    WriteFixtureFile(project.RootPath() + "internal/webhelp/" + name, "<title>WebHelp</title>");
  r = Cli({"webhelp", file, "--all-profiles"});
  EXPECT_EQ(r.exitCode, 0) << r.output;
  EXPECT_EQ(r.output, "Profile Lite: WebHelp exported: " + dir / "Guide/build/Lite/webhelp/index.html\n" +
                          "Profile Pro: WebHelp exported: " + dir / "Guide/build/Pro/webhelp/index.html\n" +
                          "Outputs published: 2, skipped: 0, failed: 0\n");
  const std::string litePage = ReadTextFileUtf8(dir / ("Guide/build/Lite/webhelp/topics/" + welcome + ".html"));
  EXPECT_NE(litePage.find("Harbor Lite"), std::string::npos);
  EXPECT_EQ(litePage.find("Pro text"), std::string::npos);
  EXPECT_FALSE(FileExists(dir / ("Guide/build/Lite/webhelp/topics/" + pro + ".html")));
  EXPECT_TRUE(FileExists(dir / ("Guide/build/Pro/webhelp/topics/" + pro + ".html")));
  EXPECT_FALSE(DirExists(dir / "Guide/build/webhelp"));

  // An output the profile does not build is skipped; a damaged profile fails alone.
  WriteFixtureFile(dir / "Guide/profiles/Broken.json", "{\"outputs\": 1}");
  r = Cli({"pdf", file, "--profile", "Lite"});
  EXPECT_EQ(r.exitCode, 0) << r.output;
  EXPECT_EQ(r.output,
            "Profile Lite: pdf skipped (not among the profile's outputs)\n"
            "Outputs published: 0, skipped: 1, failed: 0\n");
  r = Cli({"webhelp", file, "--all-profiles"});
  EXPECT_EQ(r.exitCode, 1) << r.output;
  EXPECT_NE(r.output.find("\"outputs\" must be an array"), std::string::npos) << r.output;

  EXPECT_EQ(Cli({"webhelp", file, "--profile", "Nope"}).output,
            "error: No build profile named \"Nope\" (profiles: Broken, Lite, Pro)\n");
  EXPECT_EQ(Cli({"webhelp", file, "--profile", "Lite", "--all-profiles"}).exitCode, 2);
  EXPECT_EQ(Cli({"webhelp", file, "--profile"}).exitCode, 2);
}

TEST_F(ProfileProject, CliChecksEachProfileAsItPublishes) {
  SaveProfile(project, Lite());
  TProcessResult r = Cli({"check", file});
  EXPECT_EQ(r.exitCode, 0) << r.output;
  r = Cli({"check", file, "--all-profiles", "--format", "json"});
  EXPECT_EQ(r.exitCode, 3) << r.output;
  TJson doc;
  ASSERT_TRUE(TryParseJson(r.output, doc)) << r.output;
  ASSERT_EQ(doc.at("findings").size(), 1u);
  EXPECT_EQ(doc.at("findings")[0].at("profile"), "Lite");
  EXPECT_EQ(doc.at("findings")[0].at("message"), "Link to a topic left out of WebHelp, CHM, PDF: Pro features");

  r = Cli({"profiles", file, "--diff", "Lite", "Nope"});
  EXPECT_EQ(r.exitCode, 1);
  EXPECT_EQ(Cli({"profiles", file, "--diff", "Lite"}).exitCode, 2);
}
