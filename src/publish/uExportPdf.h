// The PDF output: one long HTML manual (build/pdf/manual.html) printed to manual.pdf
// by a headless Chromium-family browser. The browser does the layout; we write the HTML.
#pragma once

#include <chrono>
#include <string>
#include <string_view>
#include <vector>

#include "uDocModel.h"
#include "uProjectSettings.h"
#include "uUtils.h"

// A browser that has not printed by then is taken as hung: it is ended and the export fails.
constexpr std::chrono::milliseconds kBrowserPrintTimeout{120000};
// How long the PDF file is awaited after the browser has exited.
constexpr std::chrono::milliseconds kPdfWaitTimeout{5000};

struct TPdfExportOptions {
  bool OpenPdf = true;         // the window opens the result; the CLI does not
  TProgressCallback Progress;  // (topics done, total); may throw EAbort between topics
  std::chrono::milliseconds BrowserTimeout = kBrowserPrintTimeout;
  std::vector<std::string>* Warnings = nullptr;  // gets a line for each project file left out
  // The settings to print with (the caller may override Pdf* keys); null: the project's
  // meta/project_settings.json.
  const TProjectSettings* Settings = nullptr;
};

// pdf in the build folder (build/pdf, or a profile's build/<profile>/pdf).
std::string PdfOutputFolder(const TDocProject& project);

// Writes manual.html, style.css and the assets into outDir, prints manual.pdf and
// (when asked) opens it. Returns the full path of manual.pdf. Errors pass to the caller;
// files written before an error stay, so manual.html can be inspected. A book whose
// contents show page numbers is printed twice: the first print (manual-layout.pdf, removed
// after) gives the page of each heading, read with pdfinfo; without pdfinfo the contents
// go without numbers and a warning says why.
std::string ExportPdf(const TDocProject& project, const std::string& outDir, const TPdfExportOptions& options = {});

// Steps before printing: removes the old manual.html and manual.pdf (and stale temporary
// files of writes cut short), writes the manual's style sheet, the copy of the assets and
// then the manual. Returns the full path of manual.html. Project files that lead outside
// the project through a symbolic link are left out, each adding a line to warnings when
// given; nothing is written outside outDir (raises). settings: as TPdfExportOptions::Settings.
// The contents of a book carry placeholders for their page numbers here.
std::string WritePdfManualFiles(const TDocProject& project, const std::string& outDir,
                                const TProgressCallback& progress = nullptr,
                                std::vector<std::string>* warnings = nullptr,
                                const TProjectSettings* settings = nullptr);

// The manual's text: head, one section per topic in tree order (depth first, not
// nested), heading h1..h6 by depth; excluded topics drop with their subtree. Files that
// lead outside the project read as missing (noted in guard when given). With settings
// that ask for a book (TProjectSettings::PdfBookLayout) the head carries the page rules,
// the cover and the contents (placeholder page numbers) come first and each chapter (a
// top-level topic and its subtree) is wrapped in a <div class="zd-chapter">; a cover logo
// that is not a file in the assets folder adds a line to warnings. Without settings: the
// plain flow.
class TPublishGuard;
std::string BuildPdfManualHtml(const TDocProject& project, const TProgressCallback& progress = nullptr,
                               TPublishGuard* guard = nullptr, const TProjectSettings* settings = nullptr,
                               std::vector<std::string>* warnings = nullptr);

// The heading of a topic's section: the plain text of the topic's own header file, else
// the topic's title. A header file the guard refuses counts as missing.
std::string PdfHeadingTitle(const TDocProject& project, const TTopic& topic, TPublishGuard* guard = nullptr);

// Tags dropped, numeric and the common named character references decoded (others stay
// as written), no-break spaces as spaces, trimmed.
std::string HeaderPlainText(std::string_view html);

// The browser: $FOLIVANE_BROWSER when set, else the first Chromium-family browser on
// PATH. Raises "Chromium not found" with a hint to install it.
std::string FindPdfBrowser();
// file:// address of the manual. Spaces stay plain; only %, # and ? are escaped, since
// the browser would read them as an escape, a fragment or a query.
std::string PdfPageAddress(const std::string& htmlPath);
// Command-line arguments for printing htmlPath to pdfPath with the given profile folder;
// outline: the PDF gets a document outline from the headings.
std::vector<std::string> PdfBrowserArguments(const std::string& htmlPath, const std::string& pdfPath,
                                             const std::string& profileDir, bool outline = true);
// Runs the browser headless to print the page; ends it and raises after timeout.
void PrintWithBrowser(const std::string& htmlPath, const std::string& pdfPath,
                      std::chrono::milliseconds timeout = kBrowserPrintTimeout, bool outline = true);
// Polls until the file exists with a size above zero; raises "PDF file was not created in time".
void WaitForPdf(const std::string& pdfPath, std::chrono::milliseconds timeout = kPdfWaitTimeout);
