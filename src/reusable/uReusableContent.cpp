#include "uReusableContent.h"

#include <algorithm>
#include <functional>
#include <memory>
#include <mutex>
#include <utility>
#include <vector>

#include "uHtmlText.h"
#include "uJson.h"
#include "uRegex.h"
#include "uUtils.h"

// ---------------------------------------------------------------------------
// The store and its file

namespace {

bool SameName(const std::string& a, const std::string& b) { return SameTextAscii(a, b); }

// A member's text: a string's content, another scalar as its JSON text, "" when missing.
std::string MemberText(const TJson& object, const char* key) {
  const TJson* v = JsonFind(object, key);
  return v ? JsonValueText(*v) : std::string();
}

bool ReadEnabled(const TJson& object) {
  const std::string text = AsciiLower(Trim(MemberText(object, "enabled")));
  return !(text == "false" || text == "0");
}

// The array under key, or nullptr when the key is missing; another kind of value raises.
const TJson* ListMember(const TJson& doc, const char* key, const std::string& fileName) {
  const TJson* list = JsonFind(doc, key);
  if (list && !list->is_array()) {
    throw EFolivaneError("Invalid reusable content file" + (fileName.empty() ? "" : " " + fileName) + ": \"" + key +
                         "\" is " + JsonKindName(*list) + ", not an array");
  }
  return list;
}

}  // namespace

std::string ReusableContentPath(const TDocProject& project) {
  return PathJoin(PathJoin(project.RootPath(), "meta"), "reusable_content.json");
}

void TReusableProjectContent::Clear() {
  FVariables.clear();
  FSnippets.clear();
  FConditions.clear();
}

bool TReusableProjectContent::LoadFromProject(const TDocProject& project) {
  Clear();
  if (project.RootPath().empty()) return true;
  const std::string path = ReusableContentPath(project);
  const bool parsed = !FileExists(path) || LoadFromJsonText(ReadTextFileUtf8(path), path);
  ApplyBuildChoices(project.BuildChoices());
  return parsed;
}

void TReusableProjectContent::ApplyBuildChoices(const TBuildChoices& choices) {
  for (const auto& [name, enabled] : choices.Conditions) {
    auto it = std::find_if(FConditions.begin(), FConditions.end(),
                           [&name = name](const TReusableCondition& c) { return SameName(c.Name, name); });
    if (it == FConditions.end()) {
      FConditions.push_back({name, enabled});
    } else {
      it->Enabled = enabled;
    }
  }
  for (const auto& [name, value] : choices.Variables) {
    auto it = std::find_if(FVariables.begin(), FVariables.end(),
                           [&name = name](const TReusableVariable& v) { return SameName(v.Name, name); });
    if (it == FVariables.end()) {
      FVariables.push_back({name, value});
    } else {
      it->Value = value;
    }
  }
}

bool TReusableProjectContent::LoadFromJsonText(std::string_view text, const std::string& fileNameForErrors) {
  Clear();
  TJson doc;
  if (!TryParseJson(text, doc)) return false;
  if (!doc.is_object()) {
    throw EFolivaneError("Invalid reusable content file" + (fileNameForErrors.empty() ? "" : " " + fileNameForErrors) +
                         ": the file holds " + JsonKindName(doc) + ", not an object");
  }
  if (const TJson* list = ListMember(doc, "variables", fileNameForErrors)) {
    for (const TJson& item : *list) {
      if (!item.is_object()) continue;
      TReusableVariable v{Trim(MemberText(item, "name")), MemberText(item, "value")};
      if (!v.Name.empty()) FVariables.push_back(std::move(v));
    }
  }
  if (const TJson* list = ListMember(doc, "snippets", fileNameForErrors)) {
    for (const TJson& item : *list) {
      if (!item.is_object()) continue;
      TReusableSnippet s{Trim(MemberText(item, "name")), MemberText(item, "html")};
      if (!s.Name.empty()) FSnippets.push_back(std::move(s));
    }
  }
  if (const TJson* list = ListMember(doc, "conditions", fileNameForErrors)) {
    for (const TJson& item : *list) {
      if (!item.is_object()) continue;
      TReusableCondition c{Trim(MemberText(item, "name")), ReadEnabled(item)};
      if (!c.Name.empty()) FConditions.push_back(std::move(c));
    }
  }
  return true;
}

