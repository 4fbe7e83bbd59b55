// A small project on disk for the PDF and link-checker tests.
#pragma once

#include <cstdlib>
#include <filesystem>
#include <optional>
#include <string>

#include "TestHelpers.h"
#include "uDocModel.h"

// Own namespace: other test files have helpers of the same names.
namespace pdftest {

class TPdfTestProject {
 public:
  // folderName may hold spaces and other characters a user's folder names hold.
  explicit TPdfTestProject(const std::string& folderName = "project") {
    FProject.SetRootPath(FDir / folderName + "/");
    FProject.SetTitle("Test Manual");
  }
  TDocProject& Project() { return FProject; }
  std::string Root() const { return FProject.RootPath(); }
  std::string Path(const std::string& rel) const { return FProject.RootPath() + rel; }
  std::string OutDir() const { return Path("build/pdf"); }

  TTopic& Add(const std::string& title, const std::string& html, const std::string& parentID = "") {
    TTopic& topic = FProject.AddTopic(title, parentID);
    WriteFixtureFile(topic.HtmlPath(), html);
    return topic;
  }
  void Write(const std::string& rel, const std::string& bytes) const { WriteFixtureFile(Path(rel), bytes); }

 private:
  TTempDir FDir;
  TDocProject FProject;
};

// Sets an environment variable for one test and puts the old value back.
class TScopedEnv {
 public:
  TScopedEnv(const char* name, const std::optional<std::string>& value) : FName(name) {
    if (const char* old = std::getenv(name)) FOld = old;
    if (value) ::setenv(name, value->c_str(), 1);
    else ::unsetenv(name);
  }
  ~TScopedEnv() {
    if (FOld) ::setenv(FName, FOld->c_str(), 1);
    else ::unsetenv(FName);
  }

 private:
  const char* FName;
  std::optional<std::string> FOld;
};

// A stand-in browser: a shell script run through FOLIVANE_BROWSER.
inline std::string WriteFakeBrowser(const TTempDir& dir, const std::string& body) {
  const std::string path = dir / "fake-browser.sh";
  WriteFixtureFile(path, "#!/bin/sh\n" + body + "\n");
  std::filesystem::permissions(path, std::filesystem::perms::owner_all);
  return path;
}

// Writes a small PDF to the --print-to-pdf target and records its arguments.
inline std::string PrintingBrowserScript(const std::string& argsLog) {
  return "for a in \"$@\"; do echo \"$a\" >> '" + argsLog +
         "'; case \"$a\" in --print-to-pdf=*) "
         "printf '%%PDF-1.4 fake' > \"${a#--print-to-pdf=}\";; esac; done";
}

}  // namespace pdftest
