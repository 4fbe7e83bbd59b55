#include <gtest/gtest.h>

#include <cstdint>
#include <vector>

#include "JpegTestImages.h"
#include "TestHelpers.h"
#include "uJpegOrientation.h"
#include "uStorage.h"

namespace {

const TRgb kRed{255, 0, 0}, kGreen{0, 255, 0}, kBlue{0, 0, 255}, kWhite{255, 255, 255};

std::string Quadrants() { return MakeQuadrantJpeg(32, 16, kRed, kGreen, kBlue, kWhite); }

int OrientationOf(const std::string& bytes) {
  return ReadExifOrientationFromBytes(reinterpret_cast<const std::uint8_t*>(bytes.data()), bytes.size());
}

// The sample photos kept with the tests, and the full collection when it is present.
std::string Fixture(const std::string& rel) { return std::string(FOLIVANE_FIXTURES_DIR) + "/exif/" + rel; }
std::string Testdata(const std::string& rel) { return std::string(FOLIVANE_TESTDATA_DIR) + "/exif/" + rel; }
std::vector<std::string> SampleFolders() {
  std::vector<std::string> folders{Fixture("")};
  if (DirExists(Testdata("orientation"))) folders.push_back(Testdata(""));
  return folders;
}

// An APP1 segment around raw TIFF bytes.
std::string App1(const std::string& data) {
  std::string seg = "\xFF\xE1";
  seg += static_cast<char>(((data.size() + 2) >> 8) & 0xFF);
  seg += static_cast<char>((data.size() + 2) & 0xFF);
  return seg + data;
}

std::string S(std::initializer_list<int> bytes) {
  std::string s;
  for (int b : bytes) s += static_cast<char>(b);
  return s;
}

}  // namespace

TEST(JpegOrientationTest, ReadsTheTagInBothByteOrders) {
  for (bool le : {true, false}) {
    for (int o : {1, 2, 3, 5, 6, 8}) {
      EXPECT_EQ(OrientationOf(InsertAfterSoi(Quadrants(), ExifSegment(o, le))), o) << "le=" << le << " o=" << o;
    }
  }
}

TEST(JpegOrientationTest, MalformedOrUnusualStructures) {
  const std::string soi = S({0xFF, 0xD8});
  const std::string exifII = std::string("Exif\0\0", 6) + "II" + S({42, 0, 8, 0, 0, 0});
  const std::string exifMM = std::string("Exif\0\0", 6) + "MM" + S({0, 42, 0, 0, 0, 8});
  // One Orientation entry with count 2 whose values live at TIFF offset 26.
  const std::string indirect = exifII + S({1, 0, 0x12, 1, 3, 0, 2, 0, 0, 0, 26, 0, 0, 0, 0, 0, 0, 0, 6, 0, 6, 0});
  struct TCase {
    const char* name;
    std::string bytes;
    int expected;
  } cases[] = {
      {"empty", "", 1},
      {"not a JPEG", "GIF89a...", 1},
      {"only the start marker", soi, 1},
      {"fill bytes before a marker",
       soi + S({0xFF, 0xFF, 0xFF}) + App1(exifII + S({1, 0, 0x12, 1, 3, 0, 1, 0, 0, 0, 8, 0, 0, 0})), 8},
      {"another segment skipped first",
       soi + S({0xFF, 0xE0, 0, 4, 1, 2}) + App1(exifMM + S({0, 1, 1, 0x12, 0, 3, 0, 0, 0, 1, 0, 3, 0, 0})), 3},
      {"XMP before Exif",
       soi + App1("http://ns.adobe.com/xap/1.0/\0xxxxxxxx") +
           App1(exifII + S({1, 0, 0x12, 1, 3, 0, 1, 0, 0, 0, 6, 0, 0, 0})),
       6},
      {"start of scan before Exif",
       soi + S({0xFF, 0xDA, 0, 2}) + App1(exifII + S({1, 0, 0x12, 1, 3, 0, 1, 0, 0, 0, 6, 0, 0, 0})), 1},
      {"segment length below 2", soi + S({0xFF, 0xE1, 0, 1, 0, 0, 0, 0}), 1},
      {"segment longer than the file", soi + S({0xFF, 0xE1, 0x10, 0, 'E', 'x', 'i', 'f', 0, 0}), 1},
      {"bad byte order mark", soi + App1(std::string("Exif\0\0", 6) + "XX" + S({42, 0, 8, 0, 0, 0, 0, 0})), 1},
      {"magic is not 42", soi + App1(std::string("Exif\0\0", 6) + "II" + S({43, 0, 8, 0, 0, 0, 0, 0})), 1},
      {"IFD0 offset past the data",
       soi + App1(std::string("Exif\0\0", 6) + "II" + S({42, 0, 0xFF, 0xFF, 0xFF, 0xFF, 0, 0})), 1},
      {"entry count larger than the data", soi + App1(exifII + S({0xFF, 0xFF, 0x12, 1, 3, 0, 1, 0, 0, 0, 6, 0, 0, 0})),
       6},
      {"entry cut off", soi + App1(exifII + S({1, 0, 0x12, 1, 3, 0, 1, 0, 0, 0})), 1},
      {"type LONG is not used", soi + App1(exifII + S({1, 0, 0x12, 1, 4, 0, 1, 0, 0, 0, 6, 0, 0, 0})), 1},
      {"count 0 is skipped",
       soi + App1(exifII + S({2, 0, 0x12, 1, 3, 0, 0, 0, 0, 0, 6, 0, 0, 0, 0x12, 1, 3, 0, 1, 0, 0, 0, 3, 0, 0, 0})), 3},
      {"values at an offset", soi + App1(indirect), 6},
      {"value offset outside the data", soi + App1(exifII + S({1, 0, 0x12, 1, 3, 0, 2, 0, 0, 0, 0xF0, 0, 0, 0})), 1},
  };
  for (const TCase& c : cases) EXPECT_EQ(OrientationOf(c.bytes), c.expected) << c.name;
}