std::string TReusableProjectContent::ToJsonText() const {
  TJson doc = TJson::object();
  TJson& variables = doc["variables"] = TJson::array();
  for (const TReusableVariable& v : FVariables) {
    const std::string name = Trim(v.Name);
    if (name.empty()) continue;
    variables.push_back(TJson{{"name", name}, {"value", v.Value}});
  }
  TJson& snippets = doc["snippets"] = TJson::array();
  for (const TReusableSnippet& s : FSnippets) {
    const std::string name = Trim(s.Name);
    if (name.empty()) continue;
    snippets.push_back(TJson{{"name", name}, {"html", s.Html}});
  }
  TJson& conditions = doc["conditions"] = TJson::array();
  for (const TReusableCondition& c : FConditions) {
    const std::string name = Trim(c.Name);
    if (name.empty()) continue;
    conditions.push_back(TJson{{"name", name}, {"enabled", c.Enabled}});
  }
  return JsonWrite(doc);
}

void TReusableProjectContent::SaveToProject(const TDocProject& project) const {
  if (project.RootPath().empty()) return;
  EnsureDir(PathJoin(project.RootPath(), "meta"));
  WriteTextFileUtf8(ReusableContentPath(project), ToJsonText());
}

std::string TReusableProjectContent::VariableValue(const std::string& name, const std::string& defaultValue) const {
  for (const TReusableVariable& v : FVariables) {
    if (SameName(v.Name, name)) return v.Value;
  }
  return defaultValue;
}

std::string TReusableProjectContent::SnippetHtml(const std::string& name, const std::string& defaultValue) const {
  for (const TReusableSnippet& s : FSnippets) {
    if (SameName(s.Name, name)) return s.Html;
  }
  return defaultValue;
}

bool TReusableProjectContent::ConditionEnabled(const std::string& name, bool defaultValue) const {
  for (const TReusableCondition& c : FConditions) {
    if (SameName(c.Name, name)) return c.Enabled;
  }
  return defaultValue;
}

bool IsConditionDefined(const TReusableProjectContent& store, const std::string& name) {
  const auto& all = store.Conditions();
  return std::any_of(all.begin(), all.end(), [&name](const TReusableCondition& c) { return SameName(c.Name, name); });
}

// ---------------------------------------------------------------------------
// Token builders

std::string VariableToken(const std::string& name) { return EncodeHtmlText("{var:" + name + "}"); }
std::string SnippetToken(const std::string& name) { return EncodeHtmlText("{snip:" + name + "}"); }
std::string BeginConditionToken(const std::string& name) { return EncodeHtmlText("{begincond:" + name + "}"); }

// ---------------------------------------------------------------------------
// Token expansion
//
// Every pass is the textual replacement its pattern describes; the passes are only
// skipped, or their repetitions stopped, where they can no longer change the text:
// a pass that leaves the text as it was would leave it so again.

