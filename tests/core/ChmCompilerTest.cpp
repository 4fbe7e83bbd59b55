#include <gtest/gtest.h>

#include <sys/stat.h>

#include "ChmTestSupport.h"
#include "uChmCompiler.h"
#include "uIniFile.h"

namespace {

bool Contains(const std::string& text, const std::string& part) { return text.find(part) != std::string::npos; }

std::string StoredValue() { return TIniFile(SettingsIniPath()).ReadString("CHM", "HhcPath", "<none>"); }

}  // namespace

TEST(ChmCompilerTest, StoredPathRoundTripsAndIsTrimmed) {
  TCompilerSandbox box;
  EXPECT_EQ(ReadStoredCompilerPath(), "") << "no settings.ini";
  EXPECT_TRUE(DirExists(ExtractFileDir(SettingsIniPath()))) << "working out the path creates the folder";
  WriteFakeCompiler(box.Path("tools/chmcmd"));
  StoreCompilerPath(box.Path("tools/chmcmd"));
  EXPECT_EQ(ReadStoredCompilerPath(), box.Path("tools/chmcmd"));
  WriteFixtureFile(SettingsIniPath(),
                   "[UI]\nCurrentLanguage=de\n[chm]\nhhcpath=   " + box.Path("tools/chmcmd") + "  \n");
  EXPECT_EQ(ReadStoredCompilerPath(), box.Path("tools/chmcmd"));
  StoreCompilerPath(box.Path("gone/chmcmd"));
  EXPECT_EQ(ReadStoredCompilerPath(), "") << "a stored file that no longer exists is ignored";
  EXPECT_EQ(StoredValue(), box.Path("gone/chmcmd")) << "the stale value stays";
  EXPECT_EQ(TIniFile(SettingsIniPath()).ReadString("UI", "CurrentLanguage", ""), "de") << "other values are kept";
}

TEST(ChmCompilerTest, SearchOrder) {
  TCompilerSandbox box;
  EXPECT_EQ(LocateCompiler(), "") << "nothing anywhere";
  WriteFakeCompiler(box.PathDir() + "/chmcmd");
  EXPECT_EQ(LocateCompiler(), box.PathDir() + "/chmcmd") << "chmcmd on PATH";
  WriteFakeCompiler(box.ExeDir() + "/chmcmd");
  EXPECT_EQ(LocateCompiler(), box.ExeDir() + "/chmcmd") << "beside the executable before PATH";
  WriteFixtureFile(box.ExeDir() + "/hhc.exe", "MZ");
  EXPECT_EQ(LocateCompiler(), box.ExeDir() + "/hhc.exe") << "hhc.exe before chmcmd";
  EXPECT_FALSE(FileExists(SettingsIniPath())) << "a compiler found by the search is not stored";
  StoreCompilerPath(box.Path("missing/chmcmd"));
  EXPECT_EQ(LocateCompiler(), box.ExeDir() + "/hhc.exe") << "a stale stored path is passed over";
  WriteFakeCompiler(box.Path("my tools/chmcmd"));
  StoreCompilerPath(box.Path("my tools/chmcmd"));
  EXPECT_EQ(LocateCompiler(), box.Path("my tools/chmcmd")) << "the stored path comes first";
}

TEST(ChmCompilerTest, LocateDialogAcceptsOnlyCompilerNames) {
  TCompilerSandbox box;
  WriteFixtureFile(box.Path("ws/HHC.EXE"), "MZ");
  WriteFixtureFile(box.Path("ws/hh.exe"), "MZ");
  TScriptedQuestions q;
  q.files = {box.Path("ws/hh.exe"), box.Path("ws/ChmCmd"), box.Path("ws/../ws/HHC.EXE")};
  EXPECT_EQ(AskForCompiler(q), box.Path("ws/HHC.EXE")) << "the name is expanded to a full path";
  const std::vector<std::string> expected{
      "choose: Locate the HTML Help compiler (hhc.exe or chmcmd)",
      std::string("warning: ") + kCompilerNameWarning,
      "choose: Locate the HTML Help compiler (hhc.exe or chmcmd)",
      std::string("warning: ") + kCompilerFileMissingWarning,
      "choose: Locate the HTML Help compiler (hhc.exe or chmcmd)",
  };
  EXPECT_EQ(q.log, expected);
  EXPECT_EQ(StoredValue(), box.Path("ws/HHC.EXE"));

  TScriptedQuestions cancel;
  EXPECT_EQ(AskForCompiler(cancel), "");
  EXPECT_EQ(StoredValue(), box.Path("ws/HHC.EXE")) << "cancelling stores nothing";
}

TEST(ChmCompilerTest, SplitsCommandLines) {
  using V = std::vector<std::string>;
  struct TCase {
    const char* text;
    V args;
  } cases[] = {
      {"", V{}},
      {"   ", V{}},
      {"a b", V{"a", "b"}},
      {"\"/my docs/project.hhp\"", V{"/my docs/project.hhp"}},
      {"  -x \"a b\"  c\"d e\"f ", V{"-x", "a b", "cd ef"}},
      {"\"\"", V{""}},
  };
  for (const TCase& c : cases) EXPECT_EQ(SplitCommandLine(c.text), c.args) << c.text;
}

