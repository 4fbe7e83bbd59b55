#include <gtest/gtest.h>

#include "TestHelpers.h"
#include "uDocModel.h"

namespace {

class DocModelTest : public ::testing::Test {
 protected:
  TTempDir dir;
  TDocProject project;
  void SetUp() override {
    project.Clear();
    project.SetRootPath(dir.Path() + "/");
  }
  std::vector<std::string> Titles(const TStringList& ids) {
    std::vector<std::string> out;
    for (const auto& id : ids) out.push_back(project.GetTopic(id).Title());
    return out;
  }
  using Strings = std::vector<std::string>;
};

}  // namespace

TEST(DocProject, DefaultsAndClear) {
  TDocProject p;
  EXPECT_EQ(p.Title(), "");
  EXPECT_EQ(p.StyleProfile(), "default");
  p.SetRootPath("/p/");
  p.SetStyleProfile("x");
  p.Clear();
  EXPECT_EQ(p.Title(), "Untitled Documentation");
  EXPECT_EQ(p.StyleProfile(), "default");
  EXPECT_EQ(p.RootPath(), "/p/");
}

TEST_F(DocModelTest, AddTopicMakesIdPathAndFolder) {
  const TTopic& t = project.AddTopic("A", "");
  EXPECT_EQ(project.RootTopicIDs(), Strings{t.ID()});
  EXPECT_EQ(t.ID().size(), 32u);
  EXPECT_EQ(t.ID().find_first_not_of("0123456789ABCDEF"), std::string::npos);
  EXPECT_EQ(t.HtmlPath(), dir.Path() + "/topics/" + t.ID() + ".html");
  EXPECT_TRUE(DirExists(dir / "topics"));
  EXPECT_FALSE(FileExists(t.HtmlPath()));
  EXPECT_NE(project.AddTopic("B", "").ID(), t.ID());
}

TEST_F(DocModelTest, AddTopicUnderMissingParentAddsNothing) {
  EXPECT_EQ(ErrorMessage([&] { project.AddTopic("A", "NOPE"); }), "Topic not found: NOPE");
  EXPECT_TRUE(project.Topics().empty());
  EXPECT_EQ(ErrorMessage([&] { project.GetTopic("NOPE"); }), "Topic not found: NOPE");
}

TEST_F(DocModelTest, DeleteTopicRemovesSubtreeAndFiles) {
  const std::string root = project.AddTopic("Root", "").ID();
  const std::string parent = project.AddTopic("P", root).ID();
  std::vector<std::string> kids;
  for (const char* title : {"a", "b", "c"}) kids.push_back(project.AddTopic(title, parent).ID());
  WriteFixtureFile(project.GetTopic(parent).HtmlPath(), "p");
  WriteFixtureFile(project.GetTopic(kids[1]).HtmlPath(), "b");

  EXPECT_EQ(project.DeleteTopic(parent), (Strings{parent, kids[0], kids[1], kids[2]}));
  EXPECT_EQ(project.Topics().size(), 1u);
  EXPECT_TRUE(project.GetTopic(root).Children().empty());
  EXPECT_TRUE(ListFiles(dir / "topics").empty());
  EXPECT_TRUE(project.DeleteTopic("missing").empty());
}

namespace {

// A topic as a hand-edited topics.json may hold it: any children, any parent.
void InsertStored(TDocProject& project, const std::string& id, const std::vector<std::string>& children,
                  const std::string& parent = "") {
  auto topic = std::make_unique<TTopic>();
  topic->SetID(id);
  topic->SetTitle(id);
  topic->SetParentID(parent);
  topic->Children() = children;
  project.InsertLoadedTopic(std::move(topic));
}

}  // namespace

// Child lists that loop back, list a topic twice or name itself: every walk visits each
// topic once and ends, and removing a topic takes exactly what is below it.
TEST_F(DocModelTest, DamagedTreesAreWalkedOnceAndRemovedWhole) {
  project.RootTopicIDs() = {"A", "X", "A"};
  InsertStored(project, "A", {"B", "A", "B"});
  InsertStored(project, "B", {"C", "A", "unknown"}, "A");
  InsertStored(project, "C", {"B", "C"}, "B");
  InsertStored(project, "X", {"C"});
  std::string order;
  for (const TTopic* t : project.TopicsInTreeOrder()) order += t->ID();
  EXPECT_EQ(order, "ABCX");

  std::string visits;
  project.WalkTopics(
      [&](const TTopic& t, int depth) {
        visits += t.ID() + std::to_string(depth);
        return t.ID() == "B" ? TWalkAction::SkipChildren : TWalkAction::Descend;
      },
      [&](const TTopic& t, int depth) { visits += "/" + t.ID() + std::to_string(depth); });
  EXPECT_EQ(visits, "A0B1/A0X0C1/C1/X0");
  EXPECT_EQ(project.SubtreeIDs("B"), (Strings{"B", "C", "A"}));

  WriteFixtureFile(TopicPagePath(project.RootPath(), "C"), "c");
  EXPECT_EQ(project.DeleteTopic("B"), (Strings{"B", "C", "A"}));
  EXPECT_EQ(project.RootTopicIDs(), Strings{"X"});
  EXPECT_TRUE(project.GetTopic("X").Children().empty()) << "no list names a removed topic";
  EXPECT_FALSE(FileExists(TopicPagePath(project.RootPath(), "C")));
}

