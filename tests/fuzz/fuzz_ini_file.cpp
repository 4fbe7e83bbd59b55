// settings.ini over any bytes: reading never fails, a profile saved and read again is
// the same profile, and a value stored under a key reads back as stored (one line,
// trimmed) while the rest of the profile stays.
#include <cstdint>
#include <string>

#include "FuzzSupport.h"
#include "uIniFile.h"

namespace {

// Saves a profile that was read from its file and answers the bytes, after checking
// that reading and saving them again changes nothing.
std::string SaveStable(const TIniFile& ini, std::string_view input) {
  ini.Save();
  const std::string saved = ReadBinaryFile(ini.FileName());
  TIniFile(ini.FileName()).Save();
  const std::string again = ReadBinaryFile(ini.FileName());
  if (again != saved) FuzzFail("the profile changed on the way:\n" + saved + "\n---\n" + again, input);
  return saved;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  const std::string input(reinterpret_cast<const char*>(data), size);
  const std::string file = ScratchPath("settings.ini");
  WriteScratchFile(file, input);
  TIniFile ini(file);
  const std::string language = ini.ReadString("UI", "CurrentLanguage", "<none>");
  SaveStable(ini, input);
  if (TIniFile(file).ReadString("UI", "CurrentLanguage", "<none>") != language)
    FuzzFail("saving changed a value", input);

  // The whole input as a value: it must come back as one trimmed line, and storing it
  // in one section must not change another.
  const std::string value = SanitizeUtf8(input);
  ini.WriteString("CHM", "HhcPath", value);
  ini.Save();
  const TIniFile reread(file);
  SaveStable(reread, input);
  const std::string expected = Trim(ReplaceAll(ReplaceAll(value, "\r", " "), "\n", " "));
  if (reread.ReadString("chm", "hhcpath", "<none>") != expected) {
    FuzzFail("the stored value reads back as [" + reread.ReadString("chm", "hhcpath", "<none>") + "]", input);
  }
  if (reread.ReadString("UI", "CurrentLanguage", "<none>") != language) FuzzFail("another value changed", input);
  return 0;
}
