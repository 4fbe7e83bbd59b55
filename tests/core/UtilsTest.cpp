#include <gtest/gtest.h>

#include <signal.h>
#include <sys/resource.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cstdio>

#include "TestHelpers.h"
#include "uUtils.h"

TEST(PathJoin, JoinsAsGiven) {
  struct Case {
    const char* base;
    const char* rel;
    const char* expected;
  };
  const Case cases[] = {
      {"/p", "", "/p/"},          {"/p/", "topics", "/p/topics"}, {"/p", "topics", "/p/topics"},
      {"/p", "/x.css", "/x.css"}, {"/p", "a/../b", "/p/a/../b"},  {"", "rel", "/rel"},
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
  EXPECT_EQ(SanitizeUtf8("a\xFF"
                         "b"),
            "a\xEF\xBF\xBD"
            "b");
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

namespace {

// A file of size bytes that holds data only at its start and end: large, yet quick to make.
void MakeSparseFile(const std::string& path, off_t size) {
  WriteFixtureFile(path, "head");
  ASSERT_EQ(::truncate(path.c_str(), size), 0);
  std::FILE* f = std::fopen(path.c_str(), "r+b");
  ASSERT_NE(f, nullptr);
  std::fseek(f, static_cast<long>(size - 4), SEEK_SET);
  std::fwrite("tail", 1, 4, f);
  std::fclose(f);
}

long PeakMemoryKb() {
  rusage usage{};
  ::getrusage(RUSAGE_SELF, &usage);
  return usage.ru_maxrss;
}

}  // namespace

// A copy streams: a large file is never held in memory, and a sparse one stays sparse.
TEST(Files, CopyStreamsAndKeepsHoles) {
  TTempDir dir;
  const off_t size = off_t(512) << 20;
  MakeSparseFile(dir / "big.bin", size);
  const long before = PeakMemoryKb();
  CopyFileOverwrite(dir / "big.bin", dir / "copy.bin");
  CopyOutputFile(dir / "big.bin", dir / "copy.bin");
  EXPECT_LT(PeakMemoryKb() - before, 64 * 1024) << "kilobytes of memory more than before";
  struct stat st {};
  ASSERT_EQ(::stat((dir / "copy.bin").c_str(), &st), 0);
  EXPECT_EQ(st.st_size, size);
  EXPECT_LT(st.st_blocks * 512, 1 << 20) << "the holes stay holes";
  std::FILE* f = std::fopen((dir / "copy.bin").c_str(), "rb");
  char tail[5] = {};
  std::fseek(f, static_cast<long>(size - 4), SEEK_SET);
  EXPECT_EQ(std::fread(tail, 1, 4, f), 4u);
  std::fclose(f);
  EXPECT_STREQ(tail, "tail");
}

// A copy that fails half way (the file size limit, as a full disk would) leaves the target
// as it was, or absent, and no temporary file.
TEST(Files, FailedCopyLeavesTheTargetAsItWas) {
  TTempDir dir;
  WriteFixtureFile(dir / "src/data.bin", std::string(3 << 20, 'x'));
  WriteFixtureFile(dir / "out/old.bin", "old");
  ::signal(SIGXFSZ, SIG_IGN);
  rlimit old{};
  ::getrlimit(RLIMIT_FSIZE, &old);
  rlimit small = old;
  small.rlim_cur = 1 << 20;
  ASSERT_EQ(::setrlimit(RLIMIT_FSIZE, &small), 0);
  EXPECT_THROW(CopyFileOverwrite(dir / "src/data.bin", dir / "out/old.bin"), EFolivaneError);
  EXPECT_THROW(CopyFileToNewFile(dir / "src/data.bin", dir / "out/new.bin"), EFolivaneError);
  ::setrlimit(RLIMIT_FSIZE, &old);
  EXPECT_TRUE(ReadBinaryFile(dir / "out/old.bin") == "old") << "the old file is whole";
  EXPECT_EQ(ListFiles(dir / "out"), (std::vector<std::string>{dir / "out/old.bin"}))
      << "no new file, no temporary file";

  const std::string refused = [&] {
    try {
      CopyFileToNewFile(dir / "src/data.bin", dir / "out/old.bin");
    } catch (const EFolivaneError& e) {
      return std::string(e.what());
    }
    return std::string("no error");
  }();
  EXPECT_EQ(refused, "The file already exists: " + (dir / "out/old.bin"));
  EXPECT_TRUE(ReadBinaryFile(dir / "out/old.bin") == "old");
}

// A link in the target's place is replaced, never written through.
TEST(Files, CopyReplacesALinkAtTheTarget) {
  TTempDir dir;
  WriteFixtureFile(dir / "outside.txt", "keep me");
  WriteFixtureFile(dir / "new.txt", "new");
  ASSERT_EQ(::symlink((dir / "outside.txt").c_str(), (dir / "target.txt").c_str()), 0);
  CopyFileOverwrite(dir / "new.txt", dir / "target.txt");
  EXPECT_EQ(ReadBinaryFile(dir / "outside.txt"), "keep me");
  EXPECT_EQ(ReadBinaryFile(dir / "target.txt"), "new");
  struct stat st {};
  ASSERT_EQ(::lstat((dir / "target.txt").c_str(), &st), 0);
  EXPECT_TRUE(S_ISREG(st.st_mode));
}

TEST(Paths, Parts) {
  EXPECT_EQ(ExtractFileDir("/a/b/c.fvp"), "/a/b");
  EXPECT_EQ(ExtractFileName("/a/b/c.fvp"), "c.fvp");
  EXPECT_EQ(ExtractFileExt("/a/b.d/c"), "");
  EXPECT_EQ(FileNameWithoutExt("/a/b/Guide.fvp"), "Guide");
  EXPECT_EQ(FileNameWithoutExt("/a/b/.fvp"), "");
  EXPECT_EQ(ExpandFileName("/a/./b/../c.fvp"), "/a/c.fvp");
}
