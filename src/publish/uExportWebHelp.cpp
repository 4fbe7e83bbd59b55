#include "uExportWebHelp.h"

#include <algorithm>
#include <filesystem>
#include <functional>
#include <future>
#include <map>
#include <unordered_set>

#include "uHelpContext.h"
#include "uHtmlUtils.h"
#include "uJson.h"
#include "uParallelPages.h"
#include "uReusableContent.h"
#include "uSettingsCss.h"
#include "uStorage.h"
#include "uTranslation.h"
#include "uWebHelpSearchIndex.h"

namespace {

const char kTocPrefix[] = "window.__ZD_TOC = ";
const char kSearchPrefix[] = "window.__ZD_SEARCH = ";
const char kContextPrefix[] = "window.__ZD_CONTEXT = ";
const char kKeywordsPrefix[] = "window.__ZD_KEYWORDS = ";

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

// A missing page reads as empty, and so does one that leads outside the project; anything
// else in its place must be readable.
std::string ReadIfExists(const std::string& path, TPublishGuard& guard) {
  std::error_code ec;
  if (path.empty() || !std::filesystem::exists(path, ec) || !guard.MayRead(path)) return std::string();
  return ReadTextFileUtf8(path);
}

// Everything of a page before the header's background: the same for every page of one export.
std::string PageHead(const std::string& pageBackground) {
  std::string s =
      "<!doctype html><html><head><meta charset=\"utf-8\"><meta name=\"viewport\" "
      "content=\"width=device-width, initial-scale=1\"><link rel=\"stylesheet\" href=\"../style.css\">"
      "<style>body{margin:0;background:";
  s += pageBackground;
  s += ";}";
  s += TopicBodyLayoutCss(".zd-page-body");
  s += "table{border-collapse:collapse;max-width:100%;}"
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

// The page header of each topic as LookupTopicHeader gives it, with the project's
// default header read once and the meta folder listed once for the whole export.
class THeaderSource {
 public:
  THeaderSource(const TDocProject& project, TPublishGuard& guard)
      : FProject(project),
        FGuard(guard),
        FMetaNames(NamesInFolder(PathJoin(project.RootPath(), "meta"))),
        FDefault(ResolvePublishHeader(project.RootPath(), "",
                                      [&guard](const std::string& path) { return guard.MayRead(path); })),
        FTitleBlock("<div style=\"font-size:14px;\"><b>" + project.Title() + "</b></div>") {}

  TPublishHeader For(const std::string& id) const {
    TPublishHeader h = FDefault;
    const std::string htmlPath = HeaderHtmlPath(FProject, id);
    if (FMetaNames.count(ExtractFileName(htmlPath)) && FGuard.MayRead(htmlPath)) h.html = ReadTextFileUtf8(htmlPath);
    const std::string bgPath = HeaderBgPath(FProject, id);
    if (FMetaNames.count(ExtractFileName(bgPath)) && FGuard.MayRead(bgPath)) {
      h.background = Trim(ReadTextFileUtf8(bgPath));
      if (h.background.empty()) h.background = FDefaultBackground;
    }
    if (Trim(h.html).empty()) h.html = FTitleBlock;
    return h;
  }

 private:
  static constexpr const char* FDefaultBackground = "#fafafa";
  const TDocProject& FProject;
  TPublishGuard& FGuard;
  std::unordered_set<std::string> FMetaNames;
  TPublishHeader FDefault;
  std::string FTitleBlock;  // the fallback of a blank header; WebHelp shows the title as it is
};

// What every page of one export shares.
struct TPageContext {
  const TDocProject& project;
  TPublishGuard& guard;
  TReusableProjectContent store;
  THeaderSource headers;
  std::unordered_set<std::string> pageNames;  // entries of the project's topics folder
  std::string head;
  std::string footer;
  std::string topicsDir;
};

std::string ExpandPage(const TPageContext& c, const std::string& html) { return ExpandReusableContent(c.store, html); }

// Writes one topic's page; returns the plain text for the search index.
std::string ExportPage(const TPageContext& c, const TTopic& topic) {
  const std::string pagePath = TopicFilePath(c.project, topic.ID());
  const std::string source = c.pageNames.count(ExtractFileName(pagePath)) && c.guard.MayRead(pagePath)
                                 ? ReadTextFileUtf8(pagePath)
                                 : std::string();
  const bool blank = Trim(source).empty();
  std::string body = ExpandPage(c, blank ? "<h1>" + HtmlEscape(topic.Title()) + "</h1>" : source);

  // The index reads the model's page path: the page just read unless the model says otherwise.
  std::string text;
  if (topic.HtmlPath() == pagePath) {
    text = HtmlToPlainText(blank ? ExpandPage(c, source) : body);
  } else {
    text = HtmlToPlainText(ExpandPage(c, ReadIfExists(topic.HtmlPath(), c.guard)));
  }

  // Links resolve against this project only: relative targets in the same topics folder.
  body = RewriteDocLinks(body, [&c](const std::string& id) -> std::string {
    if (!c.project.HasTopic(id) || c.project.GetTopic(id).ExcludeWeb()) return std::string();
    return id + ".html";
  });
  body = RewriteAssetPaths(body, TPublishForm::WebHelp);
  body = NeutraliseWhiteBackgrounds(body, TPublishForm::WebHelp);
  WriteOutputFile(c.guard.Output(PathJoin(c.topicsDir, topic.ID() + ".html")),
                  BuildPage(c.head, c.headers.For(topic.ID()), body, c.footer));
  return text;
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

std::string KeywordText(const TTopic& topic) {
  std::string keywords;
  for (const std::string& k : topic.Keywords()) {
    if (!keywords.empty()) keywords += ' ';
    keywords += k;
  }
  return keywords;
}

// The viewer's form of one topic: its fields cut into terms (run on the export's workers).
TSearchDocument SearchDocumentOf(const TTopic& topic, std::string_view text) {
  TSearchDocument doc{topic.ID(), topic.Title(), {}, {}};
  doc.fields[static_cast<int>(TSearchField::Title)] = IndexSearchField(topic.Title());
  doc.fields[static_cast<int>(TSearchField::Keywords)] = IndexSearchField(KeywordText(topic));
  doc.fields[static_cast<int>(TSearchField::Text)] = IndexSearchField(text);
  return doc;
}

// The keyword index of the viewer's Index tab: every keyword and index entry of the
// published topics with the topics that carry it, in the project's language for sorting.
void WriteKeywordIndex(const std::string& outDir, const std::vector<const TTopic*>& topics,
                       const std::string& language) {
  std::map<std::string, std::vector<size_t>> entries;
  std::vector<size_t> used;
  std::unordered_map<size_t, size_t> slot;  // topic position -> position in the file's topic list
  for (size_t i = 0; i < topics.size(); ++i) {
    std::unordered_set<std::string> seen;
    auto add = [&](const std::string& raw) {
      const std::string entry = Trim(raw);
      if (entry.empty() || !seen.insert(entry).second) return;
      auto [it, fresh] = slot.emplace(i, used.size());
      if (fresh) used.push_back(i);
      entries[entry].push_back(it->second);
    };
    for (const std::string& k : topics[i]->Keywords()) add(k);
    for (const std::string& k : topics[i]->IndexEntries()) add(k);
  }
  TJsonWriter w;
  w.BeginObject();
  w.Key("lang");
  w.String(language);
  w.Key("topics");  // [id, title] of each topic an entry names
  w.BeginArray();
  for (size_t i : used) w.StringArray({topics[i]->ID(), topics[i]->Title()});
  w.EndArray();
  w.Key("entries");  // [text, [topic, ...]]
  w.BeginArray();
  for (const auto& [text, refs] : entries) {
    w.BeginArray();
    w.String(text);
    w.BeginArray();
    for (size_t r : refs) w.Unsigned(r);
    w.EndArray();
    w.EndArray();
  }
  w.EndArray();
  w.EndObject();
  WriteTextFileUtf8(CheckedOutputPath(outDir, PathJoin(outDir, "keywords.js")), ScriptOf(kKeywordsPrefix, w.Text()));
}

// One topic's object in search.json, made on the export's workers: the plain text goes in
// once, as the JSON string literal that the viewer's snippet parts reuse.
struct TSearchEntry {
  std::string json;      // {"id":...,"title":...,"file":...,"text":...,"keywords":...}
  size_t textBegin = 0;  // the quoted text's place in json
  size_t textLength = 0;
  std::string_view QuotedText() const { return std::string_view(json).substr(textBegin, textLength); }
};

// The keys by which search.json and toc.json name a topic.
void WriteTopicKeys(TJsonWriter& w, const TTopic& topic) {
  w.Key("id");
  w.String(topic.ID());
  w.Key("title");
  w.String(topic.Title());
  w.Key("file");
  w.String(TopicFileMember(topic.ID()));
}

TSearchEntry SearchEntryOf(const TTopic& topic, std::string_view text) {
  TSearchEntry e;
  TJsonWriter w;
  w.Reserve(text.size() + text.size() / 8 + topic.Title().size() + 160);
  w.BeginObject();
  WriteTopicKeys(w, topic);
  w.Key("text");
  e.textBegin = w.Text().size();
  w.String(text);
  e.textLength = w.Text().size() - e.textBegin;
  w.Key("keywords");
  w.String(KeywordText(topic));
  w.EndObject();
  e.json = std::move(w.Text());
  return e;
}

// search.js: the prefix, the JSON of search.json, ";"; jsonBegin gets the JSON's offset in it.
std::string BuildSearchScript(const std::vector<TSearchEntry>& entries, size_t& jsonBegin) {
  size_t bytes = 64;
  for (const TSearchEntry& e : entries) bytes += e.json.size() + 1;
  std::string script;
  script.reserve(bytes);
  script = kSearchPrefix;
  jsonBegin = script.size();
  script += "{\"topics\":[";
  for (size_t i = 0; i < entries.size(); ++i) {
    if (i) script += ',';
    script += entries[i].json;
  }
  script += "]};";
  return script;
}

// search.json and search.js, for other tools: the same JSON, once bare and once as a script.
void WriteSearchFiles(const std::string& outDir, const std::vector<TSearchEntry>& entries) {
  size_t jsonBegin = 0;
  const std::string script = BuildSearchScript(entries, jsonBegin);
  const std::string_view json = std::string_view(script).substr(jsonBegin, script.size() - jsonBegin - 1);
  WriteTextFileUtf8(CheckedOutputPath(outDir, PathJoin(outDir, "search.json")), json);
  WriteTextFileUtf8(CheckedOutputPath(outDir, PathJoin(outDir, "search.js")), script);
}

// The map programs open topics by (index.html?context=1001, ?alias=IDH_PRINT): for
// developers as context.json, for the viewer as context.js.
void WriteContextMap(const TDocProject& project, const std::string& outDir) {
  const std::string json =
      HelpMapText(HelpContextEntries(project, [](const TTopic& t) { return t.ExcludeWeb(); }), THelpMapFormat::Json);
  WriteTextFileUtf8(CheckedOutputPath(outDir, PathJoin(outDir, "context.json")), json);
  WriteTextFileUtf8(CheckedOutputPath(outDir, PathJoin(outDir, "context.js")), ScriptOf(kContextPrefix, Trim(json)));
}

}  // namespace

std::string WebHelpOutputFolder(const TDocProject& project) { return PathJoin(BuildFolder(project), "webhelp"); }

std::string BuildWebHelpTocJson(const TDocProject& project) {
  // Written as the walk goes: a tree of ten thousand topics needs no document in memory.
  TJsonWriter w;
  w.BeginObject();
  w.Key("roots");
  w.BeginArray();
  int open = 0;  // topics whose children array is open
  auto closeTo = [&](int depth) {
    for (; open > depth; --open) {
      w.EndArray();
      w.EndObject();
    }
  };
  project.WalkTopics([&](const TTopic& topic, int depth) {
    if (topic.ExcludeWeb()) return TWalkAction::SkipChildren;  // takes its subtree with it
    closeTo(depth);
    w.BeginObject();
    WriteTopicKeys(w, topic);
    w.Key("children");
    w.BeginArray();
    ++open;
    return TWalkAction::Descend;
  });
  closeTo(0);
  w.EndArray();
  w.EndObject();
  return std::move(w.Text());
}

void ExportWebHelp(const TDocProject& project, const std::string& outDir, const TProgressCallback& progress,
                   std::vector<std::string>* warnings) {
  CheckOutputFolder(project.RootPath(), outDir);
  EnsureDir(outDir);
  TPublishGuard guard(project.RootPath(), outDir);
  TProjectSettings settings;
  settings.LoadFromFile(TProjectSettings::DefaultSettingsPathForProject(project.RootPath()));

  TPageContext context{project,
                       guard,
                       TReusableProjectContent(),
                       THeaderSource(project, guard),
                       NamesInFolder(PathJoin(project.RootPath(), "topics")),
                       PageHead(ColorToHtml(settings.DefaultPageBgColor)),
                       PageFooter(settings),
                       EnsureDir(CheckedOutputPath(outDir, PathJoin(outDir, "topics")))};
  context.store.LoadFromProject(project);
  EnsureDir(CheckedOutputPath(outDir, PathJoin(outDir, "assets")));

  const std::vector<const TTopic*> topics = PublishedTopics(project);
  std::vector<TSearchEntry> search(topics.size());
  std::vector<TSearchDocument> documents(topics.size());
  TSearchIndexBuilder index;
  RunInParallel(topics.size(), progress, [&](size_t i, int worker) {
    const std::string text = ExportPage(context, *topics[i]);
    search[i] = SearchEntryOf(*topics[i], text);
    documents[i] = SearchDocumentOf(*topics[i], text);
    index.Add(worker, i, documents[i]);
  });
  for (size_t i = 0; i < documents.size(); ++i) documents[i].quotedText = search[i].QuotedText();

  // The files other tools read are written beside the viewer's index, on a second thread.
  auto searchFiles = std::async(std::launch::async, [&] { WriteSearchFiles(outDir, search); });
  try {
    index.Write(outDir, documents);
  } catch (...) {
    searchFiles.wait();
    throw;
  }
  searchFiles.get();
  documents.clear();
  search.clear();

  const std::string assets = PathJoin(project.RootPath(), "assets");
  if (DirExists(assets)) CopyFolderTree(assets, PathJoin(outDir, "assets"), TPublishForm::WebHelp, guard);

  guard.MayRead(StyleProfilePath(project));  // the style sheet leaves out a profile that leads outside
  WriteTextFileUtf8(CheckedOutputPath(outDir, PathJoin(outDir, "style.css")), BuildWebHelpStyleCss(project, &settings));

  const std::string toc = BuildWebHelpTocJson(project);
  WriteTextFileUtf8(CheckedOutputPath(outDir, PathJoin(outDir, "toc.json")), toc);
  WriteTextFileUtf8(CheckedOutputPath(outDir, PathJoin(outDir, "toc.js")), ScriptOf(kTocPrefix, toc));
  WriteKeywordIndex(outDir, topics, settings.SpellLanguage);
  WriteContextMap(project, outDir);
  guard.AppendWarnings(warnings);
}

std::string FillWebHelpCssPlaceholders(const std::string& css, const TProjectSettings& settings) {
  std::string s = ReplaceAll(css, "__ZD_TOC_COLOR__", ColorToHtml(settings.TocTextColor));
  s = ReplaceAll(s, "__ZD_TOC_SIZE__", std::to_string(settings.TocTextSize));
  return ReplaceAll(s, "__ZD_LEFT_BG__", ColorToHtml(settings.DefaultPageBgColor));
}

void InstallWebHelpViewer(const TDocProject& project, const std::string& outDir, const TProjectSettings* settings) {
  const std::string viewerDir = PathJoin(project.RootPath(), "internal/webhelp");
  const TFolderBoundary inside(project.RootPath());
  auto source = [&viewerDir, &inside](const char* name) {
    const std::string path = PathJoin(viewerDir, name);
    if (!FileExists(path)) throw EFolivaneError("WebHelp viewer file not found: " + path);
    if (!inside.Holds(path)) {
      throw EFolivaneError(FormatText(
          TranslateText("The WebHelp viewer file %s leads outside the project through a symbolic link"), {path}));
    }
    return path;
  };
  const std::string html = source("app.html");
  const std::string js = source("app.js");
  const std::string css = source("app.css");

  std::string page = ReadTextFileUtf8(html);
  const std::string kTitle = "<title>WebHelp</title>";
  const size_t at = page.find(kTitle);
  if (at != std::string::npos) page.replace(at, kTitle.size(), "<title>" + HtmlEscape(project.Title()) + "</title>");

  CopyFileOverwrite(js, CheckedOutputPath(outDir, PathJoin(outDir, "app.js")));

  const std::string cssText = ReadTextFileUtf8(css);
  WriteTextFileUtf8(CheckedOutputPath(outDir, PathJoin(outDir, "app.css")),
                    settings ? FillWebHelpCssPlaceholders(cssText, *settings) : cssText);
  // The page a reader opens comes last, so it never stands beside an unfinished site.
  WriteTextFileUtf8(CheckedOutputPath(outDir, PathJoin(outDir, "index.html")), page);
}

std::string PublishWebHelp(const TDocProject& project, const TProjectSettings* settings,
                           const TProgressCallback& progress, std::vector<std::string>* warnings) {
  const std::string folder = WebHelpOutputFolder(project);
  CheckOutputFolder(project.RootPath(), folder);
  const std::string out = EnsureDir(folder);
  // The pages are rewritten in place: the last run's index.html would make a site cut
  // short (cancelled, failed, killed) look finished.
  DeleteFileIfExists(CheckedOutputPath(out, PathJoin(out, "index.html")));
  RemoveStaleWriteTemps(out);
  ExportWebHelp(project, out, progress, warnings);
  InstallWebHelpViewer(project, out, settings);
  return ExpandFileName(PathJoin(out, "index.html"));
}
