// The recovery journal: written, read back, matched to its project, cleared; damaged and
// foreign journals are reported and never reach the project.
#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>

#include "ChmTestSupport.h"
#include "TestHelpers.h"
#include "uRecoveryJournal.h"
#include "uStorage.h"
#include "uTopicsJson.h"

namespace {

// A saved project of two topics with pages, and the journal of an edit of it: topic A
// retyped, a new topic C with its first text, B left as saved, title changed.
struct TJournalFixture {
  TTempDir dir;
  TScopedEnv appData{"APPDATA", dir / "appdata"};
  TDocProject project;
  std::string a, b, c;

  TJournalFixture() {
    project.SetRootPath(dir / "Guide/");
    project.SetTitle("Guide");
    a = project.AddTopic("A", "").ID();
    b = project.AddTopic("B", "").ID();
    SaveProject(project);
    WriteFixtureFile(TopicFilePath(project, a), "<p>saved A</p>");
    WriteFixtureFile(TopicFilePath(project, b), "<p>saved B</p>");
  }

  TRecoveryJournal EditedJournal() {
    TDocProject edited;
    edited.SetRootPath(project.RootPath());
    LoadProject(project.RootPath(), edited);
    c = edited.AddTopic("C", a).ID();
    TRecoveryJournal journal;
    journal.projectRoot = project.RootPath();
    journal.title = "Guide, edited";
    journal.styleProfile = "default";
    journal.topicsJson = TopicsJsonText(edited);
    journal.texts = {{a, "<p>typed into A</p>"}, {b, "<p>saved B</p>"}, {c, "<p>new C</p>"}};
    return journal;
  }

