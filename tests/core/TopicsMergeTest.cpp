// The three-way merge of topics.json, and folivane-cli merge-topics as git's merge driver.
#include "uTopicsMerge.h"

#include <gtest/gtest.h>

#include <functional>

#include "TestHelpers.h"
#include "uPlatform.h"
#include "uTopicsJson.h"

namespace {

using TEdit = std::function<void(TDocProject&)>;

// A tree written as "A(A1 A2[kw1 kw2]) B": IDs with their keywords, each topic titled with its ID.
void ParseShape(TDocProject& p, const std::string& shape) {
  std::vector<std::string> parents{""};
  std::string id;
  TStringList keywords;
  const auto flush = [&] {
    if (id.empty()) return;
    auto topic = std::make_unique<TTopic>();
    topic->SetID(id);
    topic->SetTitle(id);
    topic->SetParentID(parents.back());
    topic->Keywords() = keywords;
    p.InsertLoadedTopic(std::move(topic));
    (parents.back().empty() ? p.RootTopicIDs() : p.GetTopic(parents.back()).Children()).push_back(id);
    id.clear();
    keywords.clear();
  };
  for (size_t i = 0; i < shape.size(); ++i) {
    const char c = shape[i];
    if (c == '[') {
      const size_t end = shape.find(']', i);
      keywords = SplitString(shape.substr(i + 1, end - i - 1), ' ');
      i = end;
    } else if (c == '(' || c == ')' || c == ' ') {
      const std::string last = id;
      flush();
      if (c == '(') parents.push_back(last);
      if (c == ')') parents.pop_back();
    } else {
      id += c;
    }
  }
  flush();
}

// The same form back, with what differs from a bare topic: "Title", [keywords], #help ID.
std::string Shape(const std::string& text) {
  TDocProject p;
  EXPECT_TRUE(ReadTopicsJson(text, "merged", "", p, nullptr));
  std::string out;
  int open = 0;
  p.WalkTopics(
      [&](const TTopic& t, int depth) {
        for (; open > depth; --open) out += ")";
        if (!out.empty() && out.back() != '(') out += " ";
        out += t.ID();
        if (t.Title() != t.ID()) out += "\"" + t.Title() + "\"";
        for (size_t i = 0; i < t.Keywords().size(); ++i) out += (i == 0 ? "[" : " ") + t.Keywords()[i];
        if (!t.Keywords().empty()) out += "]";
        if (t.HelpId() != 0) out += "#" + std::to_string(t.HelpId());
        if (!t.Children().empty()) {
          out += "(";
          open = depth + 1;
        }
        return TWalkAction::Descend;
      },
      nullptr);
  for (; open > 0; --open) out += ")";
  return out;
}

// Edits of one branch. Topics are added with the given ID, at the end of parent's list.
void Add(TDocProject& p, const std::string& id, const std::string& parent = "") {
  auto topic = std::make_unique<TTopic>();
  topic->SetID(id);
  topic->SetTitle(id);
  topic->SetParentID(parent);
  p.InsertLoadedTopic(std::move(topic));
  (parent.empty() ? p.RootTopicIDs() : p.GetTopic(parent).Children()).push_back(id);
}
TEdit Adds(const std::string& id, const std::string& parent = "") {
  return [=](TDocProject& p) { Add(p, id, parent); };
}
TEdit Moves(const std::string& id, const std::string& parent, int index) {
  return [=](TDocProject& p) { p.MoveTopic(id, parent, index); };
}
TEdit Deletes(const std::string& id) {
  return [=](TDocProject& p) { p.DeleteTopic(id); };
}
TEdit Renames(const std::string& id, const std::string& title) {
  return [=](TDocProject& p) { p.GetTopic(id).SetTitle(title); };
}
TEdit SetsKeywords(const std::string& id, const TStringList& keywords) {
  return [=](TDocProject& p) { p.GetTopic(id).Keywords() = keywords; };
}
TEdit SetsHelpId(const std::string& id, int helpId) {
  return [=](TDocProject& p) { p.GetTopic(id).SetHelpId(helpId); };
}
TEdit Both(TEdit a, TEdit b) {
  return [=](TDocProject& p) {
    a(p);
    b(p);
  };
}
const TEdit kNothing = [](TDocProject&) {};

class TopicsMerge : public ::testing::Test {
 protected:
  TTempDir dir;  // DeleteTopic removes the topic's files: they would lie here

  std::string Version(const std::string& shape, const TEdit& edit) const {
    TDocProject p;
    p.SetRootPath(dir.Path() + "/");
    ParseShape(p, shape);
    edit(p);
    return TopicsJsonText(p);
  }
};

}  // namespace

