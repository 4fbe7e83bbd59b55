// Prints the sample project with the real headless browser and reads the PDF back with
// poppler-utils. Slow (seconds per print): kept to one test.
#include <gtest/gtest.h>

#include <filesystem>

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

}  // namespace

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
