#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>
#include <map>

#include "ChmTestSupport.h"
#include "JpegTestImages.h"
#include "uChmNames.h"
#include "uCodePage1251.h"
#include "uExportChm.h"
#include "uHtmlUtils.h"
#include "uJpegOrientation.h"
#include "uProjectOpen.h"
#include "uProjectSettings.h"
#include "uSettingsCss.h"
#include "uStorage.h"

namespace {

bool Contains(const std::string& text, const std::string& part) { return text.find(part) != std::string::npos; }

// A project in a temporary folder, built in code.
class ChmProject : public ::testing::Test {
 protected:
  TCompilerSandbox box;
  TDocProject project;

  void SetUp() override {
    project.Clear();
    project.SetRootPath(box.Path("Guide"));
    project.SetTitle("User & Guide");
    EnsureDir(box.Path("Guide/meta"));
  }
  TTopic& Add(const std::string& title, const std::string& html, const std::string& parent = "") {
    TTopic& t = project.AddTopic(title, parent);
    WriteFixtureFile(t.HtmlPath(), html);
    return t;
  }
  std::string Out(const std::string& rel) const { return ChmOutputFolder(project) + "/" + rel; }
  std::string Page(const TTopic& t) const { return ReadBinaryFile(Out("topics/" + t.ID() + ".html")); }
};

std::string Entry(const TTopic& t, const std::string& shownTitle = "") {
  return "<LI><OBJECT type=\"text/sitemap\">\r\n<param name=\"Name\" value=\"" +
         (shownTitle.empty() ? t.Title() : shownTitle) + "\">\r\n<param name=\"Local\" value=\"topics/" + t.ID() +
         ".html\">\r\n</OBJECT>\r\n";
}

}  // namespace

TEST(ChmHtmlTest, ColourFirstTableRow) {
  const std::string c = "#abcdef";
  const std::string attrs = " bgcolor=\"#abcdef\" style=\"background-color: #abcdef;\">";
  struct TCase {
    const char* name;
    std::string html, expected;
  } cases[] = {
      {"no table", "<p>text</p>", "<p>text</p>"},
      {"th and td with attributes, second table left alone",
       "<table><tr><th>H</th><td class=\"a\">D</td></tr><tr><td>x</td></tr></table><table><tr><td>y</td></tr></table>",
       "<table><tr><th" + attrs + "H</th><td class=\"a\"" + attrs +
           "D</td></tr><tr><td>x</td></tr></table><table><tr><td>y</td></tr></table>"},
      {"thead is not a header cell", "<table><thead><tr><TH>a</TH></tr></thead></table>",
       "<table><thead><tr><TH" + attrs + "a</TH></tr></thead></table>"},
      {"upper case, line breaks inside the row", "<TABLE><TR class=x>\n<TD>a</TD>\n</TR></TABLE>",
       "<TABLE><TR class=x>\n<TD" + attrs + "a</TD>\n</TR></TABLE>"},
      {"a cell with a style gets a second one", "<tr><td style=\"color:red\">a</td></tr>",
       "<tr><td style=\"color:red\"" + attrs + "a</td></tr>"},
      {"tracks and trs are told apart", "<track><tr><td>a</td></tr>", "<track><tr><td" + attrs + "a</td></tr>"},
      {"a row never closed is left alone", "<tr><td>a</td>", "<tr><td>a</td>"},
  };
  for (const TCase& k : cases) EXPECT_EQ(ColourFirstTableRow(k.html, c), k.expected) << k.name;
}

TEST(ChmHtmlTest, StripInvisibleCharacters) {
  EXPECT_EQ(StripInvisibleCharacters("\xEF\xBB\xBF"
                                     "a\xE2\x80\x8B"
                                     "b\xE2\x80\x8C"
                                     "c\xE2\x80\x8D"
                                     "d\xE2\x81\xA0"
                                     "e\xC2\xAD"
                                     "f"),
            "abcdef");
  const std::string kept =
      "caf\xC3\xA9\xC2\xA0\xE2\x80\x8E\xE2\x82\xAC\xEF\xBB";  // é, no-break space, LRM, €, a cut-off tail
  EXPECT_EQ(StripInvisibleCharacters(kept), kept);
}