TEST_F(TopicsMerge, EachSidesChangesAreApplied) {
  struct Case {
    const char* name;
    const char* base;
    TEdit ours, theirs;
    std::string merged;
    std::vector<std::string> conflicts;
  };
  const Case cases[] = {
      {"nothing changed", "A(A1 A2) B", kNothing, kNothing, "A(A1 A2) B", {}},
      {"one side only", "A B", Adds("C", "A"), kNothing, "A(C) B", {}},
      {"both add to one list", "A B", Adds("C"), Adds("D"), "A B C D", {}},
      {"both add in different places", "A(A1) B", Adds("A2", "A"), Adds("B1", "B"), "A(A1 A2) B(B1)", {}},
      {"the same topic added on both sides", "A", Adds("C"), Adds("C"), "A C", {}},
      {"one reorders, the other appends", "A B C", Moves("C", "", 0), Adds("D"), "C A B D", {}},
      {"both move within one list", "A B C D", Moves("A", "", 3), Moves("D", "", 0), "D B C A", {}},
      {"both move into other parents", "A B C D", Moves("C", "A", 0), Moves("D", "B", 0), "A(C) B(D)", {}},
      {"one moves what the other renames", "A B C", Moves("C", "A", 0), Renames("C", "Setup"), "A(C\"Setup\") B", {}},
      {"one deletes, the other leaves it", "A(A1) B", Deletes("A"), kNothing, "B", {}},
      {"both delete", "A B", Deletes("A"), Deletes("A"), "B", {}},
      {"one deletes what the other edits",
       "A B",
       Deletes("B"),
       SetsKeywords("B", {"sync"}),
       "A B[sync]",
       {"topic \"B\" (B): deleted in ours but changed in theirs; kept as changed"}},
      {"one edits what the other deletes",
       "A B",
       Renames("B", "Beta"),
       Deletes("B"),
       "A B\"Beta\"",
       {"topic \"Beta\" (B): deleted in theirs but changed in ours; kept as changed"}},
      {"both rename alike", "A", Renames("A", "Setup"), Renames("A", "Setup"), "A\"Setup\"", {}},
      {"both rename differently",
       "A B",
       Renames("A", "Setup"),
       Renames("A", "Installation"),
       "A\"Setup | Installation\" B",
       {"topic \"Setup\" (A): renamed to \"Setup\" in ours and \"Installation\" in theirs; the title keeps both"}},
      {"keywords added and removed on both sides",
       "A[a b c]",
       SetsKeywords("A", {"a", "b", "c", "x"}),
       SetsKeywords("A", {"c", "a"}),
       "A[a c x]",
       {}},
      {"both set the help ID differently",
       "A",
       SetsHelpId("A", 10),
       SetsHelpId("A", 20),
       "A#10",
       {"topic \"A\" (A): help ID 10 in ours and 20 in theirs; ours kept"}},
      {"both move one topic to different parents",
       "A B C",
       Moves("C", "A", 0),
       Moves("C", "B", 0),
       "A(C) B",
       {"topic \"C\" (C): moved to different places in ours and theirs; kept where ours has it"}},
      {"two moves that make a cycle",
       "A B",
       Moves("A", "B", 0),
       Moves("B", "A", 0),
       "B(A)",
       {"topic \"B\" (B): the two sides' moves put it below itself; kept where ours has it"}},
      {"added under a topic the other side deleted",
       "A(A1) B",
       Deletes("A"),
       Adds("A2", "A"),
       "B A2",
       {"topic \"A2\" (A2): its parent was deleted; moved to the top level"}},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    const std::string base = Version(c.base, kNothing);
    const std::string ours = Version(c.base, c.ours), theirs = Version(c.base, c.theirs);
    const TTopicsMergeResult r = MergeTopicsJson({base, "base"}, {ours, "ours"}, {theirs, "theirs"});
    EXPECT_EQ(Shape(r.text), c.merged);
    EXPECT_EQ(r.conflicts, c.conflicts);
  }
}

// A clean merge writes the file as the program saves it, so the next save changes nothing.
TEST_F(TopicsMerge, CleanResultIsTheProgramsOwnText) {
  const std::string base = Version("A B", kNothing);
  const std::string ours = Version("A B", Adds("C")), theirs = Version("A B", Renames("A", "Caf\xC3\xA9 / Start"));
  const std::string merged = MergeTopicsJson({base, "base"}, {ours, "ours"}, {theirs, "theirs"}).text;
  EXPECT_EQ(merged, Version("A B", Both(Adds("C"), Renames("A", "Caf\xC3\xA9 / Start"))));
  EXPECT_EQ(MergeTopicsJson({"", "base"}, {ours, "ours"}, {ours, "theirs"}).text, ours)
      << "a file both branches added has an empty base";
}

