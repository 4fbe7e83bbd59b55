#include <gtest/gtest.h>

#include "TestHelpers.h"
#include "uHtmlImport.h"
#include "uUtils.h"

namespace {

struct THtmlImportFixture : ::testing::Test {
  TTempDir dir;
  std::string Project() const { return dir / "project"; }
  std::string Page(const std::string& rel, const std::string& html) {
    WriteFixtureFile(dir / ("site/" + rel), html);
    return dir / ("site/" + rel);
  }
  void SiteFile(const std::string& rel, const std::string& bytes = "x") {
    WriteFixtureFile(dir / ("site/" + rel), bytes);
  }
  std::string Import(const std::string& page) { return ImportHtmlFragment(Project(), page); }
};

}  // namespace

TEST(HtmlImportText, UrlClassesQueriesAndDecoding) {
  for (const char* u : {"", "  ", "http://a", "HTTPS://a", "data:x", "mailto:a", "doc:ABC", "//cdn/x", "#top",
                        "javascript:void(0)", "tel:1", "cid:x"})
    EXPECT_TRUE(IsNonLocalUrl(u)) << u;
  for (const char* u : {"a.png", "/img/a.png", "file:///x.png", "../a.css"}) EXPECT_FALSE(IsNonLocalUrl(u)) << u;
  EXPECT_EQ(StripQueryAndFragment(" a.png?v=2#x "), "a.png");
  EXPECT_EQ(StripQueryAndFragment("a.png#x?y"), "a.png");
  EXPECT_EQ(PercentDecodeUrl("a%20b+c%C3%A9"), "a b c\xC3\xA9");
  EXPECT_EQ(PercentDecodeUrl("100%.png"), "100%.png");
  EXPECT_EQ(PercentDecodeUrl("a%2"), "a%2");
}

TEST(HtmlImportText, AttributesAndRel) {
  EXPECT_EQ(GetAttr(R"(<link rel="stylesheet" href='a.css'>)", "href"), "a.css");
  EXPECT_EQ(GetAttr(R"(<link href=a.css rel=stylesheet>)", "rel"), "stylesheet");
  EXPECT_EQ(GetAttr(R"(<link data-href="x.css" href="a.css">)", "href"), "x.css");
  EXPECT_EQ(GetAttr("<link>", "href"), "");
  EXPECT_TRUE(IsStylesheetRel("alternate\tStyleSheet"));
  EXPECT_FALSE(IsStylesheetRel("stylesheets icon"));
}

TEST(HtmlImportText, BodyExtractionAndWrapper) {
  EXPECT_EQ(BodyAttributesDiv(R"(<html><body class="dark" lang="de" id="x"><p>a</p></body>)"),
            R"(<div class="dark" lang="de">)");
  EXPECT_EQ(BodyAttributesDiv(R"(<body style="font-family:&quot;Arial&quot;" dir=rtl>)"),
            R"(<div style="font-family:&quot;Arial&quot;" dir="rtl">)");
  EXPECT_EQ(BodyAttributesDiv("<body>"), "");
  EXPECT_EQ(ExtractImportableBody("<!DOCTYPE html><html><head><title>T</title><style>p{}</style></head>"
                                  "<BODY onload=x()><script>alert(1)</script><p>Hi</p><link rel=x></body></html>"),
            "<p>Hi</p>");
  EXPECT_EQ(ExtractImportableBody("<html><head><meta charset=utf-8><title>T</title></head><p>A</p><div>B</div></html>"),
            "<p>A</p><div>B</div>");
  EXPECT_EQ(ExtractImportableBody("<body"), "<body");
}

TEST(HtmlImportText, Html5ElementsAndLayouts) {
  EXPECT_EQ(ReplaceHtml5Elements(R"(<section id="a"><time datetime="x">t</time><picture><source srcset="a.webp">)"
                                 R"(<img src="a.png"></picture></section ><template><p>x</p></template>)"),
            R"(<div id="a"><span datetime="x">t</span><source srcset="a.webp"><img src="a.png"></div>)");
  EXPECT_EQ(FlattenLayouts("a{display:inline-flex} b{display : grid} c{display:flexible}"),
            "a{display: block} b{display: block} c{display:flexible}");
  EXPECT_EQ(CssUrlEscape("a\\b\"c"), "a/b\\\"c");
}

