// folivane-cli pdf and check-links, run as the separate program they are.
#include <gtest/gtest.h>

#include <thread>

#include "PdfTestProject.h"
#include "uPlatform.h"
#include "uProjectOpen.h"
#include "uStorage.h"

using namespace pdftest;

namespace {

// A project file with the given topics (title, page), saved as the CLI reads it.
std::string MakeProjectFile(const TTempDir& dir, const std::string& name,
                            const std::vector<std::pair<std::string, std::string>>& topics) {
  const std::string file = dir / (name + ".fvp");
  CreateProjectFile(file, name);
  TDocProject project;
  TProjectSettings settings;
  OpenProjectFile(file, project, settings);
  for (const auto& [title, html] : topics) WriteFixtureFile(project.AddTopic(title, "").HtmlPath(), html);
  SaveProject(project);
  return file;
}

TProcessResult RunCli(const std::vector<std::string>& args) {
  return RunProcessAndWait(FOLIVANE_CLI_PATH, args, "", std::chrono::milliseconds(180000));
}

std::string ProjectFolder(const std::string& file) { return ProjectFolderForFile(file); }

}  // namespace

TEST(CliCheckLinks, ListsIssuesInOrderWithExitCodeThree) {
  TTempDir dir;
  const std::string file =
      MakeProjectFile(dir, "Links", {{"Broken", "<img src=\"assets/nope.png\"><a href=\"x.html\">x</a>"}});
  const TProcessResult r = RunCli({"check-links", file});
  EXPECT_EQ(r.exitCode, 3) << r.output;
  EXPECT_EQ(r.output, "Broken: Missing local reference: assets/nope.png\nBroken: Missing local reference: x.html\n");
}

// A script reading --help learns every code a command can end with, check-links' 3 included.
TEST(CliHelp, ListsEveryExitCode) {
  const TProcessResult all = RunCli({"--help"});
  EXPECT_EQ(all.exitCode, 0) << all.output;
  const TProcessResult one = RunCli({"check-links", "--help"});
  EXPECT_EQ(one.exitCode, 0) << one.output;
  for (const std::string& line : {"  0  success\n", "  1  failure (message on stderr)\n", "  2  wrong arguments\n",
                                  "  3  check-links: the check ran and found link problems\n"}) {
    EXPECT_NE(all.output.find(line), std::string::npos) << line << all.output;
    EXPECT_NE(one.output.find(line), std::string::npos) << line << one.output;
  }
  const TProcessResult other = RunCli({"webhelp", "--help"});
  EXPECT_EQ(other.output.find("  3  "), std::string::npos) << other.output;
}

TEST(CliCheckLinks, CleanProjectAndErrors) {
  TTempDir dir;
  const std::string clean = MakeProjectFile(dir, "Clean", {{"Fine", "<a href=\"https://example.com\">web</a>"}});
  TProcessResult r = RunCli({"check-links", clean});
  EXPECT_EQ(r.exitCode, 0) << r.output;
  EXPECT_EQ(r.output, "No link issues found.\n");

  r = RunCli({"check-links", dir / "missing.fvp"});
  EXPECT_EQ(r.exitCode, 1) << r.output;
  EXPECT_TRUE(StartsWith(r.output, "error: ")) << r.output;

  r = RunCli({"check-links"});
  EXPECT_EQ(r.exitCode, 2) << r.output;
}

TEST(CliPdf, ExportsWithoutOpeningAndNamesThePdf) {
  TTempDir dir;
  const std::string file = MakeProjectFile(dir, "Printed", {{"Only", "<p>text</p>"}});
  // Printed in one flow: the stand-in browser writes no PDF that a book's first print could be read from.
  TProjectSettings().SaveToFile(TProjectSettings::DefaultSettingsPathForProject(ProjectFolder(file)));
  TScopedEnv browser("FOLIVANE_BROWSER", WriteFakeBrowser(dir, PrintingBrowserScript(dir / "args.txt")));
  TScopedEnv openLog("FOLIVANE_OPEN_LOG", dir / "opened.txt");
  const TProcessResult r = RunCli({"pdf", file});
  const std::string pdf = ProjectFolder(file) + "/build/pdf/manual.pdf";
  EXPECT_EQ(r.exitCode, 0) << r.output;
  EXPECT_EQ(r.output, "PDF exported: " + pdf + "\n");
  EXPECT_TRUE(FileExists(pdf));
  EXPECT_FALSE(FileExists(dir / "opened.txt")) << "the CLI opens nothing";
}

