#include "uUtils.h"

#include <fcntl.h>
#include <stdio.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <charconv>
#include <cstdint>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <system_error>
#include <utility>

namespace fs = std::filesystem;

namespace {

[[noreturn]] void RaiseOsError(const std::string& what, const std::string& path, int err) {
  throw EFolivaneError(what + " " + path + ": " + std::strerror(err));
}

// Holds an open descriptor and closes it however the scope ends, unless released.
class TFd {
 public:
  explicit TFd(int fd) : FFd(fd) {}
  ~TFd() {
    if (FFd >= 0) ::close(FFd);
  }
  TFd(const TFd&) = delete;
  TFd& operator=(const TFd&) = delete;
  int Get() const { return FFd; }
  int Release() {
    const int fd = FFd;
    FFd = -1;
    return fd;
  }

 private:
  int FFd;
};

// A temporary file beside the file it will become: removed when the scope ends, unless
// it was moved into place (Keep), so a failed write leaves nothing behind.
class TTempFile {
 public:
  explicit TTempFile(std::string path) : FPath(std::move(path)) {}
  ~TTempFile() {
    if (!FPath.empty()) ::unlink(FPath.c_str());
  }
  TTempFile(const TTempFile&) = delete;
  TTempFile& operator=(const TTempFile&) = delete;
  const std::string& Path() const { return FPath; }
  void Keep() { FPath.clear(); }

 private:
  std::string FPath;
};

}  // namespace

bool IsInvalidPathChar(unsigned char c) {
  return c < 0x20 || c == '"' || c == '<' || c == '>' || c == '|' || c == '*' || c == '?';
}

namespace {

bool IsDelim(char c) { return c == '/'; }

char AsciiLowerChar(char c) { return (c >= 'A' && c <= 'Z') ? static_cast<char>(c + 32) : c; }
char AsciiUpperChar(char c) { return (c >= 'a' && c <= 'z') ? static_cast<char>(c - 32) : c; }

// Length of the valid UTF-8 sequence at s[i], or 0 when it is invalid.
size_t Utf8SequenceLength(std::string_view s, size_t i) {
  const auto b0 = static_cast<unsigned char>(s[i]);
  if (b0 < 0x80) return 1;
  size_t len;
  char32_t min;
  if (b0 >= 0xC2 && b0 <= 0xDF) {
    len = 2;
    min = 0x80;
  } else if (b0 >= 0xE0 && b0 <= 0xEF) {
    len = 3;
    min = 0x800;
  } else if (b0 >= 0xF0 && b0 <= 0xF4) {
    len = 4;
    min = 0x10000;
  } else return 0;
  if (i + len > s.size()) return 0;
  char32_t cp = b0 & (0x7F >> len);
  for (size_t k = 1; k < len; ++k) {
    const auto b = static_cast<unsigned char>(s[i + k]);
    if ((b & 0xC0) != 0x80) return 0;
    cp = (cp << 6) | (b & 0x3F);
  }
  if (cp < min || cp > 0x10FFFF || (cp >= 0xD800 && cp <= 0xDFFF)) return 0;
  return len;
}

std::string DecodeUtf16(std::string_view bytes, bool bigEndian) {
  std::u16string units;
  units.reserve(bytes.size() / 2);
  for (size_t i = 0; i + 1 < bytes.size(); i += 2) {
    const auto a = static_cast<unsigned char>(bytes[i]);
    const auto b = static_cast<unsigned char>(bytes[i + 1]);
    units.push_back(static_cast<char16_t>(bigEndian ? (a << 8) | b : (b << 8) | a));
  }
  return Utf16ToUtf8(units);
}

void WriteAll(int fd, std::string_view bytes, const std::string& path) {
  const char* p = bytes.data();
  size_t left = bytes.size();
  while (left > 0) {
    const ssize_t n = ::write(fd, p, left);
    if (n < 0) {
      if (errno == EINTR) continue;
      RaiseOsError("Cannot write file", path, errno);
    }
    p += n;
    left -= static_cast<size_t>(n);
  }
}

// The system would read a NUL byte as the end of the path and answer for a shorter one.
bool CanNameFile(const std::string& path) { return !path.empty() && path.find('\0') == std::string::npos; }

}  // namespace

// --- Paths -------------------------------------------------------------------

bool IsRootedPath(const std::string& path) { return !path.empty() && IsDelim(path[0]); }