TEST_F(THtmlImportFixture, BodyAssetsAreCopiedOnceWithQueryAndSpacesHandled) {
  SiteFile("pics/a b.png", "IMG");
  SiteFile("media/v.mp4");
  SiteFile("media/p.jpg");
  SiteFile("img/small.png");
  SiteFile("img/big.png");
  const std::string page =
      Page("index.html", R"(<body class="dark" lang="de" style="display:inline-flex">)"
                         R"(<img src="pics/a%20b.png?v=2"><img src='pics/a b.png'><img src="a+b.png">)"
                         R"(<video src="media/v.mp4" poster="media/p.jpg"></video>)"
                         R"(<img srcset="img/small.png 1x, img/big.png 2x, https://x/y.png 3x" src="/img/small.png">)"
                         R"(<img src="https://e.com/a?x=1&amp;y=2"><img src="missing.png"></body>)");
  const std::string fragment = Import(page);
  EXPECT_EQ(
      fragment,
      R"(<div class="dark" style="display:inline-flex" lang="de">)"
      R"(<img src="assets/images/a b.png"><img src="assets/images/a b.png"><img src="a+b.png">)"
      R"(<video src="assets/media/v.mp4" poster="media/p.jpg"></video>)"
      R"(<img srcset="assets/images/small.png 1x, assets/images/big.png 2x, https://x/y.png 3x" src="assets/images/small.png">)"
      R"(<img src="https://e.com/a?x=1&amp;y=2"><img src="missing.png"></div>)");
  EXPECT_EQ(ReadBinaryFile(Project() + "/assets/images/a b.png"), "IMG");
  EXPECT_FALSE(FileExists(Project() + "/assets/images/a b_2.png"));
  EXPECT_FALSE(FileExists(Project() + "/assets/images/small_2.png"));
}

TEST_F(THtmlImportFixture, StyleSheetsAreRewrittenWithImportsAndUrls) {
  SiteFile("css/site.css",
           "@import \"base.css\" screen;\r\n@import url('http://cdn/x.css');\r\n"
           "body{background:url(../fonts/f.woff)} .a{display:inline-flex} "
           ".r{background:url(\"https://e/x.png\")}");
  SiteFile("css/base.css", "@import 'site.css';\r\n.b{display:grid}");
  SiteFile("fonts/f.woff", "FONT");
  const std::string page = Page(
      "p.html", R"(<html><head><link rel="stylesheet" href="css/site.css"><link rel="icon" href="i.ico">)"
                R"(<link href="css/site.css?v=3" rel="stylesheet"><link rel="stylesheet" href="https://cdn/r.css">)"
                R"(<style>.s{display:flex}</style></head><body><p>Hello</p></body></html>)");
  EXPECT_EQ(Import(page),
            "<link rel=\"stylesheet\" href=\"assets/css/site.css\">\r\n"
            "<link rel=\"stylesheet\" href=\"assets/css/site.css\">\r\n"
            "<link rel=\"stylesheet\" href=\"https://cdn/r.css\">\r\n"
            "<style>.s{display: block}</style>\r\n<p>Hello</p>");
  EXPECT_EQ(ReadTextFileUtf8(Project() + "/assets/css/site.css"),
            "\xEF\xBB\xBF@import url(\"base.css\") screen;\r\n@import url(\"http://cdn/x.css\");\r\n"
            "body{background:url(\"f.woff\")} .a{display: block} .r{background:url(\"https://e/x.png\")}");
  EXPECT_EQ(ReadTextFileUtf8(Project() + "/assets/css/base.css"),
            "\xEF\xBB\xBF@import url(\"site.css\");\r\n.b{display: block}");
  EXPECT_EQ(ReadBinaryFile(Project() + "/assets/css/f.woff"), "FONT");
  EXPECT_FALSE(FileExists(Project() + "/assets/css/site_2.css"));
}

// "%00" decodes to a NUL byte, which the system would take as the end of the path: such a
// reference names no file. Read as "self.css", the sheet below imported itself under an
// ever longer name until the stack ran out.
TEST_F(THtmlImportFixture, ReferencesHoldingAnEscapedNulNameNoFile) {
  SiteFile("css/self.css", "@import url(\"self.css%00/x\");\r\n.a{background:url(pic.png%00.css)}");
  SiteFile("css/pic.png", "IMG");
  const std::string page =
      Page("p.html", R"(<link rel="stylesheet" href="css/self.css"><body><img src="css/pic.png%00.txt"></body>)");
  EXPECT_EQ(Import(page), "<link rel=\"stylesheet\" href=\"assets/css/self.css\">\r\n<img src=\"css/pic.png%00.txt\">");
  EXPECT_EQ(ReadTextFileUtf8(Project() + "/assets/css/self.css"),
            "\xEF\xBB\xBF@import url(\"self.css%00/x\");\r\n.a{background:url(\"pic.png%00.css\")}");
  EXPECT_EQ(ListFilesRecursive(Project() + "/assets"), (std::vector<std::string>{"css/self.css"}));
}

TEST_F(THtmlImportFixture, HiddenFilesAreNeverCopied) {
  SiteFile(".env", "SECRET=1");
  SiteFile(".git/config", "[core]");
  SiteFile("css/a.css", "x{background:url(../.ssh/id_rsa)}");
  SiteFile(".ssh/id_rsa", "KEY");
  const std::string page =
      Page("p.html", R"(<link rel="stylesheet" href=".git/config"><link rel="stylesheet" href="css/a.css">)"
                     R"(<body><img src=".env"><embed src="../site/.git/config"></body>)");
  const std::string fragment = Import(page);
  EXPECT_NE(fragment.find(R"(href=".git/config")"), std::string::npos);
  EXPECT_NE(fragment.find(R"(<img src=".env">)"), std::string::npos);
  EXPECT_NE(fragment.find(R"(<embed src="../site/.git/config">)"), std::string::npos);
  EXPECT_EQ(ReadTextFileUtf8(Project() + "/assets/css/a.css"), "\xEF\xBB\xBFx{background:url(\"../.ssh/id_rsa\")}");
  EXPECT_EQ(ListFilesRecursive(Project() + "/assets"), (std::vector<std::string>{"css/a.css"}));
}

TEST_F(THtmlImportFixture, AnsiPagesAndEmptyPages) {
  const std::string page = Page("latin.html",
                                "<body><p>Gr\xFC\xDF"
                                "e \x80</p></body>");
  EXPECT_EQ(Import(page),
            "<p>Gr\xC3\xBC\xC3\x9F"
            "e \xE2\x82\xAC</p>");
  EXPECT_EQ(Trim(Import(Page("empty.html", "<html><head><title>x</title></head><body> \r\n </body></html>"))), "");
  EXPECT_THROW(Import(dir / "site/none.html"), EFolivaneError);
}
