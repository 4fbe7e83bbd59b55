#include <gtest/gtest.h>

#include <algorithm>
#include <functional>
#include <set>

#include "TestHelpers.h"
#include "uExportWebHelp.h"
#include "uHtmlUtils.h"
#include "uJson.h"
#include "uReusableContent.h"
#include "uStorage.h"

namespace {

// A project folder in a temporary directory: topics are added with their page text.
struct TSite {
  TTempDir dir;
  TDocProject project;
  std::string out;

  TSite() {
    project.Clear();
    project.SetRootPath(IncludeTrailingDelimiter(dir / "P"));
    project.SetTitle("Guide");
    EnsureProjectFolders(project);
    out = dir / "P/build/webhelp";
  }
  TTopic& Add(const std::string& title, const std::string& parent, const std::string& html) {
    TTopic& t = project.AddTopic(title, parent);
    WriteFixtureFile(t.HtmlPath(), html);
    return t;
  }
  std::string Read(const std::string& rel) const { return ReadTextFileUtf8(out + "/" + rel); }
  bool Exists(const std::string& rel) const { return FileExists(out + "/" + rel); }
  std::string Page(const std::string& id) const { return Read("topics/" + id + ".html"); }
  TJson Json(const std::string& rel) const {
    TJson j;
    EXPECT_TRUE(TryParseJson(Read(rel), j)) << rel;
    return j;
  }
};

const char kHead[] =
    "<!doctype html><html><head><meta charset=\"utf-8\"><meta name=\"viewport\" content=\"width=device-width, "
    "initial-scale=1\"><link rel=\"stylesheet\" href=\"../style.css\"><style>body{margin:0;"
    "background:";
const char kStyleTail[] =
    ";}.zd-page-body p{margin:0;}.zd-page-body h1,.zd-page-body h2,.zd-page-body h3,.zd-page-body h4,"
    ".zd-page-body h5,.zd-page-body h6{margin:0;}.zd-page-body ul,.zd-page-body ol{margin:0;padding-left:1.5em;}"
    ".zd-page-body li{margin:0;}table{border-collapse:collapse;max-width:100%;}td,th{border:1px solid #999;"
    "padding:4px;vertical-align:top;}</style></head><body>";

std::string ExpectedPage(const std::string& pageBg, const std::string& headerBg, const std::string& headerHtml,
                         const std::string& body, const std::string& footer) {
  return std::string(kHead) + pageBg + kStyleTail + "<div class=\"zd-page-header\" style=\"background:" + headerBg +
         ";padding:12px 16px;\">" + headerHtml + "</div><div class=\"zd-page-body\" style=\"padding:16px;\">" + body +
         "</div>" + footer + "</body></html>";
}

std::set<std::string> SearchIds(const TJson& search) {
  std::set<std::string> ids;
  for (const TJson& e : search["topics"]) ids.insert(e["id"].get<std::string>());
  return ids;
}

}  // namespace

