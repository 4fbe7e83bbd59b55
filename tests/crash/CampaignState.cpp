#include "CampaignState.h"

#include <algorithm>
#include <memory>
#include <nlohmann/json.hpp>

#include "uJson.h"
#include "uStorage.h"
#include "uTopicsJson.h"
#include "uUtils.h"

namespace {

// What a hash is drawn for, so that two kinds of change never move together.
enum TSalt : int { kTitle = 1, kText, kFlags, kHeader, kTree, kProjectTitle, kSettings, kReusable, kDefaultHeader };

std::uint64_t Mix(std::uint64_t x) {
  x += 0x9E3779B97F4A7C15ull;
  x = (x ^ (x >> 30)) * 0xBF58476D1CE4E5B9ull;
  x = (x ^ (x >> 27)) * 0x94D049BB133111EBull;
  return x ^ (x >> 31);
}

std::uint64_t Hash(std::uint64_t seed, int step, int salt, int item) {
  return Mix(Mix(Mix(seed) ^ static_cast<std::uint64_t>(step)) ^
             (static_cast<std::uint64_t>(salt) << 32 | static_cast<std::uint32_t>(item)));
}

// The last step up to step that changed the item; each step after 0 changes it with
// a chance of one in period. The content drawn from that step stays until the next change.
int Version(std::uint64_t seed, int step, int salt, int item, int period) {
  for (int s = step; s > 0; --s) {
    if (Hash(seed, s, salt, item) % static_cast<std::uint64_t>(period) == 0) return s;
  }
  return 0;
}

// A stream of numbers for one version of one item.
class TDraw {
 public:
  TDraw(std::uint64_t seed, int version, int salt, int item) : FState(Hash(seed, version, salt, item)) {}
  std::uint64_t Next() { return FState = Mix(FState); }
  int Below(int n) { return static_cast<int>(Next() % static_cast<std::uint64_t>(n)); }

 private:
  std::uint64_t FState;
};

const char* const kWords[] = {"save",      "export", "topic",    "folder", "page",     "kill",        "crash",
                              "Übersicht", "проект", "страница", "naïve",  "&amp;",    "<b>bold</b>", "<i>it</i>",
                              "tree",      "index",  "search",   "€",      "“quoted”", "renamed",     "draft"};

std::string Sentence(TDraw& d) {
  std::string s;
  const int words = 4 + d.Below(12);
  for (int w = 0; w < words; ++w) {
    if (w) s += ' ';
    s += kWords[d.Below(static_cast<int>(std::size(kWords)))];
  }
  return s;
}

std::string TopicHtml(std::uint64_t seed, int version, int item, const std::vector<std::string>& ids) {
  TDraw d(seed, version, kText, item);
  std::string html = "<h2>Topic " + std::to_string(item) + " text " + std::to_string(version) + "</h2>";
  // Now and then a long page, so that a kill may land inside one write.
  const int paragraphs = d.Below(10) == 0 ? 600 + d.Below(400) : 1 + d.Below(8);
  for (int p = 0; p < paragraphs; ++p) html += "<p>" + Sentence(d) + "</p>";
  if (d.Below(2) == 0) html += "<p>{var:Product} says {snip:Note}</p>";
  if (d.Below(3) == 0) html += "{begincond:Internal}<p>Internal: " + Sentence(d) + "</p>{endcond}";
  html += "<p><a href=\"doc:" + ids[(item + 1) % ids.size()] + "\">next topic</a></p>";
  if (d.Below(3) == 0) {
    html += "<p><img src=\"assets/images/diagram.svg\" alt=\"diagram\" width=\"40\" height=\"20\"></p>";
  }
  if (d.Below(4) == 0) html += "<table><tr><td>a</td><td>" + Sentence(d) + "</td></tr></table>";
  return html;
}

TColor LightColor(TDraw& d) { return RGBColor(200 + d.Below(56), 200 + d.Below(56), 200 + d.Below(56)); }

void DrawTree(std::uint64_t seed, int step, TCampaignState& state) {
  const int version = Version(seed, step, kTree, 0, 4);
  TDraw d(seed, version, kTree, 0);
  const int n = static_cast<int>(state.topics.size());
  std::vector<int> order(n);
  for (int i = 0; i < n; ++i) order[i] = i;
  for (int i = n - 1; i > 0; --i) std::swap(order[i], order[d.Below(i + 1)]);
  for (int k = 0; k < n; ++k) {
    TCampaignTopic& topic = state.topics[order[k]];
    if (k == 0 || d.Below(3) == 0) {
      state.roots.push_back(topic.id);
      continue;
    }
    TCampaignTopic& parent = state.topics[order[d.Below(k)]];
    topic.parentId = parent.id;
    parent.children.push_back(topic.id);
  }
}

nlohmann::json Canonical(nlohmann::json value) {
  // topics.json lists its topics in no fixed order.
  if (value.is_object() && value.contains("topics") && value["topics"].is_array()) {
    auto& topics = value["topics"];
    std::stable_sort(topics.begin(), topics.end(), [](const nlohmann::json& a, const nlohmann::json& b) {
      return a.value("id", "") < b.value("id", "");
    });
  }
  return value;
}

const char kBom[] = "\xEF\xBB\xBF";

}  // namespace

