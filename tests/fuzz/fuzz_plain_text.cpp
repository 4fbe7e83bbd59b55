// The search text of any input: no crash, no sanitizer report, and on valid UTF-8 the same
// result as the regular-expression steps it stands for.
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <string>

#include "uHtmlText.h"
#include "uHtmlUtils.h"
#include "uRegex.h"
#include "uTopicHtmlDefaults.h"
#include "uUtils.h"

namespace {

std::string Reference(const std::string& html) {
  std::string t = CachedRegex("<(script|style)[^>]*>.*?</\\1>", roIgnoreCase | roDotAll).ReplaceAll(html, " ");
  t = CachedRegex("<[^>]+>").ReplaceAll(t, " ");
  for (const auto& [entity, text] :
       {std::pair{"&nbsp;", " "}, {"&amp;", "&"}, {"&lt;", "<"}, {"&gt;", ">"}, {"&quot;", "\""}, {"&#39;", "'"}}) {
    t = ReplaceAllText(t, entity, text);
  }
  t = CachedRegex("\\s+").ReplaceAll(t, " ");
  return Trim(t);
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  const std::string input(reinterpret_cast<const char*>(data), size);
  const std::string text = HtmlToPlainText(input);
  if (IsValidUtf8(input)) {
    const std::string reference = Reference(input);
    if (text != reference) {
      std::fprintf(stderr, "plain text differs\ninput:     %s\nfast:      %s\nreference: %s\n", input.c_str(),
                   text.c_str(), reference.c_str());
      std::abort();
    }
  }
  // The other text helpers on the same input: they must simply not fail.
  ExtractDocLinkIds(input);
  RewriteDocLinks(input, [](const std::string& id) { return id.substr(0, 3); });
  NeutraliseWhiteBackgrounds(input, TPublishForm::WebHelp);
  RewriteAssetPaths(input, TPublishForm::Chm);
  IsBodyEmpty(input);
  IsDefaultLikeHeader(input, "Title", "Project");
  return 0;
}
