#include <gtest/gtest.h>

#include "uToolbarSync.h"
#include "uUtils.h"

namespace {

struct TFakeToolbar : IToolbarView {
  bool HasFocus(TToolbarControl c) const override { return c == Focused; }
  bool IsListOpen(TToolbarControl) const override { return false; }
  void SetStyleButtons(bool b, bool i, bool u, bool ul, bool ol) override {
    Bold = b;
    Italic = i;
    Underline = u;
    Ul = ul;
    Ol = ol;
  }
  void SelectHeadingIndex(int index) override { Heading = index; }
  void SelectFontName(const std::string& name) override { FontName = name; }
  void ShowFontSize(const std::string& text) override { SizeText = text; }
  TColor SelectedTextColor() const override { return Color; }
  void SelectTextColor(TColor c) override { Color = c; }
  void SetAlignButtons(const std::string& a) override { Align = a; }
  void ShowLineSpacing(const std::string& t) override { LineSpacing = t; }

  TToolbarControl Focused = static_cast<TToolbarControl>(-1);
  bool Bold = false, Italic = false, Underline = false, Ul = false, Ol = false;
  int Heading = -1;
  std::string FontName, SizeText, Align, LineSpacing;
  TColor Color = RGBColor(0, 0, 0);
};

struct TToolbarSyncFixture : ::testing::Test {
  std::uint32_t now = 100000;
  TFakeToolbar view;
  TToolbarSync sync{view, [this] { return now; }};

  TEditorCursorStyle Report(int size = 16) {
    TEditorCursorStyle s;
    s.FontSizePx = size;
    return s;
  }
};

}  // namespace

TEST_F(TToolbarSyncFixture, StyleButtonsHoldTheUsersClickFor350Ms) {
  view.Bold = true;
  sync.NoteStyleCommand();
  now += 100;
  sync.ApplyCursorStyle(Report());
  EXPECT_TRUE(view.Bold);
  now += 300;
  sync.ApplyCursorStyle(Report());
  EXPECT_FALSE(view.Bold);
}

TEST_F(TToolbarSyncFixture, FontSizeFilterAndItsEarlyEnd) {
  sync.NoteFontSize(18);
  view.SizeText = "18";
  now += 100;
  sync.ApplyCursorStyle(Report(16));
  EXPECT_EQ(view.SizeText, "18");
  sync.ApplyCursorStyle(Report(18));
  EXPECT_EQ(sync.IgnoreFontSizeSyncUntil(), 0u);
  now += 10;
  sync.ApplyCursorStyle(Report(16));
  EXPECT_EQ(view.SizeText, "16");
  // The box with the focus is left alone.
  view.Focused = TToolbarControl::FontSize;
  sync.ApplyCursorStyle(Report(30));
  EXPECT_EQ(view.SizeText, "16");
}

TEST_F(TToolbarSyncFixture, LineHeightsInPixelsBecomeFactors) {
  struct TCase {
    std::string lineHeight;
    int size;
    std::string shown;
  };
  for (const TCase& c : std::vector<TCase>{
           {"24px", 16, "1.5"}, {"16px", 16, "1"}, {"12px", 16, "1"}, {"1.15", 16, "1.15"}, {"20PX", 15, "1.33"}}) {
    TEditorCursorStyle s = Report(c.size);
    s.LineHeight = c.lineHeight;
    sync.ApplyCursorStyle(s);
    EXPECT_EQ(view.LineSpacing, c.shown) << c.lineHeight;
  }
  sync.NoteLineHeight("2.0");
  TEditorCursorStyle s = Report(16);
  s.LineHeight = "1.5";
  sync.ApplyCursorStyle(s);
  EXPECT_EQ(view.LineSpacing, "1.33") << "rejected while the user's value is fresh";
  // The page confirms "2.0" as 2: the filter ends, and the next paragraph's value shows.
  s.LineHeight = "2";
  sync.ApplyCursorStyle(s);
  EXPECT_EQ(view.LineSpacing, "2");
  EXPECT_EQ(sync.IgnoreLineHeightSyncUntil(), 0u);
  s.LineHeight = "1.5";
  sync.ApplyCursorStyle(s);
  EXPECT_EQ(view.LineSpacing, "1.5");
}

