#include <gtest/gtest.h>

#include <filesystem>
#include <optional>

#include "PdfTestProject.h"
#include "uExportPdf.h"
#include "uPlatform.h"

using namespace pdftest;

namespace {

const std::string kCrLf = "\r\n";

std::string ExpectThrowMessage(const std::function<void()>& action) {
  try {
    action();
  } catch (const EFolivaneError& e) {
    return e.what();
  }
  ADD_FAILURE() << "no error raised";
  return "";
}

}  // namespace

TEST(ExportPdf, ManualHeadAndSectionsFollowTheTreeDepthFirst) {
  TPdfTestProject p;
  p.Project().SetTitle("Guide <1> & \"more\"");
  TTopic& a = p.Add("A", "<p>a</p>");
  TTopic& b = p.Add("B", "<p>line one\nline two</p>", a.ID());
  TTopic& c = p.Add("C", "<p>c</p>", b.ID());
  TTopic& d = p.Add("D", "<p>d</p>");

  const std::string html = BuildPdfManualHtml(p.Project());
  const std::string expected =
      "<!doctype html>\r\n<html>\r\n<head>\r\n<meta charset=\"utf-8\">\r\n"
      "<title>Guide &lt;1&gt; &amp; &quot;more&quot;</title>\r\n"
      "<link rel=\"stylesheet\" href=\"style.css\">\r\n<style>\r\n@page {\r\n  size: auto;\r\n  margin: 12mm "
      "0;\r\n}\r\n"
      "html, body { margin:20px; }\r\n</style>\r\n</head>\r\n<body>\r\n"
      "<section id=\"" +
      a.ID() +
      "\">\r\n<h1 class=\"zd-topic-title\">A</h1>\r\n<p>a</p>\r\n</section>\r\n"
      "<section id=\"" +
      b.ID() +
      "\">\r\n<h2 class=\"zd-topic-title\">B</h2>\r\n<p>line one\nline two</p>\r\n</section>\r\n"
      "<section id=\"" +
      c.ID() +
      "\">\r\n<h3 class=\"zd-topic-title\">C</h3>\r\n<p>c</p>\r\n</section>\r\n"
      "<section id=\"" +
      d.ID() +
      "\">\r\n<h1 class=\"zd-topic-title\">D</h1>\r\n<p>d</p>\r\n</section>\r\n"
      "</body>\r\n</html>\r\n";
  EXPECT_EQ(html, expected);
}

TEST(ExportPdf, HeadingLevelStopsAtH6) {
  TPdfTestProject p;
  std::string parent;
  std::vector<std::string> ids;
  for (int depth = 0; depth < 8; ++depth) {
    parent = p.Add("T" + std::to_string(depth), "", parent).ID();
    ids.push_back(parent);
  }
  const std::string html = BuildPdfManualHtml(p.Project());
  const char* tags[] = {"h1", "h2", "h3", "h4", "h5", "h6", "h6", "h6"};
  for (int depth = 0; depth < 8; ++depth) {
    const std::string tag = tags[depth];
    EXPECT_NE(html.find("<" + tag + " class=\"zd-topic-title\">T" + std::to_string(depth) + "</" + tag + ">"),
              std::string::npos)
        << depth;
  }
  EXPECT_EQ(html.find("<h7>"), std::string::npos);
}

TEST(ExportPdf, ExcludedTopicDropsItsSubtreeAndLinksResolveToAnchors) {
  TPdfTestProject p;
  TTopic& kept = p.Add("Kept", "");
  TTopic& excluded = p.Add("Excluded", "<p>secret</p>");
  TTopic& child = p.Add("Child of excluded", "<p>hidden</p>", excluded.ID());
  excluded.SetExcludePdf(true);
  const std::string unknown(32, 'A');
  WriteFixtureFile(kept.HtmlPath(), "<a HREF = 'doc:" + child.ID() + "'>x</a><a href=\"doc:" + unknown +
                                        "\">y</a><a href=\"doc:" + kept.ID() + "\">z</a>");

  const std::string html = BuildPdfManualHtml(p.Project());
  EXPECT_EQ(html.find("Excluded"), std::string::npos);
  EXPECT_EQ(html.find("hidden"), std::string::npos);
  // Links are not checked against the exclusion: the anchor simply is not in the manual.
  EXPECT_NE(html.find("<a href=\"#" + child.ID() + "\">x</a>"), std::string::npos);
  EXPECT_NE(html.find("<a href=\"#\">y</a>"), std::string::npos);
  EXPECT_NE(html.find("<a href=\"#" + kept.ID() + "\">z</a>"), std::string::npos);
}

