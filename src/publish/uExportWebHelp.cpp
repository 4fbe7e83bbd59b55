#include "uExportWebHelp.h"

#include <algorithm>
#include <filesystem>
#include <unordered_set>

#include "uHtmlUtils.h"
#include "uJson.h"
#include "uReusableContent.h"
#include "uSettingsCss.h"
#include "uStorage.h"

namespace {

const char kTocPrefix[] = "window.__ZD_TOC = ";
const char kSearchPrefix[] = "window.__ZD_SEARCH = ";

std::string TopicFileMember(const std::string& id) { return "topics/" + id + ".html"; }

// The topics a WebHelp export publishes, in a fixed order: the tree first, then topics
// the tree does not reach (sorted), so that two exports of one project are identical.
std::vector<const TTopic*> PublishedTopics(const TDocProject& project) {
  std::vector<const TTopic*> topics;
  topics.reserve(project.Topics().size());
  std::vector<const TTopic*> unreached;
  std::unordered_map<const TTopic*, bool> seen;
  for (const TTopic* t : project.TopicsInTreeOrder()) {
    if (seen.emplace(t, true).second) topics.push_back(t);
  }
  for (const auto& [id, topic] : project.Topics()) {
    if (!seen.count(topic.get())) unreached.push_back(topic.get());
  }
  std::sort(unreached.begin(), unreached.end(), [](const TTopic* a, const TTopic* b) { return a->ID() < b->ID(); });
  topics.insert(topics.end(), unreached.begin(), unreached.end());
  topics.erase(std::remove_if(topics.begin(), topics.end(), [](const TTopic* t) { return t->ExcludeWeb(); }),
               topics.end());
  return topics;
}

// A missing page reads as empty; anything else in its place must be readable.
std::string ReadIfExists(const std::string& path) {
  std::error_code ec;
  if (path.empty() || !std::filesystem::exists(path, ec)) return std::string();
  return ReadTextFileUtf8(path);
}

// Everything of a page before the header's background: the same for every page of one export.
std::string PageHead(const std::string& pageBackground) {
  std::string s =
      "<!doctype html><html><head><meta charset=\"utf-8\"><meta name=\"viewport\" "
      "content=\"width=device-width, initial-scale=1\"><link rel=\"stylesheet\" href=\"../style.css\">"
      "<style>body{margin:0;font-family:Segoe UI,Arial;background:";
  s += pageBackground;
  s += ";}"
       ".zd-page-body p{margin:0;}"
       ".zd-page-body h1,.zd-page-body h2,.zd-page-body h3,.zd-page-body h4,.zd-page-body h5,"
       ".zd-page-body h6{margin:0;}"
       ".zd-page-body ul,.zd-page-body ol{margin:0;padding-left:1.5em;}"
       ".zd-page-body li{margin:0;}"
       "table{border-collapse:collapse;max-width:100%;}"
       "td,th{border:1px solid #999;padding:4px;vertical-align:top;}"
       "</style></head><body><div class=\"zd-page-header\" style=\"background:";
  return s;
}

std::string PageFooter(const TProjectSettings& settings) {
  if (!settings.CopyrightEnabled || Trim(settings.CopyrightText).empty()) return std::string();
  return "<div class=\"zd-page-footer\" style=\"padding:10px 16px;border-top:1px solid #d0d0d0;font-size:12px;"
         "opacity:0.85;\">" +
         HtmlEscape(settings.CopyrightText) + "</div>";
}

std::string BuildPage(const std::string& head, const TPublishHeader& header, const std::string& body,
                      const std::string& footer) {
  static const char kHeaderTail[] = ";padding:12px 16px;\">";
  static const char kBodyStart[] = "</div><div class=\"zd-page-body\" style=\"padding:16px;\">";
  static const char kBodyEnd[] = "</div>";
  static const char kEnd[] = "</body></html>";
  std::string page;
  page.reserve(head.size() + header.background.size() + header.html.size() + body.size() + footer.size() + 160);
  page += head;
  page += header.background;
  page += kHeaderTail;
  page += header.html;
  page += kBodyStart;
  page += body;
  page += kBodyEnd;
  page += footer;
  page += kEnd;
  return page;
}

// One TOC node and its published subtree; an excluded topic takes its subtree with it.
// A topic is listed once, even when damaged structure files name it in two places.
TJson TocNode(const TDocProject& project, const TTopic& topic, std::unordered_set<std::string>& listed) {
  TJson node = TJson::object();
  node["id"] = topic.ID();
  node["title"] = topic.Title();
  node["file"] = TopicFileMember(topic.ID());
  TJson children = TJson::array();
  for (const std::string& childID : topic.Children()) {
    if (!project.HasTopic(childID)) continue;
    const TTopic& child = project.GetTopic(childID);
    if (child.ExcludeWeb() || !listed.insert(childID).second) continue;
    children.push_back(TocNode(project, child, listed));
  }
  node["children"] = std::move(children);
  return node;
}

// The JSON text wrapped for a <script> include: prefix + json + ";".
std::string ScriptOf(const char* prefix, const std::string& json) {
  std::string js;
  js.reserve(json.size() + 32);
  js += prefix;
  js += json;
  js += ';';
  return js;
}

void WriteJsonAndScript(const std::string& outDir, const std::string& baseName, const char* prefix,
                        const TJson& value) {
  const std::string json = JsonWrite(value);
  WriteTextFileUtf8(PathJoin(outDir, baseName + ".json"), json);
  WriteTextFileUtf8(PathJoin(outDir, baseName + ".js"), ScriptOf(prefix, json));
}

struct TSearchEntry {
  const TTopic* topic;
  std::string text;
};

void WriteSearchIndex(const std::string& outDir, std::vector<TSearchEntry>& entries) {
  TJson topics = TJson::array();
  for (TSearchEntry& e : entries) {
    TJson entry = TJson::object();
    entry["id"] = e.topic->ID();
    entry["title"] = e.topic->Title();
    entry["file"] = TopicFileMember(e.topic->ID());
    entry["text"] = std::move(e.text);
    std::string keywords;
    for (const std::string& k : e.topic->Keywords()) {
      if (!keywords.empty()) keywords += ' ';
      keywords += k;
    }
    entry["keywords"] = std::move(keywords);
    topics.push_back(std::move(entry));
  }
  entries.clear();
  TJson root = TJson::object();
  root["topics"] = std::move(topics);
  WriteJsonAndScript(outDir, "search", kSearchPrefix, root);
}

}  // namespace

