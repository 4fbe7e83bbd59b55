#include <gtest/gtest.h>

#include "TestHelpers.h"
#include "uProjectOpen.h"
#include "uProjectSettings.h"
#include "uTopicHtmlDefaults.h"

namespace {

// Loads a settings file made of one key over the defaults.
TProjectSettings LoadOne(const std::string& pair) {
  TTempDir dir;
  WriteFixtureFile(dir / "s.json", "{" + pair + "}");
  TProjectSettings s;
  EXPECT_TRUE(s.LoadFromFile(dir / "s.json")) << pair;
  return s;
}

}  // namespace

TEST(Colors, HtmlFormsBothWays) {
  TProjectSettings s;
  EXPECT_EQ(ColorToHtml(s.DefaultHeaderBgColor), "#e7eff5");
  EXPECT_EQ(ColorToHtml(s.LinkColor), "#0000ff");
  EXPECT_EQ(ColorFromHtml("  #FF8000 ", 7), RGBColor(255, 128, 0));
  for (const char* bad : {"#ff80", "transparent", "", "#ggg000", "rgb(1,2,3)", "#fff"}) {
    EXPECT_EQ(ColorFromHtml(bad, 7), 7) << bad;
  }
  EXPECT_EQ(ColorToHtml(static_cast<TColor>(0xFF000005)), "#ffffff") << "a system colour is resolved";
}

TEST(ProjectSettings, RangesAndReadRules) {
  EXPECT_EQ(LoadOne("\"TocTextSize\":50").TocTextSize, 36);
  EXPECT_EQ(LoadOne("\"TocTextSize\":1").TocTextSize, 6);
  EXPECT_EQ(LoadOne("\"FontSizeBody\":4").FontSizeBody, 8);
  EXPECT_EQ(LoadOne("\"DefaultLineSpacing\":0.5").DefaultLineSpacing, 1.0);
  EXPECT_EQ(LoadOne("\"DefaultLineSpacing\":7").DefaultLineSpacing, 5.0);
  EXPECT_EQ(LoadOne("\"DefaultLineSpacing\":\"2\"").DefaultLineSpacing, 1.5);
  EXPECT_EQ(LoadOne("\"TableBorderWidth\":0").TableBorderWidth, 1);
  EXPECT_EQ(LoadOne("\"TableBorderWidth\":20").TableBorderWidth, 12);
  EXPECT_EQ(LoadOne("\"LinkStyle\":\"DOTTED\"").LinkStyle, "dotted");
  EXPECT_EQ(LoadOne("\"LinkStyle\":\"wavy\"").LinkStyle, "solid");
  EXPECT_EQ(LoadOne("\"LinkStyle\":\"None\"").LinkStyle, "none");
  EXPECT_EQ(LoadOne("\"TableBorderStyle\":\"none\"").TableBorderStyle, "solid");
  EXPECT_TRUE(LoadOne("\"CopyrightEnabled\":\"TRUE\"").CopyrightEnabled);
  EXPECT_TRUE(LoadOne("\"CopyrightEnabled\":\" true \"").CopyrightEnabled);
  EXPECT_FALSE(LoadOne("\"CopyrightEnabled\":1").CopyrightEnabled);
  EXPECT_EQ(LoadOne("\"FontSizeH1\":\"40\"").FontSizeH1, 32);
  EXPECT_EQ(LoadOne("\"LinkColor\":\"red\"").LinkColor, RGBColor(0, 0, 255));
  EXPECT_EQ(LoadOne("\"LinkColor\":\"#00FF00\"").LinkColor, RGBColor(0, 255, 0));
  EXPECT_EQ(LoadOne("\"ProjTitle\":42").ProjTitle, "42");
}

TEST(ProjectSettings, MissingKeysKeepTheCurrentValues) {
  TTempDir dir;
  WriteFixtureFile(dir / "s.json", "{\"FontSizeH2\":30}");
  TProjectSettings s;
  s.FontSizeH1 = 50;
  ASSERT_TRUE(s.LoadFromFile(dir / "s.json"));
  EXPECT_EQ(s.FontSizeH1, 50);
  EXPECT_EQ(s.FontSizeH2, 30);
}

