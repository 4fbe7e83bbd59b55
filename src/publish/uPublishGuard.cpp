#include "uPublishGuard.h"

#include <sys/stat.h>

#include <algorithm>

#include "uTranslation.h"
#include "uUtils.h"

TPublishGuard::TPublishGuard(const std::string& projectRoot, const std::string& outDir)
    : FBoundary(projectRoot), FOutDir(outDir) {}

const std::string& TPublishGuard::Output(const std::string& path) const {
  const std::string folder = ExtractFileDir(path);
  if (IsLexicallyInside(path, FOutDir) && path != FOutDir) {
    std::lock_guard<std::mutex> guard(FLock);
    if (FOutputFolders.count(folder)) return path;
  }
  CheckedOutputPath(FOutDir, path);
  std::lock_guard<std::mutex> guard(FLock);
  FOutputFolders.insert(folder);
  return path;
}

bool TPublishGuard::FolderHolds(const std::string& folder) {
  {
    std::lock_guard<std::mutex> guard(FLock);
    const auto it = FFolders.find(folder);
    if (it != FFolders.end()) return it->second;
  }
  const bool holds = FBoundary.Holds(folder);
  std::lock_guard<std::mutex> guard(FLock);
  FFolders.emplace(folder, holds);
  return holds;
}

bool TPublishGuard::MayRead(const std::string& path) {
  struct stat st;
  if (::lstat(path.c_str(), &st) != 0) return true;
  // Most files are no links: their folder decides, and a folder is judged once.
  const bool holds = S_ISLNK(st.st_mode) ? FBoundary.Holds(path) : FolderHolds(ExtractFileDir(path));
  if (!holds) NoteSkipped(path);
  return holds;
}

void TPublishGuard::NoteSkipped(const std::string& path) {
  std::lock_guard<std::mutex> guard(FLock);
  if (std::find(FSkipped.begin(), FSkipped.end(), path) == FSkipped.end()) FSkipped.push_back(path);
}

std::vector<std::string> TPublishGuard::Warnings() const {
  const std::string root = IncludeTrailingDelimiter(ExpandFileName(FBoundary.Folder()));
  std::vector<std::string> lines;
  std::vector<std::string> skipped;
  {
    std::lock_guard<std::mutex> guard(FLock);
    skipped = FSkipped;
  }
  std::sort(skipped.begin(), skipped.end());  // the same list whatever order the folders were read in
  for (const std::string& path : skipped) {
    const std::string full = ExpandFileName(path);
    const std::string shown = StartsWith(full, root) ? full.substr(root.size()) : full;
    lines.push_back(FormatText(TranslateText("Skipped %s: a symbolic link that leads outside the project"), {shown}));
  }
  return lines;
}

void TPublishGuard::AppendWarnings(std::vector<std::string>* list) const {
  if (!list) return;
  for (std::string& line : Warnings()) list->push_back(std::move(line));
}
