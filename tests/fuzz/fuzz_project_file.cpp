// The project file (*.fvp) over any bytes: ReadProjectFile answers or raises
// EFolivaneError, nothing else, and the same text reads the same whether the file is
// plain UTF-8 or carries a UTF-8, UTF-16 LE or UTF-16 BE byte-order mark.
#include <cstdint>
#include <string>

#include "FuzzSupport.h"
#include "uStorage.h"
#include "uUtils.h"

namespace {

// What reading gave: the folder and title, or the error's message.
std::string Outcome(const std::string& file, std::string_view bytes) {
  WriteScratchFile(file, bytes);
  try {
    const TProjectFileInfo info = ReadProjectFile(file);
    if (info.folder.empty()) return "error: an empty folder";
    return "folder " + info.folder + "\ntitle " + info.title;
  } catch (const EFolivaneError& e) {
    const std::string message = e.what();
    if (message.empty()) return "error: an empty message";
    return "raised " + message;
  } catch (const std::exception& e) {
    return std::string("error: escaped ") + e.what();
  }
}

std::string Utf16Bytes(const std::string& utf8, bool bigEndian) {
  std::string out = bigEndian ? "\xFE\xFF" : "\xFF\xFE";
  for (char16_t unit : Utf8ToUtf16(utf8)) {
    const char hi = static_cast<char>(unit >> 8), lo = static_cast<char>(unit & 0xFF);
    out += bigEndian ? hi : lo;
    out += bigEndian ? lo : hi;
  }
  return out;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  const std::string input(reinterpret_cast<const char*>(data), size);
  const std::string file = ScratchPath("Guide.fvp");
  const std::string plain = Outcome(file, input);
  if (StartsWith(plain, "error: ")) FuzzFail(plain, input);

  // The encodings only say how the same characters are stored. A text that starts with
  // what a mark looks like is left out: there the first bytes are the question.
  const std::string text = SanitizeUtf8(input);
  if (StartsWith(text, "\xEF\xBB\xBF") || StartsWith(input, "\xFF\xFE") || StartsWith(input, "\xFE\xFF")) return 0;
  const std::string reference = Outcome(file, text);
  for (const std::string& bytes : {"\xEF\xBB\xBF" + text, Utf16Bytes(text, false), Utf16Bytes(text, true)}) {
    const std::string other = Outcome(file, bytes);
    if (other != reference) FuzzFail("the encoding changed the reading:\n" + reference + "\n---\n" + other, input);
  }
  return 0;
}
