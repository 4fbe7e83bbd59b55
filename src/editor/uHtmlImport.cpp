#include "uHtmlImport.h"

#include <iconv.h>
#include <cerrno>

#include <vector>

#include "uAssetImport.h"
#include "uHtmlText.h"
#include "uRegex.h"
#include "uUtils.h"

namespace {

constexpr unsigned kOpts = roIgnoreCase | roDotAll;

const TRegex& Rx(const std::string& pattern) { return CachedRegex(pattern, kOpts); }

// Attribute values as the page wrote them may hold entities; they are read as text
// first so that writing them back escapes them exactly once.
std::string DecodeAttrEntities(std::string_view value) {
  if (value.find('&') == std::string_view::npos) return std::string(value);
  std::string s = ReplaceAllText(value, "&quot;", "\"");
  s = ReplaceAllText(s, "&#39;", "'");
  s = ReplaceAllText(s, "&lt;", "<");
  s = ReplaceAllText(s, "&gt;", ">");
  return ReplaceAllText(s, "&amp;", "&");
}

// The text of the first group among [first, last] that took part in the match.
std::string FirstMatchedGroup(const TRegexMatch& m, int first, int last) {
  for (int g = first; g <= last && g < m.GroupCount(); ++g)
    if (m.Matched(g)) return std::string(m.Group(g));
  return "";
}

int HexValue(char c) {
  if (c >= '0' && c <= '9') return c - '0';
  if (c >= 'a' && c <= 'f') return c - 'a' + 10;
  if (c >= 'A' && c <= 'F') return c - 'A' + 10;
  return -1;
}

std::string DropUtf8Bom(std::string text) {
  if (StartsWith(text, "\xEF\xBB\xBF")) text.erase(0, 3);
  return text;
}

std::string Windows1252ToUtf8(const std::string& bytes) {
  iconv_t cd = iconv_open("UTF-8", "WINDOWS-1252");
  if (cd == reinterpret_cast<iconv_t>(-1)) throw EFolivaneError("The Windows-1252 converter is not available.");
  std::string out;
  out.reserve(bytes.size() * 2);
  char* in = const_cast<char*>(bytes.data());
  size_t inLeft = bytes.size();
  char buf[4096];
  while (inLeft > 0) {
    char* outPtr = buf;
    size_t outLeft = sizeof buf;
    const size_t rc = iconv(cd, &in, &inLeft, &outPtr, &outLeft);
    out.append(buf, static_cast<size_t>(outPtr - buf));
    if (rc == static_cast<size_t>(-1) && errno != E2BIG) {
      // The five bytes that Windows-1252 leaves undefined.
      out += "\xEF\xBF\xBD";
      ++in;
      --inLeft;
    }
  }
  iconv_close(cd);
  return out;
}

}  // namespace

bool IsNonLocalUrl(std::string_view url) {
  const std::string u = AsciiLower(Trim(url));
  if (u.empty()) return true;
  for (const char* prefix : {"http:", "https:", "data:", "mailto:", "doc:", "//", "#", "javascript:", "tel:", "cid:"})
    if (StartsWith(u, prefix)) return true;
  return false;
}

std::string StripQueryAndFragment(std::string_view url) {
  std::string s = Trim(url);
  if (const size_t hash = s.find('#'); hash != std::string::npos) s.erase(hash);
  if (const size_t query = s.find('?'); query != std::string::npos) s.erase(query);
  return s;
}

std::string PercentDecodeUrl(std::string_view text) {
  std::string out;
  out.reserve(text.size());
  for (size_t i = 0; i < text.size(); ++i) {
    const char c = text[i];
    if (c == '+') {
      out += ' ';
    } else if (c == '%' && i + 2 < text.size() + 0 && HexValue(text[i + 1]) >= 0 && HexValue(text[i + 2]) >= 0) {
      out += static_cast<char>(HexValue(text[i + 1]) * 16 + HexValue(text[i + 2]));
      i += 2;
    } else {
      out += c;
    }
  }
  return SanitizeUtf8(out);
}

std::string GetAttr(std::string_view tag, const std::string& name) {
  TRegexMatch m;
  if (!Rx("\\b" + name + "\\s*=\\s*(?:\"([^\"]*)\"|'([^']*)'|([^\\s>]+))").Search(tag, m)) return "";
  return FirstMatchedGroup(m, 1, 3);
}