TEST(ExportWebHelp, WritesPagesTableOfContentsAndSearchIndex) {
  TSite s;
  TTopic& root =
      s.Add("Start", "", "<p>Hello <a href=\"doc:LINKS\">next</a> and <a href=\"doc:HIDDEN\">hidden</a></p>");
  root.Keywords() = {"intro", "first"};
  TTopic& child = s.Add("Empty", root.ID(), "  \r\n ");
  TTopic& hidden = s.Add("Hidden", "", "<p>secret</p>");
  hidden.SetExcludeWeb(true);
  TTopic& orphan = s.Add("Orphan", hidden.ID(), "<p>orphan text</p>");
  s.project.RootTopicIDs().push_back("0123456789ABCDEF0123456789ABCDEF");  // not in the table: skipped
  const std::string page = ReadTextFileUtf8(root.HtmlPath());
  WriteFixtureFile(root.HtmlPath(), ReplaceAll(ReplaceAll(page, "LINKS", child.ID()), "HIDDEN", hidden.ID()));

  ExportWebHelp(s.project, s.out);

  const std::string toc = "{\"roots\":[{\"id\":\"" + root.ID() + "\",\"title\":\"Start\",\"file\":\"topics\\/" +
                          root.ID() + ".html\",\"children\":[{\"id\":\"" + child.ID() +
                          "\",\"title\":\"Empty\",\"file\":\"topics\\/" + child.ID() + ".html\",\"children\":[]}]}]}";
  EXPECT_EQ(s.Read("toc.json"), toc);
  EXPECT_EQ(s.Read("toc.js"), "window.__ZD_TOC = " + toc + ";");

  const std::string fallbackHeader = "<div style=\"font-size:14px;\"><b>Guide</b></div>";
  EXPECT_EQ(s.Page(root.ID()),
            ExpectedPage("#ffffff", "#fafafa", fallbackHeader,
                         "<p>Hello <a href=\"" + child.ID() + ".html\">next</a> and <a href=\"#\">hidden</a></p>", ""));
  EXPECT_EQ(s.Page(child.ID()), ExpectedPage("#ffffff", "#fafafa", fallbackHeader, "<h1>Empty</h1>", ""));
  EXPECT_TRUE(s.Exists("topics/" + orphan.ID() + ".html")) << "a topic under an excluded parent is published";
  EXPECT_FALSE(s.Exists("topics/" + hidden.ID() + ".html"));
  EXPECT_TRUE(DirExists(s.out + "/assets"));
  EXPECT_TRUE(s.Exists("style.css"));

  const std::string searchText = s.Read("search.json");
  EXPECT_EQ(s.Read("search.js"), "window.__ZD_SEARCH = " + searchText + ";");
  const TJson search = s.Json("search.json");
  EXPECT_EQ(SearchIds(search), (std::set<std::string>{root.ID(), child.ID(), orphan.ID()}));
  for (const TJson& e : search["topics"]) {
    std::vector<std::string> keys;
    for (const auto& item : e.items()) keys.push_back(item.key());
    EXPECT_EQ(keys, (std::vector<std::string>{"id", "title", "file", "text", "keywords"}));
    const std::string id = e["id"];
    EXPECT_EQ(e["file"], "topics/" + id + ".html");
    if (id == root.ID()) {
      EXPECT_EQ(e["text"], "Hello next and hidden");
      EXPECT_EQ(e["keywords"], "intro first");
    } else if (id == child.ID()) {
      EXPECT_EQ(e["text"], "") << "the empty-page heading is not indexed";
      EXPECT_EQ(e["keywords"], "");
    }
  }
}

TEST(ExportWebHelp, EmptyProjectAndASecondExportKeepOldFiles) {
  TSite s;
  WriteFixtureFile(s.out + "/topics/OLD.html", "old");
  ExportWebHelp(s.project, s.out);
  EXPECT_EQ(s.Read("toc.json"), "{\"roots\":[]}");
  EXPECT_EQ(s.Read("search.json"), "{\"topics\":[]}");
  EXPECT_EQ(s.Read("search.js"), "window.__ZD_SEARCH = {\"topics\":[]};");
  EXPECT_EQ(s.Read("topics/OLD.html"), "old") << "nothing is deleted before an export";
}

TEST(ExportWebHelp, TextsThatWouldBreakTheViewerAreEscaped) {
  TSite s;
  const std::string title = "Caf\xC3\xA9 \"q\" </script> \\ tab\there\x01 \xE2\x80\xA8 \xF0\x9F\x98\x80";
  TTopic& t = s.Add(title, "", "<p>x</p>");
  t.Keywords() = {"</script>"};
  ExportWebHelp(s.project, s.out);
  for (const char* file : {"toc.js", "search.js"}) {
    const std::string text = s.Read(file);
    for (unsigned char c : text) ASSERT_TRUE(c >= 0x20 && c < 0x7F) << file << " is plain ASCII";
    EXPECT_EQ(text.find("</"), std::string::npos) << file;
    EXPECT_NE(text.find("Caf\\u00E9 \\\"q\\\" <\\/script> \\\\ tab\\there\\u0001 \\u2028 \\uD83D\\uDE00"),
              std::string::npos)
        << file;
  }
  const TJson toc = s.Json("toc.json");
  EXPECT_EQ(toc["roots"][0]["title"], title) << "the text survives the round trip";
}