  // Every file of the project with its bytes.
  std::map<std::string, std::string> ProjectFiles() const {
    std::map<std::string, std::string> files;
    const std::string root = dir / "Guide";
    for (const std::string& rel : ListFilesRecursive(root)) files[rel] = ReadBinaryFile(root + "/" + rel);
    return files;
  }
};

TEST(RecoveryJournalTest, WrittenJournalComesBackAndRecoversTreeTitleAndChangedTexts) {
  TJournalFixture f;
  WriteRecoveryJournal(f.EditedJournal());
  const auto before = f.ProjectFiles();

  const TJournalRead read = ReadRecoveryJournal(f.project.RootPath());
  ASSERT_EQ(read.state, TJournalState::Found) << read.problem;
  EXPECT_EQ(f.ProjectFiles(), before);

  TDocProject onDisk;
  LoadProject(f.project.RootPath(), onDisk);
  const TRecoveryChanges changes = RecoveryChanges(read.journal, onDisk);
  EXPECT_TRUE(changes.structureChanged);
  // B's journaled text is what its page holds: nothing to offer for it.
  EXPECT_EQ(changes.topicIDs, (std::vector<std::string>{f.a, f.c}));
  EXPECT_EQ(changes.topicTitles, (std::vector<std::string>{"A", "C"}));

  std::map<std::string, std::string> pending;
  ApplyRecoveryJournal(read.journal, onDisk, pending);
  EXPECT_EQ(onDisk.Title(), "Guide, edited");
  ASSERT_TRUE(onDisk.HasTopic(f.c));
  EXPECT_EQ(onDisk.GetTopic(f.c).ParentID(), f.a);
  EXPECT_EQ(pending[f.a], "<p>typed into A</p>");
  EXPECT_EQ(pending[f.c], "<p>new C</p>");
  EXPECT_EQ(ExcludeTrailingDelimiter(onDisk.RootPath()), f.dir / "Guide");
  // Recovering puts the texts into the window's pending store; the disk waits for Save.
  EXPECT_EQ(f.ProjectFiles(), before);

  ClearRecoveryJournal(f.project.RootPath());
  EXPECT_EQ(ReadRecoveryJournal(f.project.RootPath()).state, TJournalState::None);
  ClearRecoveryJournal(f.project.RootPath());  // nothing left: no error
}

TEST(RecoveryJournalTest, JournalAsSavedOffersNothing) {
  TJournalFixture f;
  TRecoveryJournal journal;
  journal.projectRoot = f.project.RootPath();
  journal.title = f.project.Title();
  journal.styleProfile = f.project.StyleProfile();
  journal.topicsJson = TopicsJsonText(f.project);
  journal.texts = {{f.b, "<p>saved B</p>"}};
  WriteRecoveryJournal(journal);
  TDocProject onDisk;
  LoadProject(f.project.RootPath(), onDisk);
  EXPECT_TRUE(RecoveryChanges(ReadRecoveryJournal(f.project.RootPath()).journal, onDisk).Empty());
}

TEST(RecoveryJournalTest, DamagedJournalIsReportedAndSetAsideWithoutTouchingTheProject) {
  TJournalFixture f;
  WriteRecoveryJournal(f.EditedJournal());
  const std::string path = RecoveryJournalPath(f.project.RootPath());
  const std::string whole = ReadBinaryFile(path);
  const auto before = f.ProjectFiles();
  const std::string valid = R"("format":"folivane-recovery","version":1,"projectRoot":")" +
                            ExcludeTrailingDelimiter(f.project.RootPath()) +
                            R"(","title":"T","styleProfile":"default",)";
  const struct {
    const char* name;
    std::string content;
  } cases[] = {
      {"cut off half-way", whole.substr(0, whole.size() / 2)},
      {"cut off before the last brace", whole.substr(0, whole.size() - 1)},
      {"empty", ""},
      {"not an object", "[1,2]"},
      {"another format", R"({"format":"other","version":1})"},
      {"a later version", R"({"format":"folivane-recovery","version":2})"},
      {"texts not an object", "{" + valid + R"("topics":"{\"rootTopicIds\":[],\"topics\":[]}","texts":[]})"},
      {"a text not a string", "{" + valid + R"("topics":"{\"rootTopicIds\":[],\"topics\":[]}","texts":{"x":1}})"},
      {"a tree that is not JSON", "{" + valid + R"("topics":"{\"rootTopicIds\":[","texts":{}})"},
      {"a tree with a path for an ID",
       "{" + valid +
           R"("topics":"{\"rootTopicIds\":[\"..\"],\"topics\":[{\"id\":\"..\",\"title\":\"x\"}]}","texts":{}})"},
      {"binary", std::string("\0\xff\xfe{\"", 5)},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.name);
    WriteFixtureFile(path, c.content);
    const TJournalRead read = ReadRecoveryJournal(f.project.RootPath());
    EXPECT_EQ(read.state, TJournalState::Damaged);
    EXPECT_FALSE(read.problem.empty());
    EXPECT_TRUE(read.journal.texts.empty());
    const std::string aside = SetAsideRecoveryJournal(f.project.RootPath());
    EXPECT_EQ(ReadBinaryFile(aside), c.content);
    EXPECT_EQ(ReadRecoveryJournal(f.project.RootPath()).state, TJournalState::None);
    EXPECT_EQ(f.ProjectFiles(), before);
  }
}

TEST(RecoveryJournalTest, JournalOfAnotherFolderIsNotOffered) {
  TJournalFixture f;
  TRecoveryJournal journal = f.EditedJournal();
  journal.projectRoot = f.dir / "Other";
  WriteRecoveryJournal(journal);
  // Copied over this project's journal (a collision, or a file put there by hand).
  CopyFileOverwrite(RecoveryJournalPath(journal.projectRoot), RecoveryJournalPath(f.project.RootPath()));
  const TJournalRead read = ReadRecoveryJournal(f.project.RootPath());
  EXPECT_EQ(read.state, TJournalState::OtherProject);
  EXPECT_NE(read.problem.find(f.dir / "Other"), std::string::npos);
  EXPECT_TRUE(read.journal.texts.empty());
  EXPECT_EQ(ReadRecoveryJournal(journal.projectRoot).state, TJournalState::Found);
}