TEST(ChmCompilerTest, RunsTheCompilerWithPathsHoldingSpaces) {
  TCompilerSandbox box;
  const std::string compiler = box.Path("HTML Help/chmcmd");
  const std::string out = box.Path("my project/build/chm");
  EnsureDir(out);
  WriteFakeCompiler(compiler, "help.chm", 3);
  StoreCompilerPath(compiler);
  const TProcessResult r = RunHtmlHelpCompiler(out + "/project.hhp", out);
  EXPECT_EQ(r.exitCode, 3) << "the exit code is passed on, not judged";
  EXPECT_TRUE(Contains(r.output, "compiling"));
  EXPECT_EQ(ReadTextFileUtf8(out + "/compiler-args.txt"), "1\n" + out + "/project.hhp\n" + out + "\n")
      << "one argument, the whole project path, run in the output folder";

  RunProcessAndWait(compiler, "\"" + out + "/project.hhp\" -v", out);
  EXPECT_EQ(ReadTextFileUtf8(out + "/compiler-args.txt"), "2\n" + out + "/project.hhp\n-v\n" + out + "\n");
}

TEST(ChmCompilerTest, RunErrors) {
  TCompilerSandbox box;
  WriteFixtureFile(box.Path("plain/chmcmd"), "#!/bin/sh\n");
  ::chmod(box.Path("plain/chmcmd").c_str(), 0644);
  struct TCase {
    std::string program;
    const char* message;
  } cases[] = {
      {"", "The HTML Help compiler was not found at:\n"},
      {"   ", "The HTML Help compiler was not found at:\n   "},
      {box.Path("none/chmcmd"), "The HTML Help compiler was not found at:\n"},
      {box.Path("plain/chmcmd"), "Could not start:\n"},
  };
  for (const TCase& c : cases) {
    try {
      RunProcessAndWait(c.program, "x", box.Path(""));
      ADD_FAILURE() << c.program;
    } catch (const EFolivaneError& e) {
      EXPECT_TRUE(StartsWith(e.what(), c.message)) << e.what();
      EXPECT_TRUE(Contains(e.what(), c.program)) << e.what();
    }
  }
}

TEST(ChmCompilerTest, WithoutQuestionsAMissingCompilerSaysHowToGetOne) {
  TCompilerSandbox box;
  try {
    RunHtmlHelpCompiler(box.Path("project.hhp"), box.Path(""));
    FAIL();
  } catch (const EFolivaneError& e) {
    EXPECT_TRUE(Contains(e.what(), "fp-utils")) << e.what();
    EXPECT_TRUE(Contains(e.what(), SettingsIniPath())) << e.what();
  }
}

TEST(ChmCompilerTest, MissingCompilerAsksAndCancelAborts) {
  TCompilerSandbox box;
  TScriptedQuestions q;
  EXPECT_THROW(RunHtmlHelpCompiler(box.Path("project.hhp"), box.Path(""), &q), EAbort);
  ASSERT_EQ(q.log.size(), 2u);
  EXPECT_EQ(q.log[0], std::string("info: ") + kCompilerMissingInformation);

  WriteFakeCompiler(box.Path("picked/chmcmd"));
  TScriptedQuestions pick;
  pick.files = {box.Path("picked/chmcmd")};
  RunHtmlHelpCompiler(box.Path("project.hhp"), box.Path(""), &pick);
  EXPECT_TRUE(FileExists(box.Path("compiler-args.txt"))) << "the picked compiler ran";
  EXPECT_EQ(ReadStoredCompilerPath(), box.Path("picked/chmcmd")) << "and is remembered";
}

TEST(ChmCompilerTest, RetryAfterAFailedStart) {
  TCompilerSandbox box;
  WriteFixtureFile(box.Path("broken/chmcmd"), "not executable");
  ::chmod(box.Path("broken/chmcmd").c_str(), 0644);
  WriteFakeCompiler(box.Path("good/chmcmd"));

  StoreCompilerPath(box.Path("broken/chmcmd"));
  TScriptedQuestions no;
  no.answers = {false};
  try {
    RunHtmlHelpCompiler(box.Path("project.hhp"), box.Path(""), &no);
    FAIL();
  } catch (const EFolivaneError& e) {
    EXPECT_TRUE(StartsWith(e.what(), "Could not start:\n" + box.Path("broken/chmcmd"))) << "No reports the first error";
  }
  ASSERT_EQ(no.log.size(), 1u);
  EXPECT_TRUE(StartsWith(no.log[0], "ask: Folivane could not execute the configured HTML Help compiler:\n" +
                                        box.Path("broken/chmcmd") + "\n\nCould not start:"));
  EXPECT_TRUE(EndsWith(no.log[0], "\n\nWould you like to select a different compiler file?"));

  TScriptedQuestions yesCancel;
  yesCancel.answers = {true};
  EXPECT_THROW(RunHtmlHelpCompiler(box.Path("project.hhp"), box.Path(""), &yesCancel), EAbort);

  TScriptedQuestions yesPick;
  yesPick.answers = {true};
  yesPick.files = {box.Path("good/chmcmd")};
  RunHtmlHelpCompiler(box.Path("project.hhp"), box.Path(""), &yesPick);
  EXPECT_TRUE(FileExists(box.Path("compiler-args.txt")));
  EXPECT_EQ(ReadStoredCompilerPath(), box.Path("good/chmcmd"));

  // Without questions the start error goes straight to the caller.
  StoreCompilerPath(box.Path("broken/chmcmd"));
  EXPECT_THROW(RunHtmlHelpCompiler(box.Path("project.hhp"), box.Path("")), EFolivaneError);
}