bool IsStylesheetRel(std::string_view rel) {
  const std::string lower = AsciiLower(rel);
  size_t i = 0;
  while (i < lower.size()) {
    while (i < lower.size() && std::string_view(" \t\r\n").find(lower[i]) != std::string_view::npos) ++i;
    size_t j = i;
    while (j < lower.size() && std::string_view(" \t\r\n").find(lower[j]) == std::string_view::npos) ++j;
    if (j > i && lower.compare(i, j - i, "stylesheet") == 0) return true;
    i = j;
  }
  return false;
}

std::string FlattenLayouts(std::string_view css) {
  const std::string noFlex = Rx("display\\s*:\\s*(inline-)?flex\\b").ReplaceAll(css, "display: block");
  return Rx("display\\s*:\\s*(inline-)?grid\\b").ReplaceAll(noFlex, "display: block");
}

std::string BodyAttributesDiv(std::string_view text) {
  TRegexMatch m;
  if (!Rx("<body\\b[^>]*>").Search(text, m)) return "";
  const std::string_view tag = m.Group(0);
  std::string attrs;
  for (const char* name : {"class", "style", "lang", "dir"}) {
    const std::string value = DecodeAttrEntities(GetAttr(tag, name));
    if (!value.empty()) attrs += std::string(" ") + name + "=\"" + EncodeHtmlText(value) + "\"";
  }
  return attrs.empty() ? "" : "<div" + attrs + ">";
}

std::string ExtractImportableBody(std::string_view text) {
  std::string s = Rx("<!doctype[^>]*>").ReplaceAll(text, "");
  s = Rx("<script\\b[^>]*>.*?</script>").ReplaceAll(s, "");
  s = Rx("<title\\b[^>]*>.*?</title>").ReplaceAll(s, "");
  const std::string lower = AsciiLower(s);
  if (const size_t body = lower.find("<body"); body != std::string::npos) {
    if (const size_t gt = lower.find('>', body); gt != std::string::npos) {
      const size_t end = lower.find("</body", gt + 1);
      s = s.substr(gt + 1, end == std::string::npos ? std::string::npos : end - gt - 1);
    }
  } else {
    s = Rx("<html\\b[^>]*>").ReplaceAll(s, "");
    s = Rx("</html>").ReplaceAll(s, "");
    s = Rx("<head\\b[^>]*>.*?</head>").ReplaceAll(s, "");
  }
  s = Rx("<style\\b[^>]*>.*?</style>").ReplaceAll(s, "");
  s = Rx("<link\\b[^>]*>").ReplaceAll(s, "");
  s = Rx("<meta\\b[^>]*>").ReplaceAll(s, "");
  return Trim(s);
}

std::string ReplaceHtml5Elements(std::string_view body) {
  const std::string block =
      "section|article|main|aside|header|footer|nav|figure|figcaption|dialog|details|summary|hgroup";
  const std::string inlineNames = "time|mark|output|meter|progress";
  std::string s = Rx("<\\s*(" + block + ")\\b([^>]*)>").ReplaceAll(body, "<div$2>");
  s = Rx("</\\s*(" + block + ")\\s*>").ReplaceAll(s, "</div>");
  s = Rx("<\\s*(" + inlineNames + ")\\b([^>]*)>").ReplaceAll(s, "<span$2>");
  s = Rx("</\\s*(" + inlineNames + ")\\s*>").ReplaceAll(s, "</span>");
  s = Rx("<\\s*picture\\b[^>]*>").ReplaceAll(s, "");
  s = Rx("</\\s*picture\\s*>").ReplaceAll(s, "");
  s = Rx("<template\\b[^>]*>.*?</template>").ReplaceAll(s, "");
  return Trim(s);
}

std::string CssUrlEscape(std::string_view s) { return ReplaceAll(ReplaceAll(s, "\\", "/"), "\"", "\\\""); }

std::string ReadTextUtf8OrAnsi(const std::string& path) {
  std::string bytes = ReadBinaryFile(path);
  if (!IsValidUtf8(bytes)) bytes = Windows1252ToUtf8(bytes);
  return DropUtf8Bom(std::move(bytes));
}

bool IsHiddenImportPath(const std::string& path, const std::string& baseFolder) {
  std::string_view rest = path;
  const std::string prefix = IncludeTrailingDelimiter(baseFolder);
  if (!baseFolder.empty() && StartsWith(rest, prefix)) rest.remove_prefix(prefix.size());
  for (const std::string& part : SplitString(rest, '/'))
    if (!part.empty() && part[0] == '.') return true;
  return false;
}

