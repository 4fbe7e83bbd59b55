#include <gtest/gtest.h>

#include <sys/resource.h>
#include <unistd.h>

#include <csignal>

#include "TestHelpers.h"
#include "uJson.h"
#include "uPlatform.h"
#include "uStorage.h"

namespace {

using Strings = std::vector<std::string>;

class StorageTest : public ::testing::Test {
 protected:
  TTempDir dir;
  std::string Root() const { return dir.Path() + "/P/"; }
  void WriteTopics(const std::string& json) { WriteFixtureFile(Root() + "meta/topics.json", json); }
};

}  // namespace

TEST_F(StorageTest, PathsOfAProject) {
  TDocProject p;
  p.SetRootPath("/p/");
  EXPECT_EQ(TopicFilePath(p, "ABC"), "/p/topics/ABC.html");
  EXPECT_EQ(TopicFilePath(p, "../../etc/x"), "/p/topics/.._.._etc_x.html") << "an id cannot leave topics/";
  EXPECT_EQ(HeaderHtmlPath(p, ""), "/p/meta/header_default.html");
  EXPECT_EQ(HeaderHtmlPath(p, "a:b"), "/p/meta/header_a_b.html");
  EXPECT_EQ(HeaderBgPath(p, ""), "/p/meta/headerbg_default.txt");
  EXPECT_EQ(HeaderBgPath(p, "X"), "/p/meta/headerbg_X.txt");
  EXPECT_EQ(EditorPagePath(p), "/p/internal/editor/editor.html");
}

TEST_F(StorageTest, SaveThenLoadReproducesTheStructure) {
  TDocProject p;
  p.Clear();
  p.SetRootPath(Root());
  p.SetTitle("Caf\xC3\xA9 / Guide");
  p.SetStyleProfile("dark");
  TTopic& a = p.AddTopic("A", "");
  TTopic& b = p.AddTopic("B", "");
  TTopic& b1 = p.AddTopic("B1", b.ID());
  p.AddTopic("B2", b.ID());
  b1.Keywords() = {"k1", "k2"};
  b1.IndexEntries() = {"i1"};
  b1.SetExcludeWeb(true);
  a.SetExcludePdf(true);
  SaveProject(p);

  EXPECT_EQ(ReadBinaryFile(Root() + "project.json"), "{\"title\":\"Caf\\u00E9 \\/ Guide\",\"styleProfile\":\"dark\"}");
  EXPECT_NE(ReadBinaryFile(Root() + "meta/topics.json").find("\"htmlPath\":\"topics\\\\" + a.ID() + ".html\""),
            std::string::npos);

  TDocProject q;
  LoadProject(Root(), q);
  EXPECT_EQ(q.Title(), p.Title());
  EXPECT_EQ(q.StyleProfile(), "dark");
  EXPECT_EQ(q.RootTopicIDs(), p.RootTopicIDs());
  for (const auto& [id, t] : p.Topics()) {
    const TTopic& r = q.GetTopic(id);
    EXPECT_EQ(r.Title(), t->Title());
    EXPECT_EQ(r.ParentID(), t->ParentID());
    EXPECT_EQ(r.Children(), t->Children());
    EXPECT_EQ(r.Keywords(), t->Keywords());
    EXPECT_EQ(r.IndexEntries(), t->IndexEntries());
    EXPECT_EQ(r.ExcludeWeb(), t->ExcludeWeb());
    EXPECT_EQ(r.ExcludeChm(), t->ExcludeChm());
    EXPECT_EQ(r.ExcludePdf(), t->ExcludePdf());
    EXPECT_EQ(r.HtmlPath(), t->HtmlPath());
  }
}