namespace {

constexpr unsigned kTokenOptions = roIgnoreCase | roDotAll;
constexpr int kSnippetPasses = 10;
constexpr int kConditionPasses = 10;
constexpr int kPairRepeats = 20;
// Snippets that insert each other many times can multiply a page without end.
constexpr size_t kMaxExpandedSize = size_t{64} << 20;

const char kSnippetPattern[] = "\\{\\s*snip\\s*:\\s*(?<name>[^\\}]+?)\\s*\\}";
const char kVariablePattern[] = "\\{\\s*var\\s*:\\s*(?<name>[^\\}]+?)\\s*\\}";
const char kBeginOnlyBlockPattern[] =
    "<(?<tag>p|div|section|article|li|blockquote|h[1-6]|tr|td|th)\\b(?<attrs>[^>]*)>\\s*"
    "(?<token>\\{\\s*begincond\\s*:\\s*[^\\}]+?\\s*\\})\\s*</\\k<tag>>";
const char kEndOnlyBlockPattern[] =
    "<(?<tag>p|div|section|article|li|blockquote|h[1-6]|tr|td|th)\\b(?<attrs>[^>]*)>\\s*"
    "(?<token>\\{\\s*endcond\\s*(?::\\s*[^\\}]+?\\s*)?\\})\\s*</\\k<tag>>";
const char kNamedPairPattern[] =
    "\\{\\s*begincond\\s*:\\s*(?<name>[^\\}]+?)\\s*\\}(?<body>.*?)"
    "\\{\\s*endcond\\s*:\\s*(?<endname>[^\\}]+?)\\s*\\}";
const char kPlainPairPattern[] = "\\{\\s*begincond\\s*:\\s*(?<name>[^\\}]+?)\\s*\\}(?<body>.*?)\\{\\s*endcond\\s*\\}";
const char kAnyMarkerPattern[] = "\\{\\s*begincond\\s*:\\s*[^\\}]+?\\s*\\}|\\{\\s*endcond\\s*(?::\\s*[^\\}]+?\\s*)?\\}";
// Either marker, with its name.
const char kMarkerPattern[] =
    "\\{\\s*begincond\\s*:\\s*(?<begin>[^\\}]+?)\\s*\\}|\\{\\s*endcond\\s*(?::\\s*(?<end>[^\\}]+?)\\s*)?\\}";
// Quick tests for what a pair needs before the pair patterns run.
const char kBeginMarkerStart[] = "\\{\\s*begincond\\s*:";
const char kNamedEndStart[] = "\\{\\s*endcond\\s*:";
const char kPlainEnd[] = "\\{\\s*endcond\\s*\\}";

const char kMarkerStylePattern[] =
    "\\sstyle=\"[^\">]*(border\\s*:\\s*1px\\s+dashed|background\\s*:\\s*#eef5ff)[^\">]*\"";
const char kMarkerEditablePattern[] = "\\scontenteditable=\"false\"";
const char kMarkerTitlePattern[] = "\\stitle=\"[^\"]*\"";

const TRegex& Rx(const char* pattern, unsigned options = kTokenOptions) { return CachedRegex(pattern, options); }

bool HasBrace(std::string_view s) { return s.find('{') != std::string_view::npos; }
bool Contains(std::string_view s, std::string_view lowerWord) {
  return FindTextNoCase(s, lowerWord) != std::string_view::npos;
}

// &amp; &lt; &gt; &quot; &apos; and numeric references; any other "&" stays.
std::string DecodeTokenName(std::string_view s) {
  if (s.find('&') == std::string_view::npos) return std::string(s);
  static const std::pair<std::string_view, char> kNamed[] = {
      {"&amp;", '&'}, {"&lt;", '<'}, {"&gt;", '>'}, {"&quot;", '"'}, {"&apos;", '\''}};
  std::string out;
  out.reserve(s.size());
  size_t i = 0;
  while (i < s.size()) {
    if (s[i] != '&') {
      out += s[i++];
      continue;
    }
    bool decoded = false;
    for (const auto& [entity, ch] : kNamed) {
      if (s.substr(i, entity.size()) == entity) {
        out += ch;
        i += entity.size();
        decoded = true;
        break;
      }
    }
    if (decoded) continue;
    if (i + 2 < s.size() && s[i + 1] == '#') {
      const bool hex = s[i + 2] == 'x' || s[i + 2] == 'X';
      size_t j = i + (hex ? 3 : 2);
      const size_t digitsStart = j;
      char32_t cp = 0;
      bool tooBig = false;
      for (; j < s.size(); ++j) {
        const char c = s[j];
        int digit;
        if (c >= '0' && c <= '9') digit = c - '0';
        else if (hex && c >= 'a' && c <= 'f') digit = c - 'a' + 10;
        else if (hex && c >= 'A' && c <= 'F') digit = c - 'A' + 10;
        else break;
        cp = cp * (hex ? 16 : 10) + static_cast<char32_t>(digit);
        if (cp > 0x10FFFF) tooBig = true, cp = 0x110000;
      }
      const bool valid =
          j > digitsStart && j < s.size() && s[j] == ';' && !tooBig && cp != 0 && !(cp >= 0xD800 && cp <= 0xDFFF);
      if (valid) {
        AppendUtf8(out, cp);
        i = j + 1;
        continue;
      }
    }
    out += s[i++];
  }
  return out;
}

std::string TokenName(const TRegexMatch& m, const char* group) { return Trim(DecodeTokenName(m.Group(group))); }

// One expansion of a page or snippet: the store, the snippets being expanded (by their
// folded names, so a snippet that contains itself ends), and the snippet expansions
// already made for this page.
struct TExpansion {
  const TReusableProjectContent& store;
  std::vector<std::string> active;
  std::vector<std::pair<std::string, std::string>> done;  // key, expanded HTML
};

std::string Expand(TExpansion& ex, const std::string& html);

std::string ExpandSnippet(TExpansion& ex, const std::string& name) {
  const std::string html = ex.store.SnippetHtml(name, "");
  if (html.empty()) return html;
  const std::string folded = AsciiUpper(name);
  for (const std::string& a : ex.active) {
    if (a == folded) return std::string();  // already being expanded: the token ends here
  }
  std::string key = folded;
  for (const std::string& a : ex.active) key += '\n' + a;
  for (const auto& [k, expanded] : ex.done) {
    if (k == key) return expanded;
  }
  ex.active.push_back(folded);
  std::string expanded;
  try {
    expanded = Expand(ex, html);
  } catch (...) {
    ex.active.pop_back();
    throw;
  }
  ex.active.pop_back();
  ex.done.emplace_back(std::move(key), expanded);
  return expanded;
}

void CheckSize(size_t size) {
  if (size > kMaxExpandedSize) {
    throw EFolivaneError("The reusable content of this page expands to more than " +
                         std::to_string(kMaxExpandedSize >> 20) +
                         " MB. Check the snippets that insert other snippets.");
  }
}

std::string SnippetTokensInText(TExpansion& ex, std::string_view text) {
  size_t total = text.size();
  return Rx(kSnippetPattern).Replace(text, [&](const TRegexMatch& m) {
    std::string expanded = ExpandSnippet(ex, TokenName(m, "name"));
    total += expanded.size();
    CheckSize(total);
    return expanded;
  });
}

std::string VariableTokensInText(const TReusableProjectContent& store, std::string_view text) {
  return Rx(kVariablePattern).Replace(text, [&](const TRegexMatch& m) {
    return EncodeHtmlText(store.VariableValue(TokenName(m, "name"), ""));
  });
}

// Cuts html into runs: a tag ("<" to the next ">") is copied; every other run, when it
// holds a "{", goes through replaceRun. Returns false (out untouched) when nothing changed.
template <typename TRunReplacer>
bool ReplaceInTextRuns(const std::string& html, std::string& out, TRunReplacer replaceRun) {
  if (!HasBrace(html)) return false;
  std::string result;
  size_t copied = 0;
  bool changed = false;
  size_t pos = 0;
  while (pos < html.size()) {
    if (html[pos] == '<') {
      const size_t gt = html.find('>', pos + 1);
      pos = gt == std::string::npos ? html.size() : gt + 1;
      continue;
    }
    size_t lt = html.find('<', pos);
    if (lt == std::string::npos) lt = html.size();
    const std::string_view run(html.data() + pos, lt - pos);
    if (HasBrace(run)) {
      std::string replaced = replaceRun(run);
      if (replaced != run) {
        if (!changed) result.reserve(html.size() + replaced.size());
        result.append(html, copied, pos - copied);
        result += replaced;
        copied = lt;
        changed = true;
        CheckSize(result.size());
      }
    }
    pos = lt;
  }
  if (!changed) return false;
  result.append(html, copied, std::string::npos);
  out = std::move(result);
  return true;
}

bool SnippetPass(TExpansion& ex, std::string& html) {
  return ReplaceInTextRuns(html, html, [&](std::string_view run) { return SnippetTokensInText(ex, run); });
}

bool VariablePass(const TReusableProjectContent& store, std::string& html) {
  return ReplaceInTextRuns(html, html, [&](std::string_view run) { return VariableTokensInText(store, run); });
}

// Replaces html by the pattern's replacement when that changes it.
bool ApplyReplace(std::string& html, const TRegex& re, const std::function<std::string(const TRegexMatch&)>& f) {
  std::string replaced = re.Replace(html, f);
  if (replaced == html) return false;
  html = std::move(replaced);
  return true;
}

bool StripMarkerOnlyBlocks(std::string& html) {
  bool changed = false;
  const auto keepToken = [](const TRegexMatch& m) { return std::string(m.Group("token")); };
  if (Contains(html, "begincond")) changed |= ApplyReplace(html, Rx(kBeginOnlyBlockPattern), keepToken);
  if (Contains(html, "endcond")) changed |= ApplyReplace(html, Rx(kEndOnlyBlockPattern), keepToken);
  return changed;
}

bool PairRepeat(const TReusableProjectContent& store, std::string& html) {
  if (!Rx(kBeginMarkerStart).IsMatch(html)) return false;
  bool changed = false;
  if (Rx(kNamedEndStart).IsMatch(html)) {
    changed |= ApplyReplace(html, Rx(kNamedPairPattern), [&](const TRegexMatch& m) {
      const std::string name = TokenName(m, "name");
      if (!SameTextAscii(name, TokenName(m, "endname"))) return std::string(m.Group(0));
      return store.ConditionEnabled(name, false) ? std::string(m.Group("body")) : std::string();
    });
  }
  if (Rx(kPlainEnd).IsMatch(html)) {
    changed |= ApplyReplace(html, Rx(kPlainPairPattern), [&](const TRegexMatch& m) {
      return store.ConditionEnabled(TokenName(m, "name"), false) ? std::string(m.Group("body")) : std::string();
    });
  }
  return changed;
}

bool ConditionPass(const TReusableProjectContent& store, std::string& html) {
  if (!HasBrace(html)) return false;
  bool changed = StripMarkerOnlyBlocks(html);
  for (int i = 0; i < kPairRepeats && PairRepeat(store, html); ++i) changed = true;
  changed |= ApplyReplace(html, Rx(kAnyMarkerPattern), [](const TRegexMatch&) { return std::string(); });
  return changed;
}

bool StripMarkers(std::string& html) {
  bool changed = false;
  const auto drop = [](const TRegexMatch&) { return std::string(); };
  if ((Contains(html, "1px") || Contains(html, "#eef5ff")) && (Contains(html, "style=\"") || HasFoldingToAscii(html))) {
    changed |= ApplyReplace(html, Rx(kMarkerStylePattern, roIgnoreCase), drop);
  }
  if (Contains(html, "contenteditable=\"false\"")) {
    changed |= ApplyReplace(html, Rx(kMarkerEditablePattern, roIgnoreCase), drop);
  }
  if (Contains(html, "title=\"")) changed |= ApplyReplace(html, Rx(kMarkerTitlePattern, roIgnoreCase), drop);
  return changed;
}

std::string Expand(TExpansion& ex, const std::string& source) {
  if (source.empty()) return source;
  std::string html = source;
  if (HasBrace(html)) {
    for (int i = 0; i < kSnippetPasses && SnippetPass(ex, html); ++i) {
    }
    for (int i = 0; i < kConditionPasses && ConditionPass(ex.store, html); ++i) {
    }
    VariablePass(ex.store, html);
  }
  StripMarkers(html);
  return html;
}

// The parsed store of the last file read, reused while the file keeps the same bytes.
struct TStoreCache {
  std::mutex lock;
  std::string path;
  std::string bytes;
  std::shared_ptr<const TReusableProjectContent> store;
};

std::shared_ptr<const TReusableProjectContent> LoadFileStore(const TDocProject& project) {
  static TStoreCache cache;
  const std::string path = ReusableContentPath(project);
  if (!FileExists(path)) return std::make_shared<const TReusableProjectContent>();
  std::string bytes = ReadBinaryFile(path);
  std::lock_guard<std::mutex> guard(cache.lock);
  if (cache.store && cache.path == path && cache.bytes == bytes) return cache.store;
  auto store = std::make_shared<TReusableProjectContent>();
  store->LoadFromJsonText(SanitizeUtf8(bytes), path);
  cache.path = path;
  cache.bytes = std::move(bytes);
  cache.store = store;
  return store;
}

// The file's store with the project's build choices over it.
std::shared_ptr<const TReusableProjectContent> LoadStore(const TDocProject& project) {
  std::shared_ptr<const TReusableProjectContent> store = LoadFileStore(project);
  const TBuildChoices& choices = project.BuildChoices();
  if (choices.Conditions.empty() && choices.Variables.empty()) return store;
  auto chosen = std::make_shared<TReusableProjectContent>(*store);
  chosen->ApplyBuildChoices(choices);
  return chosen;
}

}  // namespace

