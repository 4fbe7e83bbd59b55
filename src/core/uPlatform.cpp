#include "uPlatform.h"

#include <fcntl.h>
#include <poll.h>
#include <signal.h>
#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cerrno>
#include <cstdlib>
#include <cstring>
#include <fstream>
#include <mutex>
#include <thread>

#include "uIniFile.h"
#include "uUtils.h"

extern char** environ;

namespace {

std::string Env(const char* name) {
  const char* v = std::getenv(name);
  return v ? std::string(v) : std::string();
}

std::string& ExecutableDirOverride() {
  static std::string dir;
  return dir;
}

std::mutex& OpensLock() {
  static std::mutex m;
  return m;
}

std::vector<std::string>& Opens() {
  static std::vector<std::string> v;
  return v;
}

// Reads what is available from fd into out; false at end of stream.
bool Drain(int fd, std::string& out) {
  char buf[8192];
  for (;;) {
    const ssize_t n = ::read(fd, buf, sizeof buf);
    if (n > 0) {
      out.append(buf, static_cast<size_t>(n));
      continue;
    }
    if (n == 0) return false;
    if (errno == EINTR) continue;
    return errno == EAGAIN || errno == EWOULDBLOCK;
  }
}

}  // namespace

namespace {

// $APPDATA/folivane where it is set (as in tests), else $<variable>/folivane, else
// $HOME/<underHome>/folivane: the XDG base directory rules.
std::string XdgUserDir(const char* variable, const std::string& underHome) {
  const std::string appData = Env("APPDATA");
  if (!appData.empty()) return PathJoin(appData, "folivane");
  const std::string xdg = Env(variable);
  if (!xdg.empty()) return PathJoin(xdg, "folivane");
  std::string home = Env("HOME");
  if (home.empty()) home = TempDir();
  return PathJoin(PathJoin(home, underHome), "folivane");
}

}  // namespace

std::string UserDataDir() { return XdgUserDir("XDG_CONFIG_HOME", ".config"); }

std::string UserStateDir() { return XdgUserDir("XDG_STATE_HOME", ".local/state"); }

void SetExecutableDirForTests(const std::string& dir) { ExecutableDirOverride() = dir; }

std::string ExecutableDir() {
  if (!ExecutableDirOverride().empty()) return ExecutableDirOverride();
  char buf[4096];
  const ssize_t n = ::readlink("/proc/self/exe", buf, sizeof buf - 1);
  if (n <= 0) return ExpandFileName(".");
  return ExtractFileDir(std::string(buf, static_cast<size_t>(n)));
}

namespace {

// The build stages the data beside the programs; any one of these shows that layout.
bool HoldsAppData(const std::string& dir) {
  return DirExists(PathJoin(dir, "AppFiles")) || FileExists(PathJoin(dir, "styles/default.css")) ||
         FileExists(PathJoin(dir, "transl.zd"));
}

}  // namespace

std::string AppDataDir() {
  const std::string exeDir = ExecutableDir();
  if (HoldsAppData(exeDir)) return exeDir;
  const std::string installed = PathJoin(ExtractFileDir(exeDir), "share/folivane");
  return DirExists(installed) ? installed : exeDir;
}

std::string TempDir() {
  std::string dir = Env("TMPDIR");
  if (dir.empty()) dir = "/tmp";
  return ExcludeTrailingDelimiter(dir);
}

std::string MakePrivateTempFolder(const std::string& prefix) {
  std::string tmpl = TempDir() + "/" + prefix + "-XXXXXX";
  if (!::mkdtemp(tmpl.data())) {
    throw EFolivaneError("Cannot create a folder in " + TempDir() + ": " + std::strerror(errno));
  }
  return tmpl;
}