TEST(ExportWebHelp, SettingsGiveBackgroundFooterAndHeader) {
  TSite s;
  TTopic& t = s.Add("T", "", "<p>x</p>");
  TProjectSettings settings;
  settings.DefaultPageBgColor = ColorFromHtml("#102030", 0);
  settings.CopyrightEnabled = true;
  settings.CopyrightText = " (c) <Us> & 'them' ";
  settings.SaveToFile(TProjectSettings::DefaultSettingsPathForProject(s.project.RootPath()));
  WriteFixtureFile(HeaderHtmlPath(s.project, t.ID()), "<p>My header</p>");
  WriteFixtureFile(HeaderBgPath(s.project, t.ID()), "#abcdef");

  ExportWebHelp(s.project, s.out);
  const std::string footer =
      "<div class=\"zd-page-footer\" style=\"padding:10px 16px;border-top:1px solid #d0d0d0;font-size:12px;"
      "opacity:0.85;\"> (c) &lt;Us&gt; &amp; &#39;them&#39; </div>";
  EXPECT_EQ(s.Page(t.ID()), ExpectedPage("#102030", "#abcdef", "<p>My header</p>", "<p>x</p>", footer));

  settings.CopyrightText = "   ";
  settings.SaveToFile(TProjectSettings::DefaultSettingsPathForProject(s.project.RootPath()));
  ExportWebHelp(s.project, s.out);
  EXPECT_EQ(s.Page(t.ID()).find("zd-page-footer"), std::string::npos) << "a blank copyright has no footer";
}

// Every combination of default and own header files gives the header LookupTopicHeader gives.
TEST(ExportWebHelp, HeadersFollowTheProjectDefaultAndTheTopicsOwnFiles) {
  struct TCase {
    const char* defaultHtml;  // nullptr: no file
    const char* defaultBg;
    const char* ownHtml;
    const char* ownBg;
  };
  const TCase cases[] = {
      {nullptr, nullptr, nullptr, nullptr},           {"<p>Default</p>", "#111111", nullptr, nullptr},
      {"<p>Default</p>", " ", "<p>Own</p>", nullptr}, {nullptr, nullptr, " \n", "#222222"},
      {"<p>Default</p>", "#111111", "  ", ""},        {nullptr, "", "<p>Own</p>", " #333333 "},
  };
  for (const TCase& c : cases) {
    TSite s;
    s.project.SetTitle("Guide <b>");
    TTopic& t = s.Add("T", "", "<p>x</p>");
    auto put = [](const std::string& path, const char* text) {
      if (text) WriteFixtureFile(path, text);
    };
    put(HeaderHtmlPath(s.project, ""), c.defaultHtml);
    put(HeaderBgPath(s.project, ""), c.defaultBg);
    put(HeaderHtmlPath(s.project, t.ID()), c.ownHtml);
    put(HeaderBgPath(s.project, t.ID()), c.ownBg);
    ExportWebHelp(s.project, s.out);
    const TPublishHeader expected = LookupTopicHeader(s.project, t.ID(), TPublishForm::WebHelp);
    EXPECT_EQ(s.Page(t.ID()), ExpectedPage("#ffffff", expected.background, expected.html, "<p>x</p>", ""))
        << (c.defaultHtml ? c.defaultHtml : "-") << " " << (c.ownHtml ? c.ownHtml : "-");
  }
}

TEST(ExportWebHelp, LinksInsideSnippetsAreRewrittenAfterExpansion) {
  TSite s;
  TTopic& target = s.Add("Target", "", "<p>t</p>");
  TTopic& t = s.Add("Uses", "", "<p>{var:Product} {snip:Link}</p>");
  TReusableProjectContent store;
  store.Variables().push_back({"Product", "Widget & Co"});
  store.Snippets().push_back({"Link", "<a href=\"doc:" + target.ID() + "\">go</a>"});
  store.SaveToProject(s.project);
  ExportWebHelp(s.project, s.out);
  const std::string page = s.Page(t.ID());
  EXPECT_NE(page.find("<a href=\"" + target.ID() + ".html\">go</a>"), std::string::npos) << page;
  EXPECT_NE(page.find("Widget &amp; Co"), std::string::npos) << page;
  const TJson search = s.Json("search.json");
  for (const TJson& e : search["topics"]) {
    if (e["id"] == t.ID()) {
      EXPECT_EQ(e["text"], "Widget & Co go");
    }
  }
}

TEST(ExportWebHelp, AssetsAreCopiedAndReferencedFromTheTopicsFolder) {
  TSite s;
  TTopic& t = s.Add("Pic", "", "<p><img src=\"assets/images/a.png\"></p>");
  WriteFixtureFile(s.project.RootPath() + "assets/images/a.png", "PNG");
  ExportWebHelp(s.project, s.out);
  EXPECT_EQ(s.Read("assets/images/a.png"), "PNG");
  EXPECT_NE(s.Page(t.ID()).find("src=\"../assets/images/a.png\""), std::string::npos);
}

