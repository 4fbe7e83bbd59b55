// The HTML import over any page: the importer gives a UTF-8 fragment or raises
// EFolivaneError, nothing else escapes, and the textual passes keep their promises
// (the body's wrapper is one well-formed div, flattening layouts twice changes nothing,
// decoded references are UTF-8 without query or fragment).
//
// Input: the page's bytes; when they hold a NUL byte, the bytes after it are a style
// sheet beside the page (style.css) that is localised as well.
#include <cstdint>
#include <string>

#include "FuzzSupport.h"
#include "uHtmlImport.h"
#include "uRegex.h"

namespace {

template <typename F>
void Run(F step, std::string_view input) {
  try {
    step();
  } catch (const EFolivaneError& e) {
    if (std::string(e.what()).empty()) FuzzFail("an error without a message", input);
  } catch (const std::exception& e) {
    FuzzFail(std::string("escaped: ") + e.what(), input);
  }
}

void CheckUtf8(const std::string& text, const char* what, std::string_view input) {
  if (!IsValidUtf8(text)) FuzzFail(std::string(what) + " is not UTF-8:\n" + text, input);
}

void CheckTextPasses(const std::string& text, std::string_view input) {
  const std::string wrapper = BodyAttributesDiv(text);
  static const TRegex wellFormed("^<div(?: (?:class|style|lang|dir)=\"[^\"<>]*\")+>$", roDotAll);
  if (!wrapper.empty() && !wellFormed.IsMatch(wrapper)) FuzzFail("a broken wrapper: " + wrapper, input);
  CheckUtf8(wrapper, "the wrapper", input);

  const std::string body = ExtractImportableBody(text);
  CheckUtf8(body, "the body", input);
  CheckUtf8(ReplaceHtml5Elements(body), "the rewritten body", input);
  const std::string flat = FlattenLayouts(text);
  if (FlattenLayouts(flat) != flat) FuzzFail("flattening twice changed the text", input);

  for (const char* name : {"href", "src", "rel"}) {
    const std::string value = GetAttr(text, name);
    const std::string decoded = PercentDecodeUrl(value);
    CheckUtf8(decoded, "a decoded reference", input);
    const std::string bare = StripQueryAndFragment(decoded);
    if (bare.find_first_of("?#") != std::string::npos) FuzzFail("a query or fragment stayed: " + bare, input);
    IsNonLocalUrl(value);
    IsStylesheetRel(value);
    CssUrlEscape(value);
  }
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  const std::string_view input(reinterpret_cast<const char*>(data), size);
  const std::string project = ScratchPath("project");
  const std::string page = ScratchPath("site/page.html");
  const std::string sheet = ScratchPath("site/style.css");
  const size_t nul = input.find('\0');
  WriteScratchFile(page, input.substr(0, nul));
  if (nul == std::string_view::npos) DeleteFileIfExists(sheet);
  else WriteScratchFile(sheet, input.substr(nul + 1));

  Run([&] { CheckUtf8(ImportHtmlFragment(project, page), "the fragment", input); }, input);
  Run([&] { CheckTextPasses(ReadTextUtf8OrAnsi(page), input); }, input);
  if (nul != std::string_view::npos) {
    Run(
        [&] {
          const std::string target = project + "/assets/css/out.css";
          THtmlImporter(project, page).LocalizeStyleSheet(sheet, target);
          CheckUtf8(ReadBinaryFile(target), "the localised style sheet", input);
        },
        input);
  }
  // Copies of whatever the page referred to go with the input.
  DeleteFolderTree(project);
  return 0;
}
