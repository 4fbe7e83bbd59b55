// Find and replace in the text a reader sees, and across a project's topics.
#include <gtest/gtest.h>

#include <filesystem>

#include "TestHelpers.h"
#include "uPlatform.h"
#include "uProjectOpen.h"
#include "uProjectSearch.h"
#include "uStorage.h"

namespace {

struct TCase {
  const char* name;
  std::string html;
  TSearchQuery query;
  std::string replacement;
  std::vector<std::string> found;  // the visible text of each match
  std::string replaced;            // the page after replacing every match
};

std::vector<std::string> MatchedTexts(const std::string& text, const std::vector<TTextMatch>& matches) {
  std::vector<std::string> out;
  for (const TTextMatch& m : matches) out.push_back(text.substr(m.start, m.end - m.start));
  return out;
}

TSearchQuery Plain(const std::string& p) { return {p, false, false, false}; }
TSearchQuery Case(const std::string& p) { return {p, false, true, false}; }
TSearchQuery Word(const std::string& p) { return {p, false, false, true}; }
TSearchQuery Regex(const std::string& p) { return {p, true, false, false}; }

}  // namespace

TEST(TextSearch, MatchesAndReplacementsAcrossMarkup) {
  const TCase cases[] = {
      {"across inline markup",
       "<p><b>Save</b> As</p>",
       Plain("save as"),
       "Store As",
       {"Save As"},
       "<p><b>Store As</b></p>"},
      {"nested inline tags",
       "<p>Open <i><b>Fi</b>le</i> menu</p>",
       Plain("file menu"),
       "Data menu",
       {"File menu"},
       "<p>Open <i><b>Data menu</b></i></p>"},
      {"tag names and attributes are not text",
       "<p class=\"save\"><a href=\"save.html\" title=\"Save\">Open</a></p>",
       Plain("save"),
       "X",
       {},
       "<p class=\"save\"><a href=\"save.html\" title=\"Save\">Open</a></p>"},
      {"comments, scripts and styles are not text",
       "<!-- Save --><style>.Save{}</style><script>Save()</script><p>x</p>",
       Plain("save"),
       "X",
       {},
       "<!-- Save --><style>.Save{}</style><script>Save()</script><p>x</p>"},
      {"a quoted > in an attribute",
       "<img alt=\"a > Save\"><p>Save</p>",
       Plain("Save"),
       "Keep",
       {"Save"},
       "<img alt=\"a > Save\"><p>Keep</p>"},
      {"references are the characters they stand for",
       "<p>Tom &amp; Jerry&#39;s &lt;tag&gt;</p>",
       Plain("Tom & Jerry's <tag>"),
       "A & B",
       {"Tom & Jerry's <tag>"},
       "<p>A &amp; B</p>"},
      {"a no-break space is a space, runs of white space are one",
       "<p>Save&nbsp;As\n   now</p>",
       Plain("Save As now"),
       "x",
       {"Save As now"},
       "<p>x</p>"},
      {"blocks stay apart", "<p>Save</p><p>As</p>", Plain("save as"), "x", {}, "<p>Save</p><p>As</p>"},
      {"line breaks stay apart", "<p>Save<br>As</p>", Regex("save\\s+as"), "x", {}, "<p>Save<br>As</p>"},
      {"tokens are text",
       "<p>Use {var:Product} here</p>",
       Plain("{var:Product}"),
       "{var:Name}",
       {"{var:Product}"},
       "<p>Use {var:Name} here</p>"},
      {"Cyrillic with case folded",
       "<p>\xD0\x9F\xD0\xA0\xD0\x98\xD0\x92\xD0\x95\xD0\xA2 \xD0\xBC\xD0\xB8\xD1\x80</p>",
       Plain("\xD0\xBF\xD1\x80\xD0\xB8\xD0\xB2\xD0\xB5\xD1\x82"),
       "\xD0\x9F\xD0\xBE\xD0\xBA\xD0\xB0",
       {"\xD0\x9F\xD0\xA0\xD0\x98\xD0\x92\xD0\x95\xD0\xA2"},
       "<p>\xD0\x9F\xD0\xBE\xD0\xBA\xD0\xB0 \xD0\xBC\xD0\xB8\xD1\x80</p>"},
      {"CJK inside a run",
       "<p>\xE4\xB8\xAD\xE6\x96\x87\xE8\xAF\xB4\xE6\x98\x8E</p>",
       Plain("\xE6\x96\x87\xE8\xAF\xB4"),
       "X",
       {"\xE6\x96\x87\xE8\xAF\xB4"},
       "<p>\xE4\xB8\xAD"
       "X"
       "\xE6\x98\x8E</p>"},
      {"case kept when asked", "<p>Save save</p>", Case("save"), "keep", {"save"}, "<p>Save keep</p>"},
      {"whole words only",
       "<p>cat catalog scat cat_1 cat.</p>",
       Word("cat"),
       "dog",
       {"cat", "cat"},
       "<p>dog catalog scat cat_1 dog.</p>"},
      {"whole words in any script",
       "<p>\xD0\xBA\xD0\xBE\xD1\x82 \xD0\xBA\xD0\xBE\xD1\x82\xD1\x8B</p>",
       Word("\xD0\xBA\xD0\xBE\xD1\x82"),
       "X",
       {"\xD0\xBA\xD0\xBE\xD1\x82"},
       "<p>X \xD0\xBA\xD0\xBE\xD1\x82\xD1\x8B</p>"},
      {"regular expression with groups",
       "<p>Version 3.2 and version 4.10</p>",
       Regex("version (\\d+)\\.(?<minor>\\d+)"),
       "v$1-${minor}",
       {"Version 3.2", "version 4.10"},
       "<p>v3-2 and v4-10</p>"},
      {"plain text is not a pattern", "<p>a.b axb (x)</p>", Plain("a.b"), "[$1]", {"a.b"}, "<p>[$1] axb (x)</p>"},
      {"the replacement is escaped", "<p>x</p>", Plain("x"), "<b>&", {"x"}, "<p>&lt;b&gt;&amp;</p>"},
      {"an empty pattern match is skipped", "<p>ab</p>", Regex("z*"), "-", {}, "<p>ab</p>"},
  };
  for (const TCase& c : cases) {
    const TTextMatcher matcher(c.query);
    const THtmlVisibleText visible(c.html);
    const std::vector<TTextMatch> matches = matcher.Find(visible.Text(), &c.replacement);
    EXPECT_EQ(MatchedTexts(visible.Text(), matches), c.found) << c.name;
    EXPECT_EQ(visible.Replace(matches), c.replaced) << c.name;
  }
}

