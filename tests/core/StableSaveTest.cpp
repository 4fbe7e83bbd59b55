// A project kept in git: opening and saving it unchanged rewrites no file differently.
#include <gtest/gtest.h>

#include <filesystem>
#include <map>

#include "TestHelpers.h"
#include "uProjectController.h"

namespace {

namespace fs = std::filesystem;

// Every file under folder, by its path relative to folder, except what opening and
// publishing write and the project's .gitignore leaves out.
std::map<std::string, std::string> TrackedFiles(const std::string& folder) {
  std::map<std::string, std::string> files;
  for (const auto& entry : fs::recursive_directory_iterator(folder)) {
    if (!entry.is_regular_file()) continue;
    const std::string rel = fs::relative(entry.path(), folder).generic_string();
    if (rel.find("/build/") != std::string::npos || rel.find("/internal/") != std::string::npos) continue;
    files[rel] = ReadBinaryFile(entry.path().string());
  }
  return files;
}

}  // namespace

TEST(StableSave, OpeningAndSavingAnUnchangedProjectChangesNoByte) {
  const std::string repo = std::string(FOLIVANE_FIXTURES_DIR) + "/../..";
  const struct {
    std::string folder, file;
  } projects[] = {{repo + "/examples/Sample", "Sample.fvp"}, {repo + "/docs/manual", "Folivane.fvp"}};
  for (const auto& project : projects) {
    TTempDir dir;
    fs::copy(project.folder, dir.Path(), fs::copy_options::recursive);
    const auto before = TrackedFiles(dir.Path());
    ASSERT_NE(before.count(project.file), 0u) << project.folder;

    TProjectController open;
    EXPECT_EQ(open.Open(dir / project.file), "") << project.folder;
    EXPECT_FALSE(open.Save()) << "the project stays in its folder";

    const auto after = TrackedFiles(dir.Path());
    for (const auto& [rel, bytes] : before) {
      const auto saved = after.find(rel);
      ASSERT_NE(saved, after.end()) << rel << " was removed";
      EXPECT_EQ(saved->second, bytes) << project.folder << ": " << rel << " was rewritten";
    }
    for (const auto& [rel, bytes] : after) EXPECT_NE(before.count(rel), 0u) << rel << " is new";
  }
}