TEST_F(StorageTest, LoadIsLenientWithValues) {
  WriteTopics(
      "{\"rootTopicIds\":[\"A\",\"GHOST\",\"A\"],\"topics\":["
      "{\"id\":\"A\",\"htmlPath\":\"C:\\\\elsewhere\\\\x.html\",\"excludeWeb\":\"TRUE\",\"excludeChm\":1},"
      "{\"id\":\"\",\"title\":\"skipped\"},{\"title\":\"no id\"}]}");
  TDocProject p;
  LoadProject(Root(), p);
  EXPECT_EQ(p.Title(), "Untitled Documentation");
  EXPECT_EQ(p.RootTopicIDs(), (Strings{"A", "GHOST", "A"}));
  ASSERT_EQ(p.Topics().size(), 1u);
  const TTopic& a = p.GetTopic("A");
  EXPECT_EQ(a.HtmlPath(), Root() + "topics/A.html");
  EXPECT_TRUE(a.ExcludeWeb());
  EXPECT_FALSE(a.ExcludeChm());
  EXPECT_FALSE(a.ExcludePdf());
}

TEST_F(StorageTest, LoadReadsValuesAsText) {
  WriteTopics(
      "{\"rootTopicIds\":[\"A\",[1],{\"x\":1},2.50],\"topics\":[{\"id\":\"A\",\"title\":\"first\","
      "\"title\":\"second\",\"keywords\":[1e2,null,true,[\"deep\"]],\"children\":[],\"children\":5,"
      "\"excludePdf\":\"False\",\"excludeWeb\":{\"a\":true},\"extra\":{\"topics\":[1]}}],"
      "\"topics\":\"ignored: the first pair counts\"}");
  TDocProject p;
  LoadProject(Root(), p);
  EXPECT_EQ(p.RootTopicIDs(), (Strings{"A", "", "", "2.50"}));
  const TTopic& a = p.GetTopic("A");
  EXPECT_EQ(a.Title(), "first");
  EXPECT_EQ(a.Keywords(), (Strings{"1e2", "null", "true", ""}));
  EXPECT_FALSE(a.ExcludePdf());
  EXPECT_FALSE(a.ExcludeWeb());
}

// A kind error in a file that turns out not to be JSON at all: the damage is what is
// reported, and nothing of the file is taken half read.
TEST_F(StorageTest, DamagedFileWinsOverKindErrors) {
  WriteTopics("{\"rootTopicIds\":\"A\",\"topics\":[{\"id\":\"A\"},{\"id\":\"A\"}");
  TDocProject p;
  EXPECT_NE(ErrorMessage([&] { LoadProject(Root(), p); }).find("topics.json is not valid JSON"), std::string::npos);
  EXPECT_TRUE(p.RootTopicIDs().empty());
  EXPECT_TRUE(p.Topics().empty());
}

