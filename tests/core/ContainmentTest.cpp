#include <gtest/gtest.h>

#include <unistd.h>

#include "TestHelpers.h"
#include "uContainment.h"

TEST(Containment, LexicalInsideness) {
  struct Case {
    const char* path;
    const char* folder;
    bool inside;
  };
  const Case cases[] = {
      {"/p/build/x.html", "/p/build", true},
      {"/p/build", "/p/build/", true},
      {"/p/build/", "/p/build", true},
      {"/p/build/../x.html", "/p/build", false},
      {"/p/buildx/a", "/p/build", false},
      {"/p/build/a/../../build/b", "/p/build", true},
      {"/tmp/x", "/p", false},
      {"", "/p", false},
  };
  for (const Case& c : cases) EXPECT_EQ(IsLexicallyInside(c.path, c.folder), c.inside) << c.path << " in " << c.folder;
}

// Writers check each path: as written, and with the links of its folders resolved.
TEST(Containment, CheckedOutputPath) {
  TTempDir dir;
  const std::string out = dir / "P/build/webhelp";
  EnsureDir(out + "/topics");
  EnsureDir(dir / "elsewhere");
  ASSERT_EQ(::symlink((dir / "elsewhere").c_str(), (out + "/assets").c_str()), 0);
  ASSERT_EQ(::symlink((dir / "elsewhere/x.html").c_str(), (out + "/topics/link.html").c_str()), 0);
  for (const std::string& ok :
       {out + "/index.html", out + "/topics/A.html", out + "/new/deeper/a.png", out, out + "/topics/link.html"}) {
    EXPECT_EQ(CheckedOutputPath(out, ok), ok);
  }
  for (const std::string& bad : {out + "/topics/../../ESCAPED.html", std::string("/tmp/x.html"), out + "/assets/a.png",
                                 out + "/assets/sub/a.png", dir / "P/build/other.html"}) {
    try {
      CheckedOutputPath(out, bad);
      ADD_FAILURE() << bad << ": accepted";
    } catch (const EFolivaneError& e) {
      EXPECT_EQ(std::string(e.what()), "Refused to write " + bad + ": it lies outside the output folder " + out);
    }
  }
}

TEST(Containment, OutputFolderThatALinkTakesElsewhere) {
  TTempDir dir;
  EnsureDir(dir / "P");
  EnsureDir(dir / "elsewhere");
  ASSERT_EQ(::symlink((dir / "elsewhere").c_str(), (dir / "P/build").c_str()), 0);
  EXPECT_NO_THROW(CheckOutputFolder(dir / "P", dir / "out")) << "a folder the caller chose outside the project";
  EXPECT_NO_THROW(CheckOutputFolder(dir / "P", dir / "P/other/webhelp"));
  try {
    CheckOutputFolder(dir / "P", dir / "P/build/webhelp");
    ADD_FAILURE() << "accepted";
  } catch (const EFolivaneError& e) {
    EXPECT_EQ(std::string(e.what()), "The output folder " + (dir / "P/build/webhelp") +
                                         " leads outside the project through a symbolic link; nothing was written");
  }
  EXPECT_FALSE(DirExists(dir / "elsewhere/webhelp"));

  TFolderBoundary inside(dir / "P");
  EXPECT_FALSE(inside.Holds(dir / "P/build/x"));
  EXPECT_TRUE(inside.Holds(dir / "P/topics/x.html"));
  EXPECT_TRUE(inside.Holds(dir / "P"));
}
