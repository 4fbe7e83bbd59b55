#include "uContainment.h"

#include <filesystem>
#include <system_error>

#include "uTranslation.h"
#include "uUtils.h"

namespace fs = std::filesystem;

namespace {

// Whether the normal form of path equals the normal form of folder or continues it by a name.
bool StartsWithFolder(const fs::path& path, const fs::path& folder) {
  auto p = path.begin();
  for (auto f = folder.begin(); f != folder.end(); ++f, ++p) {
    if (f->empty() && std::next(f) == folder.end()) return true;  // a trailing delimiter
    if (p == path.end() || *p != *f) return false;
  }
  return true;
}

fs::path Absolute(const std::string& path) {
  std::error_code ec;
  fs::path abs = fs::absolute(fs::path(path), ec);
  return (ec ? fs::path(path) : abs).lexically_normal();
}

}  // namespace

bool IsLexicallyInside(const std::string& path, const std::string& folder) {
  if (path.empty() || folder.empty()) return false;
  return StartsWithFolder(Absolute(path), Absolute(folder));
}

std::string ResolvedPath(const std::string& path) {
  std::error_code ec;
  const fs::path resolved = fs::weakly_canonical(Absolute(path), ec);
  return ec ? Absolute(path).string() : resolved.string();
}

TFolderBoundary::TFolderBoundary(const std::string& folder) : FFolder(folder), FResolved(ResolvedPath(folder)) {}

bool TFolderBoundary::Holds(const std::string& path) const {
  return !FFolder.empty() && IsLexicallyInside(ResolvedPath(path), FResolved);
}

const std::string& CheckedOutputPath(const std::string& folder, const std::string& path) {
  const fs::path written = Absolute(path);
  const bool isFolder = written == Absolute(folder) || written == Absolute(IncludeTrailingDelimiter(folder));
  const std::string parent = isFolder ? written.string() : written.parent_path().string();
  if (!IsLexicallyInside(path, folder) || !IsLexicallyInside(ResolvedPath(parent), ResolvedPath(folder))) {
    throw EFolivaneError(
        FormatText(TranslateText("Refused to write %s: it lies outside the output folder %s"), {path, folder}));
  }
  return path;
}

void CheckOutputFolder(const std::string& projectRoot, const std::string& outDir) {
  if (!IsLexicallyInside(outDir, projectRoot)) return;
  if (TFolderBoundary(projectRoot).Holds(outDir)) return;
  throw EFolivaneError(FormatText(
      TranslateText("The output folder %s leads outside the project through a symbolic link; nothing was written"),
      {outDir}));
}