// Damaged structure files: text that is not JSON is ignored (with a warning), values of
// the wrong kind and duplicates raise with a message naming the file.
TEST_F(StorageTest, DamagedStructureFiles) {
  struct Case {
    const char* name;
    std::string topics;
    const char* error;
  };
  const Case cases[] = {
      {"truncated", "{\"rootTopicIds\":[\"A\"],\"topics\":[{\"id\":",
       "topics.json is not valid JSON (line 1, column 39: syntax error"},
      {"conflict marker", "<<<<<<< HEAD\n{\"rootTopicIds\":[]}", "topics.json is not valid JSON"},
      {"empty", "", "topics.json is not valid JSON"},
      {"invalid utf-8", "{\"rootTopicIds\":[\"\xFF\xFE\"],\"topics\":[]}", nullptr},
      {"bom", "\xEF\xBB\xBF{\"rootTopicIds\":[\"A\"],\"topics\":[{\"id\":\"A\"}]}", nullptr},
      {"huge number", "{\"rootTopicIds\":[1e999],\"topics\":[]}", "is not valid JSON (number overflow"},
      {"big integer title", "{\"rootTopicIds\":[],\"topics\":[{\"id\":\"A\",\"title\":123456789012345678901234}]}",
       nullptr},
      {"array file", "[1,2]", "must be an object, not an array"},
      {"roots not array", "{\"rootTopicIds\":\"A\"}", "\"rootTopicIds\" must be an array, not a string"},
      {"topics not array", "{\"topics\":{}}", "\"topics\" must be an array, not an object"},
      {"topic not object", "{\"topics\":[\"A\"]}", "must be an object, not a string"},
      {"children not array", "{\"topics\":[{\"id\":\"A\",\"children\":5}]}", "\"children\" must be an array"},
      {"keywords not array", "{\"topics\":[{\"id\":\"A\",\"keywords\":null}]}", "\"keywords\" must be an array"},
      {"index not array", "{\"topics\":[{\"id\":\"A\",\"index\":\"x\"}]}", "\"index\" must be an array"},
      {"duplicates", "{\"topics\":[{\"id\":\"A\"},{\"id\":\"A\"}]}", "Duplicates not allowed"},
  };
  for (const Case& c : cases) {
    WriteTopics(c.topics);
    TDocProject p;
    const std::string before = ReadBinaryFile(TopicsJsonPath(Root()));
    if (c.error) {
      const std::string message = ErrorMessage([&] { LoadProject(Root(), p); });
      EXPECT_NE(message.find(c.error), std::string::npos) << c.name << ": " << message;
      if (std::string(c.error) != "Duplicates not allowed") {
        EXPECT_NE(message.find(TopicsJsonPath(Root())), std::string::npos) << message;
      }
    } else {
      EXPECT_NO_THROW(LoadProject(Root(), p)) << c.name;
    }
    EXPECT_EQ(ReadBinaryFile(TopicsJsonPath(Root())), before) << c.name << ": the file is never touched";
  }
}

TEST_F(StorageTest, ProjectJsonThatIsNotJsonFailsTheLoad) {
  WriteFixtureFile(ProjectJsonPath(Root()), "{\"title\":\"Guide\",\n=======\n");
  TDocProject p;
  EXPECT_EQ(ErrorMessage([&] { LoadProject(Root(), p); }),
            ProjectJsonPath(Root()) +
                " is not valid JSON (line 2, column 1: syntax error while parsing object key - invalid literal; last "
                "read: '\"Guide\",<U+000A>='; expected string literal); fix or restore the file, then open the project "
                "again");
}

// Topic IDs name files: a received project must not reach outside its folder through one.
TEST_F(StorageTest, TopicIdsMustBePlainFileNames) {
  struct Case {
    std::string id;
    std::string shown;
  };
  const Case refused[] = {
      {"../../../ESCAPED", "../../../ESCAPED"},
      {"/tmp/x", "/tmp/x"},
      {"..", ".."},
      {"a.b", "a.b"},
      {"a b", "a b"},
      {"a\\\\b", "a\\b"},
      {"caf\u00e9", "caf\xC3\xA9"},
      {"line\\nbreak", "line?break"},
      {std::string(129, 'A'), std::string(60, 'A') + "..."},
      {std::string(10000, 'B'), std::string(60, 'B') + "..."},
  };
  for (const Case& c : refused) {
    WriteTopics("{\"rootTopicIds\":[\"OK\"],\"topics\":[{\"id\":\"OK\"},{\"id\":\"" + c.id + "\",\"title\":\"T\"}]}");
    TDocProject p;
    try {
      LoadProject(Root(), p);
      ADD_FAILURE() << c.shown << ": no error";
    } catch (const EFolivaneError& e) {
      EXPECT_EQ(std::string(e.what()),
                "Cannot load " + Root() + "meta/topics.json: the topic ID \"" + c.shown +
                    "\" is not a plain file name (letters, digits, - and _ only, at most 128 characters)");
    }
  }
  const std::string made = NewTopicID();
  WriteTopics("{\"topics\":[{\"id\":\"" + made + "\"},{\"id\":\"my-topic_2\"},{\"id\":\"" + std::string(128, 'C') +
              "\"}]}");
  TDocProject p;
  LoadProject(Root(), p);
  EXPECT_EQ(p.Topics().size(), 3u) << "IDs the program makes, and other plain names, load";
}