// --- THtmlImporter --------------------------------------------------------------

THtmlImporter::THtmlImporter(std::string projectFolder, const std::string& htmlFile)
    : FProjectFolder(std::move(projectFolder)),
      FHtmlFile(ExpandFileName(htmlFile)),
      FBaseFolder(ExtractFileDir(FHtmlFile)) {}

std::string THtmlImporter::BuildFragment() {
  const std::string text = ReadTextUtf8OrAnsi(FHtmlFile);
  const std::string head = CollectStyleSheets(text);
  const std::string wrapper = BodyAttributesDiv(text);
  std::string body = ReplaceHtml5Elements(LocalizeBodyAssets(ExtractImportableBody(text)));
  if (!wrapper.empty()) body = wrapper + body + "</div>";
  return head + body;
}

bool THtmlImporter::IsCopyable(const std::string& path) const {
  return FileExists(path) && !IsHiddenImportPath(path, FBaseFolder);
}

std::string THtmlImporter::ResolveLocalPath(std::string_view url) const {
  const std::string s = StripQueryAndFragment(url);
  if (s.empty()) return "";
  if (StartsWithText(s, "file:///")) return ExpandFileName(PercentDecodeUrl(s.substr(7)));
  const std::string p = ReplaceAll(PercentDecodeUrl(s), "\\", "/");
  if (p.empty()) return "";
  if (p[0] == '/') {
    const std::string rooted = ExpandFileName(p);
    if (FileExists(rooted)) return rooted;
    // Site-root references ("/img/a.png") are looked for beside the page.
    return ExpandFileName(PathJoin(FBaseFolder, p.substr(1)));
  }
  return ExpandFileName(FBaseFolder + "/" + p);
}

std::string THtmlImporter::ResolveCssPath(std::string_view url, const std::string& folder) const {
  const std::string s = StripQueryAndFragment(url);
  if (s.empty()) return "";
  if (StartsWithText(s, "file:///")) return ExpandFileName(PercentDecodeUrl(s.substr(7)));
  const std::string p = ReplaceAll(PercentDecodeUrl(s), "\\", "/");
  if (p.empty()) return "";
  if (p[0] == '/') return ExpandFileName(p);
  return ExpandFileName(folder + "/" + p);
}

std::string THtmlImporter::StyleSheetUrl(const std::string& path) {
  if (const auto it = FStyleSheets.find(path); it != FStyleSheets.end()) return it->second;
  TAssetTarget target;
  if (!IsCopyable(path) || !CssAssetTarget(FProjectFolder, path, target)) return "";
  // Entered before it is processed, so a cycle of @import rules ends.
  FStyleSheets[path] = target.Url;
  LocalizeStyleSheet(path, target.TargetPath);
  return target.Url;
}

std::string THtmlImporter::CollectStyleSheets(std::string_view text) {
  std::string out;
  for (const TRegexMatch& m : Rx("<link\\b[^>]*>").FindAll(text)) {
    const std::string rel = GetAttr(m.Group(0), "rel");
    const std::string href = DecodeAttrEntities(GetAttr(m.Group(0), "href"));
    if (href.empty() || !IsStylesheetRel(rel)) continue;
    std::string ref = href;
    if (!IsNonLocalUrl(href)) {
      const std::string path = ResolveLocalPath(href);
      if (!path.empty() && FileExists(path)) {
        const std::string url = StyleSheetUrl(path);
        if (!url.empty()) ref = url;
      }
    }
    out += "<link rel=\"stylesheet\" href=\"" + EncodeHtmlText(ref) + "\">\r\n";
  }
  for (const TRegexMatch& m : Rx("<style\\b[^>]*>.*?</style>").FindAll(text))
    out += FlattenLayouts(m.Group(0)) + "\r\n";
  return out;
}