TEST(ExportWebHelp, ProgressCountsTopicsAndCanCancel) {
  TSite s;
  for (int i = 0; i < 3; ++i) s.Add("T" + std::to_string(i), "", "<p>x</p>");
  s.project.GetTopic(s.project.RootTopicIDs()[1]).SetExcludeWeb(true);
  std::vector<std::pair<int, int>> calls;
  ExportWebHelp(s.project, s.out, [&](int done, int total) { calls.emplace_back(done, total); });
  EXPECT_EQ(calls, (std::vector<std::pair<int, int>>{{0, 2}, {1, 2}, {2, 2}}));

  TSite c;
  for (int i = 0; i < 3; ++i) c.Add("T" + std::to_string(i), "", "<p>x</p>");
  EXPECT_THROW(ExportWebHelp(c.project, c.out,
                             [](int done, int) {
                               if (done == 1) throw EAbort();
                             }),
               EAbort);
  EXPECT_EQ(ListFiles(c.out + "/topics").size(), 1u) << "the page written before the cancel stays";
  EXPECT_FALSE(c.Exists("toc.json"));
}

TEST(ExportWebHelp, AnUnreadablePageEndsTheExportNamingIt) {
  TSite s;
  TTopic& good = s.Add("Good", "", "<p>x</p>");
  TTopic& bad = s.Add("Bad", "", "");
  DeleteFileIfExists(bad.HtmlPath());
  EnsureDir(bad.HtmlPath());  // a folder where the page should be: it exists but cannot be read as a file
  try {
    ExportWebHelp(s.project, s.out);
    FAIL() << "the export went on";
  } catch (const EFolivaneError& e) {
    EXPECT_NE(std::string(e.what()).find(bad.ID() + ".html"), std::string::npos) << e.what();
  }
  EXPECT_TRUE(s.Exists("topics/" + good.ID() + ".html")) << "pages written before stay";
}

TEST(ExportWebHelp, DamagedStructureListsATopicOnce) {
  TSite s;
  TTopic& a = s.Add("A", "", "<p>a</p>");
  TTopic& b = s.Add("B", a.ID(), "<p>b</p>");
  b.Children().push_back(a.ID());  // a cycle
  s.project.RootTopicIDs().push_back(a.ID());
  const std::string toc = BuildWebHelpTocJson(s.project);
  EXPECT_EQ(toc, "{\"roots\":[{\"id\":\"" + a.ID() + "\",\"title\":\"A\",\"file\":\"topics\\/" + a.ID() +
                     ".html\",\"children\":[{\"id\":\"" + b.ID() + "\",\"title\":\"B\",\"file\":\"topics\\/" + b.ID() +
                     ".html\",\"children\":[]}]}]}");
}

TEST(PublishWebHelp, CopiesTheViewerFillsPlaceholdersAndSetsTheTitle) {
  TSite s;
  s.project.SetTitle("A & <B>");
  s.Add("T", "", "<p>x</p>");
  const std::string viewer = s.project.RootPath() + "internal/webhelp/";
  WriteFixtureFile(viewer + "app.html", "<head><title>WebHelp</title></head><p><title>WebHelp</title></p>");
  WriteFixtureFile(viewer + "app.js", "js();");
  WriteFixtureFile(viewer + "app.css",
                   "a{color:__ZD_TOC_COLOR__;font-size:__ZD_TOC_SIZE__px;background:__ZD_LEFT_BG__}"
                   "b{color:__ZD_TOC_COLOR__}c{color:__zd_toc_color__}");
  TProjectSettings settings;
  settings.TocTextColor = ColorFromHtml("#123456", 0);
  settings.TocTextSize = 17;
  settings.DefaultPageBgColor = ColorFromHtml("#fedcba", 0);

  const std::string index = PublishWebHelp(s.project, &settings);
  EXPECT_EQ(index, ExpandFileName(s.out + "/index.html"));
  EXPECT_EQ(s.Read("index.html"), "<head><title>A &amp; &lt;B&gt;</title></head><p><title>WebHelp</title></p>");
  EXPECT_EQ(s.Read("app.js"), "js();");
  EXPECT_EQ(s.Read("app.css"),
            "a{color:#123456;font-size:17px;background:#fedcba}b{color:#123456}"
            "c{color:__zd_toc_color__}");
  EXPECT_TRUE(s.Exists("toc.js"));

  PublishWebHelp(s.project, nullptr);
  EXPECT_NE(s.Read("app.css").find("__ZD_TOC_COLOR__"), std::string::npos) << "no settings: copied as is";
}

