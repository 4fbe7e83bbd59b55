// The PDF manual as a book, without a browser: its cover, contents, chapters and page rules.
#include <gtest/gtest.h>

#include <filesystem>
#include <regex>

#include "PdfTestProject.h"
#include "uExportPdf.h"
#include "uPdfBook.h"
#include "uProjectSettings.h"
#include "uPublishGuard.h"
#include "uReusableContent.h"

using namespace pdftest;

namespace {

TProjectSettings BookSettings() {
  TProjectSettings s;
  s.SetNewProjectPdfDefaults();
  return s;
}

struct TContentsLine {
  int level;
  std::string anchor;
  std::string title;
  bool operator==(const TContentsLine&) const = default;
};

std::vector<TContentsLine> ContentsLines(const std::string& html) {
  static const std::regex line(
      "<a class=\"zd-toc zd-toc-(\\d)\" href=\"#([^\"]+)\"><span class=\"zd-toc-title\">([^<]*)</span>");
  std::vector<TContentsLine> out;
  for (std::sregex_iterator it(html.begin(), html.end(), line), end; it != end; ++it)
    out.push_back({std::stoi((*it)[1]), (*it)[2], (*it)[3]});
  return out;
}

}  // namespace

TEST(PdfBook, CoverContentsAndChaptersFollowTheSettings) {
  TPdfTestProject p;
  TReusableProjectContent store;
  store.Variables().push_back({"Version", "2.1"});
  store.SaveToProject(p.Project());
  TTopic& intro = p.Add("Intro & more", "<p>intro</p>");
  TTopic& setup = p.Add("Setup", "<p>setup</p>", intro.ID());
  TTopic& deep = p.Add("Deep", "<p>deep</p>", setup.ID());
  p.Add("Use", "<p>use</p>");
  TProjectSettings s = BookSettings();
  s.PdfContentsDepth = 2;
  s.PdfSubtitle = "For {var:Version} users <b>";
  s.PdfVersionLine = "Version {var:Version}";

  const std::string html = BuildPdfManualHtml(p.Project(), nullptr, nullptr, &s);
  EXPECT_NE(html.find("<div class=\"zd-cover\">\r\n<div class=\"zd-cover-title\">Test Manual</div>\r\n"
                      "<div class=\"zd-cover-subtitle\">For 2.1 users &lt;b&gt;</div>\r\n"
                      "<div class=\"zd-cover-version\">Version 2.1</div>\r\n</div>"),
            std::string::npos)
      << html;
  const std::vector<TContentsLine> lines = ContentsLines(html);
  ASSERT_EQ(lines.size(), 3u) << html;
  EXPECT_EQ(lines[0], (TContentsLine{1, lines[0].anchor, "Intro &amp; more"}));
  EXPECT_EQ(lines[1], (TContentsLine{2, lines[1].anchor, "Setup"}));
  EXPECT_EQ(lines[2], (TContentsLine{1, lines[2].anchor, "Use"}));
  for (const TContentsLine& line : lines) {
    EXPECT_NE(html.find(" id=\"" + line.anchor + "\">" + line.title + "</h"), std::string::npos) << line.title;
  }
  EXPECT_EQ(html.find("<span class=\"zd-toc-title\">Deep"), std::string::npos) << "below the depth";

  // Each chapter wraps its subtree, in order; the cover and contents come before them.
  const size_t contents = html.find("<nav class=\"zd-contents\">");
  const size_t first = html.find("<div class=\"zd-chapter zd-ch-0\">\r\n<section id=\"" + intro.ID() + "\">");
  const size_t deepAt = html.find("<section id=\"" + deep.ID() + "\">");
  const size_t second = html.find("</div>\r\n<div class=\"zd-chapter zd-ch-1\">");
  ASSERT_NE(second, std::string::npos) << html;
  EXPECT_LT(html.find("<div class=\"zd-cover\">"), contents);
  EXPECT_LT(contents, first);
  EXPECT_LT(first, deepAt);
  EXPECT_LT(deepAt, second);
  EXPECT_NE(html.find("</section>\r\n</div>\r\n</body>"), std::string::npos);
  EXPECT_NE(html.find("@page zd-ch-0 { @top-center { content: \"Intro & more\";"), std::string::npos);
  EXPECT_NE(html.find("@page zd-ch-1 { @top-center { content: \"Use\";"), std::string::npos);
}

TEST(PdfBook, AProjectWithoutPdfKeysPrintsThePlainFlow) {
  TPdfTestProject p;
  p.Add("A", "<p>a</p>");
  p.Write("meta/project_settings.json", "{\"ProjTitle\":\"Old\",\"FontSizeH1\":30,\"SpellLanguage\":\"de-DE\"}");
  const std::string plain = BuildPdfManualHtml(p.Project());
  const TProjectSettings defaults;
  EXPECT_EQ(BuildPdfManualHtml(p.Project(), nullptr, nullptr, &defaults), plain);
  EXPECT_EQ(ReadTextFileUtf8(WritePdfManualFiles(p.Project(), p.OutDir())), plain);

  // The caller's settings win over the file.
  const TProjectSettings book = BookSettings();
  const std::string written = ReadTextFileUtf8(WritePdfManualFiles(p.Project(), p.OutDir(), nullptr, nullptr, &book));
  EXPECT_NE(written.find("<nav class=\"zd-contents\">"), std::string::npos);
}