std::string NewGuidHex() {
  unsigned char bytes[16];
  std::ifstream random("/dev/urandom", std::ios::binary);
  if (!random.read(reinterpret_cast<char*>(bytes), sizeof bytes)) {
    throw EFolivaneError("Cannot read /dev/urandom to make a new identifier");
  }
  bytes[6] = static_cast<unsigned char>((bytes[6] & 0x0F) | 0x40);  // version 4
  bytes[8] = static_cast<unsigned char>((bytes[8] & 0x3F) | 0x80);  // RFC 4122 variant
  static const char hex[] = "0123456789ABCDEF";
  std::string out;
  out.reserve(32);
  for (unsigned char b : bytes) {
    out += hex[b >> 4];
    out += hex[b & 0xF];
  }
  return out;
}

std::string FindOnPath(const std::string& program) {
  if (program.find('/') != std::string::npos) return ::access(program.c_str(), X_OK) == 0 ? program : "";
  for (const std::string& dir : SplitString(Env("PATH"), ':')) {
    if (dir.empty()) continue;
    const std::string candidate = IncludeTrailingDelimiter(dir) + program;
    if (FileExists(candidate) && ::access(candidate.c_str(), X_OK) == 0) return candidate;
  }
  return "";
}

TProcessResult RunProcessAndWait(const std::string& program, const std::vector<std::string>& args,
                                 const std::string& workDir, std::chrono::milliseconds timeout) {
  int pipeFds[2];
  if (::pipe2(pipeFds, O_CLOEXEC) != 0)
    throw EFolivaneError(std::string("Cannot create a pipe: ") + std::strerror(errno));

  posix_spawn_file_actions_t actions;
  posix_spawn_file_actions_init(&actions);
  posix_spawn_file_actions_addopen(&actions, 0, "/dev/null", O_RDONLY, 0);
  posix_spawn_file_actions_adddup2(&actions, pipeFds[1], 1);
  posix_spawn_file_actions_adddup2(&actions, pipeFds[1], 2);
  if (!workDir.empty()) posix_spawn_file_actions_addchdir_np(&actions, workDir.c_str());
  posix_spawnattr_t attr;
  posix_spawnattr_init(&attr);
  posix_spawnattr_setflags(&attr, POSIX_SPAWN_SETPGROUP);  // so a timeout can end the whole group
  posix_spawnattr_setpgroup(&attr, 0);

  std::vector<char*> argv;
  argv.push_back(const_cast<char*>(program.c_str()));
  for (const std::string& a : args) argv.push_back(const_cast<char*>(a.c_str()));
  argv.push_back(nullptr);

  pid_t pid = 0;
  const int rc = ::posix_spawnp(&pid, program.c_str(), &actions, &attr, argv.data(), environ);
  posix_spawn_file_actions_destroy(&actions);
  posix_spawnattr_destroy(&attr);
  ::close(pipeFds[1]);
  if (rc != 0) {
    ::close(pipeFds[0]);
    throw EFolivaneError("Cannot start " + program + ": " + std::strerror(rc));
  }

  TProcessResult result;
  ::fcntl(pipeFds[0], F_SETFL, O_NONBLOCK);
  const auto deadline = std::chrono::steady_clock::now() + timeout;
  bool open = true;
  while (open) {
    int waitMs = -1;
    if (timeout.count() > 0) {
      const auto left =
          std::chrono::duration_cast<std::chrono::milliseconds>(deadline - std::chrono::steady_clock::now());
      if (left.count() <= 0) {
        result.timedOut = true;
        ::kill(-pid, SIGKILL);
        break;
      }
      waitMs = static_cast<int>(left.count());
    }
    pollfd pfd{pipeFds[0], POLLIN, 0};
    const int pr = ::poll(&pfd, 1, waitMs);
    if (pr < 0 && errno != EINTR) break;
    if (pr > 0) open = Drain(pipeFds[0], result.output);
  }
  ::close(pipeFds[0]);

  int status = 0;
  if (result.timedOut) {
    ::waitpid(pid, &status, 0);
    return result;
  }
  // The output closed; the program may still run (a child kept the pipe open), so honour the timeout here too.
  for (;;) {
    const pid_t w = ::waitpid(pid, &status, timeout.count() > 0 ? WNOHANG : 0);
    if (w == pid) break;
    if (w < 0 && errno != EINTR) break;
    if (w == 0) {
      if (std::chrono::steady_clock::now() >= deadline) {
        result.timedOut = true;
        ::kill(-pid, SIGKILL);
        ::waitpid(pid, &status, 0);
        return result;
      }
      std::this_thread::sleep_for(std::chrono::milliseconds(20));
    }
  }
  if (WIFEXITED(status)) result.exitCode = WEXITSTATUS(status);
  else if (WIFSIGNALED(status)) result.exitCode = 128 + WTERMSIG(status);
  return result;
}

