#include "uFontNames.h"

#include <algorithm>
#include <cctype>
#include <unordered_set>

#include "uUtils.h"

namespace {

// Found on nearly every reader's system: Windows, then Linux (metric clones of Arial),
// then macOS; the generic family comes last.
const char* const kFallbackFamilies[] = {"Arial", "Liberation Sans", "Nimbus Sans", "Helvetica"};

// The name inside a double-quoted CSS string: a backslash before quotes and backslashes,
// control characters (which end a CSS string) as spaces.
std::string CssStringContent(const std::string& text) {
  std::string out;
  out.reserve(text.size());
  for (char c : text) {
    if (c == '"' || c == '\\') out += '\\';
    out += static_cast<unsigned char>(c) < 0x20 ? ' ' : c;
  }
  return out;
}

std::string Quoted(const std::string& family) {
  return family.find(' ') == std::string::npos && !family.empty() &&
                 std::all_of(family.begin(), family.end(),
                             [](char c) { return std::isalnum(static_cast<unsigned char>(c)) || c == '-'; })
             ? family
             : "\"" + CssStringContent(family) + "\"";
}

}  // namespace

std::string BrowserFontFamily(const std::string& qtFamily) {
  std::string name = Trim(qtFamily);
  if (!name.empty() && name.back() == ']') {
    const size_t open = name.rfind('[');
    if (open != std::string::npos && open > 0) name = Trim(name.substr(0, open));
  }
  return name;
}

std::vector<std::string> BrowserFontFamilies(const std::vector<std::string>& qtFamilies) {
  std::vector<std::string> names;
  std::unordered_set<std::string> seen;
  for (const std::string& family : qtFamilies) {
    std::string name = BrowserFontFamily(family);
    if (!name.empty() && seen.insert(AsciiLower(name)).second) names.push_back(std::move(name));
  }
  std::stable_sort(names.begin(), names.end(),
                   [](const std::string& a, const std::string& b) { return AsciiLower(a) < AsciiLower(b); });
  return names;
}

std::string ProjectFontStack(const std::string& fontName) {
  std::string family = BrowserFontFamily(fontName);
  if (family.empty()) family = "Segoe UI";
  std::string stack = "\"" + CssStringContent(family) + "\"";
  for (const char* fallback : kFallbackFamilies) {
    if (SameTextAscii(family, fallback)) continue;
    stack += ", ";
    stack += Quoted(fallback);
  }
  return stack + ", sans-serif";
}