TEST(PublishWebHelp, AMissingViewerFileIsNamedAfterTheExport) {
  TSite s;
  TTopic& t = s.Add("T", "", "<p>x</p>");
  const std::string viewer = s.project.RootPath() + "internal/webhelp/";
  WriteFixtureFile(viewer + "app.html", "<title>WebHelp</title>");
  WriteFixtureFile(viewer + "app.css", "");
  DeleteFileIfExists(viewer + "app.js");
  try {
    PublishWebHelp(s.project, nullptr);
    FAIL() << "a site without its viewer was reported as published";
  } catch (const EFolivaneError& e) {
    EXPECT_NE(std::string(e.what()).find("internal/webhelp/app.js"), std::string::npos) << e.what();
  }
  EXPECT_TRUE(s.Exists("topics/" + t.ID() + ".html")) << "the export itself completed";
}

// index.html is what a reader opens: after a run that stopped half-way it must not stand
// beside pages of two runs (the last run's index) or beside a viewer not yet copied.
TEST(PublishWebHelp, ARunCutShortLeavesNoIndexPage) {
  struct TCase {
    const char* name;
    std::function<void(TSite&)> cutShort;
  };
  const TCase cases[] = {
      {"cancelled while the pages are written, after a finished run",
       [](TSite& s) {
         PublishWebHelp(s.project, nullptr);
         ASSERT_TRUE(s.Exists("index.html"));
         EXPECT_THROW(PublishWebHelp(s.project, nullptr,
                                     [](int done, int) {
                                       if (done == 1) throw EAbort();
                                     }),
                      EAbort);
       }},
      {"the viewer's style sheet cannot be written",
       [](TSite& s) {
         EnsureDir(s.out + "/app.css");
         EXPECT_THROW(PublishWebHelp(s.project, nullptr), EFolivaneError);
       }},
  };
  for (const TCase& c : cases) {
    SCOPED_TRACE(c.name);
    TSite s;
    for (int i = 0; i < 3; ++i) s.Add("T" + std::to_string(i), "", "<p>x</p>");
    const std::string viewer = s.project.RootPath() + "internal/webhelp/";
    WriteFixtureFile(viewer + "app.html", "<title>WebHelp</title>");
    WriteFixtureFile(viewer + "app.js", "js();");
    WriteFixtureFile(viewer + "app.css", "a{}");
    c.cutShort(s);
    EXPECT_FALSE(s.Exists("index.html"));
  }
}

// Large projects are written by two threads: every page and entry is there, in the same
// files, and progress still counts up to the total on the calling thread.
TEST(ExportWebHelp, LargeExportsWriteEveryPageOnce) {
  TSite s;
  std::vector<std::string> ids;
  for (int i = 0; i < 150; ++i) {
    const std::string parent = i < 10 ? "" : ids[static_cast<size_t>(i % 10)];
    ids.push_back(s.Add("T" + std::to_string(i), parent, "<p>page " + std::to_string(i) + "</p>").ID());
  }
  int last = -1;
  int calls = 0;
  ExportWebHelp(s.project, s.out, [&](int done, int total) {
    EXPECT_EQ(total, 150);
    EXPECT_EQ(done, last + 1);
    last = done;
    ++calls;
  });
  EXPECT_EQ(calls, 151);
  EXPECT_EQ(ListFiles(s.out + "/topics").size(), 150u);
  const TJson search = s.Json("search.json");
  ASSERT_EQ(search["topics"].size(), 150u);
  for (const TJson& e : search["topics"]) {
    const std::string id = e["id"];
    const size_t i = static_cast<size_t>(std::find(ids.begin(), ids.end(), id) - ids.begin());
    ASSERT_LT(i, ids.size());
    EXPECT_EQ(e["text"], "page " + std::to_string(i));
    EXPECT_NE(s.Page(id).find("<p>page " + std::to_string(i) + "</p>"), std::string::npos);
  }
  // Both threads gather postings; the index lists a word of every page once per page, in order.
  std::vector<int> pagesWithWord;
  for (const std::string& file : ListFiles(s.out + "/search")) {
    const std::string name = ExtractFileName(file);
    if (name[0] != 't') continue;
    const std::string script = ReadTextFileUtf8(file);
    const size_t open = script.find(",[");
    TJson part;
    ASSERT_TRUE(TryParseJson(script.substr(open + 1, script.size() - open - 3), part)) << name;
    for (const TJson& entry : part) {
      if (entry[0] != "page") continue;
      ASSERT_EQ(entry.size(), 2u) << "the text field only";
      int doc = 0;
      for (size_t k = 1; k + 1 < entry[1].size(); k += 2) pagesWithWord.push_back(doc += entry[1][k].get<int>());
    }
  }
  std::vector<int> everyPage(150);
  for (int i = 0; i < 150; ++i) everyPage[static_cast<size_t>(i)] = i;
  EXPECT_EQ(pagesWithWord, everyPage);

  TSite c;
  for (int i = 0; i < 150; ++i) c.Add("T" + std::to_string(i), "", "<p>x</p>");
  EXPECT_THROW(ExportWebHelp(c.project, c.out,
                             [](int done, int) {
                               if (done == 20) throw EAbort();
                             }),
               EAbort);
  EXPECT_LT(ListFiles(c.out + "/topics").size(), 150u) << "a cancel stops both threads";
  EXPECT_FALSE(c.Exists("search.json"));
}