TCampaignState CampaignStateAt(std::uint64_t seed, int step, const std::vector<std::string>& ids) {
  TCampaignState state;
  state.step = step;
  const int titleVersion = Version(seed, step, kProjectTitle, 0, 6);
  state.title = "Kill Campaign " + std::to_string(titleVersion) + (titleVersion % 2 ? " – Ausgabe" : "");

  const int n = static_cast<int>(ids.size());
  state.topics.resize(n);
  for (int i = 0; i < n; ++i) {
    TCampaignTopic& t = state.topics[i];
    t.id = ids[i];
    const int titleV = Version(seed, step, kTitle, i, 5);
    TDraw title(seed, titleV, kTitle, i);
    t.title =
        "Topic " + std::to_string(i) + " (" + std::to_string(titleV) + ")" + (title.Below(3) == 0 ? " Обзор" : "");
    t.keywords = {"kw" + std::to_string(i), "v" + std::to_string(titleV)};
    TDraw flags(seed, Version(seed, step, kFlags, i, 7), kFlags, i);
    t.excludeWeb = flags.Below(6) == 0;
    t.excludeChm = flags.Below(6) == 0;
    t.excludePdf = flags.Below(6) == 0;
    t.html = TopicHtml(seed, Version(seed, step, kText, i, 3), i, ids);
    t.hasHeader = i % 4 == 1;
    if (t.hasHeader) {
      const int v = Version(seed, step, kHeader, i, 6);
      TDraw h(seed, v, kHeader, i);
      t.headerHtml = "<p><b>Header " + std::to_string(i) + "</b> version " + std::to_string(v) + "</p>";
      t.headerBg = ColorToHtml(LightColor(h));
    }
  }
  DrawTree(seed, step, state);

  const int headerV = Version(seed, step, kDefaultHeader, 0, 8);
  TDraw header(seed, headerV, kDefaultHeader, 0);
  state.defaultHeaderHtml = "<p>Default header " + std::to_string(headerV) + "</p>";
  state.defaultHeaderBg = ColorToHtml(LightColor(header));

  const int settingsV = Version(seed, step, kSettings, 0, 5);
  TDraw s(seed, settingsV, kSettings, 0);
  state.settings.SetDefaults();
  state.settings.ProjTitle = state.title;
  state.settings.FontSizeBody = 12 + s.Below(6);
  state.settings.DefaultPageBgColor = LightColor(s);
  state.settings.TocTextSize = 11 + s.Below(4);
  state.settings.CopyrightEnabled = s.Below(2) == 0;
  state.settings.CopyrightText = "© Kill " + std::to_string(settingsV);

  const int reusableV = Version(seed, step, kReusable, 0, 4);
  TDraw r(seed, reusableV, kReusable, 0);
  state.reusable.Variables() = {{"Product", "Folivane " + std::to_string(reusableV)}};
  state.reusable.Snippets() = {{"Note", "<em>note " + std::to_string(reusableV) + "</em>"}};
  state.reusable.Conditions() = {{"Internal", r.Below(2) == 0}};
  return state;
}