TEST(ProjectSettings, UnreadableFilesChangeNothing) {
  TTempDir dir;
  for (const char* text : {"not json", "[1]", "", "{\"FontSizeH1\":"}) {
    WriteFixtureFile(dir / "s.json", text);
    TProjectSettings s;
    s.FontSizeH1 = 50;
    EXPECT_FALSE(s.LoadFromFile(dir / "s.json")) << text;
    EXPECT_EQ(s.FontSizeH1, 50);
  }
  TProjectSettings s;
  EXPECT_FALSE(s.LoadFromFile(dir / "missing.json"));
}

TEST(ProjectSettings, NonIntegralNumbersRaiseNamingFileAndKey) {
  for (const char* value : {"12.5", "1e3", "99999999999", "-99999999999"}) {
    TTempDir dir;
    WriteFixtureFile(dir / "s.json", std::string("{\"ProjTitle\":\"T\",\"FontSizeH1\":") + value + "}");
    TProjectSettings s;
    try {
      s.LoadFromFile(dir / "s.json");
      ADD_FAILURE() << value;
    } catch (const EFolivaneError& e) {
      const std::string msg = e.what();
      EXPECT_NE(msg.find("s.json"), std::string::npos) << msg;
      EXPECT_NE(msg.find("FontSizeH1"), std::string::npos) << msg;
    }
    EXPECT_EQ(s.ProjTitle, "T") << "fields read before the bad one keep their new values";
  }
}

TEST(ProjectSettings, DefaultsFileIsExact) {
  TTempDir dir;
  TProjectSettings s;
  s.SaveToFile(dir / "meta/project_settings.json");
  EXPECT_EQ(ReadBinaryFile(dir / "meta/project_settings.json"),
            "\xEF\xBB\xBF{\"ProjTitle\":\"Untitled Documentation\",\"FontSizeH1\":32,\"FontSizeH2\":24,"
            "\"FontSizeH3\":18,\"FontSizeBody\":16,\"DefaultTextColor\":\"#000000\",\"DefaultFontName\":\"Segoe UI\","
            "\"DefaultTextBackColor\":\"#ffffff\",\"DefaultLineSpacing\":1.5,\"DefaultPageBgColor\":\"#ffffff\","
            "\"DefaultHeaderBgColor\":\"#e7eff5\",\"TocTextColor\":\"#000000\",\"TocTextSize\":12,"
            "\"CopyrightEnabled\":false,\"CopyrightText\":\"\",\"LinkColor\":\"#0000ff\",\"LinkStyle\":\"solid\","
            "\"TableBorderStyle\":\"solid\",\"TableBorderWidth\":1,\"TableBorderColor\":\"#999999\"}");
  TProjectSettings r;
  r.FontSizeH1 = 99;
  r.DefaultLineSpacing = 2;
  ASSERT_TRUE(r.LoadFromFile(dir / "meta/project_settings.json"));
  EXPECT_EQ(JsonWrite(r.ToJson()), JsonWrite(s.ToJson()));
  r.DefaultLineSpacing = 2;
  EXPECT_NE(JsonWrite(r.ToJson()).find("\"DefaultLineSpacing\":2,"), std::string::npos);
  EXPECT_EQ(TProjectSettings::DefaultSettingsPathForProject("/p/"), "/p/meta/project_settings.json");
}

TEST(ProjectSettings, PdfKeysAreWrittenOnlyForABookAndAfterTheOthers) {
  TProjectSettings s;
  EXPECT_FALSE(s.PdfBookLayout());
  s.SpellLanguage = "de-DE";
  EXPECT_EQ(JsonWrite(s.ToJson()).find("\"Pdf"), std::string::npos) << "a plain project's file keeps its keys";

  s.SetNewProjectPdfDefaults();
  s.PdfSubtitle = "User's guide";
  s.PdfMargins = "15 20";
  EXPECT_TRUE(s.PdfBookLayout());
  const std::string json = JsonWrite(s.ToJson());
  EXPECT_NE(json.find("\"SpellLanguage\":\"de-DE\",\"PdfCover\":true,\"PdfContents\":true,\"PdfContentsDepth\":3,"
                      "\"PdfPageNumbers\":\"number-of-total\",\"PdfRunningHeads\":true,\"PdfChapterBreaks\":true,"
                      "\"PdfPaper\":\"A4\",\"PdfMargins\":\"15 20\",\"PdfSubtitle\":\"User's guide\","
                      "\"PdfVersionLine\":\"\",\"PdfLogo\":\"\"}"),
            std::string::npos)
      << json;
  TProjectSettings r;
  ASSERT_TRUE(r.LoadFromText(json, "s.json"));
  EXPECT_EQ(JsonWrite(r.ToJson()), json);

  // A cover text alone is kept, though it prints nothing until the cover is on.
  TProjectSettings subtitleOnly;
  subtitleOnly.PdfSubtitle = "x";
  EXPECT_FALSE(subtitleOnly.PdfBookLayout());
  EXPECT_NE(JsonWrite(subtitleOnly.ToJson()).find("\"PdfSubtitle\":\"x\""), std::string::npos);
}

