#include "uProjectController.h"

#include <gtest/gtest.h>

#include "TestHelpers.h"
#include "uProjectOpen.h"
#include "uStorage.h"

namespace {

std::string FirstTopicID(TProjectController& open) { return open.Project().RootTopicIDs().at(0); }

}  // namespace

TEST(ProjectController, OpenEditSaveAndReopen) {
  TTempDir dir;
  const std::string file = dir / "Guide.fvp";
  CreateProjectFile(file, "Guide");

  TProjectController open;
  EXPECT_EQ(open.Open(file), "");
  EXPECT_EQ(open.FileName(), file);
  EXPECT_EQ(open.Project().Title(), "Guide");
  const std::string id = FirstTopicID(open);
  open.UnsavedTopicHtml()[id] = "<p>typed</p>";
  open.MarkDirty();
  EXPECT_FALSE(open.Save()) << "the project stays in its folder";
  EXPECT_FALSE(open.Dirty());
  EXPECT_TRUE(open.UnsavedTopicHtml().empty());

  TProjectController again;
  again.Open(file);
  EXPECT_EQ(ReadTextFileUtf8(TopicFilePath(again.Project(), id)), "<p>typed</p>");
}

TEST(ProjectController, FailedOpenKeepsTheOpenProjectAndItsChanges) {
  TTempDir dir;
  const std::string file = dir / "Guide.fvp";
  CreateProjectFile(file, "Guide");
  WriteTextFileUtf8(dir / "Broken.fvp", "not a project");
  TProjectController open;
  open.Open(file);
  open.UnsavedTopicHtml()["x"] = "<p>typed</p>";
  open.MarkDirty();

  for (const std::string& bad : {dir / "Broken.fvp", dir / "Missing.fvp"}) {
    try {
      open.Open(bad);
      ADD_FAILURE() << bad << " opened";
    } catch (const EFolivaneError& e) {
      EXPECT_NE(std::string(e.what()).find(bad), std::string::npos) << e.what();
    }
    EXPECT_EQ(open.FileName(), file);
    EXPECT_TRUE(open.Dirty());
    EXPECT_EQ(open.UnsavedTopicHtml().size(), 1u);
  }
}

// Settings a file does not name are the defaults, never the values of the project open before.
TEST(ProjectController, OpeningAnotherProjectStartsItsSettingsFromTheDefaults) {
  TTempDir dir;
  CreateProjectFile(dir / "A.fvp", "A");
  CreateProjectFile(dir / "B.fvp", "B");
  WriteTextFileUtf8(dir / "B/meta/project_settings.json", R"({"ProjTitle": "B"})");
  TProjectController open;
  open.Open(dir / "A.fvp");
  open.Settings().FontSizeBody = 23;
  open.SaveSettings();

  EXPECT_EQ(open.Open(dir / "B.fvp"), "");
  EXPECT_EQ(open.Settings().FontSizeBody, TProjectSettings().FontSizeBody);
  EXPECT_EQ(open.Project().Title(), "B");

  open.Open(dir / "A.fvp");
  open.Settings().FontSizeBody = 23;
  open.Project().SetRootPath(IncludeTrailingDelimiter(dir / "B"));
  EXPECT_EQ(open.ReloadSettings(), "");
  EXPECT_EQ(open.Settings().FontSizeBody, TProjectSettings().FontSizeBody);
}

TEST(ProjectController, UnreadableOrMissingSettings) {
  TTempDir dir;
  CreateProjectFile(dir / "P.fvp", "Kept");
  const std::string settingsFile = dir / "P/meta/project_settings.json";
  WriteTextFileUtf8(settingsFile, "{ damaged");
  TProjectController open;
  const std::string problem = open.Open(dir / "P.fvp");
  EXPECT_NE(problem.find(settingsFile), std::string::npos) << problem;
  EXPECT_EQ(ReadTextFileUtf8(settingsFile), "{ damaged") << "a damaged file is kept for the writer to mend";

  DeleteFileIfExists(settingsFile);
  EXPECT_EQ(open.Open(dir / "P.fvp"), "");
  EXPECT_TRUE(FileExists(settingsFile)) << "the window completes the project's folder";
}

TEST(ProjectController, SaveAsMovesTheProjectWithItsPendingTexts) {
  TTempDir dir;
  CreateProjectFile(dir / "Old.fvp", "Old");
  TProjectController open;
  open.Open(dir / "Old.fvp");
  const std::string id = FirstTopicID(open);
  open.UnsavedTopicHtml()[id] = "<p>moved</p>";
  open.MarkDirty();

  EXPECT_TRUE(open.SaveAs(dir / "new/Copy.fvp"));
  EXPECT_EQ(open.FileName(), dir / "new/Copy.fvp");
  EXPECT_EQ(ExcludeTrailingDelimiter(open.Project().RootPath()), dir / "new/Copy");
  EXPECT_EQ(ReadTextFileUtf8(TopicFilePath(dir / "new/Copy", id)), "<p>moved</p>");
  EXPECT_NE(ReadTextFileUtf8(TopicFilePath(dir / "Old", id)), "<p>moved</p>") << "the old project is left as saved";
  EXPECT_FALSE(open.Dirty());
  EXPECT_FALSE(open.SaveAs(dir / "new/Copy.fvp")) << "the same folder: nothing to copy";
}

TEST(ProjectController, StartNewAndFirstTopic) {
  TTempDir dir;
  TProjectController open;
  open.StartNew(dir / "ws");
  EXPECT_EQ(open.FileName(), "");
  EXPECT_EQ(open.Project().Title(), "Untitled Documentation");
  EXPECT_EQ(open.Project().RootTopicIDs().size(), 1u);
  EXPECT_TRUE(FileExists(dir / "ws/meta/project_settings.json"));
  EXPECT_TRUE(open.Settings().PdfCover && open.Settings().PdfContents) << "a new project prints as a book";
  EXPECT_EQ(open.ProposedFileName(), "Untitled Documentation.fvp");
  EXPECT_THROW(open.Save(), EFolivaneError) << "a project without a file is saved with Save As";
  EXPECT_FALSE(open.EnsureFirstTopic());

  CreateProjectFile(dir / "Empty.fvp", "Empty");
  TProjectController empty;
  empty.Open(dir / "Empty.fvp");
  empty.Project().Clear();
  EXPECT_TRUE(empty.EnsureFirstTopic());
  EXPECT_TRUE(FileExists(TopicFilePath(empty.Project(), FirstTopicID(empty))));
}
