#include "uAssetImport.h"

#include <cstring>

#include <algorithm>
#include <array>

#include "uUtils.h"

namespace {

bool HasExtension(const std::string& ext, std::initializer_list<const char*> list) {
  return std::any_of(list.begin(), list.end(), [&](const char* e) { return ext == e; });
}

}  // namespace

std::string AssetFolderForExtension(const std::string& fileName) {
  const std::string ext = AsciiLower(ExtractFileExt(fileName));
  if (HasExtension(ext, {".png", ".jpg", ".jpeg", ".gif", ".bmp", ".webp", ".svg", ".ico", ".avif"})) return "images";
  if (HasExtension(ext, {".woff", ".woff2", ".ttf", ".otf", ".eot"})) return "fonts";
  if (HasExtension(ext, {".mp4", ".webm", ".ogv", ".mp3", ".wav", ".ogg", ".m4a"})) return "media";
  if (ext == ".css") return "css";
  return "files";
}

bool CopyAssetTarget(const std::string& projectFolder, const std::string& sourceFile, const std::string& folderPath,
                     const std::string& folderUrl, TAssetTarget& out) {
  out = TAssetTarget();
  if (projectFolder.empty() || sourceFile.empty() || folderPath.empty() || folderUrl.empty()) return false;
  const std::string folder = EnsureDir(PathJoin(projectFolder, folderPath));
  // Topics name the copy in a URL as it stands: "#" would cut it off and "%" start an
  // escape. Characters project paths refuse (legal in Linux file names) go the same way.
  std::string fileName = ExtractFileName(sourceFile);
  for (char& c : fileName) {
    if (static_cast<unsigned char>(c) < 0x20 || std::strchr("#%?*\"<>|", c)) c = '_';
  }
  const std::string ext = ExtractFileExt(fileName);
  const std::string base = fileName.substr(0, fileName.size() - ext.size());
  std::string name = fileName;
  std::string target = PathJoin(folder, name);
  for (int counter = 2; FileExists(target) || DirExists(target); ++counter) {
    name = base + "_" + std::to_string(counter) + ext;
    target = PathJoin(folder, name);
  }
  out.Url = folderUrl + "/" + name;
  out.TargetPath = target;
  return true;
}

bool ImageAssetTarget(const std::string& projectFolder, const std::string& sourceFile, TAssetTarget& out) {
  return CopyAssetTarget(projectFolder, sourceFile, "assets/images", "assets/images", out);
}

bool CssAssetTarget(const std::string& projectFolder, const std::string& sourceFile, TAssetTarget& out) {
  return CopyAssetTarget(projectFolder, sourceFile, "assets/css", "assets/css", out);
}

bool AssetTargetByExtension(const std::string& projectFolder, const std::string& sourceFile, TAssetTarget& out) {
  const std::string sub = AssetFolderForExtension(sourceFile);
  return CopyAssetTarget(projectFolder, sourceFile, "assets/" + sub, "assets/" + sub, out);
}

void CopyFileNoOverwrite(const std::string& source, const std::string& target) {
  if (FileExists(target)) throw EFolivaneError("The file already exists: " + target);
  // Streamed through a temporary file that takes the name only when whole, and never over
  // a file that appeared meanwhile.
  CopyFileToNewFile(source, target);
}

std::string ImportImageAsset(const std::string& projectFolder, const std::string& sourceFile) {
  TAssetTarget target;
  if (!ImageAssetTarget(projectFolder, sourceFile, target))
    throw EFolivaneError("No project folder or image file was given.");
  CopyFileNoOverwrite(sourceFile, target.TargetPath);
  return target.Url;
}