TEST(ChmHtmlTest, Windows1251Conversion) {
  struct TCase {
    std::string utf8;
    std::string pages;  // NumericReference
    std::string lists;  // CloseCharacter
  } cases[] = {
      {"plain <b>&amp;</b>", "plain <b>&amp;</b>", "plain <b>&amp;</b>"},
      {"\xD0\x9F\xD1\x80\xD0\xB8\xD0\xB2\xD0\xB5\xD1\x82 \xE2\x82\xAC \xE2\x80\x94",
       "\xCF\xF0\xE8\xE2\xE5\xF2 \x88 \x97", "\xCF\xF0\xE8\xE2\xE5\xF2 \x88 \x97"},
      {"caf\xC3\xA9 \xE4\xB8\xAD \xF0\x9F\x98\x80!", "caf&#233; &#20013; &#128512;!", "cafe ? ?!"},
      {"bad \xFF byte", "bad &#65533; byte", "bad ? byte"},
  };
  TCodePage1251Encoder pages(TUnmappable::NumericReference);
  for (const TCase& c : cases) {
    EXPECT_EQ(pages.Encode(c.utf8), c.pages) << c.utf8;
    EXPECT_EQ(Utf8ToWindows1251(c.utf8, TUnmappable::CloseCharacter), c.lists) << c.utf8;
  }
  const std::string many(100000, 'x');
  EXPECT_EQ(pages.Encode(many + "\xE4\xB8\xAD"), many + "&#20013;") << "growing output";
}

TEST_F(ChmProject, ContentsIndexAndDefaultPage) {
  TTopic& a = Add("Intro \"quoted\"", "");
  TTopic& a1 = Add("Hidden", "", a.ID());
  TTopic& a1x = Add("Under hidden", "", a1.ID());
  TTopic& a2 = Add("Second", "", a.ID());
  TTopic& b = Add("All hidden", "", "");
  TTopic& b1 = Add("Hidden child", "", b.ID());
  a1.SetExcludeChm(true);
  b1.SetExcludeChm(true);
  project.RootTopicIDs().push_back("MISSINGTOPIC");
  const std::string expectedToc =
      "<!DOCTYPE HTML PUBLIC \"-//IETF//DTD HTML//EN\">\r\n<HTML>\r\n<HEAD>\r\n"
      "<meta http-equiv=\"Content-Type\" content=\"text/html; charset=windows-1251\">\r\n</HEAD>\r\n<BODY>\r\n"
      "<OBJECT type=\"text/site properties\"></OBJECT>\r\n<UL>\r\n" +
      Entry(a, "Intro &quot;quoted&quot;") + "<UL>\r\n" + Entry(a2) + "</UL>\r\n" + Entry(b) +
      "<UL>\r\n</UL>\r\n</UL>\r\n</BODY>\r\n</HTML>\r\n";
  EXPECT_EQ(BuildChmContents(project), expectedToc);
  EXPECT_EQ(BuildChmIndex(project), "<HTML><BODY><UL>\r\n" + Entry(a, "Intro &quot;quoted&quot;") + Entry(a1x) +
                                        Entry(a2) + Entry(b) + "</UL></BODY></HTML>\r\n")
      << "the index holds every topic not excluded itself, also below an excluded one";

  struct TCase {
    const char* name;
    std::vector<TTopic*> excluded;
    TTopic* expected;
  } cases[] = {
      {"first root", {&a1, &b1}, &a},
      {"excluded root gives way to its first child", {&a}, &a1},
      {"depth first through an excluded child", {&a, &a1}, &a1x},
      {"next child when a branch is all excluded", {&a, &a1, &a1x}, &a2},
      {"next root", {&a, &a1, &a1x, &a2}, &b},
      {"nothing resolves", {&a, &a1, &a1x, &a2, &b, &b1}, nullptr},
  };
  for (const TCase& c : cases) {
    for (TTopic* t : {&a, &a1, &a1x, &a2, &b, &b1}) t->SetExcludeChm(false);
    for (TTopic* t : c.excluded) t->SetExcludeChm(true);
    EXPECT_EQ(ChmDefaultPage(project), c.expected ? "topics/" + c.expected->ID() + ".html" : "") << c.name;
  }
}

TEST_F(ChmProject, ProjectFile) {
  const std::string out = box.Path("out");
  const std::string head = "[OPTIONS]\r\nCompiled file=help.chm\r\nContents file=toc.hhc\r\nIndex file=index.hhk\r\n";
  const std::string files = "Full-text search=Yes\r\n\r\n[FILES]\r\ntoc.hhc\r\nindex.hhk\r\n";
  EXPECT_EQ(BuildChmProjectFile({"topics/A.html", "topics/B.html"}, "topics/B.html", out),
            head + "Default topic=topics/B.html\r\n" + files + "topics/A.html\r\ntopics/B.html\r\nstyle.css\r\n");
  EXPECT_EQ(BuildChmProjectFile({"topics/A.html"}, "", out),
            head + "Default topic=topics/A.html\r\n" + files + "topics/A.html\r\nstyle.css\r\n")
      << "no default page: the first page";
  EXPECT_EQ(BuildChmProjectFile({}, "", out), head + files + "style.css\r\n") << "no pages: no default topic line";
  WriteFixtureFile(out + "/assets/logo.png", "png");
  WriteFixtureFile(out + "/assets/img/a b.jpg", "jpg");
  EXPECT_EQ(BuildChmProjectFile({}, "", out), head + files + "style.css\r\nassets/img/a b.jpg\r\nassets/logo.png\r\n");
}

