#include "uExportPdf.h"

#include <fcntl.h>
#include <sys/file.h>
#include <unistd.h>

#include <algorithm>
#include <cctype>
#include <cstdlib>
#include <filesystem>
#include <thread>
#include <unordered_set>

#include "uHtmlUtils.h"
#include "uPdfBook.h"
#include "uPlatform.h"
#include "uProjectSettings.h"
#include "uReusableContent.h"
#include "uSettingsCss.h"
#include "uStorage.h"
#include "uTranslation.h"

namespace {

constexpr const char* kCrLf = "\r\n";
constexpr const char* kProfileFolderName = "EdgePdfProfile";
constexpr const char* kBrowserCandidates[] = {"chromium", "chromium-browser", "google-chrome", "microsoft-edge"};

struct TManualEntry {
  const TTopic* topic;
  int depth;
};

// Depth first in tree order; an excluded topic drops its whole subtree.
std::vector<TManualEntry> ManualEntries(const TDocProject& project) {
  std::vector<TManualEntry> out;
  project.WalkTopics([&out](const TTopic& topic, int depth) {
    if (topic.ExcludePdf()) return TWalkAction::SkipChildren;
    out.push_back({&topic, depth});
    return TWalkAction::Descend;
  });
  return out;
}

std::string ReadTopicPage(const TDocProject& project, const TTopic& topic, TPublishGuard& guard) {
  const std::string path = TopicFilePath(project, topic.ID());
  if (!FileExists(path) || !guard.MayRead(path)) return "";
  try {
    return ReadTextFileUtf8(path);
  } catch (const EFolivaneError& e) {
    throw EFolivaneError("Cannot read the page of topic \"" + topic.Title() + "\": " + e.what());
  }
}

// One topic's section. anchor: an id for the heading, which the contents link to ("" none).
void AppendSection(std::string& out, const TDocProject& project, const TManualEntry& entry, TPublishGuard& guard,
                   const std::string& title, const std::string& anchor = "") {
  const TTopic& topic = *entry.topic;
  std::string body = ExpandReusableContent(project, ReadTopicPage(project, topic, guard));
  body = RewriteDocLinks(body,
                         [&project](const std::string& id) { return project.HasTopic(id) ? "#" + id : std::string(); });
  const std::string tag = "h" + std::to_string(std::min(entry.depth + 1, 6));
  out += "<section id=\"" + topic.ID() + "\">" + kCrLf;
  out += "<" + tag + " class=\"" + kPdfTopicTitleClass + "\"" + (anchor.empty() ? "" : " id=\"" + anchor + "\"") + ">" +
         EncodeHtmlText(title) + "</" + tag + ">" + kCrLf;
  out += body;
  out += kCrLf;
  out += "</section>";
  out += kCrLf;
}

void AppendLines(std::string& out, std::initializer_list<const char*> lines) {
  for (const char* line : lines) {
    out += line;
    out += kCrLf;
  }
}

void AppendCodePoint(std::string& out, unsigned long code) {
  // NUL, surrogates and values past Unicode cannot stand in UTF-8 text.
  if (code == 0 || (code >= 0xD800 && code <= 0xDFFF) || code > 0x10FFFF) code = 0xFFFD;
  AppendUtf8(out, static_cast<char32_t>(code));
}

bool IsHexDigit(char c) { return std::isxdigit(static_cast<unsigned char>(c)) != 0; }
bool IsDecDigit(char c) { return c >= '0' && c <= '9'; }

// A numeric reference "&#123;", "&#x7B;" or "&#$7B;" at text[pos]; returns its length or 0.
size_t DecodeNumericReference(std::string_view text, size_t pos, std::string& out) {
  size_t i = pos + 2;
  bool hex = false;
  if (i < text.size() && (text[i] == 'x' || text[i] == 'X' || text[i] == '$')) {
    hex = true;
    ++i;
  }
  const size_t digitsStart = i;
  unsigned long code = 0;
  while (i < text.size() && (hex ? IsHexDigit(text[i]) : IsDecDigit(text[i]))) {
    const char c = text[i];
    const unsigned digit = IsDecDigit(c) ? unsigned(c - '0') : unsigned((c | 0x20) - 'a' + 10);
    if (code <= 0x10FFFF) code = code * (hex ? 16 : 10) + digit;  // past Unicode stays past it
    ++i;
  }
  if (i == digitsStart || i >= text.size() || text[i] != ';') return 0;
  AppendCodePoint(out, code);
  return i + 1 - pos;
}

std::string DecodeCharacterReferences(std::string_view text) {
  // The markup five, and the typographic ones editors write into headers, which would
  // otherwise reach the heading as literal "&nbsp;" or "&middot;".
  static const std::pair<std::string_view, std::string_view> kNamed[] = {{"&amp;", "&"},
                                                                         {"&lt;", "<"},
                                                                         {"&gt;", ">"},
                                                                         {"&quot;", "\""},
                                                                         {"&apos;", "'"},
                                                                         {"&nbsp;", "\xC2\xA0"},
                                                                         {"&middot;", "\xC2\xB7"},
                                                                         {"&copy;", "\xC2\xA9"},
                                                                         {"&reg;", "\xC2\xAE"},
                                                                         {"&trade;", "\xE2\x84\xA2"},
                                                                         {"&hellip;", "\xE2\x80\xA6"},
                                                                         {"&ndash;", "\xE2\x80\x93"},
                                                                         {"&mdash;", "\xE2\x80\x94"},
                                                                         {"&lsquo;", "\xE2\x80\x98"},
                                                                         {"&rsquo;", "\xE2\x80\x99"},
                                                                         {"&ldquo;", "\xE2\x80\x9C"},
                                                                         {"&rdquo;", "\xE2\x80\x9D"},
                                                                         {"&laquo;", "\xC2\xAB"},
                                                                         {"&raquo;", "\xC2\xBB"},
                                                                         {"&bull;", "\xE2\x80\xA2"},
                                                                         {"&euro;", "\xE2\x82\xAC"},
                                                                         {"&deg;", "\xC2\xB0"},
                                                                         {"&times;", "\xC3\x97"}};
  std::string out;
  out.reserve(text.size());
  size_t i = 0;
  while (i < text.size()) {
    if (text[i] != '&') {
      out += text[i++];
      continue;
    }
    size_t used = 0;
    if (text.substr(i, 2) == "&#") {
      used = DecodeNumericReference(text, i, out);
    } else {
      for (const auto& [name, decoded] : kNamed) {
        if (text.substr(i, name.size()) == name) {
          out += decoded;
          used = name.size();
          break;
        }
      }
    }
    if (used == 0) {
      out += '&';
      used = 1;
    }
    i += used;
  }
  return out;
}

// Holds the shared browser profile while one print uses it. A second export at the same
// time gets a profile of its own: Chromium refuses to start twice on one profile.
class TBrowserProfile {
 public:
  TBrowserProfile() {
    const std::string shared = PathJoin(TempDir(), kProfileFolderName);
    EnsureDir(shared);
    FLockFd = ::open((shared + ".lock").c_str(), O_RDWR | O_CREAT | O_CLOEXEC, 0600);
    if (FLockFd >= 0 && ::flock(FLockFd, LOCK_EX | LOCK_NB) == 0) {
      FDir = shared;
      return;
    }
    FDir = EnsureDir(shared + "-" + NewGuidHex());
    FOwnsDir = true;
  }
  ~TBrowserProfile() {
    if (FLockFd >= 0) ::close(FLockFd);  // releases the lock
    if (FOwnsDir) {
      try {
        DeleteFolderTree(FDir);
      } catch (const std::exception&) {
        // A leftover folder in the temporary folder is harmless.
      }
    }
  }
  TBrowserProfile(const TBrowserProfile&) = delete;
  TBrowserProfile& operator=(const TBrowserProfile&) = delete;
  const std::string& Dir() const { return FDir; }