TEST(JpegOrientationTest, ReadsRealPhotos) {
  for (const std::string& folder : SampleFolders()) {
    for (int o = 1; o <= 8; ++o) {
      for (const char* shape : {"landscape_", "portrait_"}) {
        const std::string file = folder + "orientation/" + shape + std::to_string(o) + ".jpg";
        if (FileExists(file)) EXPECT_EQ(ReadExifOrientation(file), o) << file;
      }
    }
    for (const std::string& f : ListFiles(folder + "cameras")) EXPECT_GE(ReadExifOrientation(f), 1) << f;
    for (const std::string& f : ListFiles(folder + "invalid")) EXPECT_EQ(ReadExifOrientation(f), 1) << f;
  }
  EXPECT_EQ(ReadExifOrientation(Fixture("no-such-file.jpg")), 1);
  EXPECT_EQ(ReadExifOrientation(Fixture("orientation")), 1) << "a folder is not a photo";
}

TEST(JpegOrientationTest, TurnsEachOrientationInBothByteOrders) {
  // Where each source quadrant ends up: top-left, top-right, bottom-left, bottom-right of the turned photo.
  struct TCase {
    int orientation;
    TRgb tl, tr, bl, br;
    int width, height;
  } cases[] = {
      {3, kWhite, kBlue, kGreen, kRed, 32, 16},
      {6, kBlue, kRed, kWhite, kGreen, 16, 32},
      {8, kGreen, kWhite, kRed, kBlue, 16, 32},
  };
  TTempDir dir;
  for (bool le : {true, false}) {
    for (const TCase& c : cases) {
      const std::string file = dir / "p.jpg";
      WriteFixtureFile(file, InsertAfterSoi(Quadrants(), ExifSegment(c.orientation, le)));
      RotateJpegFile(file);
      const std::string out = ReadBinaryFile(file);
      const TDecoded d = DecodeJpegForTest(out);
      SCOPED_TRACE("orientation " + std::to_string(c.orientation) + (le ? " II" : " MM"));
      ASSERT_EQ(d.width, c.width);
      ASSERT_EQ(d.height, c.height);
      EXPECT_TRUE(Near(d.At(2, 2), c.tl));
      EXPECT_TRUE(Near(d.At(d.width - 3, 2), c.tr));
      EXPECT_TRUE(Near(d.At(2, d.height - 3), c.bl));
      EXPECT_TRUE(Near(d.At(d.width - 3, d.height - 3), c.br));
      EXPECT_EQ(OrientationOf(out), 1) << "the tag is gone, so a second export leaves it alone";
      EXPECT_EQ(out.find("Exif"), std::string::npos);
    }
  }
}

TEST(JpegOrientationTest, LeavesOtherOrientationsAndFilesAlone) {
  TTempDir dir;
  struct TCase {
    const char* name;
    std::string bytes;
  } cases[] = {
      {"m.jpg", InsertAfterSoi(Quadrants(), ExifSegment(2, true))},  // mirrored
      {"n.jpg", Quadrants()},                                        // no tag
      {"p.png", InsertAfterSoi(Quadrants(), ExifSegment(6, true))},  // not a .jpg name
      {"t.jpg", "not a photo"},
  };
  for (const TCase& c : cases) {
    WriteFixtureFile(dir / c.name, c.bytes);
    RotateJpegFile(dir / c.name);
    EXPECT_EQ(ReadBinaryFile(dir / c.name), c.bytes) << c.name;
  }
}

