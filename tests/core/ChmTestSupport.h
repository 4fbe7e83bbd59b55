// Shared pieces of the CHM tests: a private per-user folder, PATH and executable folder,
// fake compilers, and scripted answers to the compiler questions.
#pragma once

#include <deque>
#include <string>
#include <vector>

#include "TestHelpers.h"
#include "uChmCompiler.h"

// Sets an environment variable for one scope and restores it afterwards.
class TScopedEnv {
 public:
  TScopedEnv(const char* name, const std::string& value);
  ~TScopedEnv();
  TScopedEnv(const TScopedEnv&) = delete;
  TScopedEnv& operator=(const TScopedEnv&) = delete;

 private:
  std::string FName;
  bool FHadValue;
  std::string FOldValue;
};

// A test's own APPDATA, an empty PATH folder and executable folder, restored at the end.
class TCompilerSandbox {
 public:
  TCompilerSandbox();
  ~TCompilerSandbox();
  std::string Path(const std::string& rel) const { return FDir / rel; }
  std::string ExeDir() const { return FDir / "exe"; }
  std::string PathDir() const { return FDir / "path"; }

 private:
  TTempDir FDir;
  TScopedEnv FAppData;
  TScopedEnv FPath;
};

// An executable shell script at path that records its arguments and working folder in
// "compiler-args.txt" of the working folder and, when chmName is given, writes the
// compiled file its project names (chmName when there is no such project), then runs
// the shell lines afterWriting.
void WriteFakeCompiler(const std::string& path, const std::string& chmName = "", int exitCode = 0,
                       const std::string& afterWriting = "");
// A script that prints text and exits with an error, writing nothing.
void WriteSilentCompiler(const std::string& path, const std::string& printed);

class TScriptedQuestions : public IChmCompilerQuestions {
 public:
  std::deque<std::string> files;  // answers of ChooseFile, in order; "" cancels
  std::deque<bool> answers;       // answers of AskYesNo
  std::vector<std::string> log;   // "info: ...", "warning: ...", "ask: ...", "choose: <title>"

  void ShowInformation(const std::string& message) override { log.push_back("info: " + message); }
  void ShowWarning(const std::string& message) override { log.push_back("warning: " + message); }
  bool AskYesNo(const std::string& message) override;
  std::string ChooseFile(const TLocateDialog& dialog) override;
};