 private:
  std::string FDir;
  int FLockFd = -1;
  bool FOwnsDir = false;
};

// The browser's own error line, without its "[pid:tid:time:ERROR:file.cc:1] " prefix;
// Chromium's complaints about a missing session bus are noise here.
std::string BrowserErrorDetail(const std::string& output) {
  std::string detail;
  for (const std::string& raw : SplitString(output, '\n')) {
    const std::string line = Trim(raw);
    if (line.empty() || line.find("dbus") != std::string::npos) continue;
    if (line.find(":ERROR:") == std::string::npos && line.find("rror") == std::string::npos) continue;
    const size_t close = line.front() == '[' ? line.find("] ") : std::string::npos;
    detail = close == std::string::npos ? line : line.substr(close + 2);
  }
  return detail;
}

std::string DurationText(std::chrono::milliseconds timeout) {
  const long long ms = timeout.count();
  if (ms % 1000 != 0) return std::to_string(ms) + " ms";
  const long long s = ms / 1000;
  return std::to_string(s) + (s == 1 ? " second" : " seconds");
}

void OpenIgnoringErrors(const std::string& target) {
  try {
    OpenWithAssociatedProgram(target);
  } catch (const std::exception&) {
    // Opening the result is a courtesy; the export itself has succeeded.
  }
}

constexpr const char* kLayoutPdfName = "manual-layout.pdf";

// The manual in the pieces a second print changes: the contents stand between the head
// and cover before them and the sections after them.
struct TManualParts {
  std::string Head;  // up to </head>, not included
  std::string Cover;
  bool HasContents = false;
  std::vector<TPdfContentsEntry> Contents;
  std::string Body;  // the sections
};

// The layout pass: every box keeps its place, nothing is painted.
constexpr const char* kLayoutPassStyle = "<style>body * { visibility: hidden !important; }</style>";

std::string ComposeManual(const TManualParts& parts, const TPdfAnchorPages* pages, bool layoutPass) {
  std::string out;
  out.reserve(parts.Head.size() + parts.Cover.size() + parts.Body.size() + parts.Contents.size() * 200 + 256);
  out += parts.Head;
  if (layoutPass) out += std::string(kLayoutPassStyle) + kCrLf;
  AppendLines(out, {"</head>", "<body>"});
  out += parts.Cover;
  if (parts.HasContents) out += PdfContentsHtml(parts.Contents, pages);
  out += parts.Body;
  AppendLines(out, {"</body>", "</html>"});
  return out;
}

// Plain text of a cover field with the project's variables expanded.
std::string CoverText(const TDocProject& project, const std::string& field) {
  return HeaderPlainText(ExpandReusableContent(project, EncodeHtmlText(field)));
}

// The logo's address in the manual: a file under the project's assets folder, which the
// export copies beside the manual. Anything else is left out with a warning.
std::string LogoAddress(const TDocProject& project, const std::string& logo, TPublishGuard& guard,
                        std::vector<std::string>& warnings) {
  if (logo.empty()) return "";
  const std::vector<std::string> parts = SplitString(logo, '/');
  bool plain = parts.size() >= 2 && parts[0] == "assets";
  for (const std::string& part : parts) {
    if (part.empty() || part == "." || part == "..") plain = false;
  }
  const std::string path = PathJoin(project.RootPath(), logo);
  if (plain && FileExists(path)) return guard.MayRead(path) ? RelativeUrl(logo) : "";  // the guard notes a refusal
  warnings.push_back(FormatText(
      TranslateText("The cover logo %s is not a file in the project's assets folder: the cover has no logo"), {logo}));
  return "";
}

void AppendPlainHead(std::string& out) {
  // The body margin needs a unit: a bare number is ignored. It only pads the start and the
  // end of the body, so the pages get top and bottom margins of their own; the browser
  // prints no header or footer into them.
  AppendLines(out, {"<link rel=\"stylesheet\" href=\"style.css\">", "<style>", "@page {", "  size: auto;",
                    "  margin: 12mm 0;", "}", "html, body { margin:20px; }", "</style>"});
}

TManualParts BuildManualParts(const TDocProject& project, const TProjectSettings* settings,
                              const TProgressCallback& progress, TPublishGuard& guard,
                              std::vector<std::string>& warnings) {
  const std::vector<TManualEntry> entries = ManualEntries(project);
  const bool book = settings && settings->PdfBookLayout();
  std::vector<std::string> titles;
  std::vector<std::string> chapterTitles;
  for (const TManualEntry& entry : entries) {
    titles.push_back(PdfHeadingTitle(project, *entry.topic, &guard));
    if (entry.depth == 0) chapterTitles.push_back(titles.back());
  }

  TManualParts parts;
  std::string& head = parts.Head;
  AppendLines(head, {"<!doctype html>", "<html>", "<head>", "<meta charset=\"utf-8\">"});
  head += "<title>" + EncodeHtmlText(project.Title()) + "</title>" + kCrLf;
  if (!book) {
    AppendPlainHead(head);
  } else {
    AppendLines(head, {"<link rel=\"stylesheet\" href=\"style.css\">", "<style>"});
    head += PdfBookCss(*settings, chapterTitles);
    AppendLines(head, {"</style>"});
    if (settings->PdfCover) {
      const std::string title = Trim(project.Title()).empty() ? settings->ProjTitle : project.Title();
      parts.Cover =
          PdfCoverHtml(title, CoverText(project, settings->PdfSubtitle), CoverText(project, settings->PdfVersionLine),
                       LogoAddress(project, settings->PdfLogo, guard, warnings));
    }
    parts.HasContents = settings->PdfContents;
  }

  const int total = static_cast<int>(entries.size());
  std::string& out = parts.Body;
  out.reserve(entries.size() * 2048);
  if (progress) progress(0, total);
  size_t chapter = 0;
  for (size_t i = 0; i < entries.size(); ++i) {
    const TManualEntry& entry = entries[i];
    std::string anchor;
    if (book && entry.depth == 0) {
      if (i > 0) AppendLines(out, {"</div>"});
      out += "<div class=\"zd-chapter " + PdfChapterPageName(chapter++) + "\">" + kCrLf;
    }
    if (parts.HasContents && entry.depth < settings->PdfContentsDepth) {
      anchor = PdfHeadingAnchor(i);
      parts.Contents.push_back({anchor, titles[i], entry.depth + 1});
    }
    AppendSection(out, project, entry, guard, titles[i], anchor);
    if (progress) progress(static_cast<int>(i + 1), total);
  }
  if (book && !entries.empty()) AppendLines(out, {"</div>"});
  return parts;
}

}  // namespace