TEST(ProjectSettings, PdfValuesAreBroughtIntoRange) {
  EXPECT_EQ(LoadOne("\"PdfContentsDepth\":9").PdfContentsDepth, 6);
  EXPECT_EQ(LoadOne("\"PdfContentsDepth\":0").PdfContentsDepth, 1);
  EXPECT_EQ(LoadOne("\"PdfPageNumbers\":\"Number\"").PdfPageNumbers, "number");
  EXPECT_EQ(LoadOne("\"PdfPageNumbers\":\"roman\"").PdfPageNumbers, "none");
  EXPECT_EQ(LoadOne("\"PdfPaper\":\" letter \"").PdfPaper, "Letter");
  EXPECT_EQ(LoadOne("\"PdfPaper\":\"B5\"").PdfPaper, "");
  EXPECT_EQ(LoadOne("\"PdfMargins\":\"10 12,5\"").PdfMargins, "10 12,5");
  EXPECT_EQ(LoadOne("\"PdfMargins\":\"10mm\"").PdfMargins, "") << "unreadable margins fall back to the defaults";
  EXPECT_EQ(LoadOne("\"PdfLogo\":\" assets\\\\img\\\\logo.png \"").PdfLogo, "assets/img/logo.png");
  EXPECT_TRUE(LoadOne("\"PdfCover\":\"true\"").PdfBookLayout());
}

TEST(ProjectSettings, PdfMarginsReadAsInCss) {
  using M = std::array<double, 4>;
  const std::pair<const char*, std::optional<M>> cases[] = {
      {"", kPdfDefaultMargins},
      {"  ", kPdfDefaultMargins},
      {"10", M{10, 10, 10, 10}},
      {"10 20", M{10, 20, 10, 20}},
      {"1 2 3", M{1, 2, 3, 2}},
      {"1 2 3 4", M{1, 2, 3, 4}},
      {"12,5 0", M{12.5, 0, 12.5, 0}},
      {"1 2 3 4 5", std::nullopt},
      {"-1", std::nullopt},
      {"61", std::nullopt},
      {"10mm", std::nullopt},
      {"nan", std::nullopt},
  };
  for (const auto& [text, expected] : cases) EXPECT_EQ(ParsePdfMargins(text), expected) << text;
}

TEST(ProjectSettings, NewProjectFileStartsWithTheBookOn) {
  TTempDir dir;
  const std::string folder = CreateProjectFile(dir / "Book.fvp", "Book");
  TProjectSettings s;
  ASSERT_TRUE(s.LoadFromFile(TProjectSettings::DefaultSettingsPathForProject(folder)));
  EXPECT_TRUE(s.PdfCover && s.PdfContents && s.PdfRunningHeads && s.PdfChapterBreaks);
  EXPECT_EQ(s.PdfPageNumbers, "number-of-total");
  EXPECT_EQ(s.PdfContentsDepth, 3);
}

// A new paragraph leaves its typography to the project's style sheet, whatever the settings.
TEST(TopicHtmlDefaults, EmptyParagraph) {
  TProjectSettings s;
  s.FontSizeBody = 14;
  s.DefaultFontName = "My \"Font\"";
  s.DefaultLineSpacing = 2;
  EXPECT_EQ(DefaultEmptyParagraphHtml(s), "<p><br></p>");
}
