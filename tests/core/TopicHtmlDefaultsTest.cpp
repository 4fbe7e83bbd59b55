#include <gtest/gtest.h>

#include "uTopicHtmlDefaults.h"

namespace {

TEST(DefaultHeaderHtml, UsesTheBodyFontAndEncodesTheTitle) {
  TProjectSettings s;
  s.DefaultFontName = "  My \"Font\" ";
  s.FontSizeBody = 16;
  s.DefaultTextColor = RGBColor(0x12, 0x34, 0x56);
  EXPECT_EQ(DefaultHeaderHtml(s, "R&D <draft> 'x'"),
            "<div style=\"font-size:16px;font-family:My &quot;Font&quot;, Arial, sans-serif;color:#123456;\">"
            "<b>R&amp;D &lt;draft&gt; 'x'</b></div>");
  s.DefaultFontName = "";
  EXPECT_NE(DefaultHeaderHtml(s, "").find("font-family:Segoe UI, Arial"), std::string::npos);
}

TEST(StripTagsToText, KeepsTextOutsideTagsAndDecodesAFewEntities) {
  const struct {
    const char* html;
    const char* text;
  } cases[] = {
      {"<p> a <b>b</b> </p>", "a b"},
      {"x > y", "x  y"},
      {"&NBSP;&#160;&amp;lt;&gt;&quot;&#39;&copy;", "<>\"'&copy;"},
      {"<p unclosed", ""},
      {"", ""},
  };
  for (const auto& c : cases) EXPECT_EQ(StripTagsToText(c.html), c.text) << c.html;
}

TEST(IsBodyEmpty, SeesOnlyBlanksAsEmpty) {
  const struct {
    const char* html;
    bool empty;
  } cases[] = {
      {"", true},
      {"<p style=\"font-family:Segoe UI\"><br></p>", true},
      {"<p>&nbsp;\xC2\xA0</p>\r\n<p>\t</p>", true},
      {"<p>x</p>", false},
      {"<p><IMG src=\"a.png\"></p>", false},
      {"<table></table>", false},
      {"<video></video>", false},
      {"<iframe></iframe>", false},
      {"<p>&amp;</p>", false},
  };
  for (const auto& c : cases) EXPECT_EQ(IsBodyEmpty(c.html), c.empty) << c.html;
}

TEST(IsDefaultLikeHeader, MatchesTheTopicOrProjectTitleWithoutRichContent) {
  const struct {
    const char* header;
    bool defaultLike;
  } cases[] = {
      {"<div><b>Intro</b></div>", true},
      {"<div><b> INTRO </b></div>", true},
      {"<div><b>My Project</b></div>", true},
      {"<div><b>Other</b></div>", false},
      {"<div><img src=\"x\"><b>Intro</b></div>", false},
      {"<div><a href=\"x\">Intro</a></div>", false},
      {"<div><table></table>Intro</div>", false},
  };
  for (const auto& c : cases)
    EXPECT_EQ(IsDefaultLikeHeader(c.header, " Intro ", "My Project "), c.defaultLike) << c.header;
}

}  // namespace