std::string ExpandReusableContent(const TDocProject& project, const std::string& html) {
  if (project.RootPath().empty() || html.empty()) return html;
  if (!HasBrace(html)) {
    // Without a brace no token can be present: only the editor's markers go.
    std::string out = html;
    StripMarkers(out);
    return out;
  }
  const std::shared_ptr<const TReusableProjectContent> store = LoadStore(project);
  return ExpandReusableContent(*store, html);
}

std::string ExpandReusableContent(const TReusableProjectContent& store, const std::string& html) {
  TExpansion ex{store, {}, {}};
  return Expand(ex, html);
}

std::string ReplaceSnippetTokens(const std::string& html, const TReusableProjectContent& store) {
  TExpansion ex{store, {}, {}};
  std::string out = html;
  SnippetPass(ex, out);
  return out;
}

std::string ReplaceSnippetTokensInText(const std::string& text, const TReusableProjectContent& store) {
  TExpansion ex{store, {}, {}};
  return SnippetTokensInText(ex, text);
}

std::string ReplaceVariableTokens(const std::string& html, const TReusableProjectContent& store) {
  std::string out = html;
  VariablePass(store, out);
  return out;
}

std::string ReplaceVariableTokensInText(const std::string& text, const TReusableProjectContent& store) {
  return VariableTokensInText(store, text);
}

