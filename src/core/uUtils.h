// Paths, files and text: the small helpers every module uses.
#pragma once

#include <chrono>
#include <functional>
#include <stdexcept>
#include <string>
#include <string_view>
#include <vector>

// An error whose message is shown to the user as it stands.
class EFolivaneError : public std::runtime_error {
 public:
  explicit EFolivaneError(const std::string& message) : std::runtime_error(message) {}
};

// The silent abort: a cancelled command. Shown to nobody.
class EAbort : public std::runtime_error {
 public:
  EAbort() : std::runtime_error("Operation aborted") {}
};

// Progress of long work (every export): called with (done, total) between items.
// Throwing EAbort from it cancels the work.
using TProgressCallback = std::function<void(int done, int total)>;

// --- Paths -------------------------------------------------------------------

constexpr char kPathDelim = '/';

// base + delimiter + rel, or rel alone when it is rooted. Nothing is normalised.
// A rel holding a control character or one of " < > | * ? raises an error, so
// projects stay portable to systems that forbid those characters.
std::string PathJoin(const std::string& base, const std::string& rel);
bool IsRootedPath(const std::string& path);
// The characters PathJoin refuses: control characters and " < > | * ?.
bool IsInvalidPathChar(unsigned char c);
std::string IncludeTrailingDelimiter(const std::string& path);
std::string ExcludeTrailingDelimiter(const std::string& path);
std::string ExtractFileDir(const std::string& path);   // without the trailing delimiter
std::string ExtractFileName(const std::string& path);  // name with extension
std::string ExtractFileExt(const std::string& path);   // ".ext" or empty
std::string ChangeFileExt(const std::string& path, const std::string& ext);
std::string FileNameWithoutExt(const std::string& path);
std::string ExpandFileName(const std::string& path);  // absolute, "." and ".." folded

// --- Files -------------------------------------------------------------------

// Whether path names a regular file (a folder). A path holding a NUL byte names nothing.
bool FileExists(const std::string& path);
bool DirExists(const std::string& path);
// Creates dir and its missing parents when dir is non-empty; returns dir.
std::string EnsureDir(const std::string& dir);
// Whole file as UTF-8; a byte-order mark is kept (as U+FEFF), invalid sequences become U+FFFD.
std::string ReadTextFileUtf8(const std::string& path);
// Whole file decoded by its byte-order mark (UTF-8, UTF-16 LE/BE; the mark is skipped), else UTF-8.
std::string ReadTextFileAutoBom(const std::string& path);
std::string ReadBinaryFile(const std::string& path);
// Replaces the file atomically: a temporary file in the same folder, flushed, renamed over it.
void WriteFileAtomic(const std::string& path, std::string_view bytes);
void WriteTextFileUtf8(const std::string& path, std::string_view text);
void WriteTextFileUtf8Bom(const std::string& path, std::string_view text);
// Whether a file name is that of WriteFileAtomic's temporary file: "." + the target's
// name + "." + six letters or digits.
bool IsAtomicWriteTempName(std::string_view name);
// How old a temporary file must be before it is taken for the leftover of a write that
// was cut short (a crash, a kill): no write of ours takes that long.
constexpr std::chrono::seconds kStaleWriteTempAge{60};
// Deletes the temporary files of atomic writes directly in dir that are at least minAge
// old; with targetName only those of that target. Returns how many it deleted; a file
// that cannot be deleted is left, and a missing dir deletes nothing.
int RemoveStaleWriteTemps(const std::string& dir, std::chrono::seconds minAge = kStaleWriteTempAge,
                          const std::string& targetName = "");
// For bulk outputs that are regenerated anyway: removes the old file, writes the new one.
void WriteOutputFile(const std::string& path, std::string_view bytes);
// The copies stream the file (a large one is never held whole; the holes of a sparse one
// stay holes) into a temporary file beside dest that is renamed into place when whole:
// dest is either the whole copy or as it was, and a link at dest is replaced, not written
// through. They raise with the reason.
// Replaces dest atomically.
void CopyFileOverwrite(const std::string& source, const std::string& dest);
// For bulk outputs that are regenerated anyway: removes the old dest first (quicker than
// replacing it), then copies.
void CopyOutputFile(const std::string& source, const std::string& dest);
// Never replaces a file: raises when dest exists, also when it appears during the copy.
void CopyFileToNewFile(const std::string& source, const std::string& dest);
void DeleteFileIfExists(const std::string& path);
void DeleteFolderTree(const std::string& dir);
// Files directly inside dir (full paths, sorted).
std::vector<std::string> ListFiles(const std::string& dir);
// Every file below dir, as paths relative to dir with "/" separators (sorted).
std::vector<std::string> ListFilesRecursive(const std::string& dir);

// Trims white space, "topic" when empty, then \ / : * ? " < > | become "_".
std::string SafeFileName(const std::string& name);

// --- Text --------------------------------------------------------------------

// Trim removes every character at or below U+0020 at both ends, as the stored formats expect.
std::string Trim(std::string_view s);
std::string TrimLeft(std::string_view s);
std::string TrimRight(std::string_view s);
std::string AsciiLower(std::string_view s);
std::string AsciiUpper(std::string_view s);
bool SameTextAscii(std::string_view a, std::string_view b);
bool StartsWith(std::string_view s, std::string_view prefix);
bool EndsWith(std::string_view s, std::string_view suffix);
bool StartsWithText(std::string_view s, std::string_view prefix);  // ASCII case ignored
bool EndsWithText(std::string_view s, std::string_view suffix);    // ASCII case ignored
std::string ReplaceAll(std::string_view s, std::string_view from, std::string_view to);
std::string ReplaceAllText(std::string_view s, std::string_view from, std::string_view to);  // ASCII case ignored
std::vector<std::string> SplitString(std::string_view s, char sep);
// The lines of a text file: CR LF, LF or CR end a line; a UTF-8 byte-order mark is skipped.
std::vector<std::string> SplitTextLines(std::string_view text);
// Replaces each %s (and %d) in order with the next argument; %% is a percent sign.
std::string FormatText(std::string_view format, const std::vector<std::string>& args);
// Shortest decimal form with "." ("1.5", "2", "0.1").
std::string FloatToText(double value);
// Repairs invalid UTF-8 with U+FFFD; valid text is returned unchanged.
std::string SanitizeUtf8(std::string_view bytes);
bool IsValidUtf8(std::string_view bytes);
// UTF-16 code units of UTF-8 text (invalid input must be sanitised first).
std::u16string Utf8ToUtf16(std::string_view s);
std::string Utf16ToUtf8(std::u16string_view s);
void AppendUtf8(std::string& out, char32_t cp);
