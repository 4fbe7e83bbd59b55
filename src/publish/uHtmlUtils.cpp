#include "uHtmlUtils.h"

#include <algorithm>
#include <cstring>
#include <filesystem>
#include <set>
#include <system_error>

#include "uRegex.h"
#include "uUtils.h"

namespace fs = std::filesystem;

// Whether s holds one of the two characters that fold to ASCII letters without case:
// U+017F (long s) and U+212A (Kelvin sign).
bool HasFoldingToAscii(std::string_view s) {
  return s.find("\xC5\xBF") != std::string_view::npos || s.find("\xE2\x84\xAA") != std::string_view::npos;
}

namespace {

const char kDocLinkPattern[] = "href\\s*=\\s*[\"']doc:([a-fA-F0-9]{32})[\"']";

const TRegex& DocLinkRegex() {
  static const TRegex& re = CachedRegex(kDocLinkPattern, roIgnoreCase);
  return re;
}

char LowerChar(char c) { return (c >= 'A' && c <= 'Z') ? static_cast<char>(c + 32) : c; }

// Whether s holds word (lower-case ASCII) at pos, letter case ignored.
bool HasTextAt(std::string_view s, size_t pos, std::string_view word) {
  if (pos > s.size() || s.size() - pos < word.size()) return false;
  for (size_t i = 0; i < word.size(); ++i) {
    if (LowerChar(s[pos + i]) != word[i]) return false;
  }
  return true;
}

size_t FindText(std::string_view s, std::string_view word, size_t from) { return FindTextNoCase(s, word, from); }

// Removes whole script and style elements (<script ...>...</script>), each as one space.
// The next closing tag of each kind is remembered, so the pass stays linear even when
// many elements are never closed.
std::string_view DropScriptAndStyle(std::string_view html, std::string& buffer) {
  if (FindText(html, "<script", 0) == std::string_view::npos &&
      FindText(html, "<style", 0) == std::string_view::npos && !HasFoldingToAscii(html)) {
    return html;
  }
  if (HasFoldingToAscii(html)) {
    // The pattern ignores case the Unicode way ("\u017F" matches "s"): let it decide.
    buffer = CachedRegex("<(script|style)[^>]*>.*?</\\1>", roIgnoreCase | roDotAll).ReplaceAll(html, " ");
    return buffer;
  }
  struct TKind {
    std::string_view open, close;
    size_t nextClose = 0;
    bool closeKnown = false;
  } kinds[2] = {{"<script", "</script>"}, {"<style", "</style>"}};

  buffer.clear();
  buffer.reserve(html.size());
  size_t copied = 0;
  for (size_t i = html.find('<'); i != std::string_view::npos; i = html.find('<', i + 1)) {
    for (TKind& kind : kinds) {
      if (!HasTextAt(html, i, kind.open)) continue;
      const size_t gt = html.find('>', i + kind.open.size());
      if (gt == std::string_view::npos) break;
      if (!kind.closeKnown || (kind.nextClose != std::string_view::npos && kind.nextClose < gt + 1)) {
        kind.nextClose = FindText(html, kind.close, gt + 1);
        kind.closeKnown = true;
      }
      if (kind.nextClose == std::string_view::npos) break;
      buffer.append(html.substr(copied, i - copied));
      buffer += ' ';
      copied = kind.nextClose + kind.close.size();
      i = copied - 1;
      break;
    }
  }
  buffer.append(html.substr(copied));
  return buffer;
}

bool IsRegexSpace(unsigned char c) { return c == ' ' || (c >= 9 && c <= 13); }

// The entity decoding of the search text, as if each entity were replaced everywhere in
// turn: &nbsp; &amp; &lt; &gt; &quot; &#39;. Since &amp; goes before the later ones, the
// ampersand it leaves may start one of them ("&amp;lt;" gives "<"). Returns the length
// consumed at pos and the decoded character in out.
size_t DecodeSearchEntity(std::string_view s, size_t pos, char& out) {
  static const struct {
    std::string_view text;
    char ch;
  } kLater[] = {{"lt;", '<'}, {"gt;", '>'}, {"quot;", '"'}, {"#39;", '\''}};
  if (HasTextAt(s, pos, "&nbsp;")) {
    out = ' ';
    return 6;
  }
  size_t start = pos + 1;
  size_t consumed = 0;
  if (HasTextAt(s, pos, "&amp;")) {
    consumed = 5;
    start = pos + 5;
    out = '&';
  }
  for (const auto& e : kLater) {
    if (HasTextAt(s, start, e.text)) {
      out = e.ch;
      return (start - pos) + e.text.size();
    }
  }
  return consumed;
}

// Writes the search text into a buffer as large as the input: every step only shortens
// the text (a tag becomes one space, an entity one character, a blank run one space).
class TFoldedWriter {
 public:
  explicit TFoldedWriter(size_t capacity) : FText(capacity, '\0'), FStart(FText.data()), FEnd(FStart) {}
  void Space() {
    if (FEnd == FStart || FEnd[-1] != ' ') *FEnd++ = ' ';
  }
  void Put(char c) {
    if (IsRegexSpace(static_cast<unsigned char>(c))) Space();
    else *FEnd++ = c;
  }
  void PutPlain(const char* from, size_t n) {
    std::memcpy(FEnd, from, n);
    FEnd += n;
  }
  std::string Finish() {
    FText.resize(static_cast<size_t>(FEnd - FStart));
    return Trim(FText);
  }