TEST(TextSearch, BadQueriesAreRefusedWithAReason) {
  EXPECT_EQ(ErrorMessage([] { TTextMatcher m(Plain("")); }), "Nothing to find: the search text is empty.");
  EXPECT_NE(ErrorMessage([] { TTextMatcher m(Regex("(unclosed")); }).find("Invalid regular expression"),
            std::string::npos);
}

TEST(TextSearch, ContextLineShowsTheMatchAmongWholeWords) {
  const std::string text = "one two three four five six seven eight nine ten\nnext block";
  size_t at = 0;
  const std::string line = ContextLine(text, text.find("five"), text.find("five") + 4, 12, &at);
  EXPECT_EQ(line, "three four five six seven");
  EXPECT_EQ(line.substr(at, 4), "five");
  EXPECT_EQ(ContextLine(text, text.find("ten"), text.find("ten") + 3, 8, &at), "nine ten next");
}

namespace {

class ProjectSearchTest : public ::testing::Test {
 protected:
  TTempDir dir;
  TDocProject project;
  void SetUp() override {
    project.Clear();
    project.SetRootPath(dir.Path() + "/P/");
  }
  TTopic& Add(const std::string& title, const std::string& html) {
    TTopic& t = project.AddTopic(title, "");
    WriteFixtureFile(t.HtmlPath(), html);
    return t;
  }
  std::string Page(const TTopic& t) const { return ReadBinaryFile(t.HtmlPath()); }
};

}  // namespace