TEST_F(ChmProject, WritesPagesInWindows1251) {
  TProjectSettings settings;
  settings.CopyrightEnabled = true;
  settings.CopyrightText = " (c) Me & Co ";
  settings.SaveToFile(TProjectSettings::DefaultSettingsPathForProject(project.RootPath()));
  WriteFixtureFile(box.Path("Guide/assets/images/p.jpg"),
                   InsertAfterSoi(MakeQuadrantJpeg(32, 16, {255, 0, 0}, {0, 255, 0}, {0, 0, 255}, {255, 255, 255}),
                                  ExifSegment(6, true)));
  TTopic& hidden = Add("Hidden", "<p>secret</p>");
  hidden.SetExcludeChm(true);
  TTopic& second = Add("Second", "");
  TTopic& first = Add(
      "First",
      "<p>\xD0\x9F\xD1\x80\xD0\xB8\xD0\xB2\xD0\xB5\xD1\x82 caf\xC3\xA9 \xE4\xB8\xAD soft\xC2\xADhy\xE2\x80\x8Bphen</p>"
      "<a href=\"doc:" +
          second.ID() + "\">next</a><a href=\"doc:" + hidden.ID() +
          "\">hidden</a>"
          "<img src=\"assets/images/p.jpg\"><table><tr><td>h</td></tr></table>");
  DeleteFileIfExists(second.HtmlPath());  // a missing page file is an empty page

  std::vector<std::pair<int, int>> calls;
  const TChmProjectFiles files =
      WriteChmProject(project, [&](int done, int total) { calls.emplace_back(done, total); });

  EXPECT_EQ(files.pageList,
            (std::vector<std::string>{"topics/" + second.ID() + ".html", "topics/" + first.ID() + ".html"}));
  EXPECT_EQ(calls, (std::vector<std::pair<int, int>>{{0, 2}, {1, 2}, {2, 2}}));
  EXPECT_FALSE(FileExists(Out("topics/" + hidden.ID() + ".html")));

  const std::string page = Page(first);
  const std::string header = ColorToHtml(settings.DefaultHeaderBgColor);
  EXPECT_TRUE(StartsWith(page,
                         "<html><head><meta http-equiv=\"Content-Type\" content=\"text/html; charset=windows-1251\">"
                         "<link rel=\"stylesheet\" href=\"../style.css\"><style>body{margin:0;background:" +
                             ColorToHtml(settings.DefaultPageBgColor) +
                             ";}.zd-header{padding:12px 16px;background:#fafafa;}"))
      << page;
  EXPECT_TRUE(
      Contains(page, "<div class=\"zd-header\"><div style=\"font-size:14px;\"><b>User &amp; Guide</b></div></div>"));
  EXPECT_TRUE(Contains(page, "<p>\xCF\xF0\xE8\xE2\xE5\xF2 caf&#233; &#20013; softhyphen</p>"))
      << "Cyrillic as 1251, the rest as references";
  EXPECT_TRUE(Contains(page, "href=\"" + second.ID() + ".html\">next"));
  EXPECT_TRUE(Contains(page, "href=\"#\">hidden"));
  EXPECT_TRUE(Contains(page, "src=\"../assets/images/p.jpg\""));
  EXPECT_TRUE(Contains(page, "<td bgcolor=\"" + header + "\" style=\"background-color: " + header + ";\">h</td>"));
  EXPECT_TRUE(EndsWith(page, "</div><div class=\"zd-footer\"> (c) Me &amp; Co </div></body></html>"));
  EXPECT_TRUE(Contains(Page(second), "<div class=\"zd-body\"></div>"));

  EXPECT_TRUE(StartsWith(ReadBinaryFile(Out("style.css")), "body{font-family:\"Segoe UI\",Arial,"));
  EXPECT_TRUE(Contains(page, TopicBodyLayoutCss(".zd-body")));
  EXPECT_EQ(ReadExifOrientation(Out("assets/images/p.jpg")), 1) << "the published photo is turned";
  EXPECT_EQ(ReadExifOrientation(box.Path("Guide/assets/images/p.jpg")), 6) << "the project's photo is not";
  const std::string hhp = ReadBinaryFile(files.projectFile);
  EXPECT_FALSE(Contains(hhp, hidden.ID()));
  EXPECT_TRUE(EndsWith(hhp, "style.css\r\nassets/images/p.jpg\r\n")) << hhp;
  EXPECT_FALSE(Contains(ReadBinaryFile(Out("index.hhk")), hidden.ID()));
}

// Only pages with a captioned picture carry what the Help viewer needs to show it.
TEST_F(ChmProject, CaptionedPicturesAreMadeKnownToTheHelpViewer) {
  TTopic& figure = Add("Figure", "<figure><img src=\"a.png\" alt=\"A\"><figcaption>Figure 1</figcaption></figure>");
  TTopic& plain = Add("Plain", "<p>text</p>");
  WriteChmProject(project, nullptr);
  const std::string shim =
      "<script>document.createElement('figure');document.createElement('figcaption');</script></head>";
  EXPECT_TRUE(Contains(Page(figure), "figure,figcaption{display:block;}</style>" + shim));
  EXPECT_FALSE(Contains(Page(plain), "<script>"));
  EXPECT_FALSE(Contains(Page(plain), "figcaption"));
}