 private:
  std::string FText;
  char* FStart;
  char* FEnd;
};

bool IsPlainTextChar(unsigned char c) { return c != '<' && c != '&' && !IsRegexSpace(c); }

// The entries of a folder that the export may read, sorted: links that lead outside the
// project are noted in the guard and left out.
struct TFolderEntries {
  std::vector<fs::path> files, folders;
};

TFolderEntries ReadableEntries(const fs::path& folder, TPublishGuard& guard) {
  TFolderEntries entries;
  std::error_code ec;
  fs::directory_iterator it(folder, ec), end;
  for (; !ec && it != end; it.increment(ec)) {
    std::error_code entryError;  // a broken link is skipped, not an error
    if (it->is_symlink(entryError) && !guard.Boundary().Holds(it->path().string())) {
      guard.NoteSkipped(it->path().string());
      continue;
    }
    if (it->is_directory(entryError)) entries.folders.push_back(it->path());
    else if (it->is_regular_file(entryError)) entries.files.push_back(it->path());
  }
  if (ec) throw EFolivaneError("Cannot list folder " + folder.string() + ": " + ec.message());
  std::sort(entries.files.begin(), entries.files.end());
  std::sort(entries.folders.begin(), entries.folders.end());
  return entries;
}

// Copies one file into the export's output folder, which it must not leave.
void CopyInto(const fs::path& file, const fs::path& target, const TPublishGuard& guard) {
  CopyOutputFile(file.string(), guard.Output(target.string()));
}

// A folder of the copy, made once it is known to lie inside the output folder (its own
// name counts too: a link there would take every file elsewhere).
void MakeOutputFolder(const fs::path& folder, const TPublishGuard& guard) {
  guard.Output((folder / "x").string());
  EnsureDir(folder.string());
}

void CopyTreeWithFolders(const fs::path& source, const fs::path& destination, const fs::path& rel,
                         TPublishGuard& guard, std::set<fs::path>& visited, std::vector<std::string>& copied) {
  std::error_code ec;
  const fs::path canonical = fs::canonical(source, ec);
  if (!ec && !visited.insert(canonical).second) return;  // a linked folder seen before
  MakeOutputFolder(destination, guard);
  const TFolderEntries entries = ReadableEntries(source, guard);
  for (const fs::path& file : entries.files) {
    CopyInto(file, destination / file.filename(), guard);
    copied.push_back((rel / file.filename()).generic_string());
  }
  for (const fs::path& folder : entries.folders) {
    CopyTreeWithFolders(folder, destination / folder.filename(), rel / folder.filename(), guard, visited, copied);
  }
}

void ListFilesBelow(const fs::path& root, const fs::path& folder, std::vector<fs::path>& out,
                    TPublishGuard& guard, std::set<fs::path>& visited) {
  std::error_code ec;
  const fs::path canonical = fs::canonical(folder, ec);
  if (!ec && !visited.insert(canonical).second) return;
  const TFolderEntries entries = ReadableEntries(folder, guard);
  for (const fs::path& file : entries.files) out.push_back(file.lexically_relative(root));
  for (const fs::path& sub : entries.folders) ListFilesBelow(root, sub, out, guard, visited);
}

std::vector<std::string> CopyFilesOnly(const fs::path& source, const fs::path& destination, TPublishGuard& guard) {
  std::vector<fs::path> files;
  std::set<fs::path> visited;
  ListFilesBelow(source, source, files, guard, visited);
  std::sort(files.begin(), files.end());
  MakeOutputFolder(destination, guard);
  std::vector<std::string> copied;
  for (const fs::path& rel : files) {
    const fs::path target = destination / rel;
    MakeOutputFolder(target.parent_path(), guard);
    CopyInto(source / rel, target, guard);
    copied.push_back(rel.generic_string());
  }
  return copied;
}

}  // namespace