void THtmlImporter::LocalizeStyleSheet(const std::string& source, const std::string& target) {
  const std::string folder = ExtractFileDir(source);
  const std::string text = ReadTextUtf8OrAnsi(source);
  std::vector<std::pair<std::string, std::string>> placeholders;
  int k = 0;
  std::string css =
      Rx("@import\\s+(?:url\\(\\s*(?:\"([^\"]*)\"|'([^']*)'|([^\\)\\s]+))\\s*\\)|\"([^\"]*)\"|'([^']*)')([^;]*);")
          .Replace(text, [&](const TRegexMatch& m) {
            const std::string u = FirstMatchedGroup(m, 1, 5);
            std::string ref = u;
            if (!IsNonLocalUrl(u)) {
              const std::string path = ResolveCssPath(u, folder);
              if (!path.empty() && FileExists(path)) {
                const std::string url = StyleSheetUrl(path);
                ref = url.empty() ? u : url;
                if (StartsWithText(ref, "assets/css/")) ref.erase(0, 11);
              }
            }
            const std::string placeholder = "__FV_IMPORT_URL_" + std::to_string(k++) + "__";
            placeholders.emplace_back(placeholder, CssUrlEscape(ref));
            std::string media = Trim(m.Matched(6) ? m.Group(6) : std::string_view());
            if (!media.empty()) media = " " + media;
            return "@import url(\"" + placeholder + "\")" + media + ";";
          });
  css = Rx("url\\(\\s*(?:\"([^\"]*)\"|'([^']*)'|([^\\)\\s]+))\\s*\\)").Replace(css, [&](const TRegexMatch& m) {
    const std::string u = FirstMatchedGroup(m, 1, 3);
    std::string ref = u;
    const bool isPlaceholder = StartsWith(u, "__FV_IMPORT_URL_");
    if (!isPlaceholder && !IsNonLocalUrl(u)) {
      const std::string path = ResolveCssPath(u, folder);
      TAssetTarget copy;
      if (!path.empty() && IsCopyable(path) && CssAssetTarget(FProjectFolder, path, copy)) {
        CopyFileNoOverwrite(path, copy.TargetPath);
        ref = ExtractFileName(copy.TargetPath);
      }
    }
    return "url(\"" + CssUrlEscape(ref) + "\")";
  });
  for (const auto& [placeholder, value] : placeholders) css = ReplaceAll(css, placeholder, value);
  WriteTextFileUtf8Bom(target, FlattenLayouts(css));
}

std::string THtmlImporter::LocalizeAssetUrl(const std::string& url) {
  if (IsNonLocalUrl(url)) return url;
  const std::string path = ResolveLocalPath(url);
  if (path.empty() || !FileExists(path)) return url;
  if (const auto it = FBodyAssets.find(path); it != FBodyAssets.end()) return it->second;
  TAssetTarget target;
  if (!IsCopyable(path) || !AssetTargetByExtension(FProjectFolder, path, target)) return url;
  CopyFileNoOverwrite(path, target.TargetPath);
  FBodyAssets[path] = target.Url;
  return target.Url;
}

std::string THtmlImporter::LocalizeSrcset(const std::string& value) {
  std::string out;
  for (const std::string& rawPart : SplitString(value, ',')) {
    const std::string part = Trim(rawPart);
    if (part.empty()) continue;
    const size_t space = part.find(' ');
    const std::string url = space == std::string::npos ? part : part.substr(0, space);
    const std::string descriptor = space == std::string::npos ? "" : Trim(part.substr(space));
    if (!out.empty()) out += ", ";
    out += LocalizeAssetUrl(url);
    if (!descriptor.empty()) out += " " + descriptor;
  }
  return out;
}

std::string THtmlImporter::LocalizeBodyAssets(std::string_view body) {
  const std::string sources =
      Rx("(<(?:img|source|video|audio|track|embed|object|iframe)\\b[^>]*?\\b(?:src|poster|data)\\s*=\\s*)"
         "(?:\"([^\"]*)\"|'([^']*)'|([^\\s>]+))")
          .Replace(body, [&](const TRegexMatch& m) {
            return std::string(m.Group(1)) + "\"" +
                   EncodeHtmlText(LocalizeAssetUrl(DecodeAttrEntities(FirstMatchedGroup(m, 2, 4)))) + "\"";
          });
  return Rx("(<(?:img|source)\\b[^>]*?\\bsrcset\\s*=\\s*)(?:\"([^\"]*)\"|'([^']*)'|([^\\s>]+))")
      .Replace(sources, [&](const TRegexMatch& m) {
        return std::string(m.Group(1)) + "\"" +
               EncodeHtmlText(LocalizeSrcset(DecodeAttrEntities(FirstMatchedGroup(m, 2, 4)))) + "\"";
      });
}

std::string ImportHtmlFragment(const std::string& projectFolder, const std::string& htmlFile) {
  return THtmlImporter(projectFolder, htmlFile).BuildFragment();
}