std::string HeaderPlainText(std::string_view html) {
  std::string text;
  text.reserve(html.size());
  bool inTag = false;
  for (const char c : html) {
    if (c == '<') {
      inTag = true;
    } else if (c == '>') {
      inTag = false;
    } else if (!inTag) {
      text += c;
    }
  }
  return Trim(ReplaceAll(DecodeCharacterReferences(text), "\xC2\xA0", " "));
}

std::string PdfHeadingTitle(const TDocProject& project, const TTopic& topic, TPublishGuard* guard) {
  // Only the topic's own header names its section: the project's default header is the
  // same band on every page and would give every section one and the same heading.
  const std::string path = HeaderHtmlPath(project, topic.ID());
  if (FileExists(path) && (guard ? guard->MayRead(path) : TFolderBoundary(project.RootPath()).Holds(path))) {
    const std::string title = HeaderPlainText(ReadTextFileUtf8(path));
    if (!title.empty()) return title;
  }
  return topic.Title();
}

std::string BuildPdfManualHtml(const TDocProject& project, const TProgressCallback& progress, TPublishGuard* guard,
                               const TProjectSettings* settings, std::vector<std::string>* warnings) {
  TPublishGuard ownGuard(project.RootPath(), "");  // reads only
  std::vector<std::string> ownWarnings;
  return ComposeManual(
      BuildManualParts(project, settings, progress, guard ? *guard : ownGuard, warnings ? *warnings : ownWarnings),
      nullptr, false);
}