TEST_F(ProjectSearchTest, FindsInEachChosenFieldAndUnsavedPages) {
  TTopic& a = Add("Saving files", "<p>Click <b>Save</b> to save.</p>");
  a.Keywords() = {"save", "store"};
  a.IndexEntries() = {"files, saving"};
  WriteFixtureFile(HeaderHtmlPath(project, a.ID()), "<div><b>Save</b> guide</div>");
  TTopic& b = Add("Other", "<p>nothing here</p>");
  const TUnsavedPages unsaved{{b.ID(), "<p>typed: save</p>"}};

  TProjectSearch search{Plain("sav"), sfAll, std::nullopt};
  const std::vector<TTopicMatches> all = FindInProject(project, search, &unsaved);
  ASSERT_EQ(all.size(), 2u);
  std::vector<std::pair<TSearchField, std::string>> fields;
  for (const TFieldMatch& m : all[0].matches) fields.emplace_back(m.field, m.context);
  EXPECT_EQ(fields, (std::vector<std::pair<TSearchField, std::string>>{
                        {TSearchField::Title, "Saving files"},
                        {TSearchField::Body, "Click Save to save."},
                        {TSearchField::Body, "Click Save to save."},
                        {TSearchField::Header, "Save guide"},
                        {TSearchField::Keyword, "save"},
                        {TSearchField::IndexEntry, "files, saving"},
                    }));
  EXPECT_EQ(all[1].topicId, b.ID()) << "the unsaved page takes part";

  search.fields = sfTitles | sfKeywords;
  EXPECT_EQ(FindInProject(project, search).at(0).matches.size(), 3u);
  unsigned chosen = 0;
  EXPECT_TRUE(ParseSearchFields("titles, bodies", chosen));
  EXPECT_EQ(chosen, unsigned(sfTitles | sfBodies));
  EXPECT_FALSE(ParseSearchFields("titles,pages", chosen));
}

TEST_F(ProjectSearchTest, ReplacesChosenMatchesAndUndoesThem) {
  TTopic& a = Add("Save dialog", "<p><b>Save</b> As and Save</p>");
  a.Keywords() = {"Save"};
  TTopic& b = Add("B", "<p>Save</p>");
  const std::string aPage = Page(a);
  TUnsavedPages unsaved{{b.ID(), "<p>unsaved Save</p>"}};
  const std::vector<TTopicMatches> found =
      FindInProject(project, {Case("Save"), sfAll, std::string("Store")}, &unsaved);
  // Leave out the second match of the page of a.
  const auto chosen = [&](const std::string& id, size_t i) { return !(id == a.ID() && i == 2); };
  const std::vector<TTopicChange> changes = PlanReplacement(project, found, &unsaved, chosen);
  ASSERT_EQ(changes.size(), 2u);
  EXPECT_EQ(changes[0].count, 3);
  ApplyTopicChanges(project, changes, true, &unsaved);
  EXPECT_EQ(a.Title(), "Store dialog");
  EXPECT_EQ(Page(a), "<p><b>Store</b> As and Save</p>");
  EXPECT_EQ(a.Keywords(), TStringList{"Store"});
  EXPECT_EQ(unsaved.at(b.ID()), "<p>unsaved Store</p>");
  EXPECT_EQ(Page(b), "<p>Save</p>") << "an unsaved page changes where it is, not on disk";

  ApplyTopicChanges(project, changes, false, &unsaved);
  EXPECT_EQ(a.Title(), "Save dialog");
  EXPECT_EQ(Page(a), aPage);
  EXPECT_EQ(a.Keywords(), TStringList{"Save"});
  EXPECT_EQ(unsaved.at(b.ID()), "<p>unsaved Save</p>");
}