TEST(ExportPdf, MissingPageGivesHeadingWithEmptyBodyAndCyclesDoNotLoop) {
  TPdfTestProject p;
  TTopic& a = p.Add("A", "");
  TTopic& b = p.Add("B", "", a.ID());
  std::filesystem::remove(a.HtmlPath());
  b.Children().push_back(a.ID());  // a broken stored tree must not hang the export
  p.Project().RootTopicIDs().push_back("NOT-A-TOPIC");

  const std::string html = BuildPdfManualHtml(p.Project());
  EXPECT_NE(html.find("<section id=\"" + a.ID() + "\">\r\n<h1 class=\"zd-topic-title\">A</h1>\r\n\r\n</section>"),
            std::string::npos);
  EXPECT_EQ(html.find("<section id=\"" + a.ID()), html.rfind("<section id=\"" + a.ID()));
  EXPECT_NE(html.find("<h2 class=\"zd-topic-title\">B</h2>"), std::string::npos);
}

TEST(ExportPdf, HeadingTitleComesFromHeaderFiles) {
  struct TCase {
    const char* name;
    std::optional<std::string> topicHeader;
    std::optional<std::string> defaultHeader;
    std::string heading;
  };
  const TCase cases[] = {
      {"no header files", std::nullopt, std::nullopt, "Topic title"},
      {"own header", "<div><b>Intro &amp; setup</b></div>", std::nullopt, "Intro &amp; setup"},
      {"own header wins", "<b>Own</b>", "<b>Default</b>", "Own"},
      // The default header is the same band on every page: no section is named after it.
      {"default header only", std::nullopt, "<p>Default header</p>", "Topic title"},
      {"entities", "<b>Notes</b>&nbsp;&middot; v&#160;2", std::nullopt, "Notes \xC2\xB7 v 2"},
      {"empty own header", "", "<b>Default</b>", "Topic title"},
      {"tags only", "<div><br></div>", std::nullopt, "Topic title"},
      {"markup as text", "&lt;b&gt; x", std::nullopt, "&lt;b&gt; x"},
  };
  for (const TCase& c : cases) {
    TPdfTestProject p;
    TTopic& t = p.Add("Topic title", "");
    if (c.topicHeader) p.Write("meta/header_" + t.ID() + ".html", *c.topicHeader);
    if (c.defaultHeader) p.Write("meta/header_default.html", *c.defaultHeader);
    const std::string html = BuildPdfManualHtml(p.Project());
    EXPECT_NE(html.find("<h1 class=\"zd-topic-title\">" + c.heading + "</h1>"), std::string::npos) << c.name;
  }
}

TEST(ExportPdf, HeaderPlainTextDecodesReferencesAndTrims) {
  const std::pair<std::string, std::string> cases[] = {
      {"  <div><b>Intro &amp; setup</b></div>\r\n", "Intro & setup"},
      {"&lt;&gt;&quot;&apos;", "<>\"'"},
      {"&AMP; &Lt; &unknown; &nbsp;x", "&AMP; &Lt; &unknown;  x"},
      {"&copy; &mdash; &hellip;", "\xC2\xA9 \xE2\x80\x94 \xE2\x80\xA6"},
      {"&#65;&#x42;&#X43;&#$44;", "ABCD"},
      {"&#x1F600;", "\xF0\x9F\x98\x80"},
      {"a&#xA0;b\xC2\xA0", "a b"},
      {"&#; &#x; &#12 &", "&#; &#x; &#12 &"},
      {"&#xD800;&#0;&#99999999999999;", "\xEF\xBF\xBD\xEF\xBF\xBD\xEF\xBF\xBD"},
      {"a<b>c</b>d> e<", "acd e"},
      {"", ""},
  };
  for (const auto& [html, text] : cases) EXPECT_EQ(HeaderPlainText(html), text) << html;
}