size_t FindTextNoCase(std::string_view s, std::string_view lowerWord, size_t from) {
  const size_t m = lowerWord.size();
  if (from > s.size() || s.size() - from < m) return std::string_view::npos;
  if (m == 0) return from;
  // A character without letter case is found with memchr; the word is checked around it.
  size_t anchor = 0;
  while (anchor < m && ((lowerWord[anchor] >= 'a' && lowerWord[anchor] <= 'z'))) ++anchor;
  if (anchor < m) {
    const char* base = s.data();
    const char* p = base + from + anchor;
    const char* last = base + (s.size() - m) + anchor;  // the anchor of the last possible place
    while (p <= last) {
      p = static_cast<const char*>(std::memchr(p, lowerWord[anchor], static_cast<size_t>(last - p) + 1));
      if (!p) break;
      const size_t pos = static_cast<size_t>(p - base) - anchor;
      if (HasTextAt(s, pos, lowerWord)) return pos;
      ++p;
    }
    return std::string_view::npos;
  }
  // Letters only: a Horspool search with a case-folded skip table.
  const char tail = lowerWord[m - 1];
  unsigned char skip[256];
  std::fill(std::begin(skip), std::end(skip), static_cast<unsigned char>(std::min<size_t>(m, 255)));
  for (size_t i = 0; i + 1 < m; ++i) {
    const auto shift = static_cast<unsigned char>(std::min<size_t>(m - 1 - i, 255));
    const char c = lowerWord[i];
    skip[static_cast<unsigned char>(c)] = shift;
    skip[static_cast<unsigned char>(c - 32)] = shift;
  }
  for (size_t pos = from; pos + m <= s.size();) {
    const char c = s[pos + m - 1];
    if (LowerChar(c) == tail && HasTextAt(s, pos, lowerWord.substr(0, m - 1))) return pos;
    pos += skip[static_cast<unsigned char>(c)];
  }
  return std::string_view::npos;
}

std::string HtmlToPlainText(std::string_view html) {
  std::string withoutScripts;
  const std::string_view s = DropScriptAndStyle(html, withoutScripts);
  TFoldedWriter out(s.size());
  size_t i = 0;
  while (i < s.size()) {
    size_t plain = i;
    while (plain < s.size() && IsPlainTextChar(static_cast<unsigned char>(s[plain]))) ++plain;
    if (plain > i) {
      out.PutPlain(s.data() + i, plain - i);
      i = plain;
      continue;
    }
    const char c = s[i];
    if (c == '<') {
      const size_t gt = s.find('>', i + 1);
      // With no ">" left, no tag can close any more: the rest is text.
      if (gt != std::string_view::npos && gt > i + 1) {
        out.Space();
        i = gt + 1;
        continue;
      }
    } else if (c == '&') {
      char decoded = 0;
      if (const size_t used = DecodeSearchEntity(s, i, decoded)) {
        out.Put(decoded);
        i += used;
        continue;
      }
    }
    out.Put(c);
    ++i;
  }
  return out.Finish();
}

std::vector<std::string> ExtractDocLinkIds(std::string_view html) {
  std::vector<std::string> ids;
  if (FindText(html, "doc:", 0) == std::string_view::npos) return ids;
  for (const TRegexMatch& m : DocLinkRegex().FindAll(html)) ids.emplace_back(m.Group(1));
  return ids;
}

std::string RewriteDocLinks(std::string_view html, const TDocLinkResolver& resolver) {
  if (FindText(html, "doc:", 0) == std::string_view::npos) return std::string(html);
  const std::vector<TRegexMatch> matches = DocLinkRegex().FindAll(html);
  if (matches.empty()) return std::string(html);
  std::string out;
  out.reserve(html.size() + 64);
  size_t copied = 0;
  for (const TRegexMatch& m : matches) {
    out.append(html.substr(copied, m.Start() - copied));
    const std::string target = resolver ? resolver(std::string(m.Group(1))) : std::string();
    out += "href=\"";
    out += target.empty() ? std::string("#") : target;
    out += '"';
    copied = m.End();
  }
  out.append(html.substr(copied));
  return out;
}