TEST_F(ChmProject, ProgressCanCancelBetweenPages) {
  Add("One", "<p>1</p>");
  Add("Two", "<p>2</p>");
  int pagesSeen = 0;
  const TChmCommandResult r = RunChmCommand(project, nullptr, [&](int done, int) {
    pagesSeen = done;
    if (done == 1) throw EAbort();
  });
  EXPECT_EQ(r.outcome, TChmCommandResult::Cancelled);
  EXPECT_EQ(r.message, "CHM export cancelled");
  EXPECT_EQ(pagesSeen, 1);
  EXPECT_FALSE(FileExists(Out("project.hhp")));
}

// What a reader opens (help.chm) or compiles (project.hhp) must not be there while an
// export is under way: a run cut short at that moment would leave it looking finished.
TEST_F(ChmProject, NoEntryFileWhileTheExportIsUnderWay) {
  Add("One", "<p>1</p>");
  Add("Two", "<p>2</p>");
  WriteFakeCompiler(box.PathDir() + "/chmcmd", "help.chm");
  ASSERT_EQ(RunChmCommand(project, nullptr).outcome, TChmCommandResult::Done);
  ASSERT_TRUE(FileExists(Out("project.hhp")));

  const TChmCommandResult cancelled = RunChmCommand(project, nullptr, [](int done, int) {
    if (done == 1) throw EAbort();
  });
  EXPECT_EQ(cancelled.outcome, TChmCommandResult::Cancelled);
  EXPECT_FALSE(FileExists(Out("project.hhp"))) << "the last run's project file beside half-written pages";

  // A compiler that notes whether help.chm exists once it has written its file.
  WriteFakeCompiler(box.PathDir() + "/chmcmd", "help.chm", 0,
                    "if [ -e help.chm ]; then echo present; else echo absent; fi > ../seen.txt");
  const TChmCommandResult done = RunChmCommand(project, nullptr);
  EXPECT_EQ(done.outcome, TChmCommandResult::Done) << done.message;
  EXPECT_EQ(ReadTextFileUtf8(ChmOutputFolder(project) + "/../seen.txt"), "absent\n")
      << "help.chm existed before the compiler had finished";
  EXPECT_EQ(ReadBinaryFile(Out("help.chm")), "ITSF");
  EXPECT_EQ(ListFiles(ChmOutputFolder(project)),
            (std::vector<std::string>{Out("compiler-args.txt"), Out("help.chm"), Out("index.hhk"), Out("project.hhp"),
                                      Out("style.css"), Out("toc.hhc")}))
      << "nothing of the compile is left behind";
}

TEST_F(ChmProject, CompilerThatWritesNothingFailsTheExport) {
  Add("One", "<p>1</p>");
  WriteFixtureFile(Out("help.chm"), "an old compiled file");
  WriteSilentCompiler(box.PathDir() + "/chmcmd", "Error: cannot read project.hhp");
  const TChmCommandResult r = RunChmCommand(project, nullptr);
  EXPECT_EQ(r.outcome, TChmCommandResult::Failed);
  EXPECT_EQ(r.message,
            "CHM export failed: The HTML Help compiler did not create help.chm.\nError: cannot read project.hhp");
  EXPECT_FALSE(FileExists(Out("help.chm"))) << "the old file is gone, so it cannot pass for a new one";

  WriteFakeCompiler(box.PathDir() + "/chmcmd", "help.chm", 1);
  const TChmCommandResult ok = RunChmCommand(project, nullptr);
  EXPECT_EQ(ok.outcome, TChmCommandResult::Done) << ok.message;
  EXPECT_EQ(ok.chmPath, Out("help.chm"));
  EXPECT_EQ(ok.message, "CHM exported: " + Out("help.chm"));
}

TEST_F(ChmProject, DecliningToPickACompilerCancels) {
  Add("One", "<p>1</p>");
  TScriptedQuestions q;
  const TChmCommandResult r = RunChmCommand(project, &q);
  EXPECT_EQ(r.outcome, TChmCommandResult::Cancelled);
  const TChmCommandResult cli = RunChmCommand(project, nullptr);
  EXPECT_EQ(cli.outcome, TChmCommandResult::Failed);
  EXPECT_TRUE(Contains(cli.message, "fp-utils")) << cli.message;
}

