// The translation pieces of any page: no crash, no sanitizer report; unchanged pieces give
// the page back byte for byte, every piece's content comes back unchanged through the
// XLIFF file, and a translation that changes only the text keeps every tag. Any input is
// also read as an XLIFF file, which may fail only with a message.
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <string>

#include "uUtils.h"
#include "uXliffFile.h"
#include "uXliffSegments.h"

namespace {

void Fail(const char* what, const std::string& input) {
  std::fprintf(stderr, "%s\ninput: %s\n", what, input.c_str());
  std::abort();
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  const std::string input(reinterpret_cast<const char*>(data), size);
  try {
    ReadXliff(input, "input.xlf");
  } catch (const EFolivaneError&) {
  }
  const std::string page = SanitizeUtf8(input);
  const std::vector<TXliffSegment> segments = SegmentHtml(page);
  std::vector<std::string> same, changed;
  TXliffDocument document{"en", "de", "", {}};
  for (const TXliffSegment& segment : segments) {
    same.push_back(RebuildHtml(segment, segment.content));
    TXliffContent upper = segment.content;
    for (TXliffRun& run : upper) {
      if (run.kind == TXliffRun::TKind::Text) run.value = "[" + run.value + "]";
    }
    changed.push_back(RebuildHtml(segment, upper));
    document.units.push_back(
        {"u" + std::to_string(document.units.size()), "", segment.content, std::nullopt, segment.codes, ""});
  }
  std::vector<const std::string*> sameRefs, changedRefs;
  for (size_t i = 0; i < segments.size(); ++i) {
    sameRefs.push_back(&same[i]);
    changedRefs.push_back(&changed[i]);
  }
  if (ReplaceSegments(page, segments, sameRefs) != page) Fail("unchanged pieces changed the page", page);
  const TXliffDocument read = ReadXliff(WriteXliff(document), "written.xlf");
  if (read.units.size() != document.units.size()) Fail("units lost in the XLIFF file", page);
  for (size_t i = 0; i < read.units.size(); ++i) {
    if (read.units[i].source != document.units[i].source) Fail("a piece changed in the XLIFF file", page);
  }
  // Bracketing the text adds no piece and changes no code.
  const std::vector<TXliffSegment> again = SegmentHtml(ReplaceSegments(page, segments, changedRefs));
  if (again.size() != segments.size()) Fail("a changed text changed the pieces", page);
  for (size_t i = 0; i < again.size(); ++i) {
    if (again[i].codes.size() != segments[i].codes.size()) Fail("a changed text changed the codes", page);
    for (size_t c = 0; c < again[i].codes.size(); ++c) {
      if (again[i].codes[c].open != segments[i].codes[c].open || again[i].codes[c].close != segments[i].codes[c].close)
        Fail("a changed text changed a tag", page);
    }
  }
  return 0;
}