std::string ReplaceConditionTokens(const std::string& html, const TReusableProjectContent& store) {
  std::string out = html;
  ConditionPass(store, out);
  return out;
}

std::vector<TReusableToken> FindReusableTokens(const std::string& html) {
  std::vector<TReusableToken> tokens;
  if (!HasBrace(html)) return tokens;
  const auto collect = [&](const TRegex& re, size_t base, std::string_view text,
                           const std::function<TReusableToken(const TRegexMatch&)>& make) {
    TRegexMatch m;
    for (size_t offset = 0; offset < text.size() && re.Search(text, m, offset);
         offset = std::max(m.End(), m.Start() + 1)) {
      TReusableToken token = make(m);
      token.offset = base + m.Start();
      tokens.push_back(std::move(token));
    }
  };
  std::string copy;  // ReplaceInTextRuns hands out the text runs; nothing is replaced
  ReplaceInTextRuns(html, copy, [&](std::string_view run) {
    const size_t base = static_cast<size_t>(run.data() - html.data());
    collect(Rx(kVariablePattern), base, run, [](const TRegexMatch& m) {
      return TReusableToken{TReusableTokenKind::Variable, TokenName(m, "name"), 0};
    });
    collect(Rx(kSnippetPattern), base, run, [](const TRegexMatch& m) {
      return TReusableToken{TReusableTokenKind::Snippet, TokenName(m, "name"), 0};
    });
    return std::string(run);
  });
  collect(Rx(kMarkerPattern), 0, html, [](const TRegexMatch& m) {
    const bool begin = !m.Group("begin").empty();
    return TReusableToken{begin ? TReusableTokenKind::BeginCondition : TReusableTokenKind::EndCondition,
                          TokenName(m, begin ? "begin" : "end"), 0};
  });
  std::stable_sort(tokens.begin(), tokens.end(),
                   [](const TReusableToken& a, const TReusableToken& b) { return a.offset < b.offset; });
  return tokens;
}

std::string StripConditionMarkerOnlyBlocks(const std::string& html) {
  std::string out = html;
  StripMarkerOnlyBlocks(out);
  return out;
}

std::string StripEditorMarkers(const std::string& html) {
  std::string out = html;
  StripMarkers(out);
  return out;
}