TEST_F(ChmProject, DamagedPhotoFailsTheExportWithItsName) {
  std::string photo = InsertAfterSoi("\xFF\xD8", ExifSegment(6, false)) + "broken";
  WriteFixtureFile(box.Path("Guide/assets/bad.jpg"), photo);
  Add("One", "<img src=\"/assets/bad.jpg\">");
  const TChmCommandResult r = RunChmCommand(project, nullptr);
  EXPECT_EQ(r.outcome, TChmCommandResult::Failed);
  EXPECT_TRUE(StartsWith(r.message, "CHM export failed: Cannot decode the photo " + Out("assets/bad.jpg")))
      << r.message;
}

TEST_F(ChmProject, CompilesWithChmcmdAndListsThePages) {
  const std::string chmcmd = "/usr/bin/chmcmd";
  const std::string lister = "/usr/bin/enum_chmLib";
  if (!FileExists(chmcmd) || !FileExists(lister)) GTEST_SKIP() << "chmcmd or enum_chmLib is not installed";
  StoreCompilerPath(chmcmd);
  WriteFixtureFile(box.Path("Guide/assets/logo.png"), "\x89PNG\r\n");
  TTopic& a = Add("\xD0\x92\xD0\xB2\xD0\xB5\xD0\xB4\xD0\xB5\xD0\xBD\xD0\xB8\xD0\xB5",
                  "<p>\xD0\x9F\xD1\x80\xD0\xB8\xD0\xB2\xD0\xB5\xD1\x82</p><img src=\"assets/logo.png\">");
  TTopic& b = Add("Details", "<p>Details \xE4\xB8\xAD</p>", a.ID());
  TTopic& c = Add("Draft", "<p>draft</p>");
  c.SetExcludeChm(true);

  const std::string chm = ExportChm(project);
  EXPECT_EQ(chm, Out("help.chm"));
  const TProcessResult listing = RunProcessAndWait(lister, std::vector<std::string>{chm});
  EXPECT_EQ(listing.exitCode, 0) << listing.output;
  for (const std::string& name : std::vector<std::string>{"/topics/" + a.ID() + ".html", "/topics/" + b.ID() + ".html",
                                                          "/style.css", "/assets/logo.png", "/toc.hhc", "/index.hhk"}) {
    EXPECT_TRUE(Contains(listing.output, name)) << name << " in\n" << listing.output;
  }
  EXPECT_FALSE(Contains(listing.output, c.ID())) << "an excluded topic has no page";
}

// The compiled file keeps the map in #IVB (pairs of ID and offset into #STRINGS, after a
// length); the pages it names are read back from there.
std::map<int, std::string> CompiledContextMap(const std::string& chm, const std::string& folder) {
  const TProcessResult run = RunProcessAndWait("/usr/bin/extract_chmLib", std::vector<std::string>{chm, folder});
  EXPECT_EQ(run.exitCode, 0) << run.output;
  const std::string ivb = ReadBinaryFile(folder + "/#IVB");
  const std::string strings = ReadBinaryFile(folder + "/#STRINGS");
  const auto u32 = [&ivb](size_t at) {
    uint32_t v = 0;
    for (int i = 3; i >= 0; --i) v = (v << 8) | static_cast<unsigned char>(ivb.at(at + static_cast<size_t>(i)));
    return v;
  };
  std::map<int, std::string> map;
  for (size_t at = 4; at + 8 <= ivb.size(); at += 8) {
    map[static_cast<int>(u32(at))] = std::string(strings.c_str() + u32(at + 4));
  }
  return map;
}

TEST_F(ChmProject, HelpContextsGoIntoTheProjectAndTheCompiledFile) {
  TTopic& print = Add("Print", "<p>p</p>");
  print.SetHelpId(1001);
  print.SetHelpAlias("IDH_PRINT");
  TTopic& numbered = Add("Numbered", "<p>n</p>");
  numbered.SetHelpId(1002);
  TTopic& named = Add("Named", "<p>a</p>");
  named.SetHelpAlias("IDH_NAMED");
  TTopic& leftOut = Add("Left out", "<p>x</p>");
  leftOut.SetHelpId(1003);
  leftOut.SetExcludeChm(true);
  WriteChmProject(project);
  const std::string hhp = ReadBinaryFile(Out("project.hhp"));
  EXPECT_TRUE(Contains(hhp, "\r\n\r\n[ALIAS]\r\nIDH_PRINT=topics/" + print.ID() + ".html\r\nIDH_1002=topics/" +
                                numbered.ID() + ".html\r\nIDH_NAMED=topics/" + named.ID() +
                                ".html\r\n\r\n[MAP]\r\n#include context.h"))
      << hhp;
  EXPECT_EQ(ReadBinaryFile(Out("context.h")),
            "/* Help context IDs, written by Folivane. */\n#define IDH_PRINT 1001\n#define IDH_1002 1002\n");

  if (FileExists("/usr/bin/chmcmd") && FileExists("/usr/bin/extract_chmLib")) {
    StoreCompilerPath("/usr/bin/chmcmd");
    const std::map<int, std::string> map = CompiledContextMap(ExportChm(project), box.Path("extracted"));
    ASSERT_EQ(map.size(), 2u);
    EXPECT_TRUE(EndsWith(map.at(1001), "topics/" + print.ID() + ".html")) << map.at(1001);
    EXPECT_TRUE(EndsWith(map.at(1002), "topics/" + numbered.ID() + ".html")) << map.at(1002);
  }

  // Without help contexts the sections and the header go.
  for (TTopic* t : {&print, &numbered, &named, &leftOut}) {
    t->SetHelpId(0);
    t->SetHelpAlias("");
  }
  WriteChmProject(project);
  EXPECT_FALSE(Contains(ReadBinaryFile(Out("project.hhp")), "[ALIAS]"));
  EXPECT_FALSE(FileExists(Out("context.h")));
}

