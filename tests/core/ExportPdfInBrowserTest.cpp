// Prints the sample project with the real headless browser and reads the PDF back with
// poppler-utils. Slow (seconds per print): kept to one test.
#include <gtest/gtest.h>

#include <filesystem>
#include <regex>

#include "PdfTestProject.h"
#include "uExportPdf.h"
#include "uPlatform.h"
#include "uProjectOpen.h"
#include "uStorage.h"

using namespace pdftest;

namespace {

bool BrowserAvailable() {
  try {
    FindPdfBrowser();
    return true;
  } catch (const EFolivaneError&) {
    return false;
  }
}

// The text with every run of blanks and line breaks as one space: how a long heading
// wraps depends on the fonts the machine has.
std::string PdfText(const std::string& pdf) {
  const TProcessResult r = RunProcessAndWait("pdftotext", {"-enc", "UTF-8", pdf, "-"});
  EXPECT_EQ(r.exitCode, 0) << r.output;
  std::string text;
  for (const char c : r.output) {
    const bool blank = c == ' ' || c == '\n' || c == '\r' || c == '\t' || c == '\f';
    if (!blank) {
      text += c;
    } else if (!text.empty() && text.back() != ' ') {
      text += ' ';
    }
  }
  return text;
}

// The pages of `pdftotext -layout`, each as its lines with blanks at both ends trimmed
// and empty lines dropped.
std::vector<std::vector<std::string>> PdfPages(const std::string& pdf) {
  const TProcessResult r = RunProcessAndWait("pdftotext", {"-layout", "-enc", "UTF-8", pdf, "-"});
  EXPECT_EQ(r.exitCode, 0) << r.output;
  std::vector<std::vector<std::string>> pages;
  for (const std::string& page : SplitString(r.output, '\f')) {
    std::vector<std::string> lines;
    for (const std::string& line : SplitString(page, '\n')) {
      if (!Trim(line).empty()) lines.push_back(Trim(line));
    }
    pages.push_back(lines);
  }
  while (!pages.empty() && pages.back().empty()) pages.pop_back();  // after the last form feed
  return pages;
}

bool HasLine(const std::vector<std::string>& lines, const std::string& text) {
  return std::find(lines.begin(), lines.end(), text) != lines.end();
}

}  // namespace