TEST(ExportPdf, ProgressCountsTopicsAndCanCancel) {
  TPdfTestProject p;
  TTopic& a = p.Add("A", "");
  p.Add("B", "", a.ID());
  p.Add("Excluded", "").SetExcludePdf(true);
  std::vector<std::pair<int, int>> calls;
  BuildPdfManualHtml(p.Project(), [&](int done, int total) { calls.push_back({done, total}); });
  EXPECT_EQ(calls, (std::vector<std::pair<int, int>>{{0, 2}, {1, 2}, {2, 2}}));

  EXPECT_THROW(WritePdfManualFiles(p.Project(), p.OutDir(),
                                   [](int done, int) {
                                     if (done == 1) throw EAbort();
                                   }),
               EAbort);
  EXPECT_FALSE(FileExists(p.OutDir() + "/manual.html"));
}

TEST(ExportPdf, WritesManualStyleSheetAndAssets) {
  TPdfTestProject p;
  p.Add("A", "<img src=\"assets/images/pic.png\">");
  p.Write("assets/images/pic.png", "PNG");
  p.Write("assets/top.txt", "T");
  WriteFixtureFile(p.OutDir() + "/manual.pdf", "old");

  const std::string manual = WritePdfManualFiles(p.Project(), p.OutDir());
  EXPECT_EQ(manual, p.OutDir() + "/manual.html");
  EXPECT_TRUE(FileExists(manual));
  EXPECT_NE(ReadTextFileUtf8(p.OutDir() + "/style.css").find("section p{margin:0;}"), std::string::npos);
  EXPECT_EQ(ReadTextFileUtf8(p.OutDir() + "/assets/images/pic.png"), "PNG");
  EXPECT_EQ(ReadTextFileUtf8(p.OutDir() + "/assets/top.txt"), "T");
  // The old PDF goes first, so a failed print cannot be mistaken for success.
  EXPECT_FALSE(FileExists(p.OutDir() + "/manual.pdf"));
}

// manual.html is what the browser prints: after a run that stopped half-way it must not
// stand beside the last run's style sheet.
TEST(ExportPdf, TheManualIsWrittenAfterItsStyleSheet) {
  TPdfTestProject p;
  p.Add("A", "<p>a</p>");
  EnsureDir(p.OutDir() + "/style.css");
  EXPECT_THROW(WritePdfManualFiles(p.Project(), p.OutDir()), EFolivaneError);
  EXPECT_FALSE(FileExists(p.OutDir() + "/manual.html"));
}

TEST(ExportPdf, OldPdfThatCannotBeRemovedFailsTheExport) {
  TPdfTestProject p;
  p.Add("A", "");
  EnsureDir(p.OutDir() + "/manual.pdf/inside");
  const std::string message = ExpectThrowMessage([&] { WritePdfManualFiles(p.Project(), p.OutDir()); });
  EXPECT_NE(message.find("Cannot replace the previous PDF"), std::string::npos) << message;
}