TEST_F(ChmProject, CommandLine) {
  SetExecutableDirForTests("");
  const std::string binary = ExecutableDir() + "/folivane-cli";
  SetExecutableDirForTests(box.ExeDir());
  if (!FileExists(binary)) GTEST_SKIP() << "folivane-cli is not built";
  const std::string file = box.Path("My Docs/manual.fvp");
  ASSERT_EQ(RunProcessAndWait(binary, std::vector<std::string>{"new", file}).exitCode, 0);

  const TProcessResult missing = RunProcessAndWait(binary, std::vector<std::string>{"chm", file});
  EXPECT_EQ(missing.exitCode, 1);
  EXPECT_TRUE(Contains(missing.output, "error: The HTML Help compiler was not found. Install chmcmd"))
      << missing.output;

  WriteFakeCompiler(box.PathDir() + "/chmcmd", "help.chm");
  const TProcessResult done = RunProcessAndWait(binary, std::vector<std::string>{"chm", file});
  EXPECT_EQ(done.exitCode, 0) << done.output;
  EXPECT_EQ(done.output, "CHM exported: " + box.Path("My Docs/manual/build/chm/help.chm") + "\n")
      << "no progress line when the output is not a terminal";
}

TEST_F(ChmProject, DamagedOrDeepTreesStillEnd) {
  TTopic& a = Add("A", "");
  TTopic& b = Add("B", "", a.ID());
  b.Children().push_back(a.ID());            // a cycle
  project.RootTopicIDs().push_back(a.ID());  // and a root listed twice
  const std::string cyclic = BuildChmContents(project);
  EXPECT_EQ(cyclic.find(Entry(a)), cyclic.rfind(Entry(a))) << "each topic once";
  a.SetExcludeChm(true);
  b.SetExcludeChm(true);
  EXPECT_EQ(ChmDefaultPage(project), "");

  TDocProject deep;
  deep.SetRootPath(box.Path("Deep"));
  const int depth = 50000;
  for (int i = 0; i < depth; ++i) {
    auto t = std::make_unique<TTopic>();
    t->SetID("T" + std::to_string(i));
    t->SetTitle("T");
    if (i + 1 < depth) t->Children().push_back("T" + std::to_string(i + 1));
    deep.InsertLoadedTopic(std::move(t));
  }
  deep.RootTopicIDs().push_back("T0");
  deep.GetTopic("T0").SetExcludeChm(true);
  EXPECT_EQ(ChmDefaultPage(deep), "topics/T1.html");
  deep.GetTopic("T0").SetExcludeChm(false);
  const std::string toc = BuildChmContents(deep);
  EXPECT_EQ(std::count(toc.begin(), toc.end(), '\n'), depth * 6 + 9) << "4 lines a topic, a list around each child";
}

TEST_F(ChmProject, PageHeadersFollowTheDefaultAndTopicFiles) {
  TTopic& plain = Add("Plain", "<p>p</p>");
  TTopic& own = Add("Own", "<p>o</p>");
  TTopic& blankBg = Add("Blank background", "<p>b</p>");
  const auto header = [&](const TTopic& t) {
    const TPublishHeader h = LookupTopicHeader(project, t.ID(), TPublishForm::Chm);
    return ".zd-header{padding:12px 16px;background:" + h.background + ";}" + std::string("|") +
           "<div class=\"zd-header\">" + h.html + "</div>";
  };
  const auto expectHeaders = [&](const char* stage) {
    WriteChmProject(project);
    for (const TTopic* t : {&plain, &own, &blankBg}) {
      const std::string want = header(*t);
      const std::string page = Page(*t);
      EXPECT_TRUE(Contains(page, want.substr(0, want.find('|')))) << stage << " " << t->Title() << "\n" << page;
      EXPECT_TRUE(Contains(page, want.substr(want.find('|') + 1))) << stage << " " << t->Title() << "\n" << page;
    }
  };
  expectHeaders("no header files");
  WriteFixtureFile(HeaderHtmlPath(project, ""), "<i>Default</i>");
  WriteFixtureFile(HeaderBgPath(project, ""), " #123456 ");
  WriteFixtureFile(HeaderHtmlPath(project, own.ID()), "<b>Own</b>");
  WriteFixtureFile(HeaderBgPath(project, own.ID()), "#654321");
  WriteFixtureFile(HeaderBgPath(project, blankBg.ID()), "  ");
  expectHeaders("default and topic files");
  EXPECT_TRUE(Contains(Page(own), "<b>Own</b>"));
  EXPECT_TRUE(Contains(Page(blankBg), "background:#fafafa;"));
  EXPECT_TRUE(Contains(Page(plain), "background:#123456;"));
}