// The Index tab's file: keywords and index entries of the published topics, trimmed, each
// topic once under an entry, sorted later by the viewer in the project's language.
TEST(ExportWebHelp, KeywordIndexListsEntriesOfPublishedTopics) {
  TSite s;
  TTopic& a = s.Add("Alpha", "", "<p>a</p>");
  a.Keywords() = {"setup", " printing "};
  a.IndexEntries() = {"setup", "", "Äpfel"};
  TTopic& b = s.Add("Beta", "", "<p>b</p>");
  b.IndexEntries() = {"setup"};
  TTopic& hidden = s.Add("Hidden", "", "<p>h</p>");
  hidden.SetExcludeWeb(true);
  hidden.Keywords() = {"secret"};
  s.Add("Plain", "", "<p>p</p>");
  TProjectSettings settings;
  settings.SpellLanguage = "de-DE";
  settings.SaveToFile(TProjectSettings::DefaultSettingsPathForProject(s.project.RootPath()));

  ExportWebHelp(s.project, s.out);

  const std::string prefix = "window.__ZD_KEYWORDS = ";
  const std::string script = s.Read("keywords.js");
  ASSERT_EQ(script.rfind(prefix, 0), 0u);
  TJson keywords;
  ASSERT_TRUE(TryParseJson(script.substr(prefix.size(), script.size() - prefix.size() - 1), keywords));
  EXPECT_EQ(keywords["lang"], "de-DE");
  EXPECT_EQ(keywords["topics"], TJson::parse("[[\"" + a.ID() + "\",\"Alpha\"],[\"" + b.ID() + "\",\"Beta\"]]"));
  EXPECT_EQ(keywords["entries"], TJson::parse("[[\"printing\",[0]],[\"setup\",[0,1]],[\"\u00c4pfel\",[0]]]"));
}

// The viewer's index parts are named by index.js; a later, smaller export removes the parts
// it no longer names, so a reader never loads a stale one.
TEST(ExportWebHelp, SearchPartsOfAnEarlierLargerExportAreRemoved) {
  TSite s;
  std::vector<TTopic*> topics;
  for (int i = 0; i < 4; ++i) {
    std::string text;
    for (int w = 0; w < 4000; ++w) text += "word" + std::to_string(i * 4000 + w) + " ";
    topics.push_back(&s.Add("T" + std::to_string(i), "", "<p>" + text + "</p>"));
  }
  ExportWebHelp(s.project, s.out);
  const std::vector<std::string> before = ListFiles(s.out + "/search");
  ASSERT_TRUE(s.Exists("search/t1.js") && s.Exists("search/x1.js")) << "the test needs several parts";
  WriteFixtureFile(s.out + "/search/notes.txt", "mine");

  for (TTopic* t : topics) WriteFixtureFile(t->HtmlPath(), "<p>short</p>");
  ExportWebHelp(s.project, s.out);
  std::vector<std::string> after;
  for (const std::string& f : ListFiles(s.out + "/search")) after.push_back(ExtractFileName(f));
  std::sort(after.begin(), after.end());
  EXPECT_EQ(after, (std::vector<std::string>{"index.js", "notes.txt", "t0.js", "x0.js"}));
  EXPECT_GT(before.size(), after.size());
}
