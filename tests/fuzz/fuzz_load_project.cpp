// A project folder's structure files over any bytes: LoadProject loads or raises
// EFolivaneError, nothing else escapes; what loaded, saved with SaveProject into another
// folder and loaded from there, is the same project.
//
// Input: project.json; when it holds a NUL byte, the bytes after it are meta/topics.json.
#include <cstdint>
#include <string>
#include <vector>

#include "FuzzSupport.h"
#include "uStorage.h"

namespace {

std::string DescribeProject(const TDocProject& project) {
  return "title [" + project.Title() + "] profile [" + project.StyleProfile() + "]\n" + DescribeTree(project);
}

// True when the folder loaded; false when it raised EFolivaneError.
bool Load(const std::string& folder, TDocProject& project, std::string_view input) {
  try {
    LoadProject(folder, project);
    return true;
  } catch (const EFolivaneError& e) {
    if (std::string(e.what()).empty()) FuzzFail("an error without a message", input);
    return false;
  } catch (const std::exception& e) {
    FuzzFail(std::string("escaped: ") + e.what(), input);
  }
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  const std::string_view input(reinterpret_cast<const char*>(data), size);
  const std::string folder = ScratchPath("Guide/");
  const size_t nul = input.find('\0');
  WriteScratchFile(ProjectJsonPath(folder), input.substr(0, nul));
  if (nul == std::string_view::npos) DeleteFileIfExists(TopicsJsonPath(folder));
  else WriteScratchFile(TopicsJsonPath(folder), input.substr(nul + 1));

  TDocProject project;
  if (!Load(folder, project, input)) return 0;

  const std::string copy = ScratchPath("Copy/");
  project.SetRootPath(copy);
  SaveProject(project);
  TDocProject again;
  if (!Load(copy, again, input)) FuzzFail("the saved project does not load", input);
  if (DescribeProject(again) != DescribeProject(project)) {
    FuzzFail("the project changed on the way:\n" + DescribeProject(project) + "---\n" + DescribeProject(again), input);
  }
  return 0;
}