// A small book printed for real: what a reader checks in the contents and on the pages.
TEST(ExportPdfInBrowser, BookHasCoverContentsWithPagesAndFurniture) {
  if (!BrowserAvailable()) GTEST_SKIP() << "no Chromium-family browser installed";
  if (FindOnPath("pdftotext").empty()) GTEST_SKIP() << "poppler-utils not installed";
  TPdfTestProject p;
  p.Project().SetTitle("Book Test");
  // Long enough that sections start part-way down pages and spill over.
  const auto body = [](const std::string& title, int paragraphs) {
    std::string html;
    for (int i = 1; i <= paragraphs; ++i) html += "<p>" + title + " text " + std::to_string(i) + "</p>";
    return html;
  };
  struct TNode {
    const char* title;
    const char* parent;
    int paragraphs;
  };
  const TNode nodes[] = {{"Alpha", nullptr, 10},     {"Alpha one", "Alpha", 45}, {"Alpha one deep", "Alpha one", 30},
                         {"Alpha two", "Alpha", 25}, {"Beta", nullptr, 5},       {"Beta one", "Beta", 70},
                         {"Gamma", nullptr, 3}};
  std::map<std::string, std::string> ids;
  for (const TNode& n : nodes)
    ids[n.title] = p.Add(n.title, body(n.title, n.paragraphs), n.parent ? ids[n.parent] : "").ID();
  TProjectSettings book;
  book.SetNewProjectPdfDefaults();
  book.PdfContentsDepth = 2;
  book.PdfSubtitle = "Reader's guide";

  TPdfExportOptions options;
  options.OpenPdf = false;
  options.Settings = &book;
  const std::string pdf = ExportPdf(p.Project(), p.OutDir(), options);
  EXPECT_FALSE(FileExists(p.OutDir() + "/manual-layout.pdf"));
  const auto pages = PdfPages(pdf);
  const std::string total = std::to_string(pages.size());
  ASSERT_GE(pages.size(), 8u);

  // The cover: title, subtitle, no page number.
  EXPECT_TRUE(HasLine(pages[0], "Book Test")) << pages[0].front();
  EXPECT_TRUE(HasLine(pages[0], "Reader's guide"));
  for (const std::string& line : pages[0]) EXPECT_EQ(line.find("Page "), std::string::npos) << line;
  // Every other page: "Page N of M" in the footer, the running head above.
  for (size_t i = 1; i < pages.size(); ++i) {
    EXPECT_EQ(pages[i].back(), "Page " + std::to_string(i + 1) + " of " + total) << "page " << i + 1;
  }

  // Where each heading is printed: the first page after the contents with it as a line.
  const auto chapterStart = [&pages](const std::string& title, size_t from) {
    for (size_t i = from; i < pages.size(); ++i)
      if (HasLine(pages[i], title)) return i;
    return pages.size();
  };
  const size_t alpha = chapterStart("Alpha", 2);
  std::vector<std::pair<std::string, std::string>> expected;  // title, page number
  for (const char* title : {"Alpha", "Alpha one", "Alpha two", "Beta", "Beta one", "Gamma"})
    expected.push_back({title, std::to_string(chapterStart(title, alpha) + 1)});

  static const std::regex entry("(.+?)\\s{2,}(\\d+)");
  std::vector<std::pair<std::string, std::string>> listed;
  for (size_t i = 1; i < alpha; ++i) {
    EXPECT_EQ(pages[i].front(), "Contents") << "running head of contents page " << i + 1;
    for (const std::string& line : pages[i]) {
      std::smatch m;
      if (!StartsWith(line, "Page ") && std::regex_match(line, m, entry)) listed.push_back({m[1], m[2]});
    }
  }
  EXPECT_EQ(listed, expected);

  // Chapters open a page with their heading under their own running head, which the
  // chapter's later pages carry too.
  const std::pair<const char*, size_t> chapters[] = {
      {"Alpha", alpha}, {"Beta", chapterStart("Beta", alpha)}, {"Gamma", chapterStart("Gamma", alpha)}};
  for (size_t c = 0; c < 3; ++c) {
    const auto [title, start] = chapters[c];
    ASSERT_LT(start, pages.size()) << title;
    EXPECT_EQ(pages[start][1], title) << "the heading tops page " << start + 1;
    const size_t end = c + 1 < 3 ? chapters[c + 1].second : pages.size();
    for (size_t i = start; i < end; ++i) EXPECT_EQ(pages[i].front(), title) << "running head of page " << i + 1;
  }

  const std::string bytes = ReadBinaryFile(pdf);
  EXPECT_NE(bytes.find("/Outlines"), std::string::npos) << "the outline is kept";
  EXPECT_NE(bytes.find("(Alpha one deep)"), std::string::npos) << "the outline goes deeper than the contents";
}

TEST(ExportPdfInBrowser, SampleProjectPrintsWithHeadingsInOrderAndAnOutline) {
  if (!BrowserAvailable()) GTEST_SKIP() << "no Chromium-family browser installed";
  if (FindOnPath("pdftotext").empty()) GTEST_SKIP() << "poppler-utils not installed";
  // A copy in a folder whose name a browser address could misread.
  TTempDir dir;
  const std::string copy = dir / "Sample copy #1 (100%)";
  std::filesystem::copy(FOLIVANE_FIXTURES_DIR "/../../examples/Sample", copy, std::filesystem::copy_options::recursive);
  TDocProject project;
  TProjectSettings settings;
  OpenProjectFile(copy + "/Sample.fvp", project, settings);

  TPdfExportOptions options;
  options.OpenPdf = false;
  const std::string pdf = ExportPdf(project, PathJoin(project.RootPath(), "build/pdf"), options);
  ASSERT_TRUE(FileExists(pdf));
  const std::string text = PdfText(pdf);
  size_t pos = 0;
  for (const char* heading :
       {"Welcome", "Getting started", "System requirements", "Creating a job", "Glossary", "Краткое руководство",
        "クイックスタート", "Release notes \xC2\xB7 what changed in each version", "Terms to avoid"}) {
    const size_t found = text.find(heading, pos);
    EXPECT_NE(found, std::string::npos) << heading << " after offset " << pos << " in:\n" << text;
    if (found != std::string::npos) pos = found;
  }
  EXPECT_EQ(text.find("About this guide"), std::string::npos) << "excluded from PDF";
  EXPECT_EQ(text.find("{var:"), std::string::npos) << "variables are expanded";

  const std::string bytes = ReadBinaryFile(pdf);
  EXPECT_NE(bytes.find("/Outlines"), std::string::npos) << "no document outline";
  EXPECT_NE(bytes.find("(Getting started)"), std::string::npos) << "outline entries are the headings";
  const TProcessResult info = RunProcessAndWait("pdfinfo", {pdf});
  EXPECT_NE(info.output.find("Pages:"), std::string::npos) << info.output;
}