namespace {

TProjectSettings SettingsFor(const TDocProject& project, const TProjectSettings* given) {
  if (given) return *given;
  TProjectSettings settings;
  settings.LoadFromFile(TProjectSettings::DefaultSettingsPathForProject(project.RootPath()));
  return settings;
}

struct TWrittenManual {
  std::string HtmlPath;
  TManualParts Parts;
};

TWrittenManual WriteManualFiles(const TDocProject& project, const std::string& outDir,
                                const TProgressCallback& progress, std::vector<std::string>* warnings,
                                const TProjectSettings& settings) {
  CheckOutputFolder(project.RootPath(), outDir);
  EnsureDir(outDir);
  const auto output = [&outDir](const char* name) { return CheckedOutputPath(outDir, PathJoin(outDir, name)); };
  TWrittenManual written;
  written.HtmlPath = output("manual.html");
  const std::string pdfPath = output("manual.pdf");
  try {
    DeleteFileIfExists(written.HtmlPath);
  } catch (const EFolivaneError&) {
    // The new manual replaces it atomically anyway.
  }
  // An old PDF left in place would pass for the result of a failed print.
  try {
    DeleteFileIfExists(pdfPath);
    DeleteFileIfExists(output(kLayoutPdfName));
  } catch (const EFolivaneError& e) {
    throw EFolivaneError("Cannot replace the previous PDF: " + std::string(e.what()));
  }

  RemoveStaleWriteTemps(outDir);
  TPublishGuard guard(project.RootPath(), outDir);
  std::vector<std::string> notes;
  written.Parts = BuildManualParts(project, &settings, progress, guard, notes);

  guard.MayRead(StyleProfilePath(project));  // the style sheet leaves out a profile that leads outside
  WriteTextFileUtf8(output("style.css"), BuildPdfStyleCss(project, &settings));

  const std::string assets = PathJoin(project.RootPath(), "assets");
  if (DirExists(assets)) CopyFolderTree(assets, PathJoin(outDir, "assets"), TPublishForm::Pdf, guard);
  guard.AppendWarnings(warnings);
  if (warnings) warnings->insert(warnings->end(), notes.begin(), notes.end());
  // The manual comes last, so it never stands beside the last run's style sheet.
  WriteTextFileUtf8(written.HtmlPath, ComposeManual(written.Parts, nullptr, false));
  return written;
}

void PrintAndWait(const std::string& htmlPath, const std::string& pdfPath, const TPdfExportOptions& options,
                  bool outline) {
  PrintWithBrowser(htmlPath, pdfPath, options.BrowserTimeout, outline);
  WaitForPdf(pdfPath, kPdfWaitTimeout);
}

bool SamePages(const std::vector<TPdfContentsEntry>& entries, const TPdfAnchorPages& a, const TPdfAnchorPages& b) {
  for (const TPdfContentsEntry& entry : entries) {
    const auto x = a.find(entry.Anchor);
    const auto y = b.find(entry.Anchor);
    if ((x == a.end()) != (y == b.end()) || (x != a.end() && x->second != y->second)) return false;
  }
  return true;
}

// The contents' page numbers come from a first print: its layout pass shows nothing but
// lays the pages out as the final print does, since only the contents' numbers change
// and they have a fixed width. The final print is checked against the pages it was
// given and printed once more should a heading have moved all the same.
void PrintWithPageNumbers(const TWrittenManual& written, const std::string& pdfPath, const TPdfExportOptions& options) {
  const std::string outDir = ExtractFileDir(written.HtmlPath);
  const std::string layoutPdf = CheckedOutputPath(outDir, PathJoin(outDir, kLayoutPdfName));
  WriteTextFileUtf8(written.HtmlPath, ComposeManual(written.Parts, nullptr, true));
  PrintAndWait(written.HtmlPath, layoutPdf, options, false);
  TPdfAnchorPages pages;
  try {
    pages = ReadPdfDestinations(layoutPdf);
  } catch (const EFolivaneError& e) {
    throw EFolivaneError("The page numbers of the contents could not be read from the first print (" +
                         std::string(kLayoutPdfName) + "): " + e.what());
  }
  DeleteFileIfExists(layoutPdf);
  for (int print = 0; print < 2; ++print) {
    WriteTextFileUtf8(written.HtmlPath, ComposeManual(written.Parts, &pages, false));
    DeleteFileIfExists(pdfPath);
    PrintAndWait(written.HtmlPath, pdfPath, options, true);
    const TPdfAnchorPages printed = ReadPdfDestinations(pdfPath);
    if (SamePages(written.Parts.Contents, pages, printed)) return;
    pages = printed;
  }
}

}  // namespace