std::string HtmlEscape(std::string_view text) {
  std::string out;
  out.reserve(text.size() + text.size() / 8);
  for (char c : text) {
    switch (c) {
      case '&': out += "&amp;"; break;
      case '<': out += "&lt;"; break;
      case '>': out += "&gt;"; break;
      case '"': out += "&quot;"; break;
      case '\'': out += "&#39;"; break;
      default: out += c;
    }
  }
  return out;
}

std::string EncodeHtmlText(std::string_view text) {
  std::string out;
  out.reserve(text.size() + text.size() / 8);
  for (char c : text) {
    switch (c) {
      case '&': out += "&amp;"; break;
      case '<': out += "&lt;"; break;
      case '>': out += "&gt;"; break;
      case '"': out += "&quot;"; break;
      default: out += c;
    }
  }
  return out;
}

std::string NeutraliseWhiteBackgrounds(std::string_view html, TPublishForm form) {
  static const struct {
    const char* found;
    const char* replacement;
  } kRows[] = {
      {"background-color: rgb(255, 255, 255)", "background-color: transparent"},
      {"background-color:rgb(255, 255, 255)", "background-color: transparent"},
      {"background-color:#ffffff", "background-color: transparent"},
      {"background-color: #ffffff", "background-color: transparent"},
      {"background-color:#fff", "background-color: transparent"},
      {"background-color: #fff", "background-color: transparent"},
      {"background-color:white", "background-color: transparent"},
      {"background-color: white", "background-color: transparent"},
      {"background: rgb(255, 255, 255)", "background: transparent"},
      {"background:#ffffff", "background: transparent"},
      {"background:#fff", "background: transparent"},
      {"background:white", "background: transparent"},
  };
  if (form == TPublishForm::Pdf || FindText(html, "background", 0) == std::string_view::npos) {
    return std::string(html);
  }
  const size_t rows = form == TPublishForm::WebHelp ? 12 : 8;
  std::string out(html);
  for (size_t r = 0; r < rows; ++r) {
    if (FindText(out, kRows[r].found, 0) != std::string::npos) {
      out = ReplaceAllText(out, kRows[r].found, kRows[r].replacement);
    }
  }
  return out;
}

std::string RewriteAssetPaths(std::string_view html, TPublishForm form) {
  switch (form) {
    case TPublishForm::WebHelp: {
      const std::string step = ReplaceAll(html, "src=\"assets/", "src=\"../assets/");
      return ReplaceAll(step, "href=\"assets/", "href=\"../assets/");
    }
    case TPublishForm::Chm: {
      // Links too (imported style sheets, attached files): left as they were, they would
      // point into topics/ inside the compiled file, where nothing lies.
      std::string out(html);
      for (const char* attribute : {"src", "href"}) {
        const std::string quoted = std::string(attribute) + "=\"";
        out = ReplaceAllText(out, quoted + "assets/", quoted + "../assets/");
        out = ReplaceAllText(out, quoted + "/assets/", quoted + "../assets/");
      }
      return out;
    }
    case TPublishForm::Pdf:
      break;
  }
  return std::string(html);
}

TPublishHeader LookupTopicHeader(const TDocProject& project, const std::string& topicID, TPublishForm form) {
  TPublishHeader header = ResolvePublishHeader(project.RootPath(), topicID);
  if (Trim(header.html).empty()) {
    const std::string title = form == TPublishForm::Chm ? EncodeHtmlText(project.Title()) : project.Title();
    header.html = "<div style=\"font-size:14px;\"><b>" + title + "</b></div>";
  }
  return header;
}

std::vector<std::string> CopyFolderTree(const std::string& source, const std::string& destination, TPublishForm form,
                                        TPublishGuard& guard) {
  if (!DirExists(source)) return {};
  if (!guard.MayRead(ExcludeTrailingDelimiter(source))) return {};
  if (form == TPublishForm::Pdf) return CopyFilesOnly(fs::path(source), fs::path(destination), guard);
  std::set<fs::path> visited;
  std::vector<std::string> copied;
  CopyTreeWithFolders(fs::path(source), fs::path(destination), fs::path(), guard, visited, copied);
  return copied;
}
