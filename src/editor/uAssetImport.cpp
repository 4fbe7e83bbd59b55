#include "uAssetImport.h"

#include <cerrno>
#include <cstring>
#include <fcntl.h>
#include <unistd.h>

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
  if (HasExtension(ext, {".png", ".jpg", ".jpeg", ".gif", ".bmp", ".webp", ".svg", ".ico", ".avif"}))
    return "images";
  if (HasExtension(ext, {".woff", ".woff2", ".ttf", ".otf", ".eot"})) return "fonts";
  if (HasExtension(ext, {".mp4", ".webm", ".ogv", ".mp3", ".wav", ".ogg", ".m4a"})) return "media";
  if (ext == ".css") return "css";
  return "files";
}

bool CopyAssetTarget(const std::string& projectFolder, const std::string& sourceFile,
                     const std::string& folderPath, const std::string& folderUrl, TAssetTarget& out) {
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
  const std::string bytes = ReadBinaryFile(source);
  // O_EXCL: a file that appeared meanwhile is never replaced.
  const int fd = ::open(target.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0644);
  if (fd < 0) throw EFolivaneError("Cannot create " + target + ": " + std::strerror(errno));
  size_t done = 0;
  while (done < bytes.size()) {
    const ssize_t n = ::write(fd, bytes.data() + done, bytes.size() - done);
    if (n < 0) {
      if (errno == EINTR) continue;
      const int err = errno;
      ::close(fd);
      ::unlink(target.c_str());
      throw EFolivaneError("Cannot write " + target + ": " + std::strerror(err));
    }
    done += static_cast<size_t>(n);
  }
  if (::close(fd) != 0) {
    const int err = errno;
    ::unlink(target.c_str());
    throw EFolivaneError("Cannot write " + target + ": " + std::strerror(err));
  }
}

std::string ImportImageAsset(const std::string& projectFolder, const std::string& sourceFile) {
  TAssetTarget target;
  if (!ImageAssetTarget(projectFolder, sourceFile, target))
    throw EFolivaneError("No project folder or image file was given.");
  CopyFileNoOverwrite(sourceFile, target.TargetPath);
  return target.Url;
}