TEST(JpegOrientationTest, DamagedPhotoThatAsksForATurnFailsWithAMessage) {
  std::string huge = InsertAfterSoi(Quadrants(), ExifSegment(6, false));
  const size_t sof = huge.find("\xFF\xC0");
  ASSERT_NE(sof, std::string::npos);
  huge.replace(sof + 5, 4, std::string("\xFF\x00\xFF\x00", 4));  // 65280 x 65280 pixels
  struct TCase {
    const char* name;
    std::string bytes;
    const char* message;
  } cases[] = {
      {"cut.jpg", InsertAfterSoi(Quadrants(), ExifSegment(6, true)).substr(0, 60), "Cannot decode the photo"},
      {"garbage.jpg", InsertAfterSoi(S({0xFF, 0xD8}), ExifSegment(8, true)) + std::string(200, 'x'),
       "Cannot decode the photo"},
      {"huge.jpg", huge, "too large to turn"},
  };
  TTempDir dir;
  for (const TCase& c : cases) {
    WriteFixtureFile(dir / c.name, c.bytes);
    try {
      RotateJpegFile(dir / c.name);
      ADD_FAILURE() << c.name << " did not raise";
    } catch (const EFolivaneError& e) {
      EXPECT_NE(std::string(e.what()).find(c.message), std::string::npos) << c.name << ": " << e.what();
      EXPECT_NE(std::string(e.what()).find(c.name), std::string::npos) << "the message names the file";
    }
    EXPECT_EQ(ReadBinaryFile(dir / c.name), c.bytes) << c.name << " is left as it was";
  }
}

TEST(JpegOrientationTest, TurnsRealPhotos) {
  TTempDir dir;
  const TDecoded upright = DecodeJpegForTest(ReadBinaryFile(Fixture("orientation/landscape_1.jpg")));
  for (int o : {3, 6, 8}) {
    const std::string file = dir / ("l" + std::to_string(o) + ".JPG");
    CopyFileOverwrite(Fixture("orientation/landscape_" + std::to_string(o) + ".jpg"), file);
    RotateJpegFile(file);
    const TDecoded d = DecodeJpegForTest(ReadBinaryFile(file));
    EXPECT_EQ(d.width, upright.width) << o;
    EXPECT_EQ(d.height, upright.height) << o;
    EXPECT_EQ(ReadExifOrientation(file), 1);
  }
}

TEST(JpegOrientationTest, NormalisesThePublishedCopiesOnce) {
  TTempDir dir;
  TDocProject project;
  project.SetRootPath(dir / "P");
  const std::string out = dir / "P/build/chm";
  const std::string photo = InsertAfterSoi(Quadrants(), ExifSegment(6, true));
  for (const char* rel : {"assets/images/p.jpg", "assets/images/P2.JPG", "assets/images/x.png", "assets/images/w.jpg",
                          "assets/images/excluded.jpg", "assets/images/q.jpg"}) {
    WriteFixtureFile(dir / "P" + "/" + rel, photo);
    WriteFixtureFile(out + "/" + rel, photo);
  }
  WriteFixtureFile(dir / "P/outside.jpg", photo);  // a photo beside the output, reached only through ".."
  WriteFixtureFile(out + "/outside.jpg", photo);
  TTopic& a = project.AddTopic("A", "");
  TTopic& b = project.AddTopic("B", "");
  TTopic& c = project.AddTopic("C", "");
  c.SetExcludeChm(true);
  project.AddTopic("No file", "");
  WriteFixtureFile(
      a.HtmlPath(),
      "<img src=\"assets/images/p.jpg\"><img SRC = ' assets/images/P2.JPG '><img src=\"assets/images/x.png\">"
      "<img src=\"https://example.com/assets/images/w.jpg\"><img src=\"assets/images/q.jpg?v=2\">");
  WriteFixtureFile(b.HtmlPath(), "<img src='/assets/images/p.jpg'><img src=\"assets/../outside.jpg\">");
  WriteFixtureFile(c.HtmlPath(), "<img src=\"assets/images/excluded.jpg\">");

  NormaliseJpegOrientation(project, out);

  for (const char* turned : {"p.jpg", "P2.JPG"}) {
    const TDecoded d = DecodeJpegForTest(ReadBinaryFile(out + "/assets/images/" + turned));
    EXPECT_EQ(d.width, 16) << turned;
    EXPECT_EQ(d.height, 32) << turned
                            << " is turned once: a second turn would not change its size but would lose the tag";
    EXPECT_TRUE(Near(d.At(2, 2), kBlue)) << turned;
  }
  for (const char* kept : {"assets/images/x.png", "assets/images/w.jpg", "assets/images/excluded.jpg",
                           "assets/images/q.jpg", "outside.jpg"}) {
    EXPECT_EQ(ReadBinaryFile(out + "/" + kept), photo) << kept << " is not examined";
  }
  EXPECT_EQ(ReadBinaryFile(dir / "P/assets/images/p.jpg"), photo) << "the project's own photo stays";
  EXPECT_EQ(ReadBinaryFile(dir / "P/outside.jpg"), photo);
}
