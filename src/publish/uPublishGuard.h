// What one export may touch: it reads only project files that stay inside the project folder
// once symbolic links are resolved, so publishing a received project never publishes a file
// from elsewhere, and it writes only inside its output folder. Files left out are noted for
// the export's warnings.
#pragma once

#include <map>
#include <mutex>
#include <set>
#include <string>
#include <vector>

#include "uContainment.h"

class TPublishGuard {
 public:
  TPublishGuard(const std::string& projectRoot, const std::string& outDir);
  TPublishGuard(const TPublishGuard&) = delete;
  TPublishGuard& operator=(const TPublishGuard&) = delete;

  const TFolderBoundary& Boundary() const { return FBoundary; }
  // path itself when it lies inside the output folder (see CheckedOutputPath); raises
  // otherwise. Each folder is resolved once. Thread-safe.
  const std::string& Output(const std::string& path) const;
  // Whether the file or folder at path may be read. A missing path may (reading it finds
  // nothing); one that leads outside the project is noted and gives false. Thread-safe.
  bool MayRead(const std::string& path);
  // Notes a file or folder left out. Thread-safe.
  void NoteSkipped(const std::string& path);
  // One line for each path noted, sorted by path, each once.
  std::vector<std::string> Warnings() const;
  // Appends the warnings to list when list is given.
  void AppendWarnings(std::vector<std::string>* list) const;

 private:
  bool FolderHolds(const std::string& folder);

  TFolderBoundary FBoundary;
  std::string FOutDir;
  mutable std::mutex FLock;
  std::map<std::string, bool> FFolders;          // project folders already judged
  mutable std::set<std::string> FOutputFolders;  // output folders found inside the output folder
  std::vector<std::string> FSkipped;
};
