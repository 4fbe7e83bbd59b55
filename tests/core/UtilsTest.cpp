#include <gtest/gtest.h>

#include <signal.h>
#include <sys/resource.h>

#include "TestHelpers.h"
#include "uUtils.h"

TEST(PathJoin, JoinsAsGiven) {
  struct Case { const char* base; const char* rel; const char* expected; };
  const Case cases[] = {
      {"/p", "", "/p/"},
      {"/p/", "topics", "/p/topics"},
      {"/p", "topics", "/p/topics"},
      {"/p", "/x.css", "/x.css"},
      {"/p", "a/../b", "/p/a/../b"},
      {"", "rel", "/rel"},
  };
  for (const Case& c : cases) EXPECT_EQ(PathJoin(c.base, c.rel), c.expected) << c.base << " + " << c.rel;
}

TEST(PathJoin, RejectsCharactersOtherSystemsForbid) {
  for (const char* rel : {"a\"b", "a<b", "a>b", "a|b", "a*b", "a?b", "a\tb"}) {
    EXPECT_THROW(PathJoin("/p", rel), EFolivaneError) << rel;
  }
}

TEST(SafeFileName, TrimsAndReplaces) {
  EXPECT_EQ(SafeFileName("  a:b?.html  "), "a_b_.html");
  EXPECT_EQ(SafeFileName("   "), "topic");
  EXPECT_EQ(SafeFileName("x/\\*\"<>|y"), "x_______y");
  EXPECT_EQ(SafeFileName("0123456789ABCDEF0123456789ABCDEF"), "0123456789ABCDEF0123456789ABCDEF");
}

TEST(Text, TrimRemovesControlCharactersAndBlanks) {
  EXPECT_EQ(Trim("\t\r\n x y \x01"), "x y");
  EXPECT_EQ(Trim(""), "");
}

TEST(Text, FormatAndFloats) {
  EXPECT_EQ(FormatText("Topic not found: %s", {"X1"}), "Topic not found: X1");
  EXPECT_EQ(FormatText("%s%s - %s [%s] 100%%", {"A", "*", "T", "F"}), "A* - T [F] 100%");
  EXPECT_EQ(FloatToText(1.5), "1.5");
  EXPECT_EQ(FloatToText(2.0), "2");
  EXPECT_EQ(FloatToText(0.1), "0.1");
}

TEST(Text, Utf8RepairAndUtf16) {
  EXPECT_EQ(SanitizeUtf8("ok \xC3\xA9"), "ok \xC3\xA9");
  EXPECT_EQ(SanitizeUtf8("a\xFF" "b"), "a\xEF\xBF\xBD" "b");
  EXPECT_EQ(SanitizeUtf8("\xC3"), "\xEF\xBF\xBD");  // truncated sequence
  EXPECT_EQ(Utf8ToUtf16("\xF0\x9F\x98\x80"), (std::u16string{0xD83D, 0xDE00}));
  EXPECT_EQ(Utf16ToUtf8(std::u16string{0xD83D, 0xDE00}), "\xF0\x9F\x98\x80");
}

TEST(Files, ReadKeepsByteOrderMarkAutoBomSkipsIt) {
  TTempDir dir;
  WriteFixtureFile(dir / "bom.txt", "\xEF\xBB\xBFhi");
  WriteFixtureFile(dir / "utf16.txt", std::string("\xFF\xFEh\0i\0", 6));
  EXPECT_EQ(ReadTextFileUtf8(dir / "bom.txt"), "\xEF\xBB\xBFhi");
  EXPECT_EQ(ReadTextFileAutoBom(dir / "bom.txt"), "hi");
  EXPECT_EQ(ReadTextFileAutoBom(dir / "utf16.txt"), "hi");
  EXPECT_THROW(ReadTextFileUtf8(dir / "missing.txt"), EFolivaneError);
}

// The system reads a path only up to a NUL byte; the shorter path must not answer for it.
TEST(Files, APathHoldingANulByteNamesNothing) {
  TTempDir dir;
  WriteFixtureFile(dir / "a.css", "x");
  for (const std::string& path : {dir / "a.css" + std::string("\0/b", 3), dir.Path() + std::string("\0", 1)}) {
    EXPECT_FALSE(FileExists(path));
    EXPECT_FALSE(DirExists(path));
  }
  EXPECT_TRUE(FileExists(dir / "a.css"));
  EXPECT_TRUE(DirExists(dir.Path()));
}

TEST(Files, WriteCreatesFoldersAndReplaces) {
  TTempDir dir;
  const std::string path = dir / "a/b/c.txt";
  WriteTextFileUtf8(path, "one");
  WriteTextFileUtf8(path, "two");
  EXPECT_EQ(ReadTextFileUtf8(path), "two");
  WriteTextFileUtf8Bom(path, "x");
  EXPECT_EQ(ReadBinaryFile(path), "\xEF\xBB\xBFx");
  EXPECT_EQ(ListFiles(dir / "a/b").size(), 1u) << "no temporary file is left behind";
}

// A write that fails half way (here: the file size limit, as a full disk would)
// must leave the old file whole and no temporary file behind.
TEST(Files, FailedWriteKeepsTheOldFile) {
  TTempDir dir;
  const std::string path = dir / "project.json";
  WriteTextFileUtf8(path, "{\"title\":\"old\"}");

  ::signal(SIGXFSZ, SIG_IGN);
  rlimit old{};
  ::getrlimit(RLIMIT_FSIZE, &old);
  rlimit small = old;
  small.rlim_cur = 4096;
  ASSERT_EQ(::setrlimit(RLIMIT_FSIZE, &small), 0);
  EXPECT_THROW(WriteTextFileUtf8(path, std::string(100000, 'x')), EFolivaneError);
  ::setrlimit(RLIMIT_FSIZE, &old);

  EXPECT_EQ(ReadTextFileUtf8(path), "{\"title\":\"old\"}");
  EXPECT_EQ(ListFiles(dir.Path()).size(), 1u);
}

TEST(Paths, Parts) {
  EXPECT_EQ(ExtractFileDir("/a/b/c.fvp"), "/a/b");
  EXPECT_EQ(ExtractFileName("/a/b/c.fvp"), "c.fvp");
  EXPECT_EQ(ExtractFileExt("/a/b.d/c"), "");
  EXPECT_EQ(FileNameWithoutExt("/a/b/Guide.fvp"), "Guide");
  EXPECT_EQ(FileNameWithoutExt("/a/b/.fvp"), "");
  EXPECT_EQ(ExpandFileName("/a/./b/../c.fvp"), "/a/c.fvp");
}