std::string WritePdfManualFiles(const TDocProject& project, const std::string& outDir,
                                const TProgressCallback& progress, std::vector<std::string>* warnings,
                                const TProjectSettings* settings) {
  return WriteManualFiles(project, outDir, progress, warnings, SettingsFor(project, settings)).HtmlPath;
}

std::string PdfOutputFolder(const TDocProject& project) { return PathJoin(BuildFolder(project), "pdf"); }

std::string ExportPdf(const TDocProject& project, const std::string& outDir, const TPdfExportOptions& options) {
  const TProjectSettings settings = SettingsFor(project, options.Settings);
  const TWrittenManual written = WriteManualFiles(project, outDir, options.Progress, options.Warnings, settings);
  const std::string pdfPath = PathJoin(outDir, "manual.pdf");
  const bool numbered = written.Parts.HasContents && !written.Parts.Contents.empty();
  if (numbered && PdfDestinationReaderAvailable()) {
    PrintWithPageNumbers(written, pdfPath, options);
  } else {
    if (numbered && options.Warnings)
      options.Warnings->push_back(TranslateText(
          "The contents have no page numbers: they are read from a first print with pdfinfo, which is not "
          "installed (package poppler-utils)"));
    PrintAndWait(written.HtmlPath, pdfPath, options, true);
  }
  if (options.OpenPdf) OpenIgnoringErrors(pdfPath);
  return pdfPath;
}