TEST(PdfBook, PageRulesFollowTheOptions) {
  struct TCase {
    const char* name;
    std::function<void(TProjectSettings&)> change;
    std::vector<std::string> present;
    std::vector<std::string> absent;
  };
  const TCase cases[] = {
      {"new project",
       [](TProjectSettings&) {},
       {"size: A4;", "margin: 20mm 18mm 20mm 18mm;",
        "@bottom-center { content: \"Page \" counter(page) \" of \" counter(pages);",
        "@page zd-cover { @top-center { content: none; } @bottom-center { content: none; } }",
        "@page zd-contents { @top-center { content: \"Contents\";", ".zd-chapter { break-before: page; }",
        "@page zd-ch-0 {"},
       {}},
      {"bare number, Letter, margins",
       [](TProjectSettings& s) {
         s.PdfPageNumbers = "number";
         s.PdfPaper = "Letter";
         s.PdfMargins = "10 12.5";
       },
       {"@bottom-center { content: counter(page);", "size: Letter;", "margin: 10mm 12.5mm 10mm 12.5mm;"},
       {"counter(pages)"}},
      {"no furniture",
       [](TProjectSettings& s) {
         s.PdfPageNumbers = "none";
         s.PdfRunningHeads = false;
         s.PdfChapterBreaks = false;
         s.PdfPaper = "";
       },
       {"size: auto;"},
       {"@bottom-center { content: counter", "@page zd-ch-", "@page zd-contents", ".zd-chapter { break-before"}},
      {"heads without breaks still break, as a head changes only with the page",
       [](TProjectSettings& s) { s.PdfChapterBreaks = false; },
       {".zd-chapter { break-before: page; }", ".zd-ch-0 { page: zd-ch-0; }"},
       {}},
  };
  for (const TCase& c : cases) {
    TProjectSettings s = BookSettings();
    c.change(s);
    const std::string css = PdfBookCss(s, {"Chapter"});
    for (const std::string& text : c.present) EXPECT_NE(css.find(text), std::string::npos) << c.name << ": " << text;
    for (const std::string& text : c.absent) EXPECT_EQ(css.find(text), std::string::npos) << c.name << ": " << text;
  }
}

TEST(PdfBook, CssStringsCannotEscapeTheirRule) {
  const std::pair<std::string, std::string> cases[] = {
      {"Plain", "\"Plain\""},
      {"Say \"hi\" \\ now", "\"Say \\\"hi\\\" \\\\ now\""},
      {"</style><script>", "\"\\3C /style>\\3C script>\""},
      {"two\nlines", "\"two lines\""},
  };
  for (const auto& [text, css] : cases) EXPECT_EQ(CssString(text), css) << text;
}

TEST(PdfBook, TheLogoMustBeAFileInTheAssetsFolder) {
  struct TCase {
    std::string logo;
    std::string src;  // "" when left out
  };
  const TCase cases[] = {
      {"assets/images/my logo#1.png", "assets/images/my%20logo%231.png"},
      {"assets/images/missing.png", ""},
      {"assets/../meta/secret.png", ""},
      {"meta/secret.png", ""},
      {"/etc/hostname", ""},
      {"../outside.png", ""},
      {"assets/linked/out.png", ""},
  };
  for (const TCase& c : cases) {
    TPdfTestProject p;
    p.Add("A", "");
    p.Write("assets/images/my logo#1.png", "PNG");
    p.Write("meta/secret.png", "PNG");
    TTempDir outside;
    WriteFixtureFile(outside / "out.png", "PNG");
    std::filesystem::create_directory_symlink(outside.Path(), p.Path("assets/linked"));
    TProjectSettings s = BookSettings();
    s.PdfLogo = c.logo;
    TPublishGuard guard(p.Root(), "");
    std::vector<std::string> warnings;
    const std::string html = BuildPdfManualHtml(p.Project(), nullptr, &guard, &s, &warnings);
    guard.AppendWarnings(&warnings);
    if (c.src.empty()) {
      EXPECT_EQ(html.find("<img class=\"zd-cover-logo\""), std::string::npos) << c.logo;
      ASSERT_EQ(warnings.size(), 1u) << c.logo;
    } else {
      EXPECT_NE(html.find("<img class=\"zd-cover-logo\" src=\"" + c.src + "\""), std::string::npos) << html;
      EXPECT_TRUE(warnings.empty()) << warnings.front();
    }
  }
}

TEST(PdfBook, ContentsNumbersComeFromThePrintedPages) {
  const std::vector<TPdfContentsEntry> entries = {{"zd-h-0", "A", 1}, {"zd-h-3", "B", 2}};
  const TPdfAnchorPages pages = {{"zd-h-0", 3}, {"zd-h-9", 12}};
  const auto numbers = [](const std::string& html) {
    static const std::regex number("<span class=\"zd-toc-page\">([^<]*)</span>");
    std::vector<std::string> out;
    for (std::sregex_iterator it(html.begin(), html.end(), number), end; it != end; ++it) out.push_back((*it)[1]);
    return out;
  };
  // The first print's placeholders take a number's room; a heading that was not found gets none.
  EXPECT_EQ(numbers(PdfContentsHtml(entries, nullptr)), (std::vector<std::string>{"0", "0"}));
  EXPECT_EQ(numbers(PdfContentsHtml(entries, &pages)), (std::vector<std::string>{"3", ""}));
}

TEST(PdfBook, DestinationsAreReadFromPdfinfo) {
  const std::string output =
      "Page  Destination                 Name\n"
      "   1 [ XYZ   57  785 null      ] \"zd-h-0\"\n"
      "  12 [ XYZ   57  320 null      ] \"zd-h-17\"\r\n"
      " 140 [ Fit                     ] \"with \"quote\" inside\"\n"
      "Syntax Warning: something odd\n"
      "   0 [ XYZ    0    0 null      ] \"zero\"\n";
  const TPdfAnchorPages expected = {{"zd-h-0", 1}, {"zd-h-17", 12}, {"with \"quote\" inside", 140}};
  EXPECT_EQ(ParsePdfDestinations(output), expected);
}