std::string WebHelpOutputFolder(const TDocProject& project) {
  return PathJoin(PathJoin(project.RootPath(), "build"), "webhelp");
}

std::string BuildWebHelpTocJson(const TDocProject& project) {
  TJson roots = TJson::array();
  std::unordered_set<std::string> listed;
  for (const std::string& id : project.RootTopicIDs()) {
    if (!project.HasTopic(id)) continue;
    const TTopic& topic = project.GetTopic(id);
    if (topic.ExcludeWeb() || !listed.insert(id).second) continue;
    roots.push_back(TocNode(project, topic, listed));
  }
  TJson root = TJson::object();
  root["roots"] = std::move(roots);
  return JsonWrite(root);
}

void ExportWebHelp(const TDocProject& project, const std::string& outDir, const TProgressCallback& progress) {
  EnsureDir(outDir);
  TProjectSettings settings;
  settings.LoadFromFile(TProjectSettings::DefaultSettingsPathForProject(project.RootPath()));
  const std::string head = PageHead(ColorToHtml(settings.DefaultPageBgColor));
  const std::string footer = PageFooter(settings);

  const std::string topicsDir = EnsureDir(PathJoin(outDir, "topics"));
  EnsureDir(PathJoin(outDir, "assets"));

  // Links resolve against this project only: relative targets in the same topics folder.
  const TDocLinkResolver resolver = [&project](const std::string& id) -> std::string {
    if (!project.HasTopic(id) || project.GetTopic(id).ExcludeWeb()) return std::string();
    return id + ".html";
  };

  const std::vector<const TTopic*> topics = PublishedTopics(project);
  const int total = static_cast<int>(topics.size());
  std::vector<TSearchEntry> search;
  search.reserve(topics.size());
  if (progress) progress(0, total);
  int done = 0;
  for (const TTopic* topic : topics) {
    const std::string pagePath = TopicFilePath(project, topic->ID());
    const std::string source = ReadIfExists(pagePath);
    const bool blank = Trim(source).empty();
    std::string body = blank ? "<h1>" + HtmlEscape(topic->Title()) + "</h1>" : source;
    body = ExpandReusableContent(project, body);

    // The index reads the model's page path; it is the page just read unless the model says otherwise.
    if (topic->HtmlPath() == pagePath) {
      search.push_back({topic, HtmlToPlainText(blank ? ExpandReusableContent(project, source) : body)});
    } else {
      search.push_back({topic, HtmlToPlainText(ExpandReusableContent(project, ReadIfExists(topic->HtmlPath())))});
    }

    body = RewriteDocLinks(body, resolver);
    body = RewriteAssetPaths(body, TPublishForm::WebHelp);
    body = NeutraliseWhiteBackgrounds(body, TPublishForm::WebHelp);
    const TPublishHeader header = LookupTopicHeader(project, topic->ID(), TPublishForm::WebHelp);
    WriteOutputFile(PathJoin(topicsDir, topic->ID() + ".html"), BuildPage(head, header, body, footer));
    ++done;
    if (progress) progress(done, total);
  }

  const std::string assets = PathJoin(project.RootPath(), "assets");
  if (DirExists(assets)) CopyFolderTree(assets, PathJoin(outDir, "assets"), TPublishForm::WebHelp);

  WriteTextFileUtf8(PathJoin(outDir, "style.css"), BuildWebHelpStyleCss(project, &settings));

  const std::string toc = BuildWebHelpTocJson(project);
  WriteTextFileUtf8(PathJoin(outDir, "toc.json"), toc);
  WriteTextFileUtf8(PathJoin(outDir, "toc.js"), ScriptOf(kTocPrefix, toc));

  WriteSearchIndex(outDir, search);
}

