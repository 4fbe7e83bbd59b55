// Token expansion on any input: no crash, no sanitizer report, and the same result as a
// plain reading of the algorithm (every pass run its full number of times, no shortcuts).
//
// Input: page HTML; when it holds a NUL byte, the text before it is a reusable_content.json
// for the store and the rest the page.
#include <algorithm>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <vector>

#include "uHtmlText.h"
#include "uRegex.h"
#include "uReusableContent.h"
#include "uUtils.h"

namespace {

constexpr unsigned kTok = roIgnoreCase | roDotAll;

TReusableProjectContent FixedStore() {
  TReusableProjectContent store;
  store.Variables() = {{"Product", "A&B <x>"}, {"Version", "4.2"}, {"Brace", "{var:Product}"}};
  store.Conditions() = {{"Pro", true}, {"Lite", false}};
  store.Snippets() = {{"Note", "<b>{var:Version}</b>{begincond:Lite}l{endcond}{begincond:Pro}p{endcond}"},
                      {"Open", "{begincond:Pro}"},
                      {"Self", "[{snip:Self}]"},
                      {"Ping", "ping({snip:Pong}{snip:Note})"},
                      {"Pong", "pong({snip:Ping})"},
                      {"Half", "{sn"},
                      {"Marked", "<span contenteditable=\"false\" title=\"t\">{var:Product}</span>"}};
  return store;
}

std::string RefDecode(const std::string& s) {
  return CachedRegex("&(amp|lt|gt|quot|apos|#[0-9]+|#[xX][0-9a-fA-F]+);").Replace(s, [](const TRegexMatch& m) {
    const std::string e(m.Group(1));
    if (e == "amp") return std::string("&");
    if (e == "lt") return std::string("<");
    if (e == "gt") return std::string(">");
    if (e == "quot") return std::string("\"");
    if (e == "apos") return std::string("'");
    const bool hex = e[1] == 'x' || e[1] == 'X';
    unsigned long cp = 0;
    for (char c : e.substr(hex ? 2 : 1)) {
      const unsigned long digit = c <= '9' ? c - '0' : (c | 0x20) - 'a' + 10;
      cp = std::min(cp * (hex ? 16 : 10) + digit, 0x110000UL);
    }
    if (cp == 0 || cp > 0x10FFFF || (cp >= 0xD800 && cp <= 0xDFFF)) return std::string(m.Group(0));
    std::string out;
    AppendUtf8(out, static_cast<char32_t>(cp));
    return out;
  });
}

std::string RefName(const TRegexMatch& m, const char* group) { return Trim(RefDecode(std::string(m.Group(group)))); }

std::string RefExpand(const TReusableProjectContent& store, const std::string& html, std::vector<std::string> active);

template <typename F>
std::string RefTextRuns(const std::string& html, F replaceRun) {
  std::string out;
  size_t pos = 0;
  while (pos < html.size()) {
    size_t end;
    if (html[pos] == '<') {
      end = html.find('>', pos);
      end = end == std::string::npos ? html.size() : end + 1;
      out += html.substr(pos, end - pos);
    } else {
      end = html.find('<', pos);
      if (end == std::string::npos) end = html.size();
      out += replaceRun(html.substr(pos, end - pos));
    }
    pos = end;
  }
  return out;
}

std::string RefSnippets(const TReusableProjectContent& store, const std::string& html,
                        const std::vector<std::string>& active) {
  return RefTextRuns(html, [&](const std::string& run) {
    return CachedRegex("\\{\\s*snip\\s*:\\s*(?<name>[^\\}]+?)\\s*\\}", kTok).Replace(run, [&](const TRegexMatch& m) {
      const std::string name = RefName(m, "name");
      const std::string snippet = store.SnippetHtml(name, "");
      for (const std::string& a : active) {
        if (a == AsciiUpper(name)) return std::string();
      }
      std::vector<std::string> inner = active;
      inner.push_back(AsciiUpper(name));
      return RefExpand(store, snippet, inner);
    });
  });
}

std::string RefConditions(const TReusableProjectContent& store, std::string t) {
  const std::string blocks = "<(?<tag>p|div|section|article|li|blockquote|h[1-6]|tr|td|th)\\b(?<attrs>[^>]*)>\\s*";
  t = CachedRegex(blocks + "(?<token>\\{\\s*begincond\\s*:\\s*[^\\}]+?\\s*\\})\\s*</\\k<tag>>", kTok)
          .ReplaceAll(t, "${token}");
  t = CachedRegex(blocks + "(?<token>\\{\\s*endcond\\s*(?::\\s*[^\\}]+?\\s*)?\\})\\s*</\\k<tag>>", kTok)
          .ReplaceAll(t, "${token}");
  for (int i = 0; i < 20; ++i) {
    t = CachedRegex(
            "\\{\\s*begincond\\s*:\\s*(?<name>[^\\}]+?)\\s*\\}(?<body>.*?)"
            "\\{\\s*endcond\\s*:\\s*(?<endname>[^\\}]+?)\\s*\\}",
            kTok)
            .Replace(t, [&](const TRegexMatch& m) {
              const std::string name = RefName(m, "name");
              if (!SameTextAscii(name, RefName(m, "endname"))) return std::string(m.Group(0));
              return store.ConditionEnabled(name, false) ? std::string(m.Group("body")) : std::string();
            });
    t = CachedRegex("\\{\\s*begincond\\s*:\\s*(?<name>[^\\}]+?)\\s*\\}(?<body>.*?)\\{\\s*endcond\\s*\\}", kTok)
            .Replace(t, [&](const TRegexMatch& m) {
              return store.ConditionEnabled(RefName(m, "name"), false) ? std::string(m.Group("body")) : std::string();
            });
  }
  return CachedRegex("\\{\\s*begincond\\s*:\\s*[^\\}]+?\\s*\\}|\\{\\s*endcond\\s*(?::\\s*[^\\}]+?\\s*)?\\}", kTok)
      .ReplaceAll(t, "");
}

std::string RefExpand(const TReusableProjectContent& store, const std::string& html, std::vector<std::string> active) {
  if (html.empty()) return html;
  std::string t = html;
  for (int i = 0; i < 10; ++i) t = RefSnippets(store, t, active);
  for (int i = 0; i < 10; ++i) t = RefConditions(store, t);
  t = RefTextRuns(t, [&](const std::string& run) {
    return CachedRegex("\\{\\s*var\\s*:\\s*(?<name>[^\\}]+?)\\s*\\}", kTok).Replace(run, [&](const TRegexMatch& m) {
      return EncodeHtmlText(store.VariableValue(RefName(m, "name"), ""));
    });
  });
  t = CachedRegex("\\sstyle=\"[^\">]*(border\\s*:\\s*1px\\s+dashed|background\\s*:\\s*#eef5ff)[^\">]*\"", roIgnoreCase)
          .ReplaceAll(t, "");
  t = CachedRegex("\\scontenteditable=\"false\"", roIgnoreCase).ReplaceAll(t, "");
  return CachedRegex("\\stitle=\"[^\"]*\"", roIgnoreCase).ReplaceAll(t, "");
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  static const TReusableProjectContent fixed = FixedStore();
  std::string input(reinterpret_cast<const char*>(data), size);
  TReusableProjectContent custom;
  const TReusableProjectContent* store = &fixed;
  const size_t nul = input.find('\0');
  if (nul != std::string::npos) {
    try {
      custom.LoadFromJsonText(SanitizeUtf8(input.substr(0, nul)));
    } catch (const EFolivaneError&) {
      return 0;
    }
    // Snippets that insert each other many times grow without end by design; keep the
    // custom stores small so the reference, which has no such guard, stays quick.
    if (custom.Snippets().size() > 4) return 0;
    store = &custom;
    input = input.substr(nul + 1);
  }

  std::string expanded;
  try {
    expanded = ExpandReusableContent(*store, input);
  } catch (const EFolivaneError&) {
    return 0;  // refused: a page that expands beyond the size limit
  }
  const std::string reference = RefExpand(*store, input, {});
  if (expanded != reference) {
    std::fprintf(stderr, "expansion differs\ninput:     %s\nexpanded:  %s\nreference: %s\n", input.c_str(),
                 expanded.c_str(), reference.c_str());
    std::abort();
  }
  return 0;
}