TEST(CliPdf, MissingBrowserFailsWithAHint) {
  TTempDir dir;
  const std::string file = MakeProjectFile(dir, "NoBrowser", {{"Only", "<p>text</p>"}});
  TScopedEnv browser("FOLIVANE_BROWSER", std::nullopt);
  TScopedEnv path("PATH", dir.Path());
  const TProcessResult r = RunCli({"pdf", file});
  EXPECT_EQ(r.exitCode, 1) << r.output;
  EXPECT_NE(r.output.find("error: Chromium not found"), std::string::npos) << r.output;
  EXPECT_TRUE(FileExists(ProjectFolder(file) + "/build/pdf/manual.html")) << "kept for inspection";
}

// Two exports at the same time (two windows, two CI jobs) must not trip over the
// browser's shared profile.
TEST(CliPdfInBrowser, TwoExportsAtOnceBothPrint) {
  if (FindOnPath("chromium").empty() && !std::getenv("FOLIVANE_BROWSER")) GTEST_SKIP() << "chromium not installed";
  TTempDir dir;
  const std::string files[2] = {MakeProjectFile(dir, "First", {{"One", "<p>first</p>"}}),
                                MakeProjectFile(dir, "Second", {{"Two", "<p>second</p>"}})};
  TProcessResult results[2];
  std::thread a([&] { results[0] = RunCli({"pdf", files[0]}); });
  std::thread b([&] { results[1] = RunCli({"pdf", files[1]}); });
  a.join();
  b.join();
  for (int i = 0; i < 2; ++i) {
    EXPECT_EQ(results[i].exitCode, 0) << results[i].output;
    EXPECT_TRUE(FileExists(ProjectFolder(files[i]) + "/build/pdf/manual.pdf")) << i;
  }
}

// A structure file left damaged (a merge conflict, say) fails every command that opens the
// project, names the file, and publishes nothing; a damaged settings file is only a warning.
TEST(CliOpen, DamagedStructureFileFailsAndNamesIt) {
  TTempDir dir;
  const std::string file = MakeProjectFile(dir, "Guide", {{"Intro", "<p>x</p>"}});
  const std::string topics = TopicsJsonPath(ProjectFolder(file));
  const std::string damaged = "<<<<<<< HEAD\n" + ReadTextFileUtf8(topics);
  WriteFixtureFile(topics, damaged);
  for (const char* command : {"webhelp", "chm", "pdf", "check-links"}) {
    const TProcessResult r = RunCli({command, file});
    EXPECT_EQ(r.exitCode, 1) << command << ": " << r.output;
    EXPECT_TRUE(StartsWith(r.output, "error: " + topics + " is not valid JSON")) << command << ": " << r.output;
  }
  EXPECT_FALSE(DirExists(PathJoin(ProjectFolder(file), "build/webhelp")));
  EXPECT_EQ(ReadTextFileUtf8(topics), damaged);

  WriteFixtureFile(topics, damaged.substr(13));
  const std::string settings = PathJoin(ProjectFolder(file), "meta/project_settings.json");
  WriteFixtureFile(settings, "{\"ProjTitle\":");
  const TProcessResult r = RunCli({"check-links", file});  // needs no viewer files, so it runs in every build
  EXPECT_EQ(r.exitCode, 0) << r.output;
  EXPECT_TRUE(StartsWith(r.output,
                         "warning: The project settings cannot be read; the defaults are used until the "
                         "settings are confirmed again: " +
                             settings))
      << r.output;
}