std::string FindPdfBrowser() {
  const char* chosen = std::getenv("FOLIVANE_BROWSER");
  if (chosen && *chosen) {
    const std::string path = FindOnPath(chosen);
    if (path.empty() || !FileExists(path)) {
      throw EFolivaneError(std::string("Chromium not found: FOLIVANE_BROWSER names \"") + chosen +
                           "\", which is not a program that can be run. Set it to a Chromium-family "
                           "browser, or unset it to use chromium from PATH");
    }
    return path;
  }
  for (const char* name : kBrowserCandidates) {
    const std::string path = FindOnPath(name);
    if (!path.empty()) return path;
  }
  throw EFolivaneError(
      "Chromium not found. PDF export prints through a headless Chromium-family browser: install the "
      "chromium package (sudo apt install chromium), or set FOLIVANE_BROWSER to the browser's path");
}

std::string PdfPageAddress(const std::string& htmlPath) {
  std::string address = "file://";
  for (const char c : ExpandFileName(htmlPath)) {
    switch (c) {
      case '%': address += "%25"; break;
      case '#': address += "%23"; break;
      case '?': address += "%3F"; break;
      default: address += c;
    }
  }
  return address;
}

std::vector<std::string> PdfBrowserArguments(const std::string& htmlPath, const std::string& pdfPath,
                                             const std::string& profileDir, bool outline) {
  std::vector<std::string> args = {"--headless",
                                   "--disable-gpu",
                                   "--no-first-run",
                                   "--no-default-browser-check",
                                   "--disable-print-preview",
                                   "--kiosk-printing",
                                   "--no-pdf-header-footer",
                                   "--generate-pdf-document-outline",
                                   "--disable-background-networking",
                                   "--disable-component-update",
                                   "--disable-sync"};
  if (!outline) std::erase(args, std::string("--generate-pdf-document-outline"));
  if (RunningAsRoot()) args.push_back("--no-sandbox");  // Chromium refuses to run as root otherwise
  args.push_back("--user-data-dir=" + profileDir);
  args.push_back("--print-to-pdf=" + pdfPath);
  args.push_back(PdfPageAddress(htmlPath));
  return args;
}

void PrintWithBrowser(const std::string& htmlPath, const std::string& pdfPath, std::chrono::milliseconds timeout,
                      bool outline) {
  const std::string browser = FindPdfBrowser();
  const TBrowserProfile profile;
  const TProcessResult result = RunProcessAndWait(
      browser, PdfBrowserArguments(htmlPath, pdfPath, profile.Dir(), outline), ExtractFileDir(htmlPath), timeout);
  if (result.timedOut) {
    try {
      DeleteFileIfExists(pdfPath);  // whatever the ended browser left is no PDF to trust
    } catch (const EFolivaneError&) {
    }
    throw EFolivaneError("The browser did not finish printing the manual within " + DurationText(timeout) +
                         " and was stopped (" + browser + ")");
  }
  const std::string detail = BrowserErrorDetail(result.output);
  if (result.exitCode != 0) {
    throw EFolivaneError("The browser could not print the manual (" + browser + " exited with code " +
                         std::to_string(result.exitCode) + (detail.empty() ? ")" : "): " + detail));
  }
  if (!FileExists(pdfPath) && !detail.empty()) {
    throw EFolivaneError("PDF file was not created: the browser reported " + detail);
  }
}

void WaitForPdf(const std::string& pdfPath, std::chrono::milliseconds timeout) {
  const auto start = std::chrono::steady_clock::now();
  for (;;) {
    std::error_code ec;
    const auto size = std::filesystem::file_size(pdfPath, ec);
    if (!ec && size > 0) return;
    if (std::chrono::steady_clock::now() - start > timeout) break;
    std::this_thread::sleep_for(std::chrono::milliseconds(50));
  }
  throw EFolivaneError("PDF file was not created in time");
}
