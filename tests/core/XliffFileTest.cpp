#include <gtest/gtest.h>

#include "TestHelpers.h"
#include "uXliffFile.h"

namespace {

using K = TXliffRun::TKind;

TXliffDocument SmallDocument() {
  TXliffDocument document{"en", "de", "Guide.fvp", {}};
  TXliffUnit unit;
  unit.id = "T1.body.1";
  unit.note = "Text of the topic \"A & B\"";
  unit.source = {{K::Text, "Press "}, {K::Open, "1"}, {K::Text, "<Ctrl>\x01"}, {K::Close, "1"}, {K::Placeholder, "2"}};
  unit.codes = {{"1", true, "<b class=\"k\">", "</b>"}, {"2", false, "{var:App}", ""}};
  document.units.push_back(unit);
  unit = TXliffUnit();
  unit.id = "project.title";
  unit.source = {{K::Text, "Guide"}};
  unit.target = TXliffContent{{K::Text, "Handbuch"}};
  document.units.push_back(unit);
  return document;
}

TEST(XliffFile, WritesXliff21WithCodesAndTheirMarkup) {
  EXPECT_EQ(
      WriteXliff(SmallDocument()),
      "<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n"
      "<xliff xmlns=\"urn:oasis:names:tc:xliff:document:2.0\" version=\"2.1\" srcLang=\"en\" trgLang=\"de\">\n"
      " <file id=\"f1\" original=\"Guide.fvp\" xml:space=\"preserve\">\n"
      "  <unit id=\"T1.body.1\">\n"
      "   <notes>\n"
      "    <note category=\"location\">Text of the topic \"A &amp; B\"</note>\n"
      "   </notes>\n"
      "   <originalData>\n"
      "    <data id=\"o1\">&lt;b class=\"k\"&gt;</data>\n"
      "    <data id=\"c1\">&lt;/b&gt;</data>\n"
      "    <data id=\"o2\">{var:App}</data>\n"
      "   </originalData>\n"
      "   <segment>\n"
      "    <source>Press <pc id=\"1\" canCopy=\"no\" canDelete=\"no\" dataRefStart=\"o1\" dataRefEnd=\"c1\">"
      "&lt;Ctrl&gt;<cp hex=\"0001\"/></pc><ph id=\"2\" canCopy=\"no\" canDelete=\"no\" dataRef=\"o2\"/></source>\n"
      "   </segment>\n"
      "  </unit>\n"
      "  <unit id=\"project.title\">\n"
      "   <segment>\n"
      "    <source>Guide</source>\n"
      "    <target>Handbuch</target>\n"
      "   </segment>\n"
      "  </unit>\n"
      " </file>\n"
      "</xliff>\n");
}

TEST(XliffFile, ReadsBackWhatItWrites) {
  TXliffDocument written = SmallDocument();
  written.units[1].target = TXliffContent{{K::Text, " Hand\r\nbuch\t&\xC2\xA0"}};  // XML would fold a bare CR
  const TXliffDocument read = ReadXliff(WriteXliff(written), "a.xlf");
  EXPECT_EQ(read.sourceLang, "en");
  EXPECT_EQ(read.targetLang, "de");
  EXPECT_EQ(read.original, "Guide.fvp");
  ASSERT_EQ(read.units.size(), 2u);
  for (size_t i = 0; i < 2; ++i) {
    EXPECT_EQ(read.units[i].id, written.units[i].id);
    EXPECT_EQ(read.units[i].source, written.units[i].source);
    EXPECT_EQ(read.units[i].target, written.units[i].target);
    EXPECT_EQ(read.units[i].problem, "");
  }
}

// What translation tools write back: groups, segments split in two with white space
// between them, annotations, and elements this program never writes.
TEST(XliffFile, ReadsWhatTranslationToolsWrite) {
  const std::string xml =
      "<?xml version=\"1.0\"?>\n"
      "<xliff xmlns=\"urn:oasis:names:tc:xliff:document:2.0\" version=\"2.0\" srcLang=\"en\" trgLang=\"fr\">"
      "<file id=\"f\"><group id=\"g\">"
      "<unit id=\"split\"><segment state=\"translated\"><source>One.</source><target>Un.</target></segment>"
      "<ignorable><source> </source></ignorable>"
      "<segment><source>Two <pc id=\"1\">x</pc></source><target>Deux <pc id=\"1\"><mrk id=\"m\">x</mrk></pc>"
      "</target></segment></unit>"
      "<unit id=\"half\"><segment><source>A.</source><target>B.</target></segment>"
      "<segment><source>C.</source></segment></unit>"
      "<unit id=\"sc\"><segment><source>a</source><target><sc id=\"1\"/>a<ec startRef=\"1\"/></target></segment>"
      "</unit></group></file></xliff>";
  const TXliffDocument read = ReadXliff(xml, "t.xlf");
  ASSERT_EQ(read.units.size(), 3u);
  EXPECT_EQ(read.units[0].source,
            (TXliffContent{{K::Text, "One. Two "}, {K::Open, "1"}, {K::Text, "x"}, {K::Close, "1"}}));
  EXPECT_EQ(read.units[0].target,
            (TXliffContent{{K::Text, "Un. Deux "}, {K::Open, "1"}, {K::Text, "x"}, {K::Close, "1"}}));
  EXPECT_FALSE(read.units[1].target.has_value());  // one of its segments is not translated
  EXPECT_EQ(read.units[2].problem, "Unsupported inline element <sc>");
}

TEST(XliffFile, RefusesFilesThatAreNotXliff2) {
  EXPECT_EQ(ErrorMessage([] {
              ReadXliff("<xliff version=\"2.1\"><file>", "a.xlf");
            }).rfind("a.xlf is not a valid XML file: ", 0),
            0u);
  for (const char* xml : {"<xliff version=\"1.2\" xmlns=\"urn:oasis:names:tc:xliff:document:1.2\"/>",
                          "<xliff xmlns=\"urn:oasis:names:tc:xliff:document:2.0\" version=\"1.2\"/>", "<html/>"}) {
    EXPECT_EQ(ErrorMessage([&] { ReadXliff(xml, "b.xlf"); }), "b.xlf is not an XLIFF 2 file") << xml;
  }
}

TEST(XliffFile, LanguageTagsAreSafeInFileNames) {
  for (const char* good : {"de", "pt-BR", "zh-Hans-CN", "x-klingon"}) EXPECT_TRUE(IsLanguageTag(good)) << good;
  for (const char* bad : {"", "../de", "de/x", "de_DE", "-de", "de--x", "a b", "abcdefghi"})
    EXPECT_FALSE(IsLanguageTag(bad)) << bad;
}

}  // namespace