TEST_F(StorageTest, ProjectFileIsWrittenWithByteOrderMark) {
  TDocProject p;
  p.Clear();
  p.SetTitle("Guide");
  p.SetRootPath(Root());
  SaveProject(p);
  const std::string file = dir / "Docs/Guide.fvp";
  SaveProjectFile(file, p);
  EXPECT_EQ(ReadBinaryFile(file), "\xEF\xBB\xBF{\"version\":\"1.0\",\"title\":\"Guide\",\"root\":\"" +
                                      JsonQuote(dir / "Docs/Guide").substr(1) + "}");
  EXPECT_FALSE(StartsWith(ReadBinaryFile(dir / "Docs/Guide/project.json"), "\xEF\xBB\xBF"));
  const TProjectFileInfo info = ReadProjectFile(file);
  EXPECT_EQ(info.folder, dir / "Docs/Guide");
  EXPECT_EQ(info.title, "Guide");
}

TEST_F(StorageTest, ReadProjectFileFindsTheRightFolder) {
  WriteFixtureFile(dir / "A/project.json", "{}");
  WriteFixtureFile(dir / "B/project.json", "{}");
  struct Case {
    const char* file;
    std::string content;
    std::string folder;
  };
  const Case cases[] = {
      // renamed from A.fvp to B.fvp, root still names A: opens A
      {"B.fvp", "{\"title\":\"t\",\"root\":" + JsonQuote(dir / "A") + "}", dir / "A"},
      // moved from another machine: root no longer has project.json, the sibling does
      {"B.fvp", "{\"title\":\"t\",\"root\":\"D:\\\\Old\\\\B\"}", dir / "B"},
      {"B.fvp", "{\"title\":\"t\",\"root\":\"\"}", dir / "B"},
      // written on another system, and neither folder made yet: beside the file, never
      // relative to the working folder
      {"C.fvp", "{\"title\":\"t\",\"root\":\"D:\\\\Docs\\\\C\"}", dir / "C"},
      {"C.fvp", "{\"title\":\"t\",\"root\":\"Docs/C\"}", dir / "C"},
      {"B.fvp", "\xEF\xBB\xBF{\"title\":\"t\",\"root\":\"\"}", dir / "B"},
      {".fvp", "{\"title\":\"t\",\"root\":\"\"}", dir / "Project"},
  };
  for (const Case& c : cases) {
    WriteFixtureFile(dir / c.file, c.content);
    EXPECT_EQ(ReadProjectFile(dir / c.file).folder, c.folder) << c.content;
  }
}

TEST_F(StorageTest, ReadProjectFileErrors) {
  struct Case {
    const char* content;
    std::string message;
  };
  const std::string file = dir / "X.fvp";
  const Case cases[] = {
      {"[1]", "Invalid project file: " + file},        {"{\"title\":", "Invalid project file: " + file},
      {"\"text\"", "Invalid project file: " + file},   {"{\"root\":\"\"}", "Value 'title' not found"},
      {"{\"title\":\"t\"}", "Value 'root' not found"},
  };
  for (const Case& c : cases) {
    WriteFixtureFile(file, c.content);
    EXPECT_EQ(ErrorMessage([&] { ReadProjectFile(file); }), c.message) << c.content;
  }
  EXPECT_EQ(ErrorMessage([&] { ReadProjectFile(dir / "none.fvp"); }), "Project file not found: " + dir / "none.fvp");
}

// A project file renamed from A.fvp to B.fvp still works in folder A; saving it
// must bring the topics along to folder B, or the next open would lose them.
TEST_F(StorageTest, SavingARenamedProjectFileMovesTheTopics) {
  TDocProject p;
  p.Clear();
  p.SetRootPath(dir / "A/");
  const TTopic& t = p.AddTopic("T", "");
  WriteFixtureFile(t.HtmlPath(), "<p>text</p>");
  WriteFixtureFile(dir / "A/build/webhelp/index.html", "old output");
  SaveProject(p);

  EXPECT_TRUE(SaveProjectFile(dir / "B.fvp", p));
  EXPECT_EQ(p.RootPath(), dir / "B/");
  EXPECT_EQ(ReadTextFileUtf8(dir / "B/topics/" + t.ID() + ".html"), "<p>text</p>");
  EXPECT_FALSE(FileExists(dir / "B/build/webhelp/index.html"));
  TDocProject q;
  LoadProject(ReadProjectFile(dir / "B.fvp").folder + "/", q);
  EXPECT_EQ(q.Topics().size(), 1u);
}

