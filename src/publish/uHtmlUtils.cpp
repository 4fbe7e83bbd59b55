#include "uHtmlUtils.h"

#include <algorithm>
#include <cstring>
#include <filesystem>
#include <set>
#include <system_error>

#include "uRegex.h"
#include "uUtils.h"

namespace fs = std::filesystem;

namespace {

const char kDocLinkPattern[] = "href\\s*=\\s*[\"']doc:([a-fA-F0-9]{32})[\"']";

const TRegex& DocLinkRegex() {
  static const TRegex& re = CachedRegex(kDocLinkPattern, roIgnoreCase);
  return re;
}

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

void CopyTreeWithFolders(const fs::path& source, const fs::path& destination, const fs::path& rel, TPublishGuard& guard,
                         std::set<fs::path>& visited, std::vector<std::string>& copied) {
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

void ListFilesBelow(const fs::path& root, const fs::path& folder, std::vector<fs::path>& out, TPublishGuard& guard,
                    std::set<fs::path>& visited) {
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

std::vector<std::string> ExtractDocLinkIds(std::string_view html) {
  std::vector<std::string> ids;
  if (FindTextNoCase(html, "doc:") == std::string_view::npos) return ids;
  for (const TRegexMatch& m : DocLinkRegex().FindAll(html)) ids.emplace_back(m.Group(1));
  return ids;
}

std::string RewriteDocLinks(std::string_view html, const TDocLinkResolver& resolver) {
  if (FindTextNoCase(html, "doc:") == std::string_view::npos) return std::string(html);
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
  if (form == TPublishForm::Pdf || FindTextNoCase(html, "background") == std::string_view::npos) {
    return std::string(html);
  }
  const size_t rows = form == TPublishForm::WebHelp ? 12 : 8;
  std::string out(html);
  for (size_t r = 0; r < rows; ++r) {
    if (FindTextNoCase(out, kRows[r].found) != std::string::npos) {
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
    case TPublishForm::Pdf: break;
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

std::unordered_set<std::string> NamesInFolder(const std::string& dir) {
  std::unordered_set<std::string> names;
  std::error_code ec;
  for (fs::directory_iterator it(dir, ec), end; !ec && it != end; it.increment(ec)) {
    names.insert(it->path().filename().string());
  }
  return names;
}
