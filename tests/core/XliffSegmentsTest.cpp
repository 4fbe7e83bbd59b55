#include <gtest/gtest.h>

#include "uXliffSegments.h"

namespace {

// Content in a short form: text as it is, <1>...</1> for a paired code, {1} for a standalone one.
std::string Shown(const TXliffContent& content) {
  std::string out;
  for (const TXliffRun& run : content) {
    switch (run.kind) {
      case TXliffRun::TKind::Text: out += run.value; break;
      case TXliffRun::TKind::Placeholder: out += "{" + run.value + "}"; break;
      case TXliffRun::TKind::Open: out += "<" + run.value + ">"; break;
      case TXliffRun::TKind::Close: out += "</" + run.value + ">"; break;
    }
  }
  return out;
}

std::vector<std::string> ShownSegments(const std::string& html) {
  std::vector<std::string> shown;
  for (const TXliffSegment& segment : SegmentHtml(html)) shown.push_back(Shown(segment.content));
  return shown;
}

TXliffContent Text(const std::string& text) { return {{TXliffRun::TKind::Text, text}}; }

const struct TSegmentCase {
  const char* name;
  const char* html;
  std::vector<std::string> segments;
} kSegmentCases[] = {
    {"blocks",
     "<h1>Title</h1><ul><li>One</li><li>Two</li></ul><table><tr><th>A</th><td>B</td></tr></table>",
     {"Title", "One", "Two", "A", "B"}},
    {"nested inline", "<p><b>Bold <i>both</i></b> plain</p>", {"<1>Bold <2>both</2></1> plain"}},
    {"link", "<p>See <a href=\"doc:0A1B\" title=\"x\">Filters</a>.</p>", {"See <1>Filters</1>."}},
    {"image and line break",
     "<p><img src=\"a.png\" alt=\"Flow\"> Scan<br>copy<br/>verify</p>",
     {"{1} Scan{2}copy{3}verify"}},
    {"tokens", "<p>{var:ProductName} runs. {snip:AdminNote}</p>", {"{1} runs. {2}"}},
    {"nothing to translate", "<p>{var:ProductName}</p><p> </p><p>&nbsp;</p><hr><p><img src=\"a.png\"></p>", {}},
    {"condition markers between blocks", "{begincond:Pro}<p>Pro only</p>{endcond}<p>All</p>", {"Pro only", "All"}},
    {"entities",
     "<p>A &amp; B &lt;x&gt; &copy; &#8364;&#x41;&nbsp;&bogus; & C</p>",
     {"A & B <x> \xC2\xA9 \xE2\x82\xAC"
      "A\xC2\xA0&bogus; & C"}},
    {"CJK",
     "<p>\xE5\xBF\xAB\xE9\x80\x9F <b>\xE8\xBF\x90\xE8\xA1\x8C</b></p>",
     {"\xE5\xBF\xAB\xE9\x80\x9F <1>\xE8\xBF\x90\xE8\xA1\x8C</1>"}},
    {"right to left",
     "<p dir=\"rtl\">\xD9\x85\xD8\xB1\xD8\xAD\xD8\xA8\xD8\xA7 <b>\xD8\xA8\xD9\x83</b></p>",
     {"\xD9\x85\xD8\xB1\xD8\xAD\xD8\xA8\xD8\xA7 <1>\xD8\xA8\xD9\x83</1>"}},
    {"tags without partner", "<p>a <span>b</p><p>c</b> d</p>", {"a {1}b", "c{1} d"}},
    {"crossed tags", "<p><b>a<i>b</b>c</i></p>", {"<1>a{2}b</1>c{3}"}},
    {"comment", "<p>a<!-- note -->b</p>", {"a{1}b"}},
    {"white space at the ends", "<p>\n  Hello  <b>you</b>\t</p>", {"Hello  <1>you</1>"}},
    {"script and style", "<p>x</p><script>var s = \"<p>y</p>\";</script><style>p{}</style>", {"x"}},
    {"lone angle bracket", "<p>1 < 2</p>", {"1 < 2"}},
    {"text outside blocks", "Intro <b>text</b><div>Box</div>tail", {"Intro <1>text</1>", "Box", "tail"}},
};

TEST(XliffSegments, SegmentsPagesIntoBlocksWithInlineCodes) {
  for (const TSegmentCase& c : kSegmentCases) EXPECT_EQ(ShownSegments(c.html), c.segments) << c.name;
}

TEST(XliffSegments, UnchangedContentGivesThePageBackByteForByte) {
  for (const TSegmentCase& c : kSegmentCases) {
    const std::vector<TXliffSegment> segments = SegmentHtml(c.html);
    std::vector<std::string> rebuilt;
    for (const TXliffSegment& segment : segments) rebuilt.push_back(RebuildHtml(segment, segment.content));
    std::vector<const std::string*> replacements;
    for (const std::string& html : rebuilt) replacements.push_back(&html);
    EXPECT_EQ(ReplaceSegments(c.html, segments, replacements), c.html) << c.name;
  }
}

TEST(XliffSegments, CodesKeepTheMarkupTheyStandFor) {
  const auto segments = SegmentHtml("<p>Click <a href=\"doc:1\"><b>Save</b></a>{var:X}<br></p>");
  ASSERT_EQ(segments.size(), 1u);
  const std::vector<TXliffCode>& codes = segments[0].codes;
  ASSERT_EQ(codes.size(), 4u);
  EXPECT_EQ(codes[0].open + codes[0].close, "<a href=\"doc:1\"></a>");
  EXPECT_EQ(codes[1].open + codes[1].close, "<b></b>");
  EXPECT_EQ(codes[2].open, "{var:X}");
  EXPECT_FALSE(codes[2].paired);
  EXPECT_EQ(codes[3].open, "<br>");
}

TEST(XliffSegments, TranslationIsWrittenWithThePagesMarkup) {
  const std::string page = "<h1>Save</h1><p>Click <a href=\"doc:1\">Save</a> in {var:App} &amp; wait.<br></p>";
  const auto segments = SegmentHtml(page);
  ASSERT_EQ(segments.size(), 2u);
  using K = TXliffRun::TKind;
  const TXliffContent target = {{K::Placeholder, "2"}, {K::Text, ": <1> & "}, {K::Open, "1"},
                                {K::Text, "Sichern"},  {K::Close, "1"},       {K::Text, " {var:Evil}"},
                                {K::Placeholder, "3"}};
  const std::string first = RebuildHtml(segments[0], Text("Sichern"));
  const std::string second = RebuildHtml(segments[1], target);
  EXPECT_EQ(second, "{var:App}: &lt;1&gt; &amp; <a href=\"doc:1\">Sichern</a> &#123;var:Evil}<br>");
  EXPECT_EQ(ReplaceSegments(page, segments, {&first, &second}),
            "<h1>Sichern</h1><p>{var:App}: &lt;1&gt; &amp; <a href=\"doc:1\">Sichern</a> &#123;var:Evil}<br></p>");
}

TEST(XliffSegments, TranslationsWithCodesThatDoNotMatchAreRefused) {
  const TXliffSegment segment = SegmentHtml("<p><b>a</b> b<br></p>")[0];  // <1>a</1> b{2}
  using K = TXliffRun::TKind;
  const struct {
    const char* name;
    TXliffContent target;
  } cases[] = {
      {"unknown code", {{K::Open, "1"}, {K::Close, "1"}, {K::Placeholder, "2"}, {K::Placeholder, "9"}}},
      {"code twice", {{K::Open, "1"}, {K::Close, "1"}, {K::Placeholder, "2"}, {K::Placeholder, "2"}}},
      {"code left out", {{K::Open, "1"}, {K::Text, "x"}, {K::Close, "1"}}},
      {"paired code as standalone", {{K::Placeholder, "1"}, {K::Placeholder, "2"}}},
      {"standalone code as paired", {{K::Open, "1"}, {K::Close, "1"}, {K::Open, "2"}, {K::Close, "2"}}},
      {"not closed", {{K::Open, "1"}, {K::Placeholder, "2"}}},
  };
  for (const auto& c : cases) EXPECT_THROW(RebuildHtml(segment, c.target), EXliffCodes) << c.name;
}

TEST(XliffSegments, PlainTextKeepsItsCharactersAndProtectsTokens) {
  const TXliffSegment segment = SegmentPlainText("A & B <x> for {var:Product}");
  EXPECT_EQ(Shown(segment.content), "A & B <x> for {1}");
  const TXliffContent target = {{TXliffRun::TKind::Text, "A & B <x> f\xC3\xBCr "},
                                {TXliffRun::TKind::Placeholder, "1"}};
  EXPECT_EQ(RebuildPlainText(segment, target), "A & B <x> f\xC3\xBCr {var:Product}");
  EXPECT_FALSE(HasTranslatableText(SegmentPlainText("{var:Product} ").content));
}

}  // namespace