TEST(ExportPdf, BrowserIsFoundOrNamedInTheError) {
  TTempDir dir;
  const std::string fake = WriteFakeBrowser(dir, "exit 0");
  {
    TScopedEnv browser("FOLIVANE_BROWSER", fake);
    EXPECT_EQ(FindPdfBrowser(), fake);
  }
  {
    TScopedEnv browser("FOLIVANE_BROWSER", dir / "no-such-browser");
    const std::string message = ExpectThrowMessage([] { FindPdfBrowser(); });
    EXPECT_TRUE(StartsWith(message, "Chromium not found")) << message;
    EXPECT_NE(message.find("FOLIVANE_BROWSER"), std::string::npos) << message;
  }
  {
    TScopedEnv browser("FOLIVANE_BROWSER", std::nullopt);
    TScopedEnv path("PATH", dir.Path());
    const std::string message = ExpectThrowMessage([] { FindPdfBrowser(); });
    EXPECT_TRUE(StartsWith(message, "Chromium not found")) << message;
    EXPECT_NE(message.find("apt install chromium"), std::string::npos) << message;
  }
  {
    TScopedEnv browser("FOLIVANE_BROWSER", std::nullopt);
    WriteFakeBrowser(dir, "exit 0");
    std::filesystem::rename(fake, dir / "google-chrome");
    TScopedEnv path("PATH", dir.Path());
    EXPECT_EQ(FindPdfBrowser(), dir / "google-chrome");
  }
}

TEST(ExportPdf, BrowserArgumentsAndPageAddress) {
  EXPECT_EQ(PdfPageAddress("/home/ann/My Docs/build/pdf/manual.html"),
            "file:///home/ann/My Docs/build/pdf/manual.html");
  EXPECT_EQ(PdfPageAddress("/tmp/C# 100%?/manual.html"), "file:///tmp/C%23 100%25%3F/manual.html");

  const std::vector<std::string> args = PdfBrowserArguments("/p q/manual.html", "/p q/manual.pdf", "/tmp/prof");
  for (const char* expected :
       {"--headless", "--disable-gpu", "--no-first-run", "--no-default-browser-check", "--no-pdf-header-footer",
        "--generate-pdf-document-outline", "--disable-background-networking", "--disable-component-update",
        "--disable-sync", "--user-data-dir=/tmp/prof", "--print-to-pdf=/p q/manual.pdf"}) {
    EXPECT_NE(std::find(args.begin(), args.end(), expected), args.end()) << expected;
  }
  EXPECT_EQ(args.back(), "file:///p q/manual.html");
  const bool noSandbox = std::find(args.begin(), args.end(), "--no-sandbox") != args.end();
  EXPECT_EQ(noSandbox, RunningAsRoot());
}

TEST(ExportPdf, ExportPrintsThroughTheBrowserAndOpensThePdf) {
  TPdfTestProject p("my project");
  p.Add("A", "<p>a</p>");
  TTempDir dir;
  const std::string argsLog = dir / "args.txt";
  TScopedEnv browser("FOLIVANE_BROWSER", WriteFakeBrowser(dir, PrintingBrowserScript(argsLog)));

  const size_t opensBefore = RecordedOpens().size();
  const std::string pdf = ExportPdf(p.Project(), p.OutDir());
  EXPECT_EQ(pdf, p.OutDir() + "/manual.pdf");
  EXPECT_TRUE(StartsWith(ReadBinaryFile(pdf), "%PDF"));
  const std::string args = ReadTextFileUtf8(argsLog);
  EXPECT_NE(args.find("\nfile://" + p.OutDir() + "/manual.html\n"), std::string::npos) << args;
  ASSERT_EQ(RecordedOpens().size(), opensBefore + 1);
  EXPECT_EQ(RecordedOpens().back(), pdf);

  TPdfExportOptions quiet;
  quiet.OpenPdf = false;
  ExportPdf(p.Project(), p.OutDir(), quiet);
  EXPECT_EQ(RecordedOpens().size(), opensBefore + 1);
}