TEST(ChmSampleProject, CompilesAndListsEveryPage) {
  const std::string sample = std::string(FOLIVANE_FIXTURES_DIR) + "/../../examples/Sample";
  if (!FileExists(sample + "/Sample.fvp")) GTEST_SKIP() << "no sample project";
  if (!FileExists("/usr/bin/chmcmd") || !FileExists("/usr/bin/enum_chmLib"))
    GTEST_SKIP() << "chmcmd or enum_chmLib missing";
  TTempDir dir;
  TScopedEnv appData("APPDATA", dir / "appdata");
  std::filesystem::copy(sample, dir / "Sample", std::filesystem::copy_options::recursive);
  StoreCompilerPath("/usr/bin/chmcmd");
  TDocProject project;
  TProjectSettings settings;
  OpenProjectFile(dir / "Sample/Sample.fvp", project, settings);
  const std::string chm = ExportChm(project);
  const TChmProjectFiles files = WriteChmProject(project);
  ASSERT_GT(files.pageList.size(), 10u);
  const TProcessResult listing = RunProcessAndWait("/usr/bin/enum_chmLib", std::vector<std::string>{chm});
  EXPECT_EQ(listing.exitCode, 0) << listing.output;
  for (const std::string& page : files.pageList) EXPECT_TRUE(Contains(listing.output, "/" + page)) << page;
  for (const auto& [id, topic] : project.Topics()) {
    EXPECT_EQ(Contains(listing.output, "/topics/" + id + ".html"), !topic->ExcludeChm()) << topic->Title();
  }
}

TEST(ChmNames, AsciiFormsAreReadableAndUnique) {
  struct TCase {
    std::string name, ascii;
  } cases[] = {
      {"logo.png", "logo.png"},
      {"a b (1).png", "a b (1).png"},
      {"caf\xC3\xA9.png", "cafe.png"},
      {"\xD1\x81\xD1\x85\xD0\xB5\xD0\xBC\xD0\xB0.png", "shema.png"},
      {"Stra\xC3\x9F"
       "e.PNG",
       "Strasse.PNG"},
      {"line\nbreak\x01.png", "line_break_.png"},
      {"\xE2\x80\xA5", "_.."},  // a two-dot leader would fold to a step up
      {"\xF0\x9F\x98\x80.png", "_.png"},
      {"\xD0\xB6.\xD1\x84\xD0\xBE\xD1\x82\xD0\xBE", "z.foto"},
  };
  for (const TCase& c : cases) EXPECT_EQ(ChmAsciiName(c.name), c.ascii) << c.name;
  const std::string longName = std::string(126, 'x') + std::string(126, '\xD0') + ".png";  // invalid bytes count too
  EXPECT_LE(ChmAsciiName(longName).size(), 200u);
  EXPECT_TRUE(EndsWith(ChmAsciiName(longName), ".png"));

  const TChmAssetNames names({"images/caf\xC3\xA9.png", "images/cafe.png", "images/caf\xC3\xA8.png",
                              "images/CAF\xC3\x89.png", "images/cafe_2.png",
                              "\xD0\xBA\xD0\xB0\xD1\x80\xD1\x82\xD0\xB8\xD0\xBD\xD0\xBA\xD0\xB8/a.png",
                              "kartinki/a.png", "css/site.css"});
  EXPECT_TRUE(names.RenamesAny());
  EXPECT_EQ(names.NameOf("images/cafe.png"), "images/cafe.png") << "a safe name keeps its name";
  EXPECT_EQ(names.NameOf("images/cafe_2.png"), "images/cafe_2.png");
  EXPECT_EQ(names.NameOf("images/CAF\xC3\x89.png"), "images/CAFE_3.png") << "letter case does not tell names apart";
  EXPECT_EQ(names.NameOf("images/caf\xC3\xA8.png"), "images/cafe_4.png");
  EXPECT_EQ(names.NameOf("images/caf\xC3\xA9.png"), "images/cafe_5.png");
  EXPECT_EQ(names.NameOf("\xD0\xBA\xD0\xB0\xD1\x80\xD1\x82\xD0\xB8\xD0\xBD\xD0\xBA\xD0\xB8/a.png"), "kartinki_2/a.png");
  EXPECT_EQ(names.NameOf("kartinki/a.png"), "kartinki/a.png");
  EXPECT_EQ(names.NameOf("css/site.css"), "css/site.css");
  EXPECT_EQ(names.NameOf("missing.png"), "");

  EXPECT_EQ(
      names.RewritePage("<img src=\"../assets/images/caf%C3%A9.png?v=2\"><a href='../assets/images/caf\xC3\xA8.png#x'>"
                        "<img src=\"../assets/images/cafe.png\"><img src=\"http://x/assets/images/caf\xC3\xA9.png\">"),
      "<img src=\"../assets/images/cafe_5.png?v=2\"><a href='../assets/images/cafe_4.png#x'>"
      "<img src=\"../assets/images/cafe.png\"><img src=\"http://x/assets/images/caf\xC3\xA9.png\">");
  const TChmAssetNames plain({"images/a.png"});
  EXPECT_FALSE(plain.RenamesAny());
}

