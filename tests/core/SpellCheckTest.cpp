#include <gtest/gtest.h>

#include "TestHelpers.h"
#include "uProjectSettings.h"
#include "uSpellCheck.h"
#include "uUtils.h"

TEST(SpellCheck, LanguageFollowsTheChoiceThenTheInterfaceWhenInstalled) {
  const std::vector<std::string> installed = {"en-US", "de-DE", "ru-RU"};
  struct TCase {
    const char* chosen;
    const char* ui;
    const char* expected;
  } cases[] = {
      {"", "de", "de-DE"},      {"ru-RU", "de", "ru-RU"},
      {"fr-FR", "en", "en-US"},  // chosen but not installed: the interface language's
      {"", "fr", ""},            // neither installed: no checking
      {"", "xx", ""},
  };
  for (const TCase& c : cases) {
    EXPECT_EQ(EffectiveSpellLanguage(c.chosen, c.ui, installed), c.expected) << c.chosen << " " << c.ui;
  }
}

TEST(SpellCheck, InstalledLanguagesAreTheDictionaryFilesPresent) {
  TTempDir dir;
  WriteFixtureFile(dir / "ru-RU.bdic", "x");
  WriteFixtureFile(dir / "en-US.bdic", "x");
  WriteFixtureFile(dir / "xx-XX.bdic", "x");
  EXPECT_EQ(InstalledSpellLanguages(dir.Path()), (std::vector<std::string>{"en-US", "ru-RU"}));
  EXPECT_TRUE(InstalledSpellLanguages(dir / "missing").empty());
}

TEST(SpellCheck, ProjectWordsStaySortedUniqueAndUtf8) {
  TTempDir dir;
  EXPECT_TRUE(LoadProjectWords(dir.Path()).empty());
  // A hand-edited list: CR LF, blanks, repeats and surrounding spaces.
  WriteFixtureFile(dir / "meta/words.txt", "zebra\r\n\r\n  Folivane \napple\nzebra\n");
  EXPECT_EQ(LoadProjectWords(dir.Path()), (std::vector<std::string>{"Folivane", "apple", "zebra"}));

  EXPECT_TRUE(AddProjectWord(dir.Path(), " \xD0\xA4\xD0\xBE\xD0\xBB\xD0\xB8 "));
  EXPECT_TRUE(AddProjectWord(dir.Path(), "banana"));
  EXPECT_FALSE(AddProjectWord(dir.Path(), "apple"));
  EXPECT_FALSE(AddProjectWord(dir.Path(), "   "));
  EXPECT_FALSE(AddProjectWord(dir.Path(), "two\nlines"));
  EXPECT_EQ(ReadBinaryFile(dir / "meta/words.txt"),
            "Folivane\napple\nbanana\nzebra\n\xD0\xA4\xD0\xBE\xD0\xBB\xD0\xB8\n");
}

TEST(SpellCheck, LanguageKeyIsWrittenLastAndOnlyWhenSet) {
  TProjectSettings s;
  EXPECT_EQ(JsonWrite(s.ToJson()).find("SpellLanguage"), std::string::npos);
  s.SpellLanguage = "de-DE";
  const std::string text = JsonWrite(s.ToJson());
  EXPECT_NE(text.find("\"TableBorderColor\":\"#999999\",\"SpellLanguage\":\"de-DE\"}"), std::string::npos) << text;
  TProjectSettings r;
  ASSERT_TRUE(r.LoadFromText(text, "s.json"));
  EXPECT_EQ(r.SpellLanguage, "de-DE");
}
