#include <gtest/gtest.h>

#include <sys/resource.h>
#include <unistd.h>

#include <filesystem>

#include "TestHelpers.h"
#include "uAssetImport.h"
#include "uUtils.h"

TEST(AssetImport, NamesAreFreeAndFoldersFollowTheExtension) {
  TTempDir dir;
  const std::string project = dir / "project";
  struct TCase {
    std::string source;
    std::vector<std::string> urls;  // successive imports of the same file
  };
  const std::vector<TCase> cases = {
      {"photo.PNG", {"assets/images/photo.PNG", "assets/images/photo_2.PNG", "assets/images/photo_3.PNG"}},
      {"archive.tar.gz", {"assets/files/archive.tar.gz", "assets/files/archive.tar_2.gz"}},
      {"README", {"assets/files/README", "assets/files/README_2", "assets/files/README_3"}},
      {"My Logo.svg", {"assets/images/My Logo.svg"}},
      {"Q1#2 100%.png", {"assets/images/Q1_2 100_.png", "assets/images/Q1_2 100__2.png"}},
      {"Why? \"Me\".jpg", {"assets/images/Why_ _Me_.jpg"}},
      {"font.WOFF2", {"assets/fonts/font.WOFF2", "assets/fonts/font_2.WOFF2"}},
      {"clip.webm", {"assets/media/clip.webm"}},
      {"site.css", {"assets/css/site.css"}},
  };
  for (const TCase& c : cases) {
    const std::string source = dir / ("src/" + c.source);
    WriteFixtureFile(source, "data");
    for (const std::string& expected : c.urls) {
      TAssetTarget target;
      ASSERT_TRUE(AssetTargetByExtension(project, source, target));
      EXPECT_EQ(target.Url, expected);
      EXPECT_EQ(target.TargetPath, project + "/" + expected);
      CopyFileNoOverwrite(source, target.TargetPath);
    }
  }
}

TEST(AssetImport, FixedFormsAndEmptyInputs) {
  TTempDir dir;
  TAssetTarget target;
  ASSERT_TRUE(ImageAssetTarget(dir.Path(), "/x/readme.txt", target));
  EXPECT_EQ(target.Url, "assets/images/readme.txt");
  ASSERT_TRUE(CssAssetTarget(dir.Path(), "/x/f.woff", target));
  EXPECT_EQ(target.Url, "assets/css/f.woff");
  EXPECT_TRUE(DirExists(dir / "assets/css"));
  EXPECT_FALSE(CopyAssetTarget("", "/x/a.png", "assets/images", "assets/images", target));
  EXPECT_TRUE(target.Url.empty() && target.TargetPath.empty());
  EXPECT_FALSE(ImageAssetTarget(dir.Path(), "", target));
}

TEST(AssetImport, ImportImageCopiesTwiceUnderTwoNamesAndNeverOverwrites) {
  TTempDir dir;
  WriteFixtureFile(dir / "pic.png", "PNGDATA");
  const std::string first = ImportImageAsset(dir / "p", dir / "pic.png");
  const std::string second = ImportImageAsset(dir / "p", dir / "pic.png");
  EXPECT_EQ(first, "assets/images/pic.png");
  EXPECT_EQ(second, "assets/images/pic_2.png");
  EXPECT_EQ(ReadBinaryFile(dir / "p/assets/images/pic_2.png"), "PNGDATA");

  WriteFixtureFile(dir / "keep.png", "OLD");
  EXPECT_THROW(CopyFileNoOverwrite(dir / "pic.png", dir / "keep.png"), EFolivaneError);
  EXPECT_EQ(ReadBinaryFile(dir / "keep.png"), "OLD");
  EXPECT_THROW(ImportImageAsset(dir / "p", dir / "missing.png"), EFolivaneError);
  EXPECT_FALSE(FileExists(dir / "p/assets/images/missing.png")) << "no empty file left behind";
}

// A large file is streamed into the project, never read whole into memory.
TEST(AssetImport, LargeFilesAreNotHeldInMemory) {
  TTempDir dir;
  const off_t size = off_t(512) << 20;
  WriteFixtureFile(dir / "big.png", "");
  ASSERT_EQ(::truncate((dir / "big.png").c_str(), size), 0);  // sparse: quick to make and to copy
  rusage before{}, after{};
  ::getrusage(RUSAGE_SELF, &before);
  EXPECT_EQ(ImportImageAsset(dir / "p", dir / "big.png"), "assets/images/big.png");
  ::getrusage(RUSAGE_SELF, &after);
  EXPECT_LT(after.ru_maxrss - before.ru_maxrss, 64 * 1024) << "kilobytes of memory more than before";
  EXPECT_EQ(std::filesystem::file_size(dir / "p/assets/images/big.png"), static_cast<std::uintmax_t>(size));
}
