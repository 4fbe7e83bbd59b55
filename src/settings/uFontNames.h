// Font family names as a browser reads them, and the project font's fallback stack.
#pragma once

#include <string>
#include <vector>

// The family name without the foundry Qt appends to tell apart fonts of one name
// ("Nimbus Sans [URW ]" gives "Nimbus Sans"), trimmed; browsers know only the family.
std::string BrowserFontFamily(const std::string& qtFamily);

// The families of a font list as browsers name them: foundries removed, each name once
// (letter case ignored, the first spelling kept), sorted ignoring letter case.
std::vector<std::string> BrowserFontFamilies(const std::vector<std::string>& qtFamilies);

// The CSS font-family value for the project's font: the family quoted, then fonts found
// on Windows, Linux and macOS, ending in the generic sans-serif, so a reader lacking the
// font never gets a serif one. The name goes through BrowserFontFamily; an empty one
// stands for "Segoe UI". It is escaped for a double-quoted CSS string.
std::string ProjectFontStack(const std::string& fontName);
