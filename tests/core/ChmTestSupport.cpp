#include "ChmTestSupport.h"

#include <sys/stat.h>

#include <cstdlib>

#include "uPlatform.h"

TScopedEnv::TScopedEnv(const char* name, const std::string& value) : FName(name) {
  const char* old = std::getenv(name);
  FHadValue = old != nullptr;
  if (old) FOldValue = old;
  ::setenv(name, value.c_str(), 1);
}

TScopedEnv::~TScopedEnv() {
  if (FHadValue) ::setenv(FName.c_str(), FOldValue.c_str(), 1);
  else ::unsetenv(FName.c_str());
}

TCompilerSandbox::TCompilerSandbox() : FAppData("APPDATA", FDir / "appdata"), FPath("PATH", FDir / "path") {
  EnsureDir(ExeDir());
  EnsureDir(PathDir());
  SetExecutableDirForTests(ExeDir());
}

TCompilerSandbox::~TCompilerSandbox() { SetExecutableDirForTests(""); }

namespace {

void WriteScript(const std::string& path, const std::string& body) {
  WriteFixtureFile(path, "#!/bin/sh\n" + body);
  ::chmod(path.c_str(), 0755);
}

}  // namespace

void WriteFakeCompiler(const std::string& path, const std::string& chmName, int exitCode,
                       const std::string& afterWriting) {
  std::string body = "printf '%s\\n' \"$#\" \"$@\" \"$(pwd)\" > compiler-args.txt\necho compiling\n";
  if (!chmName.empty()) {
    // The file the project names, as a real compiler writes it (shell built-ins only: PATH is empty).
    body +=
        "cr=$(printf '\\r'); name=\n"
        "{ while IFS= read -r line; do case \"$line\" in 'Compiled file='*) name=${line#Compiled file=}; "
        "name=${name%$cr};; esac; done < \"$1\"; } 2>/dev/null\n"
        "printf 'ITSF' > \"${name:-" +
        chmName + "}\"\n";
  }
  body += afterWriting + "\nexit " + std::to_string(exitCode) + "\n";
  WriteScript(path, body);
}

void WriteSilentCompiler(const std::string& path, const std::string& printed) {
  WriteScript(path, "echo '" + printed + "'\nexit 1\n");
}

bool TScriptedQuestions::AskYesNo(const std::string& message) {
  log.push_back("ask: " + message);
  if (answers.empty()) return false;
  const bool a = answers.front();
  answers.pop_front();
  return a;
}

std::string TScriptedQuestions::ChooseFile(const TLocateDialog& dialog) {
  log.push_back("choose: " + dialog.title);
  if (files.empty()) return "";
  const std::string f = files.front();
  files.pop_front();
  return f;
}