TEST_F(DocModelTest, AVeryDeepTreeIsWalkedAndRemovedWithoutRecursion) {
  std::string parent;
  for (int i = 0; i < 200000; ++i) parent = project.AddTopic("t", parent).ID();
  EXPECT_EQ(project.TopicsInTreeOrder().size(), 200000u);
  EXPECT_EQ(project.DeleteTopic(project.RootTopicIDs()[0]).size(), 200000u);
  EXPECT_TRUE(project.Topics().empty());
}

TEST_F(DocModelTest, MovingTheProjectMovesEveryTopicsPage) {
  const std::string a = project.AddTopic("A", "").ID();
  project.SetRootPath("/elsewhere/P/");
  EXPECT_EQ(project.GetTopic(a).HtmlPath(), "/elsewhere/P/topics/" + a + ".html");
  project.SetRootPath("/again");
  EXPECT_EQ(project.GetTopic(a).HtmlPath(), "/again/topics/" + a + ".html");
}

TEST_F(DocModelTest, IsDescendant) {
  const std::string p = project.AddTopic("P", "").ID();
  const std::string c = project.AddTopic("C", p).ID();
  EXPECT_TRUE(project.IsDescendant("x", "x"));
  EXPECT_TRUE(project.IsDescendant(c, p));
  EXPECT_FALSE(project.IsDescendant(p, c));
  EXPECT_FALSE(project.IsDescendant("unknown", p));
  EXPECT_TRUE(project.IsDescendant("unknown", "unknown"));
}

TEST_F(DocModelTest, IsDescendantEndsOnAStoredParentCycle) {
  auto a = std::make_unique<TTopic>();
  a->SetID("A");
  a->SetParentID("B");
  auto b = std::make_unique<TTopic>();
  b->SetID("B");
  b->SetParentID("A");
  project.InsertLoadedTopic(std::move(a));
  project.InsertLoadedTopic(std::move(b));
  EXPECT_FALSE(project.IsDescendant("A", "C"));
}

TEST_F(DocModelTest, MoveTopicIndexesAreClampedAndCountWithoutTheTopic) {
  struct Case {
    int from;
    int index;
    const char* expected;
  };
  const Case cases[] = {
      {0, 5, "BCA"}, {0, -3, "ABC"}, {1, 2, "ACB"}, {1, 0, "BAC"}, {2, 1, "ACB"},
  };
  for (const Case& c : cases) {
    project.Clear();
    for (const char* t : {"A", "B", "C"}) project.AddTopic(t, "");
    project.MoveTopic(project.RootTopicIDs()[c.from], "", c.index);
    std::string order;
    for (const auto& title : Titles(project.RootTopicIDs())) order += title;
    EXPECT_EQ(order, c.expected) << "from " << c.from << " to " << c.index;
  }
}

TEST_F(DocModelTest, MoveUnderAnotherTopic) {
  const std::string a = project.AddTopic("A", "").ID();
  const std::string b = project.AddTopic("B", "").ID();
  project.AddTopic("B1", b);
  project.MoveTopic(a, b, 0);
  EXPECT_EQ(project.RootTopicIDs(), Strings{b});
  EXPECT_EQ(Titles(project.GetTopic(b).Children()), (Strings{"A", "B1"}));
  EXPECT_EQ(project.GetTopic(a).ParentID(), b);
}

TEST_F(DocModelTest, FailedMovesChangeNothing) {
  const std::string p = project.AddTopic("P", "").ID();
  const std::string c = project.AddTopic("C", p).ID();
  for (const auto& [id, parent] :
       std::vector<std::pair<std::string, std::string>>{{p, p}, {p, c}, {c, "NOPE"}, {"NOPE", ""}}) {
    EXPECT_THROW(project.MoveTopic(id, parent, 0), EFolivaneError);
  }
  EXPECT_EQ(ErrorMessage([&] { project.MoveTopic(p, c, 0); }), "Cannot move a topic into itself/its descendant.");
  EXPECT_EQ(project.RootTopicIDs(), Strings{p});
  EXPECT_EQ(project.GetTopic(p).Children(), Strings{c});
  EXPECT_EQ(project.GetTopic(c).ParentID(), p);
}
