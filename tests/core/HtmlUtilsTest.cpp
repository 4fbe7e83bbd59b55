#include <gtest/gtest.h>

#include <filesystem>
#include <string>
#include <vector>

#include "TestHelpers.h"
#include "uHtmlUtils.h"
#include "uStorage.h"
#include "uUtils.h"

namespace {

const std::string kId = "0123456789ABCDEF0123456789abcdef";

struct TTextCase {
  const char* input;
  const char* expected;
};

TEST(HtmlToPlainText, StripsTagsDecodesEntitiesAndFoldsSpace) {
  const TTextCase cases[] = {
      {"", ""},
      {"<p>A&amp;lt;B</p>", "A<B"},
      {"<style>p{}</style><p>x</p>", "x"},
      {"<SCRIPT type=\"x\">a<b</SCRIPT>y", "y"},
      {"<script>a</ScRiPt>b<style x>c</STYLE>d", "b d"},
      {"&copy; &#160;", "&copy; &#160;"},
      {"a&nbsp;&NBSP;b", "a b"},
      {"&quot;&#39;&gt;&LT;", "\"'><"},
      {"&amp;nbsp; &amp;amp;lt;", "&nbsp; &amp;lt;"},
      {"  <p>one</p>\r\n\t<p>two</p>  ", "one two"},
      {"a<br>b", "a b"},
      {"a <> b", "a <> b"},
      {"x < y", "x < y"},
      {"<!-- c -->t<!DOCTYPE html>", "t"},
      {"<script>never closed", "never closed"},
      {"<scripts>x</scripts>y", "x y"},
      {"<a title=\"<script>\">x</script>y", "<a title=\" y"},
      {"caf\xC3\xA9 \xE2\x80\x94 ok", "caf\xC3\xA9 \xE2\x80\x94 ok"},
      {"<\xC5\xBF"
       "cript>a</script>b",
       "b"},  // U+017F matches "s" when case is ignored
  };
  for (const auto& c : cases) EXPECT_EQ(HtmlToPlainText(c.input), c.expected) << c.input;
}

TEST(HtmlToPlainText, StaysLinearWithManyUnclosedScripts) {
  std::string html;
  for (int i = 0; i < 20000; ++i) html += "<script>x";
  EXPECT_EQ(HtmlToPlainText(html), Trim(ReplaceAll(html, "<script>", " ")));
}

TEST(DocLinks, ExtractsIdentifiersInOrderWithDuplicates) {
  const std::string html = "<a href=\"doc:" + kId + "\">a</a><a HREF = 'doc:" + kId +
                           "\">b</a><a href=\"doc:" + kId.substr(1) + "\">short</a><a href=\"doc:" + kId +
                           "0\">long</a><a href='doc:FFFFFFFFFFFFFFFFFFFFFFFFFFFFFFFF'>c</a>";
  EXPECT_EQ(ExtractDocLinkIds(html), (std::vector<std::string>{kId, kId, "FFFFFFFFFFFFFFFFFFFFFFFFFFFFFFFF"}));
  EXPECT_TRUE(ExtractDocLinkIds("").empty());
}

TEST(DocLinks, RewritesThroughTheResolver) {
  const std::string html = "<a HREF = 'doc:" + kId + "'>x</a> <a href=\"doc:" + kId.substr(1) + "\">y</a>";
  std::vector<std::string> asked;
  const std::string out = RewriteDocLinks(html, [&](const std::string& id) {
    asked.push_back(id);
    return id + ".html";
  });
  EXPECT_EQ(out, "<a href=\"" + kId + ".html\">x</a> <a href=\"doc:" + kId.substr(1) + "\">y</a>");
  EXPECT_EQ(asked, std::vector<std::string>{kId});

  EXPECT_EQ(RewriteDocLinks("<a href='doc:" + kId + "\"></a>", [](const std::string&) { return ""; }),
            "<a href=\"#\"></a>");
  const std::string plain = "<p>no links, doc: here <a href=\"x.html\">x</a></p>";
  EXPECT_EQ(RewriteDocLinks(plain, [](const std::string&) { return "never"; }), plain);
}

TEST(HtmlEscaping, EscapeAndEncodeDifferOnlyInTheApostrophe) {
  EXPECT_EQ(HtmlEscape("a&b<c>\"d\"'e'"), "a&amp;b&lt;c&gt;&quot;d&quot;&#39;e&#39;");
  EXPECT_EQ(EncodeHtmlText("a&b<c>\"d\"'e'"), "a&amp;b&lt;c&gt;&quot;d&quot;'e'");
  EXPECT_EQ(HtmlEscape("&amp;"), "&amp;amp;");
  EXPECT_EQ(EncodeHtmlText(""), "");
}

TEST(NeutraliseWhiteBackgrounds, RunsTheRowsOfEachForm) {
  struct {
    const char* input;
    const char* webhelp;
    const char* chm;
  } cases[] = {
      {"background-color: rgb(255, 255, 255)", "background-color: transparent", "background-color: transparent"},
      {"BACKGROUND-COLOR:RGB(255, 255, 255)", "background-color: transparent", "background-color: transparent"},
      {"background-color:#FFFFFF", "background-color: transparent", "background-color: transparent"},
      {"background-color: #ffffff", "background-color: transparent", "background-color: transparent"},
      {"background-color:#fff;", "background-color: transparent;", "background-color: transparent;"},
      {"background-color: #fff", "background-color: transparent", "background-color: transparent"},
      {"background-color:White", "background-color: transparent", "background-color: transparent"},
      {"background-color: white", "background-color: transparent", "background-color: transparent"},
      {"background: rgb(255, 255, 255)", "background: transparent", "background: rgb(255, 255, 255)"},
      {"background:#ffffff", "background: transparent", "background:#ffffff"},
      {"background:#FFF", "background: transparent", "background:#FFF"},
      {"background:white", "background: transparent", "background:white"},
      {"background-color:#ffffee", "background-color: transparentfee", "background-color: transparentfee"},
      {"background-color: rgb(255,255,255)", "background-color: rgb(255,255,255)",
       "background-color: rgb(255,255,255)"},
  };
  for (const auto& c : cases) {
    EXPECT_EQ(NeutraliseWhiteBackgrounds(c.input, TPublishForm::WebHelp), c.webhelp) << c.input;
    EXPECT_EQ(NeutraliseWhiteBackgrounds(c.input, TPublishForm::Chm), c.chm) << c.input;
    EXPECT_EQ(NeutraliseWhiteBackgrounds(c.input, TPublishForm::Pdf), c.input) << c.input;
  }
}

TEST(RewriteAssetPaths, WebHelpIsExactAndChmIgnoresCase) {
  struct {
    const char* input;
    const char* webhelp;
    const char* chm;
  } cases[] = {
      {"<img src=\"assets/a.png\">", "<img src=\"../assets/a.png\">", "<img src=\"../assets/a.png\">"},
      {"<img SRC=\"assets/a.png\">", "<img SRC=\"assets/a.png\">", "<img src=\"../assets/a.png\">"},
      {"<img src=\"/assets/a.png\">", "<img src=\"/assets/a.png\">", "<img src=\"../assets/a.png\">"},
      {"<a href=\"assets/f.pdf\">", "<a href=\"../assets/f.pdf\">", "<a href=\"../assets/f.pdf\">"},
      {"<link rel=\"stylesheet\" HREF=\"/assets/css/p.css\">", "<link rel=\"stylesheet\" HREF=\"/assets/css/p.css\">",
       "<link rel=\"stylesheet\" href=\"../assets/css/p.css\">"},
      {"<img src='assets/a.png'>", "<img src='assets/a.png'>", "<img src='assets/a.png'>"},
  };
  for (const auto& c : cases) {
    EXPECT_EQ(RewriteAssetPaths(c.input, TPublishForm::WebHelp), c.webhelp) << c.input;
    EXPECT_EQ(RewriteAssetPaths(c.input, TPublishForm::Chm), c.chm) << c.input;
    EXPECT_EQ(RewriteAssetPaths(c.input, TPublishForm::Pdf), c.input) << c.input;
  }
}

TEST(LookupTopicHeader, ResolvesDefaultsTopicFilesAndTheTitleBlock) {
  struct {
    std::vector<std::pair<std::string, std::string>> files;  // under meta/
    std::string html;
    std::string background;
  } cases[] = {
      {{}, "<div style=\"font-size:14px;\"><b>A & B</b></div>", "#fafafa"},
      {{{"header_default.html", "<p>D</p>"}, {"headerbg_default.txt", " #123456 \n"}}, "<p>D</p>", "#123456"},
      {{{"header_default.html", "<p>D</p>"}, {"header_" + kId + ".html", " <p>T</p> "}}, " <p>T</p> ", "#fafafa"},
      {{{"headerbg_default.txt", ""}, {"headerbg_" + kId + ".txt", "   "}},
       "<div style=\"font-size:14px;\"><b>A & B</b></div>",
       "#fafafa"},
      {{{"headerbg_default.txt", "#111111"}, {"headerbg_" + kId + ".txt", "red"}},
       "<div style=\"font-size:14px;\"><b>A & B</b></div>",
       "red"},
      {{{"header_default.html", "<p>D</p>"}, {"header_" + kId + ".html", ""}},
       "<div style=\"font-size:14px;\"><b>A & B</b></div>",
       "#fafafa"},
      {{{"header_default.html", " \r\n\t"}}, "<div style=\"font-size:14px;\"><b>A & B</b></div>", "#fafafa"},
  };
  for (const auto& c : cases) {
    TTempDir dir;
    for (const auto& [name, text] : c.files) WriteFixtureFile(dir / ("meta/" + name), text);
    TDocProject project;
    project.SetRootPath(IncludeTrailingDelimiter(dir.Path()));
    project.SetTitle("A & B");
    const TPublishHeader web = LookupTopicHeader(project, kId, TPublishForm::WebHelp);
    EXPECT_EQ(web.html, c.html);
    EXPECT_EQ(web.background, c.background);
    const TPublishHeader chm = LookupTopicHeader(project, kId, TPublishForm::Chm);
    EXPECT_EQ(chm.html, ReplaceAll(c.html, "A & B", "A &amp; B"));
  }
}

TEST(LookupTopicHeader, EmptyIdentifierUsesOnlyTheDefaults) {
  TTempDir dir;
  WriteFixtureFile(dir / "meta/header_default.html", "<p>D</p>");
  WriteFixtureFile(dir / "meta/header_topic.html", "<p>not this</p>");
  TDocProject project;
  project.SetRootPath(dir.Path());
  EXPECT_EQ(LookupTopicHeader(project, "", TPublishForm::WebHelp).html, "<p>D</p>");
}

std::vector<std::string> FilesAndFoldersBelow(const std::string& dir) {
  std::vector<std::string> out;
  for (const std::string& f : ListFilesRecursive(dir)) out.push_back(f + "=" + ReadTextFileUtf8(dir + "/" + f));
  if (DirExists(dir + "/empty")) out.push_back("empty/");
  return out;
}

TEST(CopyFolderTree, CopiesEveryFileAndOnlyTheTreeFormMakesEmptyFolders) {
  TTempDir dir;
  WriteFixtureFile(dir / "src/a.txt", "a");
  WriteFixtureFile(dir / "src/sub/deep/b.txt", "b");
  EnsureDir(dir / "src/empty");
  for (TPublishForm form : {TPublishForm::WebHelp, TPublishForm::Chm, TPublishForm::Pdf}) {
    const std::string dest = dir / ("out" + std::to_string(static_cast<int>(form)));
    WriteFixtureFile(dest + "/a.txt", "old");
    WriteFixtureFile(dest + "/kept.txt", "kept");
    TPublishGuard guard(dir.Path(), dest);
    CopyFolderTree(dir / "src", dest, form, guard);
    std::vector<std::string> expected = {"a.txt=a", "kept.txt=kept", "sub/deep/b.txt=b"};
    if (form != TPublishForm::Pdf) expected.push_back("empty/");
    EXPECT_EQ(FilesAndFoldersBelow(dest), expected);
  }
  TPublishGuard guard(dir.Path(), dir / "never");
  CopyFolderTree(dir / "missing", dir / "never", TPublishForm::Chm, guard);
  CopyFolderTree(dir / "missing", dir / "never", TPublishForm::Pdf, guard);
  EXPECT_FALSE(DirExists(dir / "never"));
}

TEST(CopyFolderTree, ReportsTheFirstFileError) {
  TTempDir dir;
  WriteFixtureFile(dir / "src/a.txt", "a");
  WriteFixtureFile(dir / "dest", "a file where the folder should be");
  TPublishGuard guard(dir.Path(), dir / "dest");
  EXPECT_THROW(CopyFolderTree(dir / "src", dir / "dest", TPublishForm::WebHelp, guard), EFolivaneError);
  EXPECT_THROW(CopyFolderTree(dir / "src", dir / "dest", TPublishForm::Pdf, guard), EFolivaneError);
}

// A received project may hold links: those that stay inside the project are followed, those
// that lead outside are left out and named, whatever they point at.
TEST(CopyFolderTree, LeavesOutLinksThatLeadOutsideTheProject) {
  TTempDir dir;
  const std::string project = dir / "P";
  WriteFixtureFile(dir / "secret.txt", "secret");
  WriteFixtureFile(dir / "elsewhere/inner.txt", "secret");
  WriteFixtureFile(project + "/assets/a.txt", "a");
  WriteFixtureFile(project + "/styles/shared.css", "css");
  std::filesystem::create_symlink(dir / "secret.txt", project + "/assets/file-out.txt");
  std::filesystem::create_symlink(dir / "elsewhere", project + "/assets/folder-out");
  std::filesystem::create_symlink("../../secret.txt", project + "/assets/relative-out.txt");
  std::filesystem::create_symlink("../styles/shared.css", project + "/assets/inside.css");
  for (TPublishForm form : {TPublishForm::WebHelp, TPublishForm::Chm, TPublishForm::Pdf}) {
    const std::string dest = project + "/build/out" + std::to_string(static_cast<int>(form));
    TPublishGuard guard(project, dest);
    CopyFolderTree(project + "/assets", dest, form, guard);
    EXPECT_EQ(FilesAndFoldersBelow(dest), (std::vector<std::string>{"a.txt=a", "inside.css=css"}));
    EXPECT_EQ(
        guard.Warnings(),
        (std::vector<std::string>{"Skipped assets/file-out.txt: a symbolic link that leads outside the project",
                                  "Skipped assets/folder-out: a symbolic link that leads outside the project",
                                  "Skipped assets/relative-out.txt: a symbolic link that leads outside the project"}));
  }
  // The assets folder itself may be the link.
  DeleteFolderTree(project + "/assets");
  std::filesystem::create_symlink(dir / "elsewhere", project + "/assets");
  TPublishGuard guard(project, project + "/build/whole");
  CopyFolderTree(project + "/assets", project + "/build/whole", TPublishForm::WebHelp, guard);
  EXPECT_FALSE(DirExists(project + "/build/whole"));
  EXPECT_EQ(guard.Warnings(),
            (std::vector<std::string>{"Skipped assets: a symbolic link that leads outside the project"}));
}

// A link left in the output folder must not carry the copy elsewhere.
TEST(CopyFolderTree, NeverWritesThroughALinkInTheDestination) {
  TTempDir dir;
  WriteFixtureFile(dir / "P/assets/img/a.png", "new");
  WriteFixtureFile(dir / "outside/a.png", "kept");
  EnsureDir(dir / "P/build/assets");
  std::filesystem::create_symlink(dir / "outside", dir / "P/build/assets/img");
  TPublishGuard guard(dir / "P", dir / "P/build");
  EXPECT_THROW(CopyFolderTree(dir / "P/assets", dir / "P/build/assets", TPublishForm::WebHelp, guard), EFolivaneError);
  EXPECT_THROW(CopyFolderTree(dir / "P/assets", dir / "P/build/assets", TPublishForm::Pdf, guard), EFolivaneError);
  std::filesystem::create_symlink(dir / "outside", dir / "P/build/linked");
  EXPECT_THROW(CopyFolderTree(dir / "P/assets", dir / "P/build/linked", TPublishForm::Chm, guard), EFolivaneError)
      << "the destination itself is the link";
  EXPECT_EQ(ReadTextFileUtf8(dir / "outside/a.png"), "kept");
  EXPECT_EQ(ListFilesRecursive(dir / "outside"), (std::vector<std::string>{"a.png"}));
}

}  // namespace