TEST_F(ProjectSearchTest, AChangedPageOrAFailedWriteChangesNothing) {
  TTopic& a = Add("A", "<p>alpha</p>");
  TTopic& b = Add("B", "<p>alpha</p>");
  const std::vector<TTopicMatches> found = FindInProject(project, {Plain("alpha"), sfAll, std::string("beta")});
  WriteFixtureFile(a.HtmlPath(), "<p>edited alpha</p>");
  EXPECT_EQ(ErrorMessage([&] { PlanReplacement(project, found); }),
            "The topic \"A\" has changed since the search. Search again before replacing.");

  WriteFixtureFile(a.HtmlPath(), "<p>alpha</p>");
  const std::vector<TTopicChange> changes = PlanReplacement(project, found);
  // b's page cannot be replaced: a folder stands in its place.
  std::filesystem::remove(b.HtmlPath());
  std::filesystem::create_directories(b.HtmlPath() + "/x");
  EXPECT_NE(ErrorMessage([&] { ApplyTopicChanges(project, changes, true); }), "(no error)");
  EXPECT_EQ(Page(a), "<p>alpha</p>") << "the page written first is put back";
}

TEST(CliFindReplace, FindsPrintsAndReplaces) {
  TTempDir dir;
  const std::string file = dir / "Guide.fvp";
  CreateProjectFile(file, "Guide");
  TDocProject project;
  TProjectSettings settings;
  OpenProjectFile(file, project, settings);
  TTopic& a = project.AddTopic("Print dialog", "");
  WriteFixtureFile(a.HtmlPath(), "<p>Choose <b>Print</b> to print.</p>");
  SaveProject(project);
  const std::string topicsBefore = ReadBinaryFile(TopicsJsonPath(project.RootPath()));
  const auto run = [](const std::vector<std::string>& args) {
    return RunProcessAndWait(FOLIVANE_CLI_PATH, args, "", std::chrono::milliseconds(60000));
  };
  struct TRun {
    std::vector<std::string> args;
    int exitCode;
    std::string output;
  } runs[] = {
      {{"find", file, "print"},
       0,
       "Print dialog: Print dialog\nPrint dialog: Choose Print to print.\nPrint dialog: Choose Print to print.\n"},
      {{"find", file, "print", "--case", "--in", "bodies"}, 0, "Print dialog: Choose Print to print.\n"},
      {{"find", file, "prin", "--word"}, 3, ""},
      {{"find", file, "p(r)int", "--regex", "--in", "pages"},
       2,
       "error: --in needs a list of titles, bodies, headers, keywords\nUsage: folivane-cli find FILE.fvp PATTERN "
       "[--regex] [--case] [--word] [--in titles,bodies,headers,keywords]\n"},
      {{"replace", file, "(P)rint", "$1ost", "--regex", "--case", "--in", "bodies", "--dry-run"},
       0,
       "Print dialog: Choose Print to print. -> Choose Post to print.\nWould replace 1 matches in 1 topics.\n"},
      {{"replace", file, "(P)rint", "$1ost", "--regex", "--case", "--in", "bodies"},
       0,
       "Print dialog: Choose Print to print. -> Choose Post to print.\nReplaced 1 matches in 1 topics.\n"},
      {{"replace", file, "Print", "Post", "--case", "--in", "bodies"}, 3, "Replaced 0 matches in 0 topics.\n"},
  };
  for (const TRun& r : runs) {
    const TProcessResult result = run(r.args);
    EXPECT_EQ(result.exitCode, r.exitCode) << r.args[0] << " " << r.args[2] << "\n" << result.output;
    EXPECT_EQ(result.output, r.output) << r.args[0] << " " << r.args[2];
  }
  EXPECT_EQ(ReadBinaryFile(a.HtmlPath()), "<p>Choose <b>Post</b> to print.</p>");
  EXPECT_EQ(ReadBinaryFile(TopicsJsonPath(project.RootPath())), topicsBefore) << "pages alone: the list stays";
  EXPECT_EQ(run({"replace", file, "dialog", "window", "--in", "titles"}).exitCode, 0);
  TDocProject reread;
  OpenProjectFile(file, reread, settings);
  EXPECT_EQ(reread.GetTopic(a.ID()).Title(), "Print window");
}
