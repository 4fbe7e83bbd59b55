// Keeps file access inside a folder. A received project may hold names and symbolic links
// that lead elsewhere; nothing in it may make the program read or write outside its folder.
#pragma once

#include <string>

// Whether path is folder or lies below it, as written ("." and ".." folded, no link followed).
bool IsLexicallyInside(const std::string& path, const std::string& folder);

// The path with every symbolic link of its existing part resolved and "." and ".." folded;
// a part that does not exist yet is appended as written.
std::string ResolvedPath(const std::string& path);

// A folder that file access must stay within, with its own links resolved once.
class TFolderBoundary {
 public:
  explicit TFolderBoundary(const std::string& folder);
  const std::string& Folder() const { return FFolder; }
  // Whether path, every link resolved, is the folder or lies below it.
  bool Holds(const std::string& path) const;

 private:
  std::string FFolder;
  std::string FResolved;
};

// path itself when it lies inside folder both as written and with the links of the folders
// on its way resolved (the last name may be a link: writers replace it, never write through
// it). Raises an EFolivaneError naming both otherwise.
const std::string& CheckedOutputPath(const std::string& folder, const std::string& path);

// Refuses an output folder that lies in the project folder as written but that a symbolic
// link takes elsewhere: an export would write wherever the link points. Raises an
// EFolivaneError naming it; does nothing for a folder outside the project.
void CheckOutputFolder(const std::string& projectRoot, const std::string& outDir);
