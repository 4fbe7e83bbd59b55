#include <gtest/gtest.h>

#include <cstdlib>

#include "TestHelpers.h"
#include "uPlatform.h"
#include "uTranslation.h"
#include "uTranslationFile.h"

namespace {

class TranslationFileTest : public ::testing::Test {
 protected:
  void TearDown() override { LoadTranslationsFrom(dir / "missing.zd", "en"); }
  std::string Write(const std::string& text) {
    const std::string path = dir / "transl.zd";
    WriteFixtureFile(path, text);
    return path;
  }
  TTempDir dir;
};

const char* kTwoLanguages = "2\r\nEnglish\r\nDeutsch\r\nen\r\nde\r\nExit\r\nBeenden\r\n";

TEST_F(TranslationFileTest, StoredCodePicksColumnIgnoringCaseButLookupIsExact) {
  for (const char* code : {"de", "DE"}) {
    LoadTranslationsFrom(Write(kTwoLanguages), code);
    EXPECT_EQ(CurrentLanguageIndex(), 1) << code;
    EXPECT_EQ(TranslateText("Exit"), "Beenden");
    EXPECT_EQ(TranslateText("exit"), "exit");
    EXPECT_EQ(TranslateText("Save"), "Save");
  }
  EXPECT_EQ(TranslationTable().DisplayName(0), "English");
  EXPECT_EQ(TranslationTable().DisplayName(1), "Deutsch");
}

TEST_F(TranslationFileTest, BrokenOrPartialFilesFallBackToEnglish) {
  struct TCase {
    const char* text;
    int languages;
    int index;
  };
  const TCase cases[] = {
      {"two\nEnglish\nDeutsch\nen\nde\n", 0, 0},  // count is not a number
      {"\xEF\xBB\xBF"
       "2\nEnglish\nDeutsch\nen\nde\nExit\nBeenden\nleft over",
       2, 1},                                   // BOM, extra line
      {"2\nEnglish\nDeutsch\nen\nfr\n", 2, 0},  // code not in the file
  };
  for (const TCase& c : cases) {
    LoadTranslationsFrom(Write(c.text), "de");
    EXPECT_EQ(TranslationTable().LanguageCount(), c.languages) << c.text;
    EXPECT_EQ(CurrentLanguageIndex(), c.index) << c.text;
    if (c.languages == 2) EXPECT_EQ(TranslationTable().columns[0].size(), c.index == 1 ? 3u : 2u);
  }
  LoadTranslationsFrom(dir / "none.zd", "de");
  EXPECT_EQ(CurrentLanguageIndex(), 0);
  EXPECT_EQ(TranslateText("Exit"), "Exit");
}

TEST_F(TranslationFileTest, EmptyTranslationKeepsEnglishAndFirstRowWins) {
  LoadTranslationsFrom(Write("2\nEnglish\nDeutsch\nen\nde\nExit\n\nSave\nSpeichern\nSave\nSichern\n"), "de");
  EXPECT_EQ(TranslateText("Exit"), "Exit");
  EXPECT_EQ(TranslateText("Save"), "Speichern");
  SelectLanguageIndex(0);
  EXPECT_EQ(CurrentLanguage(), "en");
  EXPECT_EQ(TranslateText("Save"), "Save");
}

TEST_F(TranslationFileTest, MessageOfSeveralLinesIsTranslatedLineByLine) {
  LoadTranslationsFrom(Write("2\nEnglish\nDeutsch\nen\nde\nNot found.\nNicht gefunden.\nPick one.\nBitte waehlen.\n"),
                       "de");
  EXPECT_EQ(TranslateText("Not found.\n\nPick one.\nUnknown line"), "Nicht gefunden.\n\nBitte waehlen.\nUnknown line");
  EXPECT_EQ(TranslateText("Pick one.\n"), "Bitte waehlen.\n");
}

TEST_F(TranslationFileTest, SystemLanguageMapsToProgramCodes) {
  const std::pair<const char*, const char*> cases[] = {{"de", "de"}, {"zh", "cn"}, {"ja", "jp"}, {"ko", "kr"},
                                                       {"ru", "ru"}, {"sv", "en"}, {"", "en"}};
  for (const auto& [iso, code] : cases) EXPECT_EQ(LanguageCodeForIso(iso), code) << iso;
}

TEST_F(TranslationFileTest, ChosenLanguageIsKeptInSettingsIni) {
  TTempDir appdata;
  const char* old = std::getenv("APPDATA");
  const std::string saved = old ? old : "";
  setenv("APPDATA", appdata.Path().c_str(), 1);
  LoadTranslationsFrom(Write(kTwoLanguages), "en");
  SelectLanguageIndex(1);
  SaveLanguageSetting();
  EXPECT_EQ(ReadStoredUiLanguage(), "de");
  if (old) setenv("APPDATA", saved.c_str(), 1);
  else unsetenv("APPDATA");
}

}  // namespace