TEST_F(TToolbarSyncFixture, ColoursHeadingsAlignmentAndLists) {
  TEditorCursorStyle s = Report();
  s.TextColorHtml = "rgb(255, 0, 0)";
  view.Color = RGBColor(1, 2, 3);
  sync.ApplyCursorStyle(s);
  EXPECT_EQ(view.Color, RGBColor(1, 2, 3));
  s.TextColorHtml = "transparent";
  sync.ApplyCursorStyle(s);
  EXPECT_EQ(view.Color, RGBColor(255, 255, 255));
  s.TextColorHtml = "#FF8000";
  s.BlockTag = "H2";
  s.Align = "justify";
  s.ListType = "OL";
  s.FontName = "Georgia";
  sync.ApplyCursorStyle(s);
  EXPECT_EQ(view.Color, RGBColor(255, 128, 0));
  EXPECT_EQ(view.Heading, 2);
  EXPECT_EQ(view.Align, "");
  EXPECT_TRUE(view.Ol);
  EXPECT_FALSE(view.Ul);
  EXPECT_EQ(view.FontName, "Georgia");
  s.Align = "";
  s.BlockTag = "li";
  sync.ApplyCursorStyle(s);
  EXPECT_EQ(view.Align, "left");
  EXPECT_EQ(view.Heading, 0);
}

TEST_F(TToolbarSyncFixture, SettingsHoldAndReentrantReportsAreDropped) {
  TProjectSettings settings;
  settings.FontSizeBody = 15;
  settings.DefaultFontName = "Verdana";
  sync.NoteSettingsApplied(settings);
  TEditorCursorStyle s = Report(12);
  s.FontName = "Arial";
  now += 1000;
  sync.ApplyCursorStyle(s);
  EXPECT_EQ(view.SizeText, "");
  EXPECT_EQ(view.FontName, "");
  now += 300;
  sync.SetUpdatingUi(true);
  sync.ApplyCursorStyle(s);
  EXPECT_EQ(view.SizeText, "");
  sync.SetUpdatingUi(false);
  sync.ApplyCursorStyle(s);
  EXPECT_EQ(view.SizeText, "12");
  EXPECT_EQ(view.FontName, "Arial");
}

// The first report after a topic loads falls inside the settings hold; the page sends no
// other until the caret moves, so the held report is replayed once the hold is over.
TEST_F(TToolbarSyncFixture, AHeldReportIsReplayedWhenItsHoldEnds) {
  TProjectSettings settings;
  settings.FontSizeBody = 15;
  sync.NoteSettingsApplied(settings);
  EXPECT_EQ(sync.HeldReportDueInMs(), 0u);
  now += 200;
  TEditorCursorStyle heading = Report(32);
  heading.LineHeight = "1.25";
  sync.ApplyCursorStyle(heading);
  EXPECT_EQ(view.SizeText, "");
  EXPECT_EQ(sync.HeldReportDueInMs(), TToolbarSync::kSettingsHoldMs - 200);

  now += TToolbarSync::kSettingsHoldMs;
  sync.ReplayHeldReport();
  EXPECT_EQ(view.SizeText, "32");
  EXPECT_EQ(view.LineSpacing, "1.25");
  EXPECT_EQ(sync.HeldReportDueInMs(), 0u) << "nothing held any more";

  // A report applied whole leaves nothing to replay, even after a later user command.
  sync.ApplyCursorStyle(Report(20));
  sync.NoteFontSize(40);
  sync.ReplayHeldReport();
  EXPECT_EQ(view.SizeText, "20");
}

TEST(ToolbarSyncText, BoxTextsAndFormatting) {
  EXPECT_EQ(FontSizeFromBoxText(" 250 "), 200);
  EXPECT_EQ(FontSizeFromBoxText("3"), 8);
  EXPECT_EQ(FontSizeFromBoxText("abc"), 0);
  EXPECT_EQ(FontSizeFromBoxText("-4"), 0);
  EXPECT_EQ(FormatLineHeight(1.5), "1.5");
  EXPECT_EQ(FormatLineHeight(1.0), "1");
  EXPECT_EQ(FormatLineHeight(1.333), "1.33");
  EXPECT_EQ(FormatLineHeight(10.0), "10");
  EXPECT_DOUBLE_EQ(ReadDecimal("1,15"), 1.15);
  EXPECT_EQ(ReadDecimal("x"), 0);
  EXPECT_EQ(HtmlColorToColor("#zz0000", 7), 7);
  EXPECT_EQ(HtmlColorToColor("", 7), RGBColor(255, 255, 255));
}
