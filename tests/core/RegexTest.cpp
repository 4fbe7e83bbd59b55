#include <gtest/gtest.h>

#include "uRegex.h"
#include "uUtils.h"

TEST(Regex, NamedGroupsBackReferencesAndOptions) {
  const TRegex& re = CachedRegex(R"(<(?<tag>b|i)>(.*?)</\k<tag>>)", roIgnoreCase | roDotAll);
  TRegexMatch m;
  ASSERT_TRUE(re.Search("x <B>bold\ntext</B> y", m));
  EXPECT_EQ(m.Group("tag"), "B");
  EXPECT_EQ(m.Group(2), "bold\ntext");
  EXPECT_EQ(&re, &CachedRegex(R"(<(?<tag>b|i)>(.*?)</\k<tag>>)", roIgnoreCase | roDotAll));
}

TEST(Regex, ReplaceWithTemplatesAndCallbacks) {
  const TRegex re(R"((\w+)@(\w+))");
  EXPECT_EQ(re.ReplaceAll("a@b, c@d", "$2@$1 ($$)"), "b@a ($), d@c ($)");
  EXPECT_EQ(re.Replace("a@b", [](const TRegexMatch& m) { return AsciiUpper(m.Group(0)); }), "A@B");
  EXPECT_EQ(TRegex("x*").ReplaceAll("axb", "-"), "-a--b-");
  EXPECT_EQ(TRegex("\\s+").ReplaceAll("\xC3\xA9  \xC3\xA9", " "), "\xC3\xA9 \xC3\xA9");
}

TEST(Regex, BadPatternAndInvalidUtf8Subject) {
  EXPECT_THROW(TRegex("(unclosed"), EFolivaneError);
  EXPECT_EQ(TRegex("b").ReplaceAll("a\xFF"
                                   "b",
                                   "c"),
            "a\xFF"
            "c");
}
