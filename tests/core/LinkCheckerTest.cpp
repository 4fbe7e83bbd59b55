#include <gtest/gtest.h>

#include "PdfTestProject.h"
#include "uLinkChecker.h"

using namespace pdftest;

namespace {

std::vector<std::string> IssueTexts(const std::vector<TLinkIssue>& issues) {
  std::vector<std::string> out;
  for (const TLinkIssue& i : issues) out.push_back(i.TopicTitle + ": " + i.Issue);
  return out;
}

}  // namespace

TEST(LinkChecker, LocalReferencesResolveOrAreReported) {
  struct TCase {
    std::string attribute;
    bool reported;
  };
  TPdfTestProject p;
  p.Write("assets/images/a.png", "A");
  p.Write("assets/b c.png", "B");
  p.Write("assets/R&D.png", "R");
  p.Write("topics/beside.png", "C");
  p.Write("page.html", "<p>");
  const std::vector<TCase> cases = {
      {"src=\"assets/images/a.png\"", false},     // project-relative, as the editor writes
      {"src=\"../assets/images/a.png\"", false},  // relative to the topic file
      {"src=\"beside.png\"", false},
      {"src=\"./assets/images/../images/a.png\"", false},
      {"SRC = \"assets/images/missing.png\"", true},
      {"href=\"page.html#part\"", false},
      {"href=\"page.html?x=1&amp;y=2\"", false},
      {"href=\"gone.html?x=1\"", true},
      {"href=\"gone.html#part\"", true},
      {"src=\"assets/b c.png\"", false},
      {"src=\"assets/b%20c.png\"", false},
      {"src=\"assets/R&amp;D.png\"", false},
      {"src=\"" + p.Path("assets/images/a.png") + "\"", false},
      {"src=\"/no/such/file.png\"", true},
      {"src='missing-single-quoted.png'", false},  // only double-quoted values are checked
      {"href=\"#top\"", false},
      {"href=\"HTTPS://example.com/x.png\"", false},
      {"href=\"http://example.com\"", false},
      {"href=\"MailTo:ann@example.com\"", false},
      {"href=\"DOC:ABC\"", false},
      {"src=\"data:image/png;base64,AAAA\"", false},
      {"href=\"javascript:void(0)\"", false},
      {"href=\"ftp://example.com/f.zip\"", false},
      {"href=\"file:///nowhere/x.png\"", false},
      {"href=\"a|b*c.png\"", true},  // no path can hold these: reported, and the check goes on
      {"href=\"tab\there.png\"", true},
      {"href=\"?only=query\"", false},
  };
  std::string html;
  std::vector<std::string> expected;
  for (const TCase& c : cases) {
    html += "<a " + c.attribute + ">x</a>\n";
    if (c.reported) {
      const size_t open = c.attribute.find('"');
      expected.push_back("T: Missing local reference: " +
                         c.attribute.substr(open + 1, c.attribute.rfind('"') - open - 1));
    }
  }
  p.Add("T", html);
  EXPECT_EQ(IssueTexts(CheckLinks(p.Project())), expected);
}

TEST(LinkChecker, InternalLinksComeFirstWithRepeats) {
  TPdfTestProject p;
  TTopic& target = p.Add("Target", "<p>ok</p>");
  const std::string unknown = "0123456789ABCDEF0123456789ABCDEF";
  p.Add("Source", "<img src=\"missing.png\"><a href=\"doc:" + unknown + "\">1</a><a href='doc:" + unknown +
                      "'>2</a><a href=\"doc:" + target.ID() + "\">3</a><a href=\"doc:" + AsciiLower(target.ID()) +
                      "\">4</a>");
  const std::vector<TLinkIssue> issues = CheckLinks(p.Project());
  EXPECT_EQ(IssueTexts(issues), (std::vector<std::string>{
                                    "Source: Broken internal link: doc:" + unknown,
                                    "Source: Broken internal link: doc:" + unknown,
                                    "Source: Broken internal link: doc:" + AsciiLower(target.ID()),
                                    "Source: Missing local reference: missing.png",
                                }));
  ASSERT_FALSE(issues.empty());
  EXPECT_EQ(issues[0].TopicID, p.Project().RootTopicIDs()[1]);
}

TEST(LinkChecker, MissingTopicFilesAndTheOrderOfTopics) {
  TPdfTestProject p;
  TTopic& first = p.Add("First", "<img src=\"x.png\">");
  TTopic& child = p.Add("Child", "", first.ID());
  TTopic& second = p.Add("Second", "<img src=\"y.png\">");
  std::filesystem::remove(child.HtmlPath());
  second.SetHtmlPath("");
  // A topic the tree does not reach is still checked, after the tree.
  auto orphan = std::make_unique<TTopic>();
  orphan->SetID("ORPHAN");
  orphan->SetTitle("Orphan");
  p.Project().InsertLoadedTopic(std::move(orphan));

  EXPECT_EQ(IssueTexts(CheckLinks(p.Project())),
            (std::vector<std::string>{
                "First: Missing local reference: x.png", "Child: Missing HTML file: " + child.HtmlPath(),
                "Second: Missing HTML file: ", "Orphan: Missing HTML file: " + p.Path("topics/ORPHAN.html")}));
}

TEST(LinkChecker, CleanProjectHasNoIssuesAndReportsProgress) {
  TPdfTestProject p;
  TTopic& a = p.Add("A", "");
  p.Write("assets/a.png", "A");
  WriteFixtureFile(a.HtmlPath(), "<img src=\"assets/a.png\"><a href=\"doc:" + a.ID() + "\">self</a>");
  p.Add("B", "<a href=\"https://example.com\">web</a>", a.ID());
  std::vector<std::pair<int, int>> calls;
  EXPECT_TRUE(CheckLinks(p.Project(), [&](int done, int total) { calls.push_back({done, total}); }).empty());
  EXPECT_EQ(calls, (std::vector<std::pair<int, int>>{{0, 2}, {1, 2}, {2, 2}}));
}

TEST(LinkChecker, IsLocalReference) {
  for (const char* local :
       {"a.png", "assets/x y.png", "../a.png", "/abs/a.png", "C++ notes.html", "1abc:def", "-x:y"}) {
    EXPECT_TRUE(IsLocalReference(local)) << local;
  }
  for (const char* notLocal :
       {"", "#x", "http://a", "HTTPS://a", "mailto:x", "doc:x", "data:,x", "tel:1", "javascript:x", "file:///a",
        "a+b.c-d:x", "httpdocs/a.png"}) {  // any "http" start is taken for a web address
    EXPECT_FALSE(IsLocalReference(notLocal)) << notLocal;
  }
}