std::string PathJoin(const std::string& base, const std::string& rel) {
  for (unsigned char c : rel) {
    if (IsInvalidPathChar(c)) throw EFolivaneError("Illegal characters in path: " + rel);
  }
  if (rel.empty()) return IncludeTrailingDelimiter(base);
  if (IsRootedPath(rel)) return rel;
  return IncludeTrailingDelimiter(base) + rel;
}

std::string IncludeTrailingDelimiter(const std::string& path) {
  if (!path.empty() && IsDelim(path.back())) return path;
  return path + kPathDelim;
}

std::string ExcludeTrailingDelimiter(const std::string& path) {
  if (path.size() > 1 && IsDelim(path.back())) return path.substr(0, path.size() - 1);
  return path;
}

std::string ExtractFileDir(const std::string& path) {
  const size_t p = path.find_last_of('/');
  if (p == std::string::npos) return "";
  if (p == 0) return "/";
  return path.substr(0, p);
}

std::string ExtractFileName(const std::string& path) {
  const size_t p = path.find_last_of('/');
  return p == std::string::npos ? path : path.substr(p + 1);
}

std::string ExtractFileExt(const std::string& path) {
  const std::string name = ExtractFileName(path);
  const size_t dot = name.find_last_of('.');
  return dot == std::string::npos ? "" : name.substr(dot);
}

std::string ChangeFileExt(const std::string& path, const std::string& ext) {
  const std::string oldExt = ExtractFileExt(path);
  return path.substr(0, path.size() - oldExt.size()) + ext;
}

std::string FileNameWithoutExt(const std::string& path) {
  const std::string name = ExtractFileName(path);
  return name.substr(0, name.size() - ExtractFileExt(name).size());
}

std::string ExpandFileName(const std::string& path) {
  if (path.empty()) return path;
  std::error_code ec;
  fs::path abs = fs::absolute(fs::path(path), ec);
  if (ec) return path;
  std::string out = abs.lexically_normal().string();
  if (out.size() > 1 && IsDelim(out.back()) && !IsDelim(path.back())) out.pop_back();
  return out;
}

// --- Files -------------------------------------------------------------------

bool FileExists(const std::string& path) {
  struct stat st;
  return CanNameFile(path) && ::stat(path.c_str(), &st) == 0 && S_ISREG(st.st_mode);
}

bool DirExists(const std::string& path) {
  struct stat st;
  return CanNameFile(path) && ::stat(path.c_str(), &st) == 0 && S_ISDIR(st.st_mode);
}

std::string EnsureDir(const std::string& dir) {
  if (dir.empty() || DirExists(dir)) return dir;
  std::error_code ec;
  fs::create_directories(fs::path(dir), ec);
  if (ec && !DirExists(dir)) throw EFolivaneError("Cannot create folder " + dir + ": " + ec.message());
  return dir;
}

std::string ReadBinaryFile(const std::string& path) {
  const TFd fd(::open(path.c_str(), O_RDONLY | O_CLOEXEC));
  if (fd.Get() < 0) RaiseOsError("Cannot open file", path, errno);
  std::string data;
  struct stat st;
  if (::fstat(fd.Get(), &st) == 0 && st.st_size > 0) data.reserve(static_cast<size_t>(st.st_size));
  char buf[65536];
  for (;;) {
    const ssize_t n = ::read(fd.Get(), buf, sizeof buf);
    if (n == 0) break;
    if (n < 0) {
      if (errno == EINTR) continue;
      RaiseOsError("Cannot read file", path, errno);
    }
    data.append(buf, static_cast<size_t>(n));
  }
  return data;
}

std::string ReadTextFileUtf8(const std::string& path) { return SanitizeUtf8(ReadBinaryFile(path)); }

std::string ReadTextFileAutoBom(const std::string& path) {
  const std::string bytes = ReadBinaryFile(path);
  if (StartsWith(bytes, "\xEF\xBB\xBF")) return SanitizeUtf8(std::string_view(bytes).substr(3));
  if (StartsWith(bytes, "\xFF\xFE")) return DecodeUtf16(std::string_view(bytes).substr(2), false);
  if (StartsWith(bytes, "\xFE\xFF")) return DecodeUtf16(std::string_view(bytes).substr(2), true);
  return SanitizeUtf8(bytes);
}

