// Prints a small sample project with the real headless browser and reads the PDF back
// with poppler-utils. Slow (seconds per print): kept to a few tests.
#include <gtest/gtest.h>

#include "PdfTestProject.h"
#include "uExportPdf.h"
#include "uPlatform.h"
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

// A tree of three levels with a header title, a picture, a link and text in several scripts.
void FillSampleProject(TPdfTestProject& p) {
  TTopic& intro = p.Add("Introduction", "<p>Welcome to the manual.</p>");
  TTopic& setup = p.Add("Setup", "<p>Install it. See <a href=\"doc:" + intro.ID() + "\">the start</a>.</p>",
                        intro.ID());
  p.Add("Advanced options", "<p>Grüße, Привет, 日本.</p><img src=\"assets/images/dot.svg\" alt=\"dot\">", setup.ID());
  TTopic& reference = p.Add("Reference", "<p>Tables and lists.</p>");
  p.Write("meta/header_" + reference.ID() + ".html", "<div><b>Command &amp; option reference</b></div>");
  p.Add("Not printed", "<p>draft</p>").SetExcludePdf(true);
  p.Write("assets/images/dot.svg",
          "<svg xmlns=\"http://www.w3.org/2000/svg\" width=\"10\" height=\"10\"><circle cx=\"5\" cy=\"5\" r=\"4\"/></svg>");
}

std::string PdfText(const std::string& pdf) {
  const TProcessResult r = RunProcessAndWait("pdftotext", {"-enc", "UTF-8", pdf, "-"});
  EXPECT_EQ(r.exitCode, 0) << r.output;
  return r.output;
}

TPdfExportOptions Quiet() {
  TPdfExportOptions options;
  options.OpenPdf = false;
  return options;
}

}  // namespace

TEST(ExportPdfInBrowser, SampleProjectPrintsWithHeadingsInOrderAndAnOutline) {
  if (!BrowserAvailable()) GTEST_SKIP() << "no Chromium-family browser installed";
  if (FindOnPath("pdftotext").empty()) GTEST_SKIP() << "poppler-utils not installed";
  TPdfTestProject p("My Manual #2 (draft)");
  FillSampleProject(p);

  const std::string pdf = ExportPdf(p.Project(), p.OutDir(), Quiet());
  ASSERT_TRUE(FileExists(pdf));
  const std::string text = PdfText(pdf);
  size_t pos = 0;
  for (const char* heading : {"Introduction", "Setup", "Advanced options", "Grüße, Привет", "Command & option reference"}) {
    const size_t found = text.find(heading, pos);
    EXPECT_NE(found, std::string::npos) << heading << " after offset " << pos << " in:\n" << text;
    if (found != std::string::npos) pos = found;
  }
  EXPECT_EQ(text.find("draft"), std::string::npos);

  const std::string bytes = ReadBinaryFile(pdf);
  EXPECT_NE(bytes.find("/Outlines"), std::string::npos) << "no document outline";
  EXPECT_NE(bytes.find("(Introduction)"), std::string::npos) << "outline entries are the headings";
  const TProcessResult info = RunProcessAndWait("pdfinfo", {pdf});
  EXPECT_NE(info.output.find("Pages:"), std::string::npos) << info.output;
}
