#include <gtest/gtest.h>

#include <string>

#include "TestHelpers.h"
#include "uSettingsCss.h"
#include "uUtils.h"

namespace {

std::string Lines(std::initializer_list<const char*> lines) {
  std::string text;
  for (const char* line : lines) text += std::string(line) + "\r\n";
  return text;
}

TProjectSettings SampleSettings() {
  TProjectSettings s;
  s.DefaultFontName = " Open \"Sans\" ";
  s.FontSizeBody = 15;
  s.DefaultTextColor = RGBColor(0x11, 0x22, 0x33);
  s.DefaultLineSpacing = 1.15;
  s.LinkColor = RGBColor(0, 0, 0xFF);
  s.LinkStyle = "  Dashed ";
  s.TableBorderStyle = " Solid";
  s.TableBorderWidth = 2;
  s.TableBorderColor = RGBColor(0x99, 0x99, 0x99);
  s.DefaultHeaderBgColor = RGBColor(0xE7, 0xEF, 0xF5);
  return s;
}

TEST(SettingsCss, StandardFormLines) {
  EXPECT_EQ(BuildSettingsCss(SampleSettings(), TSettingsCssForm::Standard),
            Lines({"",
                   "/* Project settings overrides */",
                   "body {",
                   "  font-family: \"Open \\\"Sans\\\"\", Arial, \"Liberation Sans\", \"Nimbus Sans\", Helvetica, "
                   "sans-serif !important;",
                   "  font-size: 15px !important;",
                   "  color: #112233 !important;",
                   "  line-height: 1.15 !important;",
                   "}",
                   "h1 { font-size: 32px; }",
                   "h2 { font-size: 24px; }",
                   "h3 { font-size: 18px; }",
                   "a, a:link, a:visited {",
                   "  color: #0000ff !important;",
                   "  text-decoration-line: underline !important;",
                   "  text-decoration-style: dashed !important;",
                   "}",
                   "table {",
                   "  border-collapse: collapse;",
                   "  max-width: 100%;",
                   "}",
                   "table, td, th {",
                   "  border-style: solid !important;",
                   "  border-width: 2px !important;",
                   "  border-color: #999999 !important;",
                   "}",
                   "td, th {",
                   "  padding: 6px;",
                   "  vertical-align: top;",
                   "}",
                   "table tr:first-child > td, table tr:first-child > th {",
                   "  background: #e7eff5 !important;",
                   "  background-color: #e7eff5 !important;",
                   "}"}));
}

TEST(SettingsCss, ChmFormLines) {
  EXPECT_EQ(BuildSettingsCss(SampleSettings(), TSettingsCssForm::Chm),
            Lines({"",
                   "/* Project settings overrides */",
                   "body {",
                   "  font-family: \"Open \\\"Sans\\\"\", Arial, \"Liberation Sans\", \"Nimbus Sans\", Helvetica, "
                   "sans-serif !important;",
                   "  font-size: 15px !important;",
                   "  color: #112233 !important;",
                   "  line-height: 1.15 !important;",
                   "}",
                   "h1 { font-size: 32px; }",
                   "h2 { font-size: 24px; }",
                   "h3 { font-size: 18px; }",
                   "a, a:link, a:visited {",
                   "  color: #0000ff !important;",
                   "  text-decoration: none !important;",
                   "  border-bottom-width: 1px !important;",
                   "  border-bottom-style: dashed !important;",
                   "  border-bottom-color: #0000ff !important;",
                   "}",
                   "table {",
                   "  border-collapse: collapse;",
                   "  max-width: 100%;",
                   "  border: 2px solid #999999 !important;",
                   "}",
                   "td, th {",
                   "  border: 2px solid #999999 !important;",
                   "  padding: 6px;",
                   "  vertical-align: top;",
                   "}",
                   "table thead td, table thead th, table tr:first-child td, table tr:first-child th {",
                   "  background: #e7eff5 !important;",
                   "  background-color: #e7eff5 !important;",
                   "}"}));
}

bool Has(const std::string& css, const std::string& line) {
  return css.find("\r\n" + line + "\r\n") != std::string::npos;
}

TEST(SettingsCss, ValueEdgeCases) {
  const struct {
    const char* linkStyle;
    const char* font;
    double spacing;
    const char* borderStyle;
    std::vector<std::string> standard, chm;
  } cases[] = {
      {"NONE",
       "",
       1.0,
       "solid",
       {"  text-decoration: none !important;",
        "  font-family: \"Segoe UI\", Arial, \"Liberation Sans\", \"Nimbus Sans\", Helvetica, sans-serif !important;",
        "  line-height: 1 !important;"},
       {"  text-decoration: none !important;", "  border-bottom: none !important;"}},
      {"",
       "Arial",
       2.0,
       "",
       {"  text-decoration-style: solid !important;", "  border-style:  !important;", "  line-height: 2 !important;",
        "  font-family: \"Arial\", \"Liberation Sans\", \"Nimbus Sans\", Helvetica, sans-serif !important;"},
       {"  border-bottom-style: solid !important;", "  border: 2px  #999999 !important;"}},
      {"none",
       "Odd\\",
       1.5,
       "solid",
       {"  font-family: \"Odd\\\\\", Arial, \"Liberation Sans\", \"Nimbus Sans\", Helvetica, sans-serif !important;"},
       {}},
      {"none",
       "Two\nLines",
       1.5,
       "solid",
       {"  font-family: \"Two Lines\", Arial, \"Liberation Sans\", \"Nimbus Sans\", Helvetica, sans-serif !important;"},
       {}},
      // Qt's foundry suffix is no part of the family a browser knows.
      {"none",
       "Nimbus Sans [URW ]",
       1.5,
       "solid",
       {"  font-family: \"Nimbus Sans\", Arial, \"Liberation Sans\", Helvetica, sans-serif !important;"},
       {}},
      {"dotted",
       "A",
       0.1 + 0.2,
       "DOUBLE",
       {"  line-height: 0.3 !important;", "  border-style: double !important;"},
       {"  border: 2px double #999999 !important;"}},
  };
  for (const auto& c : cases) {
    TProjectSettings s = SampleSettings();
    s.LinkStyle = c.linkStyle;
    s.DefaultFontName = c.font;
    s.DefaultLineSpacing = c.spacing;
    s.TableBorderStyle = c.borderStyle;
    const std::string standard = BuildSettingsCss(s, TSettingsCssForm::Standard);
    const std::string chm = BuildSettingsCss(s, TSettingsCssForm::Chm);
    for (const std::string& line : c.standard) EXPECT_TRUE(Has(standard, line)) << line;
    for (const std::string& line : c.chm) EXPECT_TRUE(Has(chm, line)) << line;
  }
  TProjectSettings none = SampleSettings();
  none.LinkStyle = "none";
  EXPECT_EQ(BuildSettingsCss(none, TSettingsCssForm::Standard).find("text-decoration-line"), std::string::npos);
  EXPECT_EQ(BuildSettingsCss(none, TSettingsCssForm::Chm).find("border-bottom-width"), std::string::npos);
  EXPECT_EQ(BuildSettingsCss(nullptr, TSettingsCssForm::Standard), "");
}

class StyleFiles : public ::testing::Test {
 protected:
  void SetUp() override {
    FProject.SetRootPath(IncludeTrailingDelimiter(FDir.Path()));
    FProject.SetStyleProfile("house");
  }
  void WriteProfile(const std::string& text) { WriteFixtureFile(FDir / "styles/house.css", text); }
  TTempDir FDir;
  TDocProject FProject;
  TProjectSettings FSettings = SampleSettings();
  std::string Standard() const { return BuildSettingsCss(FSettings, TSettingsCssForm::Standard); }
};

TEST_F(StyleFiles, EachOutputAssemblesItsSheet) {
  const std::string rule = kDefaultBodyCssRule;
  EXPECT_EQ(rule,
            "body{font-family:\"Segoe UI\",Arial,\"Liberation Sans\",\"Nimbus Sans\",Helvetica,sans-serif;"
            "line-height:1.5;margin:0;}");
  const std::string editorAreas =
      ".zd-body, .zd-header { font-family: inherit !important; font-size: inherit !important; color: inherit "
      "!important; line-height: inherit !important; }\r\n";
  EXPECT_EQ(BuildWebHelpStyleCss(FProject, &FSettings), rule + Standard());
  EXPECT_EQ(BuildPdfStyleCss(FProject, &FSettings),
            rule + "\r\n" + TopicBodyLayoutCss("section", ":not(.zd-topic-title)") + Standard());
  EXPECT_EQ(BuildEditorStyleCss(FProject, &FSettings),
            rule + "\r\n" + TopicBodyLayoutCss(".zd-body") + Standard() + editorAreas);
  EXPECT_EQ(BuildEditorStyleCss(FProject, nullptr), rule + "\r\n" + TopicBodyLayoutCss(".zd-body"));
  EXPECT_EQ(BuildChmStyleCss(&FSettings),
            "body{font-family:\"Segoe UI\",Arial,\"Liberation Sans\",\"Nimbus Sans\",Helvetica,sans-serif;"
            "line-height:1.5;}" +
                BuildSettingsCss(FSettings, TSettingsCssForm::Chm));

  WriteFixtureFile(FDir / "styles/default.css", "default{}");
  EXPECT_EQ(BuildWebHelpStyleCss(FProject, &FSettings), rule + Standard());
  EXPECT_EQ(BuildEditorStyleCss(FProject, &FSettings),
            "default{}\r\n" + TopicBodyLayoutCss(".zd-body") + Standard() + editorAreas);

  WriteProfile("p { margin: 0.5em; }");
  EXPECT_EQ(BuildWebHelpStyleCss(FProject, &FSettings), "p { margin: 0.5em; }" + Standard());
  EXPECT_EQ(BuildPdfStyleCss(FProject, &FSettings),
            "p { margin: 0.5em; }\r\n" + TopicBodyLayoutCss("section", ":not(.zd-topic-title)") + Standard());
  EXPECT_EQ(BuildWebHelpStyleCss(FProject, nullptr), "p { margin: 0.5em; }");
}

// The block spacing the published pages use; the editor and the PDF get the same rules.
TEST(SettingsCss, TopicBodyLayout) {
  EXPECT_EQ(
      TopicBodyLayoutCss(".zd-page-body"),
      ".zd-page-body p{margin:0;}.zd-page-body h1,.zd-page-body h2,.zd-page-body h3,.zd-page-body h4,"
      ".zd-page-body h5,.zd-page-body h6{margin:0;}.zd-page-body ul,.zd-page-body ol{margin:0;padding-left:1.5em;}"
      ".zd-page-body li{margin:0;}");
  // The PDF manual's own section titles keep the profile's spacing.
  EXPECT_EQ(TopicBodyLayoutCss("section", ":not(.t)"),
            "section p{margin:0;}section h1:not(.t),section h2:not(.t),section h3:not(.t),section h4:not(.t),"
            "section h5:not(.t),section h6:not(.t){margin:0;}section ul,section ol{margin:0;padding-left:1.5em;}"
            "section li{margin:0;}");
}

TEST_F(StyleFiles, ProfileNamesStayInsideTheStylesFolder) {
  FProject.SetStyleProfile("../../secret");
  EXPECT_EQ(StyleProfilePath(FProject), FDir / "styles/.._.._secret.css");
  // A name no portable file holds names no profile: the default applies, nothing fails.
  FProject.SetStyleProfile("print?");
  EXPECT_EQ(StyleProfilePath(FProject), FDir / "styles/print_.css");
  EXPECT_NO_THROW(WriteEditorEffectiveCss(FSettings, FProject));
}

TEST_F(StyleFiles, EditorSheetIsWrittenWithItsFolder) {
  WriteProfile("h1{}");
  const std::string path = WriteEditorEffectiveCss(FSettings, FProject);
  EXPECT_EQ(path, ExpandFileName(FDir / "internal/editor/editor_effective.css"));
  EXPECT_EQ(ReadTextFileUtf8(path), BuildEditorStyleCss(FProject, &FSettings));
  EXPECT_TRUE(StartsWith(ReadTextFileUtf8(path), "h1{}\r\n"));

  TDocProject rootless;
  EXPECT_THROW(WriteEditorEffectiveCss(FSettings, rootless), EFolivaneError);
}

}  // namespace
