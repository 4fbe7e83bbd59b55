#include "uChmNames.h"

#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <cstdio>
#include <cstring>
#include <filesystem>
#include <memory>
#include <mutex>

#include <unicode/translit.h>
#include <unicode/unistr.h>

#include "uContainment.h"
#include "uRegex.h"
#include "uUtils.h"

namespace fs = std::filesystem;

namespace {

constexpr size_t kMaxNameBytes = 200;  // room for "_<n>" and for the temporary names of copies

bool IsChmSafeByte(unsigned char c) { return c >= 0x20 && c <= 0x7E; }

// ICU's transliteration to Latin, then to ASCII ("схема" -> "shema", "中文" -> "zhong wen").
std::string Transliterated(const std::string& text) {
  static std::mutex lock;
  static std::unique_ptr<icu::Transliterator> toAscii = [] {
    UErrorCode status = U_ZERO_ERROR;
    std::unique_ptr<icu::Transliterator> t(
        icu::Transliterator::createInstance("Any-Latin; Latin-ASCII", UTRANS_FORWARD, status));
    return U_FAILURE(status) ? nullptr : std::move(t);
  }();
  if (!toAscii) return text;  // without ICU's data every such character becomes "_" below
  icu::UnicodeString s = icu::UnicodeString::fromUTF8(text);
  {
    std::lock_guard<std::mutex> guard(lock);
    toAscii->transliterate(s);
  }
  std::string out;
  s.toUTF8String(out);
  return out;
}

// One "_" for each character that is still not printable ASCII.
std::string AsciiOnly(const std::string& text) {
  std::string out;
  for (const char c : text) {
    const auto b = static_cast<unsigned char>(c);
    if (IsChmSafeByte(b)) out += c;
    else if ((b & 0xC0) != 0x80) out += '_';  // the continuation bytes of a sequence add nothing
  }
  return out;
}

// "name_2.ext" for "name.ext" and 2.
std::string Numbered(const std::string& name, int n) {
  const std::string ext = ExtractFileExt(name);
  return name.substr(0, name.size() - ext.size()) + "_" + std::to_string(n) + ext;
}

std::string Parent(const std::string& rel) {
  const size_t slash = rel.rfind('/');
  return slash == std::string::npos ? std::string() : rel.substr(0, slash);
}

std::string Join(const std::string& folder, const std::string& name) {
  return folder.empty() ? name : folder + "/" + name;
}

int HexValue(char c) {
  if (c >= '0' && c <= '9') return c - '0';
  if (c >= 'a' && c <= 'f') return c - 'a' + 10;
  if (c >= 'A' && c <= 'F') return c - 'A' + 10;
  return -1;
}

// A reference as a file name: entities an editor writes into attributes and %XX escapes decoded.
std::string DecodedReference(const std::string& value) {
  const std::string text = ReplaceAll(ReplaceAll(value, "&amp;", "&"), "&#39;", "'");
  std::string out;
  for (size_t i = 0; i < text.size(); ++i) {
    if (text[i] == '%' && i + 2 < text.size() && HexValue(text[i + 1]) >= 0 && HexValue(text[i + 2]) >= 0) {
      out += static_cast<char>(HexValue(text[i + 1]) * 16 + HexValue(text[i + 2]));
      i += 2;
    } else {
      out += text[i];
    }
  }
  return out;
}

// value = path + a query or fragment ("a.png?x#y").
std::pair<std::string, std::string> SplitSuffix(const std::string& value) {
  const size_t at = value.find_first_of("?#");
  if (at == std::string::npos) return {value, ""};
  return {value.substr(0, at), value.substr(at)};
}

bool IsLocalCssReference(const std::string& ref) {
  if (ref.empty() || ref[0] == '/' || ref[0] == '#') return false;
  const size_t colon = ref.find(':');
  return colon == std::string::npos || ref.find('/') < colon;  // "data:", "http:" and the like are not
}

}  // namespace

std::string AsciiTransliteration(const std::string& text) { return AsciiOnly(Transliterated(text)); }

bool IsChmSafeName(const std::string& name) {
  return std::all_of(name.begin(), name.end(), [](char c) { return IsChmSafeByte(static_cast<unsigned char>(c)); });
}

std::string ChmAsciiName(const std::string& name) {
  if (IsChmSafeName(name)) return name;
  std::string ext = AsciiOnly(Transliterated(ExtractFileExt(name)));
  std::string base = AsciiOnly(Transliterated(name.substr(0, name.size() - ExtractFileExt(name).size())));
  if (ext.size() > 20) ext.clear();
  if (base.size() + ext.size() > kMaxNameBytes) base.resize(kMaxNameBytes - ext.size());
  std::string out = base + ext;
  if (out.empty() || out == "." || out == "..") out = "_" + out;  // never a step up or a name of nothing
  return out;
}