void WriteFileAtomic(const std::string& path, std::string_view bytes) {
  const std::string dir = ExtractFileDir(path);
  EnsureDir(dir);
  std::string pattern = (dir.empty() ? std::string(".") : dir) + "/." + ExtractFileName(path) + ".XXXXXX";
  TFd fd(::mkstemp(pattern.data()));
  if (fd.Get() < 0) RaiseOsError("Cannot write file", path, errno);
  TTempFile temp(pattern);
  struct stat st;
  ::fchmod(fd.Get(), ::stat(path.c_str(), &st) == 0 ? (st.st_mode & 07777) : 0644);
  WriteAll(fd.Get(), bytes, path);
  if (::fsync(fd.Get()) != 0) RaiseOsError("Cannot write file", path, errno);
  if (::close(fd.Release()) != 0) RaiseOsError("Cannot write file", path, errno);
  if (::rename(temp.Path().c_str(), path.c_str()) != 0) RaiseOsError("Cannot write file", path, errno);
  temp.Keep();
}

void WriteTextFileUtf8(const std::string& path, std::string_view text) { WriteFileAtomic(path, text); }

void WriteTextFileUtf8Bom(const std::string& path, std::string_view text) {
  std::string bytes = "\xEF\xBB\xBF";
  bytes.append(text);
  WriteFileAtomic(path, bytes);
}

