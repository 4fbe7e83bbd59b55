#include <gtest/gtest.h>

#include "TestHelpers.h"
#include "uFormattingCleanup.h"
#include "uStorage.h"

namespace {

TProjectSettings Settings() {
  TProjectSettings s;  // Segoe UI, 16 px, black, 1.5; headings 32, 24, 18
  s.DefaultTextColor = RGBColor(0x22, 0x33, 0x44);
  return s;
}

}  // namespace

TEST(FormattingCleanup, RemovesTheProjectsDefaultsAndKeepsChosenFormatting) {
  const struct {
    const char* in;
    const char* out;
    int changes;
  } cases[] = {
      // The paragraph earlier versions wrote, as saved by the editor, under today's settings.
      {R"(<p style="font-family: 'Segoe UI', Arial, sans-serif; font-size: 16px; color: #223344; line-height: 1.5;">Text</p>)",
       "<p>Text</p>", 4},
      // ... and as written under other settings: the same paragraph, whatever the values then.
      {R"(<p style="font-family:Verdana, Arial, sans-serif;font-size:14px;color:#000000;line-height:1.5;">a</p>)",
       "<p>a</p>", 4},
      // A line height the writer set stays; so does the alignment.
      {R"(<p style="font-family: Verdana, Arial, sans-serif; font-size: 14px; color: #000; line-height: 2; text-align: center;">a</p>)",
       R"(<p style="line-height: 2; text-align: center;">a</p>)", 3},
      // The heading made from such a paragraph, with the span the size command left.
      {R"(<h1 style="font-family: &quot;Segoe UI&quot;, Arial, sans-serif; font-size: 16px; color: rgb(34, 51, 68); line-height: 1.5;">Installing the agent<span style="font-size: 32px;"></span></h1>)",
       "<h1>Installing the agent</h1>", 6},
      {R"(<h2><span style="font-size: 24px;">Word</span> rest</h2><p><span style="font-size: 24px;">big</span></p>)",
       R"(<h2>Word rest</h2><p><span style="font-size: 24px;">big</span></p>)", 2},
      // Formatting the writer chose: other sizes, colours and fonts, and spans with classes.
      {R"(<p><span style="font-size: 20px; color: #ff0000;">red</span> <span style="font-family: Verdana;">v</span></p>)",
       R"(<p><span style="font-size: 20px; color: #ff0000;">red</span> <span style="font-family: Verdana;">v</span></p>)",
       0},
      {R"(<p><span class="k" style="color: #223344;">a<span style="font-size:16px">b</span></span>c</p>)",
       R"(<p><span class="k">ab</span>c</p>)", 3},
      // The project's own font, alone or with the usual fallbacks, and a foundry suffix.
      {R"(<span style='font-family: "Segoe UI [MS]", Arial, "Liberation Sans", sans-serif'>x</span>)", "x", 2},
      {R"(<span style="font-family: 'Segoe UI', Georgia">x</span>)",
       R"(<span style="font-family: 'Segoe UI', Georgia">x</span>)", 0},
      {R"(<p style="color: #223344 !important;">x</p><!-- <p style="color:#223344"> -->)",
       R"(<p style="color: #223344 !important;">x</p><!-- <p style="color:#223344"> -->)", 0},
      {R"(<img src="a.png" style="width: 10px;" alt="x"><td style="line-height: 1.50">t</td>)",
       R"(<img src="a.png" style="width: 10px;" alt="x"><td>t</td>)", 1},
      {"<p>no tags closed <b", "<p>no tags closed <b", 0},
  };
  for (const auto& c : cases) {
    const TFormattingCleanup result = CleanUpTopicFormatting(c.in, Settings());
    EXPECT_EQ(result.html, c.out) << c.in;
    EXPECT_EQ(result.changes, c.changes) << c.in;
  }
}

TEST(FormattingCleanup, PlansTheChangedTopicsAndWritesThem) {
  TTempDir dir;
  TDocProject project;
  project.SetRootPath(IncludeTrailingDelimiter(dir.Path()));
  const TTopic& plain = project.AddTopic("Plain", "");
  const TTopic& typed = project.AddTopic("Typed", "");
  const TTopic& missing = project.AddTopic("Missing", "");
  (void)missing;
  WriteFixtureFile(TopicFilePath(project, plain.ID()), "<p>nothing to do</p>");
  const std::string old =
      R"(<p style="font-family:Segoe UI, Arial, sans-serif;font-size:16px;color:#000000;line-height:1.5;">t</p>)";
  WriteFixtureFile(TopicFilePath(project, typed.ID()), old + old);

  const std::vector<TTopicCleanup> plan = PlanFormattingCleanup(project, Settings());
  ASSERT_EQ(plan.size(), 1u);
  EXPECT_EQ(plan[0].id, typed.ID());
  EXPECT_EQ(plan[0].title, "Typed");
  EXPECT_EQ(plan[0].changes, 8);
  EXPECT_EQ(ReadTextFileUtf8(TopicFilePath(project, typed.ID())), old + old) << "planning writes nothing";

  ApplyFormattingCleanup(project, plan);
  EXPECT_EQ(ReadTextFileUtf8(TopicFilePath(project, typed.ID())), "<p>t</p><p>t</p>");
  EXPECT_EQ(ReadTextFileUtf8(TopicFilePath(project, plain.ID())), "<p>nothing to do</p>");
  EXPECT_TRUE(PlanFormattingCleanup(project, Settings()).empty());
}