// A picture with a name outside ASCII used to fail the whole compile. Its copy gets an ASCII
// name, the pages and copied style sheets refer to that, and the compiled file holds it.
TEST_F(ChmProject, CompilesAssetsWithNamesOutsideAscii) {
  const std::string chmcmd = "/usr/bin/chmcmd";
  const std::string extractor = "/usr/bin/extract_chmLib";
  if (!FileExists(chmcmd) || !FileExists(extractor)) GTEST_SKIP() << "chmcmd or extract_chmLib is not installed";
  StoreCompilerPath(chmcmd);
  const std::string cafe = "caf\xC3\xA9.png";
  const std::string scheme = "\xD1\x81\xD1\x85\xD0\xB5\xD0\xBC\xD0\xB0.png";
  const std::string folder = "\xD1\x84\xD0\xBE\xD1\x82\xD0\xBE";             // "фото"
  const std::string sheet = "\xD1\x81\xD1\x82\xD0\xB8\xD0\xBB\xD1\x8C.css";  // "стиль.css"
  WriteFixtureFile(box.Path("Guide/assets/images/" + cafe), "\x89PNG cafe with accent");
  WriteFixtureFile(box.Path("Guide/assets/images/cafe.png"), "\x89PNG plain cafe");
  WriteFixtureFile(box.Path("Guide/assets/images/" + scheme), "\x89PNG scheme");
  WriteFixtureFile(box.Path("Guide/assets/" + folder + "/" + cafe), "\x89PNG photo");
  WriteFixtureFile(
      box.Path("Guide/assets/css/" + sheet),
      "body{background:url(\"../images/" + scheme + "\")}\n.a{background:url(../" + folder + "/caf%C3%A9.png)}");
  WriteChmProject(project);  // an export of before: a leftover copy must not break this one
  WriteFixtureFile(Out("assets/images/" + cafe), "left from an older export");
  TTopic& t = Add("Pictures", "<img src=\"assets/images/" + cafe +
                                  "\"><img src=\"assets/images/cafe.png\">"
                                  "<img src=\"/assets/images/" +
                                  scheme + "\"><img src=\"assets/" + folder + "/" + cafe +
                                  "\">"
                                  "<link rel=\"stylesheet\" href=\"assets/css/" +
                                  sheet + "\">");

  const std::string chm = ExportChm(project);
  const std::string page = Page(t);
  for (const char* src : {"../assets/images/cafe_2.png", "../assets/images/cafe.png", "../assets/images/shema.png",
                          "../assets/foto/cafe.png", "../assets/css/stil'.css"}) {
    EXPECT_TRUE(Contains(page, "=\"" + std::string(src) + "\"")) << src << " in\n" << page;
  }
  const std::string hhp = ReadBinaryFile(Out("project.hhp"));
  EXPECT_TRUE(Contains(hhp, "assets/images/cafe_2.png\r\n")) << hhp;
  for (unsigned char c : hhp) EXPECT_LT(c, 0x80) << "every listed name is ASCII";

  const std::string extracted = box.Path("extracted");
  const TProcessResult run = RunProcessAndWait(extractor, std::vector<std::string>{chm, extracted});
  ASSERT_EQ(run.exitCode, 0) << run.output;
  EXPECT_EQ(ReadBinaryFile(extracted + "/assets/images/cafe_2.png"), "\x89PNG cafe with accent");
  EXPECT_EQ(ReadBinaryFile(extracted + "/assets/images/cafe.png"), "\x89PNG plain cafe");
  EXPECT_EQ(ReadBinaryFile(extracted + "/assets/images/shema.png"), "\x89PNG scheme");
  EXPECT_EQ(ReadBinaryFile(extracted + "/assets/foto/cafe.png"), "\x89PNG photo");
  EXPECT_EQ(ReadBinaryFile(extracted + "/assets/css/stil'.css"),
            "body{background:url(\"../images/shema.png\")}\n.a{background:url(\"../foto/cafe.png\")}");
  EXPECT_TRUE(FileExists(extracted + "/topics/" + t.ID() + ".html"));
}