TEST_F(TopicsMerge, UnreadableVersionIsNamed) {
  const std::string good = Version("A", kNothing);
  EXPECT_EQ(ErrorMessage([&] {
              MergeTopicsJson({good, "base"}, {good, "ours"}, {"{\"topics\":[", "theirs"});
            }).rfind("Cannot merge theirs: ", 0),
            0u);
  EXPECT_EQ(ErrorMessage([&] {
              MergeTopicsJson({"{\"topics\":[{\"id\":\"../x\"}]}", "base"}, {good, "ours"}, {good, "theirs"});
            }).rfind("Cannot load base: the topic ID", 0),
            0u);
}

namespace {

TProcessResult RunIn(const std::string& dir, const std::string& program, const std::vector<std::string>& args) {
  return RunProcessAndWait(program, args, dir, std::chrono::milliseconds(60000));
}

// A repository whose meta/topics.json git merges with folivane-cli.
class MergeDriver : public TopicsMerge {
 protected:
  std::string repo = dir / "repo";

  void SetUp() override {
    const std::string git = FindOnPath("git");
    if (git.empty()) GTEST_SKIP() << "git is not installed";
    EnsureDir(repo);
    Git({"init", "-q", "-b", "main"});
    for (const auto& [key, value] : std::vector<std::pair<std::string, std::string>>{
             {"user.name", "Writer"},
             {"user.email", "writer@example.com"},
             {"merge.folivane-topics.driver", std::string(FOLIVANE_CLI_PATH) + " merge-topics %O %A %B"}}) {
      Git({"config", key, value});
    }
    WriteFixtureFile(repo + "/.gitattributes", "meta/topics.json merge=folivane-topics\n");
  }

  TProcessResult Git(const std::vector<std::string>& args) { return RunIn(repo, FindOnPath("git"), args); }

  void Commit(const std::string& text, const std::string& message) {
    WriteFixtureFile(repo + "/meta/topics.json", text);
    Git({"add", "-A"});
    ASSERT_EQ(Git({"commit", "-q", "-m", message}).exitCode, 0);
  }

  // Commits base on main, ours on main and theirs on a branch, and merges the branch.
  TProcessResult Merge(const std::string& base, const TEdit& ours, const TEdit& theirs) {
    Commit(Version(base, kNothing), "base");
    Git({"checkout", "-q", "-b", "theirs"});
    Commit(Version(base, theirs), "theirs");
    Git({"checkout", "-q", "main"});
    Commit(Version(base, ours), "ours");
    return Git({"merge", "-q", "--no-edit", "theirs"});
  }
};

}  // namespace

TEST_F(MergeDriver, GitMergesTwoBranchesThatBothChangeTheTree) {
  const TProcessResult r = Merge("A B C", Both(Adds("D", "A"), Moves("C", "", 0)), Renames("B", "Setup"));
  EXPECT_EQ(r.exitCode, 0) << r.output;
  EXPECT_EQ(Shape(ReadTextFileUtf8(repo + "/meta/topics.json")), "C A(D) B\"Setup\"");
  EXPECT_EQ(Git({"status", "--porcelain"}).output, "");
}

TEST_F(MergeDriver, ConflictStopsTheMergeWithBothSidesInTheFile) {
  const TProcessResult r = Merge("A B", Renames("A", "Setup"), Renames("A", "Installation"));
  EXPECT_NE(r.exitCode, 0) << r.output;
  EXPECT_NE(r.output.find("conflict: topic \"Setup\" (A): renamed to \"Setup\" in ours and \"Installation\" in theirs"),
            std::string::npos)
      << r.output;
  EXPECT_EQ(Shape(ReadTextFileUtf8(repo + "/meta/topics.json")), "A\"Setup | Installation\" B");
  EXPECT_EQ(Git({"status", "--porcelain"}).output, "UU meta/topics.json\n");
}

TEST(CliMergeTopics, UnreadableInputLeavesOursAsItWas) {
  TTempDir dir;
  WriteFixtureFile(dir / "base", "{\"rootTopicIds\":[],\"topics\":[]}");
  WriteFixtureFile(dir / "ours", "{\"rootTopicIds\":[],\"topics\":[]}");
  WriteFixtureFile(dir / "theirs", "{\"rootTopicIds\":[");
  const TProcessResult r = RunIn("", FOLIVANE_CLI_PATH, {"merge-topics", dir / "base", dir / "ours", dir / "theirs"});
  EXPECT_EQ(r.exitCode, 1);
  EXPECT_EQ(r.output.rfind("error: Cannot merge " + dir / "theirs", 0), 0u) << r.output;
  EXPECT_EQ(ReadTextFileUtf8(dir / "ours"), "{\"rootTopicIds\":[],\"topics\":[]}");
}