TEST_F(StorageTest, InstallAppFilesKeepsTheProjectsOwnProfile) {
  const std::string app = dir / "app";
  WriteFixtureFile(app + "/AppFiles/editor/editor.html", "editor v2");
  WriteFixtureFile(app + "/AppFiles/webhelp/app.js", "js");
  WriteFixtureFile(app + "/AppFiles/webhelp/sub/skip.txt", "no");
  WriteFixtureFile(app + "/styles/default.css", "app css");
  SetExecutableDirForTests(app);

  TDocProject p;
  p.SetRootPath(Root());
  WriteFixtureFile(Root() + "styles/default.css", "my css");
  WriteFixtureFile(Root() + "internal/editor/editor.html", "editor v1");
  EnsureProjectFolders(p);
  InstallAppFiles(p);
  SetExecutableDirForTests("");

  EXPECT_EQ(ReadTextFileUtf8(Root() + "styles/default.css"), "my css");
  EXPECT_EQ(ReadTextFileUtf8(Root() + "internal/editor/editor.html"), "editor v2");
  EXPECT_EQ(ReadTextFileUtf8(Root() + "internal/webhelp/app.js"), "js");
  EXPECT_FALSE(DirExists(Root() + "internal/webhelp/sub"));
  for (const char* sub :
       {"topics", "meta", "assets/images", "build", "styles", "internal/editor", "internal/webhelp"}) {
    EXPECT_TRUE(DirExists(Root() + sub)) << sub;
  }
}

// The data is found from the program's folder: beside it where the build stages it, else in
// ../share/folivane of an installed program, never at a fixed path.
TEST_F(StorageTest, InstallAppFilesFindsTheProgramsDataBesideItOrInShare) {
  struct TLayout {
    const char* name;
    bool besideProgram;  // the build's layout: bin/AppFiles, bin/styles
    bool inShare;        // the installed layout: share/folivane/...
    const char* expectedFrom;
  };
  const TLayout layouts[] = {
      {"build tree", true, false, "bin"},
      {"installed", false, true, "share"},
      {"build tree beside an installation", true, true, "bin"},
  };
  int n = 0;
  for (const TLayout& l : layouts) {
    SCOPED_TRACE(l.name);
    const std::string prefix = dir / ("prefix" + std::to_string(++n));
    const auto stage = [](const std::string& folder, const std::string& from) {
      WriteFixtureFile(folder + "/AppFiles/editor/editor.html", "editor from " + from);
      WriteFixtureFile(folder + "/AppFiles/webhelp/app.js", "viewer from " + from);
      WriteFixtureFile(folder + "/styles/default.css", "css from " + from);
    };
    EnsureDir(prefix + "/bin");
    if (l.besideProgram) stage(prefix + "/bin", "bin");
    if (l.inShare) stage(prefix + "/share/folivane", "share");
    SetExecutableDirForTests(prefix + "/bin");

    TDocProject p;
    p.SetRootPath(prefix + "/project/");
    EnsureProjectFolders(p);
    InstallAppFiles(p);
    SetExecutableDirForTests("");

    const std::string from = l.expectedFrom;
    EXPECT_EQ(ReadTextFileUtf8(p.RootPath() + "internal/editor/editor.html"), "editor from " + from);
    EXPECT_EQ(ReadTextFileUtf8(p.RootPath() + "internal/webhelp/app.js"), "viewer from " + from);
    EXPECT_EQ(ReadTextFileUtf8(p.RootPath() + "styles/default.css"), "css from " + from);
  }
}

