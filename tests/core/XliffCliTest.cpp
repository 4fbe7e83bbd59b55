#include <gtest/gtest.h>

#include <chrono>

#include "TestHelpers.h"
#include "uPlatform.h"
#include "uStorage.h"
#include "uXliffFile.h"

namespace {

const std::string kSample = std::string(FOLIVANE_FIXTURES_DIR) + "/../../examples/Sample";

TProcessResult Cli(const std::vector<std::string>& args) {
  return RunProcessAndWait(FOLIVANE_CLI_PATH, args, "", std::chrono::milliseconds(60000));
}

TEST(XliffCli, ExportsAndImportsTheSampleProject) {
  TTempDir tmp;
  CopyProjectFolder(kSample + "/Sample", tmp / "Sample");
  CopyFileOverwrite(kSample + "/Sample.fvp", tmp / "Sample.fvp");
  const std::string fvp = tmp / "Sample.fvp";
  const std::string xlf = tmp / "Sample/build/xliff/Sample.ja.xlf";

  TProcessResult r = Cli({"xliff-export", fvp, "--target-lang", "ja"});
  ASSERT_EQ(r.exitCode, 0) << r.output;
  TXliffDocument document = ReadXliff(ReadBinaryFile(xlf), xlf);
  EXPECT_EQ(r.output, xlf + ": " + std::to_string(document.units.size()) + " units\n");
  EXPECT_EQ(document.sourceLang, "en");
  EXPECT_EQ(document.targetLang, "ja");
  EXPECT_EQ(document.original, "Sample.fvp");

  for (TXliffUnit& unit : document.units) unit.target = unit.source;
  document.units[0].target.reset();
  document.units[1].target = TXliffContent{{TXliffRun::TKind::Placeholder, "7"}};
  WriteFixtureFile(tmp / "ja.xlf", WriteXliff(document));
  r = Cli({"xliff-import", fvp, tmp / "ja.xlf"});
  EXPECT_EQ(r.exitCode, 3);
  EXPECT_EQ(r.output, tmp / "Sample.ja.fvp: " + std::to_string(document.units.size() - 2) +
                          " units translated\n"
                          "Without translation (the source is kept):\n  " +
                          document.units[0].id +
                          "\n"
                          "Inline codes that cannot be used (the source is kept):\n  " +
                          document.units[1].id + ": Unknown inline code 7\n");
  EXPECT_TRUE(FileExists(tmp / "Sample.ja/meta/topics.json"));

  r = Cli({"xliff-import", fvp, tmp / "ja.xlf", "--into", tmp / "out/Copy.fvp"});
  EXPECT_EQ(r.exitCode, 3) << r.output;
  EXPECT_TRUE(FileExists(tmp / "out/Copy/meta/topics.json"));
}

TEST(XliffCli, WrongArgumentsAndFilesAreReported) {
  TTempDir tmp;
  CopyProjectFolder(kSample + "/Sample", tmp / "Sample");
  CopyFileOverwrite(kSample + "/Sample.fvp", tmp / "Sample.fvp");
  const std::string fvp = tmp / "Sample.fvp";
  WriteFixtureFile(tmp / "old.xlf", "<xliff version=\"1.2\" xmlns=\"urn:oasis:names:tc:xliff:document:1.2\"/>");
  const std::string exportUsage =
      "Usage: folivane-cli xliff-export FILE.fvp --target-lang LANG [--source-lang LANG] [-o FILE.xlf]\n";
  const std::string importUsage = "Usage: folivane-cli xliff-import FILE.fvp FILE.xlf [--into TRANSLATED.fvp]\n";
  const struct {
    std::vector<std::string> args;
    int exitCode;
    std::string output;
  } cases[] = {
      {{"xliff-export", fvp}, 2, "error: --target-lang is required\n" + exportUsage},
      {{"xliff-export", fvp, "--target-lang"}, 2, "error: --target-lang needs a value\n" + exportUsage},
      {{"xliff-export", fvp, "--target-lang", "de", "--fast"}, 2, "error: unknown option --fast\n" + exportUsage},
      {{"xliff-export", fvp, "--target-lang", "de/../x"},
       1,
       "error: Not a language code: \"de/../x\" (for example de or pt-BR)\n"},
      {{"xliff-import", fvp}, 2, "error: expected a project file and an XLIFF file\n" + importUsage},
      {{"xliff-import", fvp, tmp / "none.xlf"}, 1, "error: File not found: " + tmp / "none.xlf" + "\n"},
      {{"xliff-import", fvp, tmp / "old.xlf"}, 1, "error: " + tmp / "old.xlf" + " is not an XLIFF 2 file\n"},
  };
  for (const auto& c : cases) {
    const TProcessResult r = Cli(c.args);
    EXPECT_EQ(r.exitCode, c.exitCode) << c.args.back() << "\n" << r.output;
    EXPECT_EQ(r.output, c.output) << c.args.back();
  }
  EXPECT_FALSE(DirExists(tmp / "Sample/build/xliff"));
}

}  // namespace