TEST(RecoveryJournalTest, TextsOfTopicsOutsideTheTreeAreDropped) {
  TJournalFixture f;
  TRecoveryJournal journal = f.EditedJournal();
  journal.texts["../../escape"] = "<p>x</p>";
  journal.texts["0123456789ABCDEF0123456789ABCDEF"] = "<p>y</p>";
  WriteRecoveryJournal(journal);
  const TJournalRead read = ReadRecoveryJournal(f.project.RootPath());
  ASSERT_EQ(read.state, TJournalState::Found);
  EXPECT_EQ(read.journal.texts.size(), 3u);
  EXPECT_EQ(read.journal.texts.count("../../escape"), 0u);
}

TEST(RecoveryJournalTest, ProjectPathNeverSteersWhereTheJournalGoes) {
  TTempDir dir;
  TScopedEnv appData("APPDATA", dir / "appdata");
  const std::string roots[] = {
      dir / "a/../../../etc/x", "/tmp/with\nnewline/", std::string(5000, 'x'),
      "relative/../..",         dir / "a" + "/x.json", "",
  };
  for (const std::string& root : roots) {
    SCOPED_TRACE(root.substr(0, 60));
    const std::string path = RecoveryJournalPath(root);
    EXPECT_EQ(ExtractFileDir(path), RecoveryFolder());
    EXPECT_EQ(ExtractFileName(path).size(), 16u + 5u);
    TRecoveryJournal journal;
    journal.projectRoot = root;
    journal.topicsJson = R"({"rootTopicIds":[],"topics":[]})";
    WriteRecoveryJournal(journal);
    EXPECT_EQ(ReadRecoveryJournal(root).state, TJournalState::Found);
  }
  EXPECT_EQ(ListFilesRecursive(dir.Path()).size(), std::size(roots));
  EXPECT_NE(RecoveryJournalPath(dir / "a"), RecoveryJournalPath(dir / "b"));
  EXPECT_EQ(RecoveryJournalPath(dir / "a"), RecoveryJournalPath(dir / "a/"));
}

// Writes and clears run on the writer's thread in the order asked: a clear after a write
// leaves no journal, whatever the thread was doing, and a failure is kept for the caller.
TEST(RecoveryJournalTest, WriterKeepsTheOrderOfWritesAndClears) {
  TJournalFixture f;
  const std::string root = f.project.RootPath();
  {
    TRecoveryJournalWriter writer;
    for (int i = 0; i < 50; ++i) {
      TRecoveryJournal journal = f.EditedJournal();
      journal.texts[f.a] = "<p>version " + std::to_string(i) + "</p>";
      writer.Write(std::move(journal));
      if (i % 7 == 6) writer.Clear(root);
    }
    writer.Flush();
    const TJournalRead read = ReadRecoveryJournal(root);
    ASSERT_EQ(read.state, TJournalState::Found);
    EXPECT_EQ(read.journal.texts.at(f.a), "<p>version 49</p>");
    writer.Write(f.EditedJournal());
    writer.Clear(root);
  }  // the destructor finishes what was asked
  EXPECT_EQ(ReadRecoveryJournal(root).state, TJournalState::None);

  TRecoveryJournalWriter writer;
  WriteFixtureFile(RecoveryFolder() + "/blocked/x", "");
  TRecoveryJournal journal = f.EditedJournal();
  ::chmod(RecoveryFolder().c_str(), 0500);  // the folder refuses new files
  writer.Write(journal);
  writer.Flush();
  ::chmod(RecoveryFolder().c_str(), 0700);
  if (::geteuid() != 0) EXPECT_FALSE(writer.TakeProblem().empty());
  EXPECT_EQ(writer.TakeProblem(), "");
}

}  // namespace
