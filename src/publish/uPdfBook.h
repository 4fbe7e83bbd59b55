// The book parts of the PDF manual: the page rules (paper, margins, page numbers, running
// heads, chapter breaks), the cover and the contents, and reading back from a printed PDF
// the page each heading landed on, which fills in the contents' page numbers.
#pragma once

#include <map>
#include <string>
#include <string_view>
#include <vector>

#include "uProjectSettings.h"

// One line of the contents: a section's heading at the given level (1 = a chapter).
struct TPdfContentsEntry {
  std::string Anchor;  // the id of the heading the line links to
  std::string Title;
  int Level = 1;
};

// Anchor name -> the page (from 1) it is printed on.
using TPdfAnchorPages = std::map<std::string, int>;

// The anchor of the heading of the index-th section of the manual.
std::string PdfHeadingAnchor(size_t index);

// Text as a CSS string literal, quotes included; safe inside a <style> element.
std::string CssString(std::string_view text);

// The <style> content of a book: paper, margins, the page furniture and the look of the
// cover and the contents. chapterTitles holds the running head of each chapter, in order;
// chapter i (from 0) is laid out on the named page PdfChapterPageName(i).
std::string PdfBookCss(const TProjectSettings& settings, const std::vector<std::string>& chapterTitles);
std::string PdfChapterPageName(size_t chapter);

// The cover: title, subtitle and version line (already expanded, plain text) and the logo
// (an address relative to the manual, "" for none).
std::string PdfCoverHtml(const std::string& title, const std::string& subtitle, const std::string& versionLine,
                         const std::string& logoAddress);

// The contents: a heading and one linked line per entry. Each line's page number comes
// from pages; without pages (or for an anchor it lacks) the number is a placeholder of the
// same width, so that the contents take the same room either way.
std::string PdfContentsHtml(const std::vector<TPdfContentsEntry>& entries, const TPdfAnchorPages* pages);

// The named destinations in `pdfinfo -dests` output.
TPdfAnchorPages ParsePdfDestinations(std::string_view pdfinfoOutput);
// Runs pdfinfo on the file. Raises when pdfinfo cannot be run or fails.
TPdfAnchorPages ReadPdfDestinations(const std::string& pdfPath);
// Whether pdfinfo (poppler-utils), which reads the destinations, is installed.
bool PdfDestinationReaderAvailable();

// A project-relative path as a relative URL: path characters kept, the rest percent-encoded.
std::string RelativeUrl(std::string_view path);