// The profile is copied only while the project has none, so a copy cut short (here by a
// file size limit, as by a crash or a full disk) must leave no half file to be kept for good.
TEST_F(StorageTest, AProfileCopyCutShortLeavesNoHalfFile) {
  const std::string app = dir / "app";
  WriteFixtureFile(app + "/styles/default.css", std::string(4096, 'p'));
  SetExecutableDirForTests(app);
  TDocProject p;
  p.SetRootPath(Root());
  EnsureProjectFolders(p);

  rlimit old{};
  ::getrlimit(RLIMIT_FSIZE, &old);
  rlimit small = old;
  small.rlim_cur = 1000;
  const auto oldHandler = ::signal(SIGXFSZ, SIG_IGN);
  ::setrlimit(RLIMIT_FSIZE, &small);
  EXPECT_THROW(InstallAppFiles(p), EFolivaneError);
  ::setrlimit(RLIMIT_FSIZE, &old);
  ::signal(SIGXFSZ, oldHandler);

  EXPECT_FALSE(FileExists(Root() + "styles/default.css"));
  InstallAppFiles(p);
  SetExecutableDirForTests("");
  EXPECT_EQ(ReadBinaryFile(Root() + "styles/default.css").size(), 4096u) << "the next open copies it whole";
}

TEST_F(StorageTest, CopyProjectFolderSkipsBuildAndProjectFiles) {
  WriteFixtureFile(dir / "src/topics/a.html", "a");
  WriteFixtureFile(dir / "src/build/x.html", "x");
  WriteFixtureFile(dir / "src/assets/build/keep.png", "k");
  WriteFixtureFile(dir / "src/sub/old.FVP", "f");
  WriteFixtureFile(dir / "dst/only-here.txt", "stay");
  CopyProjectFolder(dir / "src", dir / "dst");
  EXPECT_EQ(ListFilesRecursive(dir / "dst"), (Strings{"assets/build/keep.png", "only-here.txt", "topics/a.html"}));
}

// Save As copies the project's own files: a link to a file elsewhere must not bring that
// file into the new project; links within the project are copied as the files they name.
TEST_F(StorageTest, CopyProjectFolderLeavesOutLinksThatLeadOutside) {
  WriteFixtureFile(dir / "secret.txt", "secret");
  WriteFixtureFile(dir / "src/assets/logo.png", "logo");
  ASSERT_EQ(::symlink((dir / "secret.txt").c_str(), (dir / "src/assets/out.png").c_str()), 0);
  ASSERT_EQ(::symlink("logo.png", (dir / "src/assets/in.png").c_str()), 0);
  CopyProjectFolder(dir / "src", dir / "dst");
  EXPECT_EQ(ListFilesRecursive(dir / "dst"), (Strings{"assets/in.png", "assets/logo.png"}));
  EXPECT_EQ(ReadTextFileUtf8(dir / "dst/assets/in.png"), "logo");
}

TEST_F(StorageTest, PublishHeaderPrecedence) {
  struct Case {
    std::vector<std::pair<std::string, std::string>> files;
    const char* html;
    const char* bg;
  };
  const Case cases[] = {
      {{}, "", "#fafafa"},
      {{{"header_default.html", "D"}, {"headerbg_default.txt", " #111111\n"}}, "D", "#111111"},
      {{{"header_default.html", "D"}, {"header_T.html", "T"}, {"headerbg_T.txt", "#222222"}}, "T", "#222222"},
      {{{"headerbg_default.txt", "#111111"}, {"headerbg_T.txt", "  "}}, "", "#fafafa"},
  };
  for (const Case& c : cases) {
    TTempDir d;
    for (const auto& [name, text] : c.files) WriteFixtureFile(d / ("meta/" + name), text);
    const TPublishHeader h = ResolvePublishHeader(d.Path() + "/", "T");
    EXPECT_EQ(h.html, c.html);
    EXPECT_EQ(h.background, c.bg);
  }
}
