// Places files that topics refer to under the project's assets folder: picks the
// folder, a free file name and the project-relative URL. Nothing is copied here.
#pragma once

#include <string>

// A free target: TargetPath does not exist yet; Url is FolderUrl + "/" + the file name.
struct TAssetTarget {
  std::string Url;
  std::string TargetPath;
};

// FolderPath is below ProjectFolder ("assets/images"), FolderUrl its URL prefix.
// Creates the folder. Returns false with both outputs empty when an input is empty.
bool CopyAssetTarget(const std::string& projectFolder, const std::string& sourceFile, const std::string& folderPath,
                     const std::string& folderUrl, TAssetTarget& out);
// assets/images whatever the extension.
bool ImageAssetTarget(const std::string& projectFolder, const std::string& sourceFile, TAssetTarget& out);
// assets/css whatever the extension.
bool CssAssetTarget(const std::string& projectFolder, const std::string& sourceFile, TAssetTarget& out);
// images, fonts, media, css or files, by the source's extension (letter case ignored).
bool AssetTargetByExtension(const std::string& projectFolder, const std::string& sourceFile, TAssetTarget& out);
// The assets sub-folder ("images", "fonts", "media", "css", "files") for a file's extension.
std::string AssetFolderForExtension(const std::string& fileName);

// Copies source to target, refusing to replace an existing file. Raises with the reason;
// target is then absent (never half written). The file is streamed, never held whole.
void CopyFileNoOverwrite(const std::string& source, const std::string& target);
// Copies an image into assets/images under a free name and returns its URL.
std::string ImportImageAsset(const std::string& projectFolder, const std::string& sourceFile);