void OpenWithAssociatedProgram(const std::string& target) {
  if (Env("FOLIVANE_NO_OPEN") == "1") {
    {
      std::lock_guard<std::mutex> guard(OpensLock());
      Opens().push_back(target);
    }
    const std::string log = Env("FOLIVANE_OPEN_LOG");
    if (!log.empty()) {
      std::ofstream out(log, std::ios::app);
      out << target << '\n';
    }
    return;
  }
  // xdg-open may wait for the program it starts: run it detached.
  pid_t pid = 0;
  std::vector<char*> argv = {const_cast<char*>("xdg-open"), const_cast<char*>(target.c_str()), nullptr};
  posix_spawnattr_t attr;
  posix_spawnattr_init(&attr);
  posix_spawnattr_setflags(&attr, POSIX_SPAWN_SETSID);
  const int rc = ::posix_spawnp(&pid, "xdg-open", nullptr, &attr, argv.data(), environ);
  posix_spawnattr_destroy(&attr);
  if (rc != 0) throw EFolivaneError("Cannot open " + target + ": xdg-open is not available");
  // Reap it in the background so it leaves no zombie.
  std::thread([pid] {
    int status;
    ::waitpid(pid, &status, 0);
  }).detach();
}

std::vector<std::string> RecordedOpens() {
  std::lock_guard<std::mutex> guard(OpensLock());
  return Opens();
}

std::string SystemUiLanguage() {
  for (const char* name : {"LANGUAGE", "LC_ALL", "LC_MESSAGES", "LANG"}) {
    std::string value = Env(name);
    if (value.empty()) continue;
    value = SplitString(value, ':')[0];  // LANGUAGE may list several
    const size_t cut = value.find_first_of("_.@");
    std::string code = AsciiLower(value.substr(0, cut));
    if (code == "c" || code == "posix") return "en";
    return code;
  }
  return "en";
}

std::string UserSettingsIniPath() { return PathJoin(UserDataDir(), "settings.ini"); }

std::string ReadStoredUiLanguage() {
  TIniFile ini(UserSettingsIniPath());
  return ini.ReadString("UI", "CurrentLanguage", "");
}

void StoreUiLanguage(const std::string& code) {
  TIniFile ini(UserSettingsIniPath());
  ini.WriteString("UI", "CurrentLanguage", code);
  ini.Save();
}

bool RunningAsRoot() { return ::geteuid() == 0; }

std::string FilePathToFileUrl(const std::string& path) {
  // What RFC 3986 allows in a path segment stays; the rest ("#", "?", "%", spaces,
  // non-ASCII bytes) is escaped, so the browser reads no fragment or query into a folder name.
  static const char hex[] = "0123456789ABCDEF";
  const auto plain = [](unsigned char c) {
    return (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z') || (c >= '0' && c <= '9') ||
           (c != 0 && std::strchr("/-._~!$&'()*+,;=:@", c) != nullptr);
  };
  std::string url = "file://";
  for (const unsigned char c : ExpandFileName(path)) {
    if (plain(c)) {
      url += static_cast<char>(c);
    } else {
      url += '%';
      url += hex[c >> 4];
      url += hex[c & 0xF];
    }
  }
  return url;
}
