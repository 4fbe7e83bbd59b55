#include "uPdfBook.h"

#include <cstdio>
#include <cstdlib>

#include "uHtmlText.h"
#include "uPlatform.h"
#include "uTranslation.h"
#include "uUtils.h"

namespace {

constexpr const char* kCrLf = "\r\n";
constexpr const char* kCoverPage = "zd-cover";
constexpr const char* kContentsPage = "zd-contents";

std::string Millimetres(double value) {
  char buf[32];
  std::snprintf(buf, sizeof buf, "%gmm", value);
  return buf;
}

std::string MarginBoxFont(const TProjectSettings& s) {
  return "font-family: " + CssString(s.DefaultFontName) + ", sans-serif; font-size: 9pt; color: #444;";
}

// The footer's content: counter(page), or the translated "Page %s of %s" around the counters.
std::string PageNumberContent(const std::string& style) {
  if (style == "number") return "counter(page)";
  const std::vector<std::string> parts = SplitString(TranslateText("Page %s of %s"), '%');
  // "Page ", "s of ", "s": the texts around the placeholders, each after the first without its 's'.
  if (parts.size() != 3 || parts[1].empty() || parts[2].empty() || parts[1][0] != 's' || parts[2][0] != 's')
    return "counter(page) \" / \" counter(pages)";
  std::string content;
  const auto text = [&content](const std::string& piece) {
    if (!piece.empty()) content += CssString(piece) + " ";
  };
  text(parts[0]);
  content += "counter(page) ";
  text(parts[1].substr(1));
  content += "counter(pages)";
  if (parts[2].size() > 1) content += " " + CssString(parts[2].substr(1));
  return content;
}

void AppendPageRules(std::string& css, const TProjectSettings& s, const std::vector<std::string>& chapterTitles) {
  const std::array<double, 4> margins = ParsePdfMargins(s.PdfMargins).value_or(kPdfDefaultMargins);
  const std::string font = MarginBoxFont(s);
  css += "@page {" + std::string(kCrLf);
  css += "  size: " + (s.PdfPaper.empty() ? std::string("auto") : s.PdfPaper) + ";" + kCrLf;
  css += "  margin: " + Millimetres(margins[0]) + " " + Millimetres(margins[1]) + " " + Millimetres(margins[2]) + " " +
         Millimetres(margins[3]) + ";" + kCrLf;
  if (s.PdfPageNumbers != "none")
    css += "  @bottom-center { content: " + PageNumberContent(s.PdfPageNumbers) + "; " + font + " }" + kCrLf;
  css += "}" + std::string(kCrLf);
  css += "@page " + std::string(kCoverPage) + " { @top-center { content: none; } @bottom-center { content: none; } }" +
         kCrLf;
  if (!s.PdfRunningHeads) return;
  css += "@page " + std::string(kContentsPage) + " { @top-center { content: " + CssString(TranslateText("Contents")) +
         "; " + font + " } }" + kCrLf;
  for (size_t i = 0; i < chapterTitles.size(); ++i) {
    const std::string name = PdfChapterPageName(i);
    css += "." + name + " { page: " + name + "; }" + kCrLf;
    css += "@page " + name + " { @top-center { content: " + CssString(chapterTitles[i]) + "; " + font + " } }" + kCrLf;
  }
}

}  // namespace

std::string PdfHeadingAnchor(size_t index) { return "zd-h-" + std::to_string(index); }

std::string PdfChapterPageName(size_t chapter) { return "zd-ch-" + std::to_string(chapter); }

std::string CssString(std::string_view text) {
  std::string out = "\"";
  for (const char c : text) {
    switch (c) {
      case '"': out += "\\\""; break;
      case '\\': out += "\\\\"; break;
      case '<': out += "\\3C "; break;  // "</style>" must not close the element
      case '\n':
      case '\r':
      case '\t': out += ' '; break;
      default: out += c;
    }
  }
  return out + "\"";
}

std::string PdfBookCss(const TProjectSettings& s, const std::vector<std::string>& chapterTitles) {
  std::string css;
  AppendPageRules(css, s, chapterTitles);
  // The body's own margin would add to the page's on the first and last page only.
  css += "html, body { margin: 0; }" + std::string(kCrLf);
  css += ".zd-cover { page: " + std::string(kCoverPage) +
         "; break-after: page; text-align: center; padding-top: 55mm; }" + kCrLf;
  css += ".zd-cover-logo { max-width: 60%; max-height: 60mm; margin-bottom: 12mm; }" + std::string(kCrLf);
  css += ".zd-cover-title { font-size: 30pt; font-weight: bold; line-height: 1.2; }" + std::string(kCrLf);
  css += ".zd-cover-subtitle { font-size: 16pt; margin-top: 6mm; }" + std::string(kCrLf);
  css += ".zd-cover-version { font-size: 11pt; margin-top: 20mm; }" + std::string(kCrLf);
  css += ".zd-contents { break-before: page; break-after: page;" +
         (s.PdfRunningHeads ? " page: " + std::string(kContentsPage) + ";" : std::string()) + " }" + kCrLf;
  // The page number has a fixed width, so that filling it in never moves a line.
  css +=
      ".zd-toc { display: flex; align-items: baseline; break-inside: avoid; margin: 0.15em 0; }" + std::string(kCrLf);
  // Stronger than the project's link style, which marks every link with !important.
  css +=
      ".zd-contents a.zd-toc, .zd-contents a.zd-toc:link, .zd-contents a.zd-toc:visited { color: inherit "
      "!important; text-decoration: none !important; }" +
      std::string(kCrLf);
  css += ".zd-toc-1 { font-weight: bold; margin-top: 0.6em; }" + std::string(kCrLf);
  for (int level = 2; level <= 6; ++level) {
    char indent[64];
    std::snprintf(indent, sizeof indent, ".zd-toc-%d { padding-left: %gem; }", level, (level - 1) * 1.5);
    css += indent + std::string(kCrLf);
  }
  css += ".zd-toc-title { flex: 0 1 auto; }" + std::string(kCrLf);
  css += ".zd-toc-leader { flex: 1 1 2em; border-bottom: 1px dotted #888; margin: 0 0.4em; min-width: 2em; }" +
         std::string(kCrLf);
  css += ".zd-toc-page { flex: none; width: 3.5em; text-align: right; font-variant-numeric: tabular-nums; }" +
         std::string(kCrLf);
  if (s.PdfChapterBreaks || s.PdfRunningHeads) css += ".zd-chapter { break-before: page; }" + std::string(kCrLf);
  return css;
}

