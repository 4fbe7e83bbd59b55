// The operating-system services, one small function each. Nothing else in the
// code calls the operating system for these.
#pragma once

#include <chrono>
#include <string>
#include <vector>

// The per-user folder: $APPDATA/folivane, else $XDG_CONFIG_HOME/folivane, else ~/.config/folivane.
std::string UserDataDir();
// The per-user folder for state that outlives a run but is no setting (the recovery
// journals): $APPDATA/folivane when set (tests), else $XDG_STATE_HOME/folivane, else
// ~/.local/state/folivane.
std::string UserStateDir();
// The folder of the running executable, without a trailing delimiter.
std::string ExecutableDir();
// The folder of the program's data (the editor page and viewer under AppFiles, styles,
// transl.zd, the spelling dictionaries, the user manual): the executable's folder where
// the build stages them beside the programs, else ../share/folivane of an installed
// program (/usr/bin/folivane finds /usr/share/folivane). Relative to the executable, so
// an unpacked or relocated installation works too; the executable's folder when neither holds them.
std::string AppDataDir();
std::string TempDir();
// A new folder only this user can enter, TempDir()/<prefix>-XXXXXX; raises EFolivaneError.
std::string MakePrivateTempFolder(const std::string& prefix);
// 32 upper-case hexadecimal digits of a random version-4 GUID (no braces, no hyphens).
std::string NewGuidHex();
// A running program's folder for the tests: overrides ExecutableDir when non-empty.
void SetExecutableDirForTests(const std::string& dir);

struct TProcessResult {
  int exitCode = -1;
  bool timedOut = false;
  std::string output;  // stdout and stderr together, in the order they came
};

// Runs a program with arguments (no shell) in workDir and waits for it. A timeout
// of zero waits without limit; past the limit the program is killed and timedOut set.
// Raises EFolivaneError when the program cannot be started.
TProcessResult RunProcessAndWait(const std::string& program, const std::vector<std::string>& args,
                                 const std::string& workDir = "",
                                 std::chrono::milliseconds timeout = std::chrono::milliseconds(0));
// The full path of a program found on PATH, or "".
std::string FindOnPath(const std::string& program);

// Opens a file, folder or URL with the desktop's associated program (xdg-open).
// With FOLIVANE_NO_OPEN=1 nothing is launched: the target is recorded instead
// (and appended as a line to $FOLIVANE_OPEN_LOG when that is set).
void OpenWithAssociatedProgram(const std::string& target);
std::vector<std::string> RecordedOpens();

// The UI language code of the system locale ("en", "de", "ru", ...), from LANGUAGE,
// LC_ALL, LC_MESSAGES, LANG (the first one set).
std::string SystemUiLanguage();
// The language the user chose, kept in settings.ini (section UI, key CurrentLanguage).
std::string ReadStoredUiLanguage();
void StoreUiLanguage(const std::string& code);
// settings.ini in the per-user folder.
std::string UserSettingsIniPath();

bool RunningAsRoot();
// "file://" + absolute path, percent-encoded as a URL path: letters, digits, "/" and the
// characters RFC 3986 allows in a path stay; anything else (space, "#", "?", "%", non-ASCII
// UTF-8 bytes) becomes %XX. "/tmp/C# 1?/ä" gives "file:///tmp/C%23%201%3F/%C3%A4".
std::string FilePathToFileUrl(const std::string& path);
