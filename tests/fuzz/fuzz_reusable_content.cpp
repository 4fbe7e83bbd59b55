// meta/reusable_content.json over any text: loading answers "not JSON" (leaving the
// store empty), loads, or raises EFolivaneError naming the file; nothing else escapes.
// A loaded store, written and read again, is the same store.
#include <cstdint>
#include <string>

#include "FuzzSupport.h"
#include "uReusableContent.h"

namespace {

const char kPath[] = "/fuzz/Guide/meta/reusable_content.json";

bool Load(std::string_view text, TReusableProjectContent& store, std::string_view input) {
  try {
    if (store.LoadFromJsonText(text, kPath)) return true;
  } catch (const EFolivaneError& e) {
    if (!Contains(e.what(), kPath)) FuzzFail(std::string("the error does not name the file: ") + e.what(), input);
    return false;
  } catch (const std::exception& e) {
    FuzzFail(std::string("escaped: ") + e.what(), input);
  }
  if (!store.Variables().empty() || !store.Snippets().empty() || !store.Conditions().empty()) {
    FuzzFail("text that is not JSON left entries", input);
  }
  return false;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  const std::string_view input(reinterpret_cast<const char*>(data), size);
  TReusableProjectContent store;
  if (!Load(input, store, input)) return 0;
  for (const auto& v : store.Variables()) {
    if (v.Name.empty() || v.Name != Trim(v.Name)) FuzzFail("a variable name not trimmed: [" + v.Name + "]", input);
  }

  const std::string written = store.ToJsonText();
  TReusableProjectContent again;
  if (!Load(written, again, input)) FuzzFail("the written store does not load:\n" + written, input);
  if (again.ToJsonText() != written)
    FuzzFail("the store changed on the way:\n" + written + "\n" + again.ToJsonText(), input);
  if (again.Variables().size() != store.Variables().size() || again.Snippets().size() != store.Snippets().size() ||
      again.Conditions().size() != store.Conditions().size()) {
    FuzzFail("entries were lost on the way", input);
  }
  return 0;
}