std::string PdfCoverHtml(const std::string& title, const std::string& subtitle, const std::string& versionLine,
                         const std::string& logoAddress) {
  std::string html = "<div class=\"zd-cover\">" + std::string(kCrLf);
  if (!logoAddress.empty())
    html += "<img class=\"zd-cover-logo\" src=\"" + HtmlEscape(logoAddress) + "\" alt=\"\"><br>" + kCrLf;
  html += "<div class=\"zd-cover-title\">" + EncodeHtmlText(title) + "</div>" + kCrLf;
  if (!subtitle.empty()) html += "<div class=\"zd-cover-subtitle\">" + EncodeHtmlText(subtitle) + "</div>" + kCrLf;
  if (!versionLine.empty()) html += "<div class=\"zd-cover-version\">" + EncodeHtmlText(versionLine) + "</div>" + kCrLf;
  return html + "</div>" + kCrLf;
}

std::string PdfContentsHtml(const std::vector<TPdfContentsEntry>& entries, const TPdfAnchorPages* pages) {
  std::string html = "<nav class=\"zd-contents\">" + std::string(kCrLf);
  html += "<h1 class=\"zd-contents-title\">" + EncodeHtmlText(TranslateText("Contents")) + "</h1>" + kCrLf;
  for (const TPdfContentsEntry& entry : entries) {
    std::string number = pages ? "" : "0";
    if (pages) {
      const auto found = pages->find(entry.Anchor);
      if (found != pages->end()) number = std::to_string(found->second);
    }
    html += "<a class=\"zd-toc zd-toc-" + std::to_string(entry.Level) + "\" href=\"#" + entry.Anchor +
            "\"><span class=\"zd-toc-title\">" + EncodeHtmlText(entry.Title) +
            "</span><span class=\"zd-toc-leader\"></span><span class=\"zd-toc-page\">" + number + "</span></a>" + kCrLf;
  }
  return html + "</nav>" + kCrLf;
}

TPdfAnchorPages ParsePdfDestinations(std::string_view output) {
  // "  12 [ XYZ   57  785 null      ] "name"" under a header line.
  TPdfAnchorPages pages;
  for (const std::string& raw : SplitString(output, '\n')) {
    const std::string line = Trim(raw);
    const size_t bracket = line.find(']');
    const size_t open = bracket == std::string::npos ? std::string::npos : line.find('"', bracket);
    const size_t close = line.rfind('"');
    if (open == std::string::npos || close == open) continue;
    char* end = nullptr;
    const long page = std::strtol(line.c_str(), &end, 10);
    if (end == line.c_str() || page < 1) continue;
    pages.emplace(line.substr(open + 1, close - open - 1), static_cast<int>(page));
  }
  return pages;
}

bool PdfDestinationReaderAvailable() { return !FindOnPath("pdfinfo").empty(); }

TPdfAnchorPages ReadPdfDestinations(const std::string& pdfPath) {
  const std::string pdfinfo = FindOnPath("pdfinfo");
  if (pdfinfo.empty()) throw EFolivaneError("pdfinfo not found: install poppler-utils");
  const TProcessResult r =
      RunProcessAndWait(pdfinfo, {"-dests", pdfPath}, ExtractFileDir(pdfPath), std::chrono::seconds(60));
  if (r.exitCode != 0) {
    throw EFolivaneError("pdfinfo could not read " + pdfPath + " (exit code " + std::to_string(r.exitCode) +
                         "): " + Trim(r.output));
  }
  return ParsePdfDestinations(r.output);
}

std::string RelativeUrl(std::string_view path) {
  static const char* const kHex = "0123456789ABCDEF";
  std::string url;
  for (const char c : path) {
    const auto u = static_cast<unsigned char>(c);
    const bool keep = (u >= 'a' && u <= 'z') || (u >= 'A' && u <= 'Z') || (u >= '0' && u <= '9') || c == '/' ||
                      c == '-' || c == '.' || c == '_' || c == '~';
    if (keep) {
      url += c;
    } else {
      url += '%';
      url += kHex[u >> 4];
      url += kHex[u & 15];
    }
  }
  return url;
}
