// meta/project_settings.json (and presets, the same format) over any text: loading
// answers "not a settings object", loads, or raises EFolivaneError naming the file;
// nothing else escapes. Loaded values lie in their ranges, and what is saved reads back
// the same.
#include <cstdint>
#include <string>

#include "FuzzSupport.h"
#include "uProjectSettings.h"

namespace {

const char kPath[] = "/fuzz/Guide/meta/project_settings.json";

bool Load(std::string_view text, TProjectSettings& settings, std::string_view input) {
  try {
    return settings.LoadFromText(text, kPath);
  } catch (const EFolivaneError& e) {
    if (!Contains(e.what(), kPath)) FuzzFail(std::string("the error does not name the file: ") + e.what(), input);
    return false;
  } catch (const std::exception& e) {
    FuzzFail(std::string("escaped: ") + e.what(), input);
  }
}

bool OneOf(const std::string& value, std::initializer_list<const char*> allowed) {
  for (const char* a : allowed) {
    if (value == a) return true;
  }
  return false;
}

void CheckRanges(const TProjectSettings& s, std::string_view input) {
  for (std::int32_t size : {s.FontSizeH1, s.FontSizeH2, s.FontSizeH3, s.FontSizeBody}) {
    if (size < kMinFontSizePx) FuzzFail("a font size below the minimum: " + std::to_string(size), input);
  }
  if (s.TocTextSize < 6 || s.TocTextSize > 36) FuzzFail("contents size out of range", input);
  if (!(s.DefaultLineSpacing >= 1.0 && s.DefaultLineSpacing <= 5.0)) FuzzFail("line spacing out of range", input);
  if (s.TableBorderWidth < 1 || s.TableBorderWidth > 12) FuzzFail("border width out of range", input);
  if (!OneOf(s.LinkStyle, {"none", "solid", "dashed", "dotted", "double"}))
    FuzzFail("link style " + s.LinkStyle, input);
  if (!OneOf(s.TableBorderStyle, {"solid", "dashed", "dotted", "double"})) FuzzFail("border style", input);
  for (TColor c : {s.DefaultTextColor, s.DefaultTextBackColor, s.DefaultPageBgColor, s.DefaultHeaderBgColor,
                   s.TocTextColor, s.LinkColor, s.TableBorderColor}) {
    if (c < 0 || c > 0xFFFFFF) FuzzFail("a colour out of range", input);
  }
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  const std::string_view input(reinterpret_cast<const char*>(data), size);
  TProjectSettings settings;
  if (!Load(input, settings, input)) return 0;
  CheckRanges(settings, input);

  const std::string saved = JsonWrite(settings.ToJson());
  TProjectSettings again;
  again.FontSizeH1 = 99;  // every value must come from the file
  if (!Load(saved, again, input)) FuzzFail("the saved settings do not load:\n" + saved, input);
  if (JsonWrite(again.ToJson()) != saved) {
    FuzzFail("the settings changed on the way:\n" + saved + "\n" + JsonWrite(again.ToJson()), input);
  }
  return 0;
}
