// A save or an export cut short (a crash, a kill) leaves the temporary file of an atomic
// write behind; opening the project and the next export remove the stale ones.
#include <gtest/gtest.h>

#include <filesystem>
#include <functional>

#include "TestHelpers.h"
#include "uExportChm.h"
#include "uExportPdf.h"
#include "uExportWebHelp.h"
#include "uProjectOpen.h"
#include "uStorage.h"

namespace {

namespace fs = std::filesystem;

void WriteAged(const std::string& path, std::chrono::seconds age) {
  WriteFixtureFile(path, "partial");
  fs::last_write_time(path, fs::file_time_type::clock::now() - age);
}

const std::chrono::seconds kOld = kStaleWriteTempAge + std::chrono::seconds(5);
const std::chrono::seconds kYoung(5);

}  // namespace

TEST(WriteTemps, OnlyStaleTemporaryFilesOfAtomicWritesAreDeleted) {
  struct TCase {
    const char* name;
    std::chrono::seconds age;
    bool deleted;
  };
  const TCase cases[] = {
      {".topics.json.Ab12Cd", kOld, true},
      {".topics.json.Ab12Cd.x", kOld, false},
      {".reusable.json.Xy98Zw", kYoung, false},
      {"topics.json.Ab12Cd", kOld, false},
      {".topics.json.Ab12C", kOld, false},
      {".topics.json.Ab-2Cd", kOld, false},
      {".hidden", kOld, false},
      {".a.Zz9999", kOld, true},
  };
  TTempDir dir;
  for (const TCase& c : cases) WriteAged(dir / c.name, c.age);
  EnsureDir(dir / ".folder.json.AAAAAA");
  EXPECT_EQ(RemoveStaleWriteTemps(dir.Path()), 2);
  for (const TCase& c : cases) EXPECT_EQ(FileExists(dir / c.name), !c.deleted) << c.name;
  EXPECT_TRUE(DirExists(dir / ".folder.json.AAAAAA"));

  WriteAged(dir / ".Guide.fvp.Qw12Er", kOld);
  WriteAged(dir / ".Other.fvp.Qw12Er", kOld);
  EXPECT_EQ(RemoveStaleWriteTemps(dir.Path(), kStaleWriteTempAge, "Guide.fvp"), 1);
  EXPECT_TRUE(FileExists(dir / ".Other.fvp.Qw12Er")) << "another project's file is not ours to delete";
  EXPECT_EQ(RemoveStaleWriteTemps(dir / "missing"), 0);
}

TEST(WriteTemps, OpeningAProjectRemovesWhatInterruptedSavesLeft) {
  TTempDir dir;
  const std::string fvp = dir / "Guide.fvp";
  const std::string root = CreateProjectFile(fvp, "Guide");
  const std::vector<std::string> stale = {dir / ".Guide.fvp.A1b2C3", root + "/.project.json.A1b2C3",
                                          root + "/meta/.topics.json.A1b2C3", root + "/topics/.X.html.A1b2C3",
                                          root + "/styles/.default.css.A1b2C3"};
  for (const std::string& path : stale) WriteAged(path, kOld);
  const std::string young = root + "/meta/.project_settings.json.Z9y8X7";
  WriteAged(young, kYoung);

  TDocProject project;
  TProjectSettings settings;
  OpenProjectFile(fvp, project, settings);
  for (const std::string& path : stale) EXPECT_FALSE(FileExists(path)) << path;
  EXPECT_TRUE(FileExists(young)) << "a write may still be under way";
  EXPECT_EQ(project.Topics().size(), 1u);
}

TEST(WriteTemps, EachExportRemovesWhatItsLastRunLeft) {
  struct TCase {
    const char* folder;
    std::function<void(const TDocProject&)> run;
  };
  const TCase cases[] = {
      {"build/webhelp", [](const TDocProject& p) { PublishWebHelp(p, nullptr); }},
      {"build/chm", [](const TDocProject& p) { WriteChmProject(p); }},
      {"build/pdf", [](const TDocProject& p) { WritePdfManualFiles(p, PathJoin(p.RootPath(), "build/pdf")); }},
  };
  for (const TCase& c : cases) {
    SCOPED_TRACE(c.folder);
    TTempDir dir;
    const std::string fvp = dir / "Guide.fvp";
    CreateProjectFile(fvp, "Guide");
    TDocProject project;
    TProjectSettings settings;
    OpenProjectFile(fvp, project, settings);
    // A stand-in viewer where the build made none (the sanitizer build has no web bundles).
    for (const char* name : {"app.html", "app.js", "app.css"}) {
      const std::string viewer = PathJoin(project.RootPath(), std::string("internal/webhelp/") + name);
      if (!FileExists(viewer)) WriteFixtureFile(viewer, "<title>WebHelp</title>");
    }
    const std::string leftover = PathJoin(PathJoin(project.RootPath(), c.folder), ".style.css.K1l2l3");
    WriteAged(leftover, kOld);
    c.run(project);
    EXPECT_FALSE(FileExists(leftover));
  }
}