std::string FillWebHelpCssPlaceholders(const std::string& css, const TProjectSettings& settings) {
  std::string s = ReplaceAll(css, "__ZD_TOC_COLOR__", ColorToHtml(settings.TocTextColor));
  s = ReplaceAll(s, "__ZD_TOC_SIZE__", std::to_string(settings.TocTextSize));
  return ReplaceAll(s, "__ZD_LEFT_BG__", ColorToHtml(settings.DefaultPageBgColor));
}

void InstallWebHelpViewer(const TDocProject& project, const std::string& outDir,
                          const TProjectSettings* settings) {
  const std::string viewerDir = PathJoin(project.RootPath(), "internal/webhelp");
  auto source = [&viewerDir](const char* name) {
    const std::string path = PathJoin(viewerDir, name);
    if (!FileExists(path)) throw EFolivaneError("WebHelp viewer file not found: " + path);
    return path;
  };
  const std::string html = source("app.html");
  const std::string js = source("app.js");
  const std::string css = source("app.css");

  std::string page = ReadTextFileUtf8(html);
  const std::string kTitle = "<title>WebHelp</title>";
  const size_t at = page.find(kTitle);
  if (at != std::string::npos) page.replace(at, kTitle.size(), "<title>" + HtmlEscape(project.Title()) + "</title>");
  WriteTextFileUtf8(PathJoin(outDir, "index.html"), page);

  CopyFileOverwrite(js, PathJoin(outDir, "app.js"));

  const std::string cssText = ReadTextFileUtf8(css);
  WriteTextFileUtf8(PathJoin(outDir, "app.css"), settings ? FillWebHelpCssPlaceholders(cssText, *settings) : cssText);
}

std::string PublishWebHelp(const TDocProject& project, const TProjectSettings* settings,
                           const TProgressCallback& progress) {
  const std::string out = EnsureDir(WebHelpOutputFolder(project));
  ExportWebHelp(project, out, progress);
  InstallWebHelpViewer(project, out, settings);
  return ExpandFileName(PathJoin(out, "index.html"));
}
