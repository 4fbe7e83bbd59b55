#include "uChmCompiler.h"

#include <unistd.h>

#include <cerrno>
#include <cstdlib>
#include <cstring>

#include "uIniFile.h"
#include "uTranslation.h"
#include "uUtils.h"

const char* const kCompilerMissingInformation =
    "Folivane could not find the HTML Help compiler (hhc.exe or chmcmd).\n\n"
    "Please select hhc.exe from the HTML Help Workshop folder, or chmcmd from the Free Pascal "
    "utilities (Debian package fp-utils).\n"
    "Folivane will remember this location for future CHM exports.";
const char* const kCompilerNameWarning = "Please select the HTML Help compiler file named hhc.exe or chmcmd.";
const char* const kCompilerFileMissingWarning = "The selected file does not exist.";

namespace {

const char* const kIniSection = "CHM";
const char* const kIniKey = "HhcPath";

std::string EnvValue(const char* name) {
  const char* v = std::getenv(name);
  return v ? v : "";
}

std::string ExistingOrEmpty(const std::string& path) { return FileExists(path) ? path : ""; }

IChmCompilerQuestions::TLocateDialog LocateDialog() {
  IChmCompilerQuestions::TLocateDialog d;
  d.title = TranslateText("Locate the HTML Help compiler (hhc.exe or chmcmd)");
  d.nameFilters = TranslateText("HTML Help compiler (hhc.exe chmcmd)") + ";;" +
                  TranslateText("Executable files (*.exe)") + ";;" + TranslateText("All files (*)");
  d.initialFileName = "chmcmd";
  d.initialFolder = EnvValue("ProgramFiles(x86)");
  if (d.initialFolder.empty()) d.initialFolder = EnvValue("ProgramFiles");
  if (d.initialFolder.empty() && DirExists("/usr/bin")) d.initialFolder = "/usr/bin";
  return d;
}

std::string CompilerNotFoundHelp() {
  return "The HTML Help compiler was not found. Install chmcmd (Debian package fp-utils: "
         "sudo apt-get install fp-utils), put hhc.exe or chmcmd beside the program, or set HhcPath "
         "in section [CHM] of " +
         SettingsIniPath() + ".";
}

// Runs the compiler with its arguments as they are: no quoting can split them.
TProcessResult RunCompilerProcess(const std::string& program, const std::vector<std::string>& args,
                                  const std::string& workingFolder) {
  if (Trim(program).empty() || !FileExists(program)) {
    throw EFolivaneError("The HTML Help compiler was not found at:\n" + program);
  }
  if (::access(program.c_str(), X_OK) != 0) {
    const int code = errno;
    throw EFolivaneError("Could not start:\n" + program + "\n" + std::strerror(code) + " (error " +
                         std::to_string(code) + ")");
  }
  try {
    return ::RunProcessAndWait(program, args, workingFolder);
  } catch (const EFolivaneError& e) {
    throw EFolivaneError("Could not start:\n" + program + "\n" + e.what());
  }
}

}  // namespace

std::string SettingsIniPath() {
  EnsureDir(UserDataDir());
  return UserSettingsIniPath();
}

std::string ReadStoredCompilerPath() {
  const TIniFile ini(SettingsIniPath());
  return ExistingOrEmpty(Trim(ini.ReadString(kIniSection, kIniKey, "")));
}

void StoreCompilerPath(const std::string& path) {
  TIniFile ini(SettingsIniPath());
  ini.WriteString(kIniSection, kIniKey, path);
  ini.Save();
}

std::string LocateCompiler() {
  std::string found = ReadStoredCompilerPath();
  if (found.empty()) found = ExistingOrEmpty(PathJoin(ExecutableDir(), "hhc.exe"));
  if (found.empty()) found = ExistingOrEmpty(PathJoin(ExecutableDir(), "chmcmd"));
  if (found.empty()) found = FindOnPath("chmcmd");
  return found;
}

bool IsCompilerFileName(const std::string& path) {
  const std::string name = ExtractFileName(path);
  return SameTextAscii(name, "hhc.exe") || SameTextAscii(name, "chmcmd");
}

std::string AskForCompiler(IChmCompilerQuestions& questions) {
  const IChmCompilerQuestions::TLocateDialog dialog = LocateDialog();
  for (;;) {
    const std::string picked = questions.ChooseFile(dialog);
    if (picked.empty()) return "";
    const std::string path = ExpandFileName(picked);
    if (!IsCompilerFileName(path)) {
      questions.ShowWarning(TranslateText(kCompilerNameWarning));
    } else if (!FileExists(path)) {
      questions.ShowWarning(TranslateText(kCompilerFileMissingWarning));
    } else {
      StoreCompilerPath(path);
      return path;
    }
  }
}

std::vector<std::string> SplitCommandLine(const std::string& parameters) {
  std::vector<std::string> args;
  std::string current;
  bool inQuotes = false;
  bool hasArg = false;
  for (const char c : parameters) {
    if (c == '"') {
      inQuotes = !inQuotes;
      hasArg = true;
    } else if (!inQuotes && (c == ' ' || c == '\t')) {
      if (hasArg) args.push_back(current);
      current.clear();
      hasArg = false;
    } else {
      current += c;
      hasArg = true;
    }
  }
  if (hasArg) args.push_back(current);
  return args;
}

TProcessResult RunProcessAndWait(const std::string& program, const std::string& parameters,
                                 const std::string& workingFolder) {
  return RunCompilerProcess(program, SplitCommandLine(parameters), workingFolder);
}

TProcessResult RunHtmlHelpCompiler(const std::string& projectFile, const std::string& workingFolder,
                                   IChmCompilerQuestions* questions) {
  std::string compiler = LocateCompiler();
  if (compiler.empty()) {
    if (!questions) throw EFolivaneError(CompilerNotFoundHelp());
    questions->ShowInformation(TranslateText(kCompilerMissingInformation));
    compiler = AskForCompiler(*questions);
    if (compiler.empty()) throw EAbort();  // the user declined to pick one
  }
  const std::vector<std::string> args{projectFile};
  try {
    return RunCompilerProcess(compiler, args, workingFolder);
  } catch (const EFolivaneError& e) {
    if (!questions) throw;
    const std::string question = TranslateText("Folivane could not execute the configured HTML Help compiler:") + "\n" +
                                 compiler + "\n\n" + e.what() + "\n\n" +
                                 TranslateText("Would you like to select a different compiler file?");
    if (!questions->AskYesNo(question)) throw;
  }
  const std::string other = AskForCompiler(*questions);
  if (other.empty()) throw EAbort();
  return RunCompilerProcess(other, args, workingFolder);
}