bool IsAtomicWriteTempName(std::string_view name) {
  // WriteFileAtomic's template: "." + name + ".XXXXXX", and mkstemp fills in letters and digits.
  if (name.size() < 9 || name.front() != '.' || name[name.size() - 7] != '.') return false;
  return std::all_of(name.end() - 6, name.end(),
                     [](char c) { return (c >= '0' && c <= '9') || (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z'); });
}

int RemoveStaleWriteTemps(const std::string& dir, std::chrono::seconds minAge, const std::string& targetName) {
  int removed = 0;
  const auto now = fs::file_time_type::clock::now();
  std::error_code ec;
  for (fs::directory_iterator it(dir, ec), end; !ec && it != end; it.increment(ec)) {
    const std::string name = it->path().filename().string();
    if (!IsAtomicWriteTempName(name)) continue;
    if (!targetName.empty() && name.compare(1, name.size() - 8, targetName) != 0) continue;
    std::error_code fileError;
    if (it->symlink_status(fileError).type() != fs::file_type::regular) continue;
    const auto written = it->last_write_time(fileError);
    if (fileError || now - written < minAge) continue;
    if (::unlink(it->path().c_str()) == 0) ++removed;
  }
  return removed;
}

void WriteOutputFile(const std::string& path, std::string_view bytes) {
  EnsureDir(ExtractFileDir(path));
  ::unlink(path.c_str());
  TFd fd(::open(path.c_str(), O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC, 0644));
  if (fd.Get() < 0) RaiseOsError("Cannot write file", path, errno);
  WriteAll(fd.Get(), bytes, path);
  if (::close(fd.Release()) != 0) RaiseOsError("Cannot write file", path, errno);
}

namespace {

enum class TCopyTarget { Replace, MustBeNew };

// Why a copy failed: the system's error number, or a text of its own.
struct TCopyFailure {
  int err = 0;
  std::string text;
  std::string Reason() const { return text.empty() ? std::strerror(err) : text; }
};
[[noreturn]] void RaiseCopyFailure(int err) { throw TCopyFailure{err, ""}; }

// Copies size bytes from in to out a piece at a time. Only the data of a sparse file is
// read: its holes stay holes, so a large empty file neither fills the disk nor takes long.
void CopyBytes(int in, int out, off_t size) {
  // A small file gets a buffer its size: pictures are mostly small and copied by the hundred.
  std::vector<char> buffer(static_cast<size_t>(std::clamp<off_t>(size, 1, off_t{1} << 20)));
  for (off_t pos = 0; pos < size;) {
    off_t data = ::lseek(in, pos, SEEK_DATA);
    if (data < 0 && errno == ENXIO) break;  // nothing but a hole is left
    if (data < 0) data = pos;               // no hole support: copy everything
    off_t hole = ::lseek(in, data, SEEK_HOLE);
    if (hole < 0 || hole > size) hole = size;
    for (off_t at = data; at < hole;) {
      const size_t want = static_cast<size_t>(std::min<off_t>(static_cast<off_t>(buffer.size()), hole - at));
      const ssize_t n = ::pread(in, buffer.data(), want, at);
      if (n < 0 && errno == EINTR) continue;
      if (n < 0) RaiseCopyFailure(errno);
      if (n == 0) return;  // the file shrank while being copied
      for (ssize_t done = 0; done < n;) {
        const ssize_t w = ::pwrite(out, buffer.data() + done, static_cast<size_t>(n - done), at + done);
        if (w < 0 && errno == EINTR) continue;
        if (w < 0) RaiseCopyFailure(errno);
        done += w;
      }
      at += n;
    }
    pos = hole;
  }
  if (::ftruncate(out, size) != 0) RaiseCopyFailure(errno);
}

// Moves the finished temporary file to dest: over an old file, or only where none is.
void PlaceCopy(const std::string& tmp, const std::string& dest, TCopyTarget target) {
  if (target == TCopyTarget::Replace) {
    if (::rename(tmp.c_str(), dest.c_str()) != 0) RaiseCopyFailure(errno);
    return;
  }
  if (::renameat2(AT_FDCWD, tmp.c_str(), AT_FDCWD, dest.c_str(), RENAME_NOREPLACE) == 0) return;
  if (errno != EINVAL && errno != ENOSYS) RaiseCopyFailure(errno);
  // A file system without that flag: a hard link never replaces a file either.
  if (::link(tmp.c_str(), dest.c_str()) != 0) RaiseCopyFailure(errno);
  ::unlink(tmp.c_str());
}

// The copy goes to a temporary file beside dest and is renamed into place only when
// whole, so dest is never half written; a link at dest is replaced, not written through.
void CopyThroughTemporaryFile(const std::string& source, const std::string& dest, TCopyTarget target) {
  // Non-blocking, so a named pipe in the source's place cannot hang the open.
  TFd in(::open(source.c_str(), O_RDONLY | O_CLOEXEC | O_NONBLOCK));
  if (in.Get() < 0) RaiseCopyFailure(errno);
  struct stat st;
  if (::fstat(in.Get(), &st) != 0) RaiseCopyFailure(errno);
  if (!S_ISREG(st.st_mode)) throw TCopyFailure{0, "it is not a regular file"};
  ::fcntl(in.Get(), F_SETFL, ::fcntl(in.Get(), F_GETFL) & ~O_NONBLOCK);

  // The temporary name stays short: dest's own name may already be as long as names go.
  const std::string dir = ExtractFileDir(dest);
  std::string tmp = (dir.empty() ? std::string(".") : dir) + "/." + ExtractFileName(dest).substr(0, 100) + ".XXXXXX";
  TFd out(::mkstemp(tmp.data()));
  if (out.Get() < 0) RaiseCopyFailure(errno);
  TTempFile temp(tmp);
  ::fchmod(out.Get(), (st.st_mode & 0777) | 0600);
  CopyBytes(in.Get(), out.Get(), st.st_size);
  if (::close(out.Release()) != 0) RaiseCopyFailure(errno);
  PlaceCopy(tmp, dest, target);
  temp.Keep();
}

}  // namespace

void CopyFileOverwrite(const std::string& source, const std::string& dest) {
  try {
    CopyThroughTemporaryFile(source, dest, TCopyTarget::Replace);
  } catch (const TCopyFailure& f) {
    throw EFolivaneError("Cannot copy " + source + " to " + dest + ": " + f.Reason());
  }
}

void CopyOutputFile(const std::string& source, const std::string& dest) {
  ::unlink(dest.c_str());
  CopyFileOverwrite(source, dest);
}

void CopyFileToNewFile(const std::string& source, const std::string& dest) {
  try {
    CopyThroughTemporaryFile(source, dest, TCopyTarget::MustBeNew);
  } catch (const TCopyFailure& f) {
    if (f.err == EEXIST) throw EFolivaneError("The file already exists: " + dest);
    throw EFolivaneError("Cannot copy " + source + " to " + dest + ": " + f.Reason());
  }
}

void DeleteFileIfExists(const std::string& path) {
  if (::unlink(path.c_str()) != 0 && errno != ENOENT) RaiseOsError("Cannot delete file", path, errno);
}

void DeleteFolderTree(const std::string& dir) {
  std::error_code ec;
  fs::remove_all(dir, ec);
  if (ec) throw EFolivaneError("Cannot delete folder " + dir + ": " + ec.message());
}

std::vector<std::string> ListFiles(const std::string& dir) {
  std::vector<std::string> out;
  std::error_code ec;
  for (fs::directory_iterator it(dir, ec), end; !ec && it != end; it.increment(ec)) {
    if (it->is_regular_file(ec)) out.push_back(it->path().string());
  }
  std::sort(out.begin(), out.end());
  return out;
}

std::vector<std::string> ListFilesRecursive(const std::string& dir) {
  std::vector<std::string> out;
  std::error_code ec;
  const fs::path root(dir);
  for (fs::recursive_directory_iterator it(root, ec), end; !ec && it != end; it.increment(ec)) {
    if (it->is_regular_file(ec)) out.push_back(it->path().lexically_relative(root).generic_string());
  }
  std::sort(out.begin(), out.end());
  return out;
}

std::string SafeFileName(const std::string& name) {
  std::string s = Trim(name);
  if (s.empty()) s = "topic";
  for (char& c : s) {
    if (std::strchr("\\/:*?\"<>|", c) != nullptr && c != '\0') c = '_';
  }
  return s;
}

// --- Text --------------------------------------------------------------------

std::string Trim(std::string_view s) { return TrimRight(TrimLeft(s)); }

std::string TrimLeft(std::string_view s) {
  size_t b = 0;
  while (b < s.size() && static_cast<unsigned char>(s[b]) <= 0x20) ++b;
  return std::string(s.substr(b));
}

std::string TrimRight(std::string_view s) {
  size_t e = s.size();
  while (e > 0 && static_cast<unsigned char>(s[e - 1]) <= 0x20) --e;
  return std::string(s.substr(0, e));
}

std::string AsciiLower(std::string_view s) {
  std::string out(s);
  for (char& c : out) c = AsciiLowerChar(c);
  return out;
}

std::string AsciiUpper(std::string_view s) {
  std::string out(s);
  for (char& c : out) c = AsciiUpperChar(c);
  return out;
}

bool SameTextAscii(std::string_view a, std::string_view b) {
  if (a.size() != b.size()) return false;
  for (size_t i = 0; i < a.size(); ++i) {
    if (AsciiLowerChar(a[i]) != AsciiLowerChar(b[i])) return false;
  }
  return true;
}

bool StartsWith(std::string_view s, std::string_view prefix) { return s.substr(0, prefix.size()) == prefix; }

bool EndsWith(std::string_view s, std::string_view suffix) {
  return s.size() >= suffix.size() && s.substr(s.size() - suffix.size()) == suffix;
}

bool StartsWithText(std::string_view s, std::string_view prefix) {
  return s.size() >= prefix.size() && SameTextAscii(s.substr(0, prefix.size()), prefix);
}

bool EndsWithText(std::string_view s, std::string_view suffix) {
  return s.size() >= suffix.size() && SameTextAscii(s.substr(s.size() - suffix.size()), suffix);
}

std::string ReplaceAll(std::string_view s, std::string_view from, std::string_view to) {
  if (from.empty()) return std::string(s);
  std::string out;
  out.reserve(s.size());
  size_t pos = 0;
  for (size_t hit; (hit = s.find(from, pos)) != std::string_view::npos; pos = hit + from.size()) {
    out.append(s.substr(pos, hit - pos));
    out.append(to);
  }
  out.append(s.substr(pos));
  return out;
}

std::string ReplaceAllText(std::string_view s, std::string_view from, std::string_view to) {
  if (from.empty()) return std::string(s);
  const std::string lowerS = AsciiLower(s);
  const std::string lowerFrom = AsciiLower(from);
  std::string out;
  out.reserve(s.size());
  size_t pos = 0;
  for (size_t hit; (hit = lowerS.find(lowerFrom, pos)) != std::string::npos; pos = hit + from.size()) {
    out.append(s.substr(pos, hit - pos));
    out.append(to);
  }
  out.append(s.substr(pos));
  return out;
}

std::vector<std::string> SplitString(std::string_view s, char sep) {
  std::vector<std::string> parts;
  size_t start = 0;
  for (size_t i = 0; i <= s.size(); ++i) {
    if (i == s.size() || s[i] == sep) {
      parts.emplace_back(s.substr(start, i - start));
      start = i + 1;
    }
  }
  return parts;
}

std::string FormatText(std::string_view format, const std::vector<std::string>& args) {
  std::string out;
  size_t next = 0;
  for (size_t i = 0; i < format.size(); ++i) {
    if (format[i] == '%' && i + 1 < format.size()) {
      const char spec = format[i + 1];
      if (spec == '%') {
        out += '%';
        ++i;
        continue;
      }
      if (spec == 's' || spec == 'd') {
        if (next < args.size()) out += args[next++];
        ++i;
        continue;
      }
    }
    out += format[i];
  }
  return out;
}

std::string FloatToText(double value) {
  char buf[64];
  const auto res = std::to_chars(buf, buf + sizeof buf, value);
  return std::string(buf, res.ptr);
}

bool IsValidUtf8(std::string_view bytes) {
  for (size_t i = 0; i < bytes.size();) {
    // Most text is ASCII: step over eight such bytes at a time.
    if (i + 8 <= bytes.size()) {
      std::uint64_t word;
      std::memcpy(&word, bytes.data() + i, 8);
      if ((word & 0x8080808080808080ULL) == 0) {
        i += 8;
        continue;
      }
    }
    if (static_cast<unsigned char>(bytes[i]) < 0x80) {
      ++i;
      continue;
    }
    const size_t len = Utf8SequenceLength(bytes, i);
    if (len == 0) return false;
    i += len;
  }
  return true;
}

std::string SanitizeUtf8(std::string_view bytes) {
  if (IsValidUtf8(bytes)) return std::string(bytes);
  std::string out;
  out.reserve(bytes.size() + 16);
  for (size_t i = 0; i < bytes.size();) {
    const size_t len = Utf8SequenceLength(bytes, i);
    if (len == 0) {
      out += "\xEF\xBF\xBD";
      ++i;
    } else {
      out.append(bytes.substr(i, len));
      i += len;
    }
  }
  return out;
}

void AppendUtf8(std::string& out, char32_t cp) {
  if (cp < 0x80) {
    out += static_cast<char>(cp);
  } else if (cp < 0x800) {
    out += static_cast<char>(0xC0 | (cp >> 6));
    out += static_cast<char>(0x80 | (cp & 0x3F));
  } else if (cp < 0x10000) {
    out += static_cast<char>(0xE0 | (cp >> 12));
    out += static_cast<char>(0x80 | ((cp >> 6) & 0x3F));
    out += static_cast<char>(0x80 | (cp & 0x3F));
  } else {
    out += static_cast<char>(0xF0 | (cp >> 18));
    out += static_cast<char>(0x80 | ((cp >> 12) & 0x3F));
    out += static_cast<char>(0x80 | ((cp >> 6) & 0x3F));
    out += static_cast<char>(0x80 | (cp & 0x3F));
  }
}

std::u16string Utf8ToUtf16(std::string_view s) {
  std::u16string out;
  out.reserve(s.size());
  for (size_t i = 0; i < s.size();) {
    size_t len = Utf8SequenceLength(s, i);
    char32_t cp;
    if (len == 0) {
      cp = 0xFFFD;
      len = 1;
    } else {
      const auto b0 = static_cast<unsigned char>(s[i]);
      cp = len == 1 ? b0 : (b0 & (0x7F >> len));
      for (size_t k = 1; k < len; ++k) cp = (cp << 6) | (static_cast<unsigned char>(s[i + k]) & 0x3F);
    }
    if (cp >= 0x10000) {
      cp -= 0x10000;
      out.push_back(static_cast<char16_t>(0xD800 + (cp >> 10)));
      out.push_back(static_cast<char16_t>(0xDC00 + (cp & 0x3FF)));
    } else {
      out.push_back(static_cast<char16_t>(cp));
    }
    i += len;
  }
  return out;
}

std::string Utf16ToUtf8(std::u16string_view s) {
  std::string out;
  out.reserve(s.size());
  for (size_t i = 0; i < s.size(); ++i) {
    char32_t cp = s[i];
    if (cp >= 0xD800 && cp <= 0xDBFF && i + 1 < s.size() && s[i + 1] >= 0xDC00 && s[i + 1] <= 0xDFFF) {
      cp = 0x10000 + ((cp - 0xD800) << 10) + (s[i + 1] - 0xDC00);
      ++i;
    } else if (cp >= 0xD800 && cp <= 0xDFFF) {
      cp = 0xFFFD;  // a lone surrogate cannot be written as UTF-8
    }
    AppendUtf8(out, cp);
  }
  return out;
}

std::vector<std::string> SplitTextLines(std::string_view text) {
  if (StartsWith(text, "\xEF\xBB\xBF")) text.remove_prefix(3);
  std::vector<std::string> lines;
  size_t start = 0;
  for (size_t i = 0; i < text.size(); ++i) {
    if (text[i] != '\r' && text[i] != '\n') continue;
    lines.emplace_back(text.substr(start, i - start));
    if (text[i] == '\r' && i + 1 < text.size() && text[i + 1] == '\n') ++i;
    start = i + 1;
  }
  if (start < text.size()) lines.emplace_back(text.substr(start));
  return lines;
}