TEST(ExportPdf, BrowserFailuresEndTheExportAndKeepTheManual) {
  struct TCase {
    const char* name;
    std::string script;
    std::string message;
  };
  const TCase cases[] = {
      {"hangs", "sleep 30", "did not finish printing the manual within 1 second and was stopped"},
      {"fails", "echo 'cannot print' >&2; exit 3", "exited with code 3"},
      {"reports an error",
       "echo '[1:2:1210/033608.616623:ERROR:handler.cc:403] Page load failed: net::ERR_FILE_NOT_FOUND'",
       "the browser reported Page load failed: net::ERR_FILE_NOT_FOUND"},
  };
  for (const TCase& c : cases) {
    TPdfTestProject p;
    p.Add("A", "<p>a</p>");
    TTempDir dir;
    TScopedEnv browser("FOLIVANE_BROWSER", WriteFakeBrowser(dir, c.script));
    TPdfExportOptions options;
    options.OpenPdf = false;
    options.BrowserTimeout = std::chrono::milliseconds(1000);
    const size_t opensBefore = RecordedOpens().size();
    const std::string message = ExpectThrowMessage([&] { ExportPdf(p.Project(), p.OutDir(), options); });
    EXPECT_NE(message.find(c.message), std::string::npos) << c.name << ": " << message;
    EXPECT_TRUE(FileExists(p.OutDir() + "/manual.html")) << c.name;
    EXPECT_FALSE(FileExists(p.OutDir() + "/manual.pdf")) << c.name;
    EXPECT_EQ(RecordedOpens().size(), opensBefore) << c.name;
  }
}

TEST(ExportPdf, SecondExportWithFailingBrowserLeavesNoOldPdf) {
  TPdfTestProject p;
  p.Add("A", "");
  TTempDir dir;
  TPdfExportOptions options;
  options.OpenPdf = false;
  {
    TScopedEnv browser("FOLIVANE_BROWSER", WriteFakeBrowser(dir, PrintingBrowserScript(dir / "log")));
    ExportPdf(p.Project(), p.OutDir(), options);
  }
  ASSERT_TRUE(FileExists(p.OutDir() + "/manual.pdf"));
  TScopedEnv browser("FOLIVANE_BROWSER", WriteFakeBrowser(dir, "exit 0"));
  EXPECT_EQ(ExpectThrowMessage([&] { ExportPdf(p.Project(), p.OutDir(), options); }),
            "PDF file was not created in time");
  EXPECT_FALSE(FileExists(p.OutDir() + "/manual.pdf"));
}

// A book's contents take their page numbers from a first print; one that cannot be read
// fails the export and stays for inspection, and no PDF passes for the result.
TEST(ExportPdf, AnUnreadableFirstPrintFailsTheBook) {
  if (FindOnPath("pdfinfo").empty()) GTEST_SKIP() << "poppler-utils not installed";
  TPdfTestProject p;
  p.Add("A", "<p>a</p>");
  TTempDir dir;
  TScopedEnv browser("FOLIVANE_BROWSER", WriteFakeBrowser(dir, PrintingBrowserScript(dir / "log")));
  TProjectSettings book;
  book.SetNewProjectPdfDefaults();
  TPdfExportOptions options;
  options.OpenPdf = false;
  options.Settings = &book;
  const std::string message = ExpectThrowMessage([&] { ExportPdf(p.Project(), p.OutDir(), options); });
  EXPECT_TRUE(StartsWith(message, "The page numbers of the contents could not be read from the first print"))
      << message;
  EXPECT_TRUE(FileExists(p.OutDir() + "/manual-layout.pdf"));
  EXPECT_FALSE(FileExists(p.OutDir() + "/manual.pdf"));
  EXPECT_EQ(ReadTextFileUtf8(dir / "log").find("--generate-pdf-document-outline"), std::string::npos)
      << "the first print needs no outline";
}

TEST(ExportPdf, WaitForPdfNeedsANonEmptyFile) {
  TTempDir dir;
  const std::string pdf = dir / "out.pdf";
  WriteFixtureFile(pdf, "");
  EXPECT_EQ(ExpectThrowMessage([&] { WaitForPdf(pdf, std::chrono::milliseconds(120)); }),
            "PDF file was not created in time");
  WriteFixtureFile(pdf, "%PDF");
  EXPECT_NO_THROW(WaitForPdf(pdf, std::chrono::milliseconds(120)));
}