TChmAssetNames::TChmAssetNames(const std::vector<std::string>& files) {
  // Every folder's entries, so safe names are reserved before any folded name is given out.
  std::map<std::string, std::vector<std::string>> entries;
  for (const std::string& file : files) {
    for (std::string rel = file; !rel.empty(); rel = Parent(rel)) {
      std::vector<std::string>& list = entries[Parent(rel)];
      const std::string name = ExtractFileName(rel);
      if (std::find(list.begin(), list.end(), name) == list.end()) list.push_back(name);
    }
  }
  std::vector<std::string> folders;
  for (auto& [folder, names] : entries) {
    std::sort(names.begin(), names.end());
    folders.push_back(folder);
  }
  // Parents before their children: by depth, then by name.
  std::sort(folders.begin(), folders.end(), [](const std::string& a, const std::string& b) {
    const auto depth = [](const std::string& s) { return s.empty() ? 0 : std::count(s.begin(), s.end(), '/') + 1; };
    return depth(a) != depth(b) ? depth(a) < depth(b) : a < b;
  });
  FMapped[""] = "";
  for (const std::string& folder : folders) {
    const std::string mapped = FMapped[folder];
    std::vector<std::string>& taken = FTaken[mapped];
    for (const std::string& name : entries[folder]) {
      if (IsChmSafeName(name)) taken.push_back(AsciiLower(name));
    }
    for (const std::string& name : entries[folder]) {
      const std::string chm = IsChmSafeName(name) ? name : Assign(mapped, ChmAsciiName(name));
      FMapped[Join(folder, name)] = Join(mapped, chm);
    }
  }
  for (const std::string& file : files) {
    const std::string chm = FMapped[file];
    FNames[file] = chm;
    if (chm != file) FRenamed[file] = chm;
  }
}

std::string TChmAssetNames::Assign(const std::string& parentMapped, const std::string& name) {
  std::vector<std::string>& taken = FTaken[parentMapped];
  std::string candidate = name;
  for (int n = 2; std::find(taken.begin(), taken.end(), AsciiLower(candidate)) != taken.end(); ++n) {
    candidate = Numbered(name, n);
  }
  taken.push_back(AsciiLower(candidate));
  return candidate;
}

std::string TChmAssetNames::NameOf(const std::string& file) const {
  const auto it = FNames.find(file);
  return it == FNames.end() ? std::string() : it->second;
}

void TChmAssetNames::RenameCopies(const std::string& assetsDir) const {
  const std::string root = ExcludeTrailingDelimiter(assetsDir);
  std::vector<std::string> emptied;
  for (const auto& [file, chm] : FRenamed) {
    const std::string from = root + "/" + file;
    const std::string to = CheckedOutputPath(root, root + "/" + chm);
    if (!FileExists(from)) continue;
    EnsureDir(ExtractFileDir(to));
    if (::rename(from.c_str(), to.c_str()) != 0) {
      throw EFolivaneError("Cannot rename " + from + " to " + to + ": " + std::strerror(errno));
    }
    for (std::string folder = Parent(file); !folder.empty() && !IsChmSafeName(ExtractFileName(folder));
         folder = Parent(folder)) {
      emptied.push_back(root + "/" + folder);
    }
  }
  // Deepest first; a folder that still holds something stays.
  std::sort(emptied.begin(), emptied.end(),
            [](const std::string& a, const std::string& b) { return a.size() > b.size(); });
  for (const std::string& folder : emptied) ::rmdir(folder.c_str());
}

void TChmAssetNames::RewriteStyleSheets(const std::string& assetsDir) const {
  const std::string root = ExcludeTrailingDelimiter(assetsDir);
  const TRegex& reference =
      CachedRegex("(url\\(\\s*|@import\\s+)(?:\"([^\"]*)\"|'([^']*)'|([^\"'\\)\\s]+))", roIgnoreCase);
  for (const auto& [file, chm] : FNames) {
    if (!SameTextAscii(ExtractFileExt(file), ".css")) continue;
    const std::string path = CheckedOutputPath(root, root + "/" + chm);
    if (!FileExists(path)) continue;
    const std::string css = ReadBinaryFile(path);
    if (!IsValidUtf8(css)) continue;  // a sheet in another encoding is left as it is
    const fs::path sheetFolder = fs::path(chm).parent_path();
    // Named outside the lambda: clang before 16 cannot capture a structured binding.
    const fs::path sourceFolder = Parent(file);
    bool changed = false;
    const std::string rewritten = reference.Replace(css, [&](const TRegexMatch& m) {
      int group = 2;
      while (group < 4 && !m.Matched(group)) ++group;
      const std::string value(m.Group(group));
      const auto [path, suffix] = SplitSuffix(value);
      if (!IsLocalCssReference(path)) return std::string(m.Group(0));
      const std::string target = (sourceFolder / DecodedReference(path)).lexically_normal().generic_string();
      const auto it = FRenamed.find(target);
      if (it == FRenamed.end()) return std::string(m.Group(0));
      changed = true;
      const std::string ref = fs::path(it->second).lexically_relative(sheetFolder).generic_string() + suffix;
      const std::string quote = group == 3 ? "'" : "\"";
      return std::string(m.Group(1)) + quote + ref + quote;
    });
    if (changed) WriteOutputFile(path, rewritten);
  }
}

std::string TChmAssetNames::RewritePage(const std::string& html) const {
  if (FRenamed.empty() || html.find("assets/") == std::string::npos) return html;
  const TRegex& attribute = CachedRegex("(\\b(?:src|href)\\s*=\\s*)(?:\"([^\"]*)\"|'([^']*)')", roIgnoreCase);
  return attribute.Replace(html, [this](const TRegexMatch& m) {
    const int group = m.Matched(2) ? 2 : 3;
    const std::string value(m.Group(group));
    static const std::string kPrefix = "../assets/";
    if (!StartsWith(value, kPrefix)) return std::string(m.Group(0));
    const auto [path, suffix] = SplitSuffix(value.substr(kPrefix.size()));
    const auto it = FRenamed.find(DecodedReference(path));
    if (it == FRenamed.end()) return std::string(m.Group(0));
    const std::string quote = group == 2 ? "\"" : "'";
    return std::string(m.Group(1)) + quote + kPrefix + it->second + suffix + quote;
  });
}