void BuildCampaignModel(const TCampaignState& state, TDocProject& project) {
  project.Clear();
  project.SetTitle(state.title);
  for (const TCampaignTopic& t : state.topics) {
    auto topic = std::make_unique<TTopic>();
    topic->SetID(t.id);
    topic->SetTitle(t.title);
    topic->SetHtmlPath(TopicFilePath(project, t.id));
    topic->SetParentID(t.parentId);
    topic->Children() = t.children;
    topic->Keywords() = t.keywords;
    topic->SetExcludeWeb(t.excludeWeb);
    topic->SetExcludeChm(t.excludeChm);
    topic->SetExcludePdf(t.excludePdf);
    project.InsertLoadedTopic(std::move(topic));
  }
  project.RootTopicIDs() = state.roots;
}

TExpectedFiles ExpectedProjectFiles(const TCampaignState& state, const std::string& fvpPath) {
  const std::string folder = ProjectFolderForFile(fvpPath);
  TExpectedFiles files;
  TJson fvp = TJson::object();
  fvp["version"] = "1.0";
  fvp["title"] = state.title;
  fvp["root"] = folder;
  files[fvpPath] = {true, true, JsonWrite(fvp)};

  TJson projectJson = TJson::object();
  projectJson["title"] = state.title;
  projectJson["styleProfile"] = "default";
  files[ProjectJsonPath(folder)] = {true, false, JsonWrite(projectJson)};

  TDocProject model;
  model.SetRootPath(IncludeTrailingDelimiter(folder));
  BuildCampaignModel(state, model);
  files[TopicsJsonPath(folder)] = {true, false, TopicsJsonText(model)};
  files[TProjectSettings::DefaultSettingsPathForProject(model.RootPath())] = {true, true,
                                                                              JsonWrite(state.settings.ToJson())};
  files[ReusableContentPath(model)] = {true, false, state.reusable.ToJsonText()};

  files[HeaderHtmlPath(folder, "")] = {false, false, state.defaultHeaderHtml};
  files[HeaderBgPath(folder, "")] = {false, false, state.defaultHeaderBg};
  for (const TCampaignTopic& t : state.topics) {
    files[TopicFilePath(folder, t.id)] = {false, false, t.html};
    if (!t.hasHeader) continue;
    files[HeaderHtmlPath(folder, t.id)] = {false, false, t.headerHtml};
    files[HeaderBgPath(folder, t.id)] = {false, false, t.headerBg};
  }
  return files;
}

bool ParsesAsJson(const std::string& bytes) {
  const std::string_view text = StartsWith(bytes, kBom) ? std::string_view(bytes).substr(3) : std::string_view(bytes);
  return nlohmann::json::accept(text);
}

bool MatchesExpected(const TExpectedFile& expected, const std::string& bytes, std::string* reason) {
  auto fail = [reason](const std::string& why) {
    if (reason) *reason = why;
    return false;
  };
  if (!expected.json) return bytes == expected.text ? true : fail("other bytes (" + std::to_string(bytes.size()) + ")");
  const bool hasBom = StartsWith(bytes, kBom);
  if (hasBom != expected.bom) return fail(hasBom ? "unexpected byte-order mark" : "byte-order mark missing");
  const nlohmann::json actual = nlohmann::json::parse(hasBom ? bytes.substr(3) : bytes, nullptr, false);
  if (actual.is_discarded()) return fail("not JSON (" + std::to_string(bytes.size()) + " bytes)");
  if (Canonical(actual) != Canonical(nlohmann::json::parse(expected.text))) return fail("other JSON value");
  return true;
}
