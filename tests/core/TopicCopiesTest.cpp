#include <gtest/gtest.h>

#include "TestHelpers.h"
#include "uRecentProjects.h"
#include "uStorage.h"
#include "uTopicCopies.h"
#include "uTopicHtmlDefaults.h"

namespace {

using Strings = std::vector<std::string>;

// A project of roots A, B (with B1, which has B11) and C, each with a page and header.
class TopicCopiesTest : public ::testing::Test {
 protected:
  TTempDir dir;
  TDocProject p;
  std::string a, b, b1, b11, c;
  TPendingTopicTexts pending;

  void SetUp() override {
    p.SetRootPath(dir.Path() + "/P/");
    a = Add("A", "");
    b = Add("B", "");
    b1 = Add("B1", b);
    b11 = Add("B11", b1);
    c = Add("C", "");
  }
  std::string Add(const std::string& title, const std::string& parent) {
    const std::string id = p.AddTopic(title, parent).ID();
    WriteTextFileUtf8(TopicFilePath(p, id), "<p>" + title + "</p>");
    WriteTextFileUtf8(HeaderHtmlPath(p, id), "<div style=\"color:#B\"><b>" + title + "</b></div>");
    WriteTextFileUtf8(HeaderBgPath(p, id), "#eee");
    return id;
  }
  Strings TitlesOf(const Strings& ids) {
    Strings out;
    for (const std::string& id : ids) out.push_back(p.GetTopic(id).Title());
    return out;
  }
  std::string Page(const std::string& id) { return ReadTextFileUtf8(TopicFilePath(p, id)); }
};

TEST_F(TopicCopiesTest, RemovedBranchComesBackWithItsFilesTextsAndPlace) {
  p.GetTopic(b1).Keywords() = {"kw"};
  p.GetTopic(b1).SetExcludeChm(true);
  pending[b11] = "<p>typed</p>";
  pending[a] = "<p>other</p>";
  const TRemovedBranch removed = RemoveBranch(p, b1, pending);
  EXPECT_FALSE(p.HasTopic(b1) || p.HasTopic(b11));
  EXPECT_TRUE(p.GetTopic(b).Children().empty());
  for (const std::string& id : {b1, b11}) {
    EXPECT_FALSE(FileExists(TopicFilePath(p, id)) || FileExists(HeaderHtmlPath(p, id)) ||
                 FileExists(HeaderBgPath(p, id)));
  }
  EXPECT_EQ(pending.count(b11), 0u);
  EXPECT_EQ(pending.count(a), 1u);

  RestoreBranch(p, removed, pending);
  EXPECT_EQ(p.GetTopic(b).Children(), Strings{b1});
  EXPECT_EQ(p.GetTopic(b1).Children(), Strings{b11});
  EXPECT_EQ(p.GetTopic(b11).ParentID(), b1);
  EXPECT_EQ(p.GetTopic(b1).Keywords(), Strings{"kw"});
  EXPECT_TRUE(p.GetTopic(b1).ExcludeChm());
  EXPECT_EQ(Page(b11), "<p>B11</p>");
  EXPECT_EQ(ReadTextFileUtf8(HeaderHtmlPath(p, b1)), "<div style=\"color:#B\"><b>B1</b></div>");
  EXPECT_EQ(ReadTextFileUtf8(HeaderBgPath(p, b11)), "#eee");
  EXPECT_EQ(pending[b11], "<p>typed</p>");
  EXPECT_EQ(p.GetTopic(b1).HtmlPath(), TopicFilePath(p, b1));
}

TEST_F(TopicCopiesTest, RemovalsAreUndoneInTurnAtTheirPlaces) {
  // The middle root, then the first: undoing the last one first puts both back in order.
  const TRemovedBranch first = RemoveBranch(p, b, pending);
  const TRemovedBranch second = RemoveBranch(p, a, pending);
  EXPECT_EQ(TitlesOf(p.RootTopicIDs()), (Strings{"C"}));
  RestoreBranch(p, second, pending);
  RestoreBranch(p, first, pending);
  EXPECT_EQ(TitlesOf(p.RootTopicIDs()), (Strings{"A", "B", "C"}));
  EXPECT_EQ(p.SubtreeIDs(b), (Strings{b, b1, b11}));
  EXPECT_EQ(ErrorMessage([&] { RestoreBranch(p, first, pending); }),
            "The topic \"B\" cannot be restored: its ID is in use.");
  EXPECT_EQ(p.RootTopicIDs().size(), 3u) << "a refused restore changes nothing";
}

TEST_F(TopicCopiesTest, ABranchWhoseParentWentSinceReturnsAsTheLastRoot) {
  const TRemovedBranch child = RemoveBranch(p, b11, pending);
  RemoveBranch(p, b, pending);
  RestoreBranch(p, child, pending);
  EXPECT_EQ(p.RootTopicIDs().back(), b11);
  EXPECT_EQ(p.GetTopic(b11).ParentID(), "");
}

TEST_F(TopicCopiesTest, DuplicateCopiesOneTopicOrTheWholeBranchUnderNewIDs) {
  pending[b1] = "<p>unsaved B1</p>";
  struct TCase {
    bool withSubtopics;
    Strings copyTitles;  // the copy's branch in tree order
  };
  for (const TCase& tc : {TCase{false, {"B (copy)"}}, TCase{true, {"B (copy)", "B1", "B11"}}}) {
    const std::string copy = DuplicateBranch(p, b, tc.withSubtopics, "B (copy)", pending);
    const Strings branch = p.SubtreeIDs(copy);
    EXPECT_EQ(TitlesOf(branch), tc.copyTitles);
    EXPECT_EQ(p.RootTopicIDs()[2], copy) << "right after the original";
    EXPECT_EQ(p.SubtreeIDs(b), (Strings{b, b1, b11})) << "the original is untouched";
    for (size_t i = 0; i < branch.size(); ++i) {
      const std::string& id = branch[i];
      EXPECT_TRUE(id != b && id != b1 && id != b11);
      EXPECT_EQ(p.GetTopic(id).ParentID(), i == 0 ? "" : branch[i - 1]);
      EXPECT_EQ(Page(id), "<p>" + std::string(i == 0 ? "B" : tc.copyTitles[i]) + "</p>");
      EXPECT_EQ(ReadTextFileUtf8(HeaderBgPath(p, id)), "#eee");
    }
    EXPECT_EQ(ReadTextFileUtf8(HeaderHtmlPath(p, copy)), "<div style=\"color:#B\"><b>B (copy)</b></div>");
    if (tc.withSubtopics) EXPECT_EQ(pending[branch[1]], "<p>unsaved B1</p>");
    RemoveBranch(p, copy, pending);
  }
  EXPECT_EQ(ErrorMessage([&] { DuplicateBranch(p, "nope", true, "x", pending); }), "Topic not found: nope");
}

TEST(TopicHtmlDefaults, RetitledHeaderTouchesOnlyAHeaderShowingTheOldTitle) {
  struct TCase {
    const char* header;
    std::optional<std::string> result;
  };
  const TCase cases[] = {
      {"<div style=\"font-family:Tips\"><b>Tips</b></div>", "<div style=\"font-family:Tips\"><b>Q &amp; A</b></div>"},
      {"<p><strong> Tips </strong></p>", "<p><strong> Q &amp; A </strong></p>"},
      {"<p><b>Tips</b> and more</p>", std::nullopt},
      {"<p><b>Ti</b>ps</p>", std::nullopt},
      {"<p><a href=\"x\">Tips</a></p>", std::nullopt},
      {"<p>tips</p>", std::nullopt},
  };
  for (const TCase& tc : cases) EXPECT_EQ(RetitledHeader(tc.header, "Tips", "Q & A"), tc.result) << tc.header;
}

TEST(RecentProjects, NewestFirstTenAtMostNoRepeats) {
  TTempDir dir;
  const std::string ini = dir / "settings.ini";
  WriteFixtureFile(ini, "[UI]\nCurrentLanguage=de\n");
  for (int i = 1; i <= 12; ++i) AddRecentProject(ini, "/p/" + std::to_string(i) + ".fvp");
  AddRecentProject(ini, "/p/5.fvp");
  const Strings list = ReadRecentProjects(ini);
  EXPECT_EQ(list, (Strings{"/p/5.fvp", "/p/12.fvp", "/p/11.fvp", "/p/10.fvp", "/p/9.fvp", "/p/8.fvp", "/p/7.fvp",
                           "/p/6.fvp", "/p/4.fvp", "/p/3.fvp"}));
  RemoveRecentProject(ini, "/p/12.fvp");
  EXPECT_EQ(ReadRecentProjects(ini).size(), 9u);
  EXPECT_EQ(ReadRecentProjects(ini)[1], "/p/11.fvp");
  EXPECT_NE(ReadTextFileUtf8(ini).find("CurrentLanguage=de"), std::string::npos) << "other settings stay";
  EXPECT_TRUE(ReadRecentProjects(dir / "missing.ini").empty());
}

}  // namespace
