// Finding the HTML Help compiler, remembering the user's choice, and running it.
// On Linux the compiler is chmcmd (Free Pascal's CHM compiler, Debian package fp-utils),
// which reads the same .hhp project and writes the compiled file it names.
#pragma once

#include <string>
#include <vector>

#include "uPlatform.h"

// The questions a compiler run may ask. The desktop window implements them with its
// dialogs; without an implementation (the CLI) a missing compiler is an error.
class IChmCompilerQuestions {
 public:
  struct TLocateDialog {
    std::string title;
    std::string nameFilters;  // Qt form: "Name (pattern pattern);;Name (pattern)"
    std::string initialFileName;
    std::string initialFolder;  // may be empty
  };

  virtual ~IChmCompilerQuestions() = default;
  // An information box with an OK button.
  virtual void ShowInformation(const std::string& message) = 0;
  // A warning box with an OK button.
  virtual void ShowWarning(const std::string& message) = 0;
  // An error box with Yes and No buttons; true for Yes.
  virtual bool AskYesNo(const std::string& message) = 0;
  // A file-open dialog (existing files only); the chosen path, or "" when cancelled.
  virtual std::string ChooseFile(const TLocateDialog& dialog) = 0;
};

// settings.ini in the per-user folder; the folder is created when missing.
std::string SettingsIniPath();
// [CHM] HhcPath, trimmed; "" when unset or when the file it names does not exist.
std::string ReadStoredCompilerPath();
// Writes [CHM] HhcPath and saves settings.ini at once.
void StoreCompilerPath(const std::string& path);

// The compiler to run, or "": the stored path, then hhc.exe or chmcmd beside the
// executable, then chmcmd on PATH. A found path is not stored.
std::string LocateCompiler();

// Whether a chosen file is named like a compiler: hhc.exe or chmcmd, letter case ignored.
bool IsCompilerFileName(const std::string& path);
// The locate dialog, shown again until a valid file is picked (then stored and returned)
// or it is cancelled (then "").
std::string AskForCompiler(IChmCompilerQuestions& questions);

// Runs program in workingFolder and waits without a time limit. parameters is one
// command-line text: blanks separate arguments, double quotes group them ("a b" is one
// argument). No shell is involved. Raises EFolivaneError when the program is blank or
// missing ("was not found at") or cannot be started ("Could not start").
TProcessResult RunProcessAndWait(const std::string& program, const std::string& parameters,
                                 const std::string& workingFolder);
// The arguments of a command-line text, as above.
std::vector<std::string> SplitCommandLine(const std::string& parameters);

// Locates (asking through questions when given) and runs the compiler on projectFile.
// Raises EAbort when the user declines to pick a compiler, EFolivaneError when none is
// found without questions or when it cannot run. The exit code is not judged here: the
// caller checks the compiled file. Returns what the compiler printed.
TProcessResult RunHtmlHelpCompiler(const std::string& projectFile, const std::string& workingFolder,
                                   IChmCompilerQuestions* questions = nullptr);

// The texts of the questions, for the window and the tests.
extern const char* const kCompilerMissingInformation;
extern const char* const kCompilerNameWarning;
extern const char* const kCompilerFileMissingWarning;
