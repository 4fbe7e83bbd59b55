// Received projects built to escape their folder: traversal and absolute topic IDs, symbolic
// links that lead out of the project, odd names, a huge sparse file, a topic file that is a
// folder, cycles in the tree. Opening, every exporter and the link checker must leave the
// sandbox outside the project and its build folder exactly as it was, publish nothing from
// outside, say clearly what they refuse or leave out, and never crash.
#include <gtest/gtest.h>

#include <sys/resource.h>
#include <sys/stat.h>
#include <unistd.h>

#include <filesystem>
#include <functional>
#include <map>

#include "TestHelpers.h"
#include "uExportChm.h"
#include "uExportPdf.h"
#include "uExportWebHelp.h"
#include "uLinkChecker.h"
#include "uPlatform.h"
#include "uStorage.h"

namespace fs = std::filesystem;

namespace {

const char kSecret[] = "OUTSIDE-SECRET";
const std::string kTopicA = "AAAAAAAAAAAAAAAAAAAAAAAAAAAAAAAA";
const std::string kTopicB = "BBBBBBBBBBBBBBBBBBBBBBBBBBBBBBBB";

// A sandbox with a project folder P and, beside it, files the project must never reach.
class TSandbox {
 public:
  TSandbox() {
    WriteFixtureFile(Outside("secret.txt"), kSecret);
    WriteFixtureFile(Outside("dir/inner.png"), kSecret);
    WriteFixtureFile(Outside("topics.html"), std::string("<p>") + kSecret + "</p><img src=\"assets/x.png\">");
    EnsureDir(Outside("build"));
    WriteFixtureFile(In("project.json"), "{\"title\":\"Received\",\"styleProfile\":\"default\"}");
    WriteTopics("{\"rootTopicIds\":[\"" + kTopicA + "\"],\"topics\":[{\"id\":\"" + kTopicA +
                "\",\"title\":\"A\",\"children\":[\"" + kTopicB + "\"]},{\"id\":\"" + kTopicB +
                "\",\"title\":\"B\",\"parentId\":\"" + kTopicA + "\"}]}");
    WriteFixtureFile(In("topics/" + kTopicA + ".html"), "<p>A</p><img src=\"assets/images/logo.png\">");
    WriteFixtureFile(In("topics/" + kTopicB + ".html"), "<p>B</p>");
    WriteFixtureFile(In("assets/images/logo.png"), "png");
    WriteFixtureFile(In("styles/default.css"), "body{}");
    WriteFixtureFile(In("internal/webhelp/app.html"), "<html><title>WebHelp</title></html>");
    WriteFixtureFile(In("internal/webhelp/app.js"), "js");
    WriteFixtureFile(In("internal/webhelp/app.css"), "css");
  }
  std::string Root() const { return FDir.Path(); }
  std::string Project() const { return FDir / "P"; }
  std::string In(const std::string& rel) const { return FDir / ("P/" + rel); }
  std::string Outside(const std::string& rel) const { return FDir / ("outside/" + rel); }
  void WriteTopics(const std::string& json) const { WriteFixtureFile(In("meta/topics.json"), json); }
  // Puts a symbolic link at rel in the project (replacing what is there) that points at target.
  void Link(const std::string& rel, const std::string& target) const {
    std::error_code ec;
    fs::remove_all(In(rel), ec);
    EnsureDir(ExtractFileDir(In(rel)));
    ASSERT_EQ(::symlink(target.c_str(), In(rel).c_str()), 0) << rel;
  }

 private:
  TTempDir FDir;
};

// What a row expects of one step: it succeeds (with or without a warning or link issue
// holding text), it refuses with a message holding text, or it is not run.
struct TExpect {
  enum TKind { Ok, Warns, Refuses, NotRun } kind = Ok;
  std::string text;
};
TExpect Ok() { return {}; }
TExpect Warns(const std::string& text) { return {TExpect::Warns, text}; }
TExpect Refuses(const std::string& text) { return {TExpect::Refuses, text}; }
const TExpect kNotRun{TExpect::NotRun, ""};

struct THostileCase {
  const char* name;
  std::function<void(TSandbox&)> build;                      // the received files
  std::function<void(const TSandbox&, TDocProject&)> alter;  // the model, for defence in depth
  TExpect open, webhelp, chm, pdf, links;
};

// Everything in the sandbox but the project's build folder: kind, size, time, link target,
// and the bytes of small files. Nothing is followed through a link.
using TSnapshot = std::map<std::string, std::string>;

TSnapshot Snapshot(const TSandbox& box) {
  TSnapshot shot;
  const fs::path root(box.Root());
  const fs::path build = fs::path(box.In("build"));
  std::error_code ec;
  for (fs::recursive_directory_iterator it(root, ec), end; !ec && it != end; it.increment(ec)) {
    struct stat st {};
    const std::string path = it->path().string();
    if (::lstat(path.c_str(), &st) != 0) continue;
    if (it->path() == build && S_ISDIR(st.st_mode)) {
      it.disable_recursion_pending();
      continue;
    }
    // A folder's own time changes when build/ appears in it: folders count by their entries.
    std::string entry = std::to_string(st.st_mode);
    if (!S_ISDIR(st.st_mode)) {
      entry += " " + std::to_string(st.st_size) + " " + std::to_string(st.st_mtim.tv_sec) + "." +
               std::to_string(st.st_mtim.tv_nsec);
    }
    if (S_ISLNK(st.st_mode)) entry += " -> " + fs::read_symlink(it->path(), ec).string();
    if (S_ISREG(st.st_mode) && st.st_size < (1 << 20)) entry += " " + ReadBinaryFile(path);
    shot[it->path().lexically_relative(root).string()] = entry;
  }
  return shot;
}

// The paths whose entries differ, one a line.
std::string Differences(const TSnapshot& before, const TSnapshot& after) {
  std::string text;
  for (const auto& [path, entry] : before) {
    const auto it = after.find(path);
    if (it == after.end()) text += "deleted " + path + "\n";
    else if (it->second != entry) text += "changed " + path + "\n";
  }
  for (const auto& [path, entry] : after) {
    if (!before.count(path)) text += "created " + path + "\n";
  }
  return text;
}

// Files of the build folder that hold the secret (large files are not read).
std::vector<std::string> PublishedSecrets(const TSandbox& box) {
  std::vector<std::string> found;
  if (!DirExists(box.In("build"))) return found;
  std::error_code ec;
  for (fs::recursive_directory_iterator it(box.In("build"), ec), end; !ec && it != end; it.increment(ec)) {
    struct stat st {};
    if (::lstat(it->path().c_str(), &st) != 0 || !S_ISREG(st.st_mode) || st.st_size > (16 << 20)) continue;
    if (ReadBinaryFile(it->path().string()).find(kSecret) != std::string::npos) found.push_back(it->path().string());
  }
  return found;
}

long PeakMemoryMb() {
  rusage usage{};
  ::getrusage(RUSAGE_SELF, &usage);
  return usage.ru_maxrss / 1024;
}

std::string Joined(const std::vector<std::string>& lines) {
  std::string text;
  for (const std::string& line : lines) text += line + "\n";
  return text;
}

// Runs one step, checks its outcome and that it touched nothing it may not.
void Step(const char* row, const char* step, const TSandbox& box, const TExpect& expect,
          const std::function<std::vector<std::string>()>& run) {
  if (expect.kind == TExpect::NotRun) return;
  SCOPED_TRACE(std::string(row) + " / " + step);
  const TSnapshot before = Snapshot(box);
  std::vector<std::string> said;
  std::string error = "(none)";
  bool refused = false;
  try {
    said = run();
  } catch (const EFolivaneError& e) {
    refused = true;
    error = e.what();
  }
  const std::string lines = Joined(said);
  switch (expect.kind) {
    case TExpect::Ok:
      EXPECT_FALSE(refused) << error;
      EXPECT_EQ(lines, "") << "no warning expected";
      break;
    case TExpect::Warns:
      EXPECT_FALSE(refused) << error;
      EXPECT_NE(lines.find(expect.text), std::string::npos) << "said:\n" << lines;
      break;
    case TExpect::Refuses:
      EXPECT_TRUE(refused) << "no error";
      EXPECT_NE(error.find(expect.text), std::string::npos) << error.substr(0, 400);
      break;
    case TExpect::NotRun: break;
  }
  EXPECT_EQ(Differences(before, Snapshot(box)), "") << "created, changed or deleted outside the build folder";
  EXPECT_EQ(PublishedSecrets(box), std::vector<std::string>{}) << "a file from outside the project was published";
}

std::vector<std::string> IssueTexts(const std::vector<TLinkIssue>& issues) {
  std::vector<std::string> texts;
  for (const TLinkIssue& issue : issues) {
    if (issue.Issue.find("Missing local reference") == std::string::npos) texts.push_back(issue.Issue);
  }
  return texts;
}

void AddModelTopic(const TSandbox& box, TDocProject& project, const std::string& id) {
  auto topic = std::make_unique<TTopic>();
  topic->SetID(id);
  topic->SetTitle("Injected");
  topic->SetHtmlPath(TopicFilePath(box.Project(), id));
  project.InsertLoadedTopic(std::move(topic));
  project.RootTopicIDs().push_back(id);
}

const std::string kSkipped = ": a symbolic link that leads outside the project";

std::vector<THostileCase> HostileCases() {
  const std::string name255 = std::string(251, 'n') + ".png";
  return {
      {"traversal id in topics.json",
       [](TSandbox& b) {
         b.WriteTopics("{\"rootTopicIds\":[\"../../../ESCAPED\"],\"topics\":[{\"id\":\"../../../ESCAPED\"}]}");
       },
       nullptr, Refuses("the topic ID \"../../../ESCAPED\" is not a plain file name"), kNotRun, kNotRun, kNotRun,
       kNotRun},
      {"absolute id in topics.json",
       [](TSandbox& b) { b.WriteTopics("{\"rootTopicIds\":[\"/tmp/x\"],\"topics\":[{\"id\":\"/tmp/x\"}]}"); }, nullptr,
       Refuses("the topic ID \"/tmp/x\" is not a plain file name"), kNotRun, kNotRun, kNotRun, kNotRun},
      {"id of 10,000 characters in topics.json",
       [](TSandbox& b) { b.WriteTopics("{\"topics\":[{\"id\":\"" + std::string(10000, 'C') + "\"}]}"); }, nullptr,
       Refuses("is not a plain file name"), kNotRun, kNotRun, kNotRun, kNotRun},
      {"id with a control character in topics.json",
       [](TSandbox& b) { b.WriteTopics("{\"topics\":[{\"id\":\"a\\u0001b\"}]}"); }, nullptr,
       Refuses("the topic ID \"a?b\""), kNotRun, kNotRun, kNotRun, kNotRun},
      {"traversal id in the model", nullptr,
       [](const TSandbox& b, TDocProject& p) { AddModelTopic(b, p, "../../../ESCAPED"); }, Ok(),
       Refuses("Refused to write"), Refuses("Refused to write"), Ok(), Warns("Missing HTML file")},
      {"absolute id in the model", nullptr,
       [](const TSandbox& b, TDocProject& p) { AddModelTopic(b, p, "/tmp/folivane-escaped"); }, Ok(),
       Refuses("Refused to write"), Ok(), Ok(), Warns("Missing HTML file")},
      {"id of 10,000 characters in the model", nullptr,
       [](const TSandbox& b, TDocProject& p) { AddModelTopic(b, p, std::string(10000, 'C')); }, Ok(),
       Refuses("File name too long"), Refuses("File name too long"), Ok(), Warns("Missing HTML file")},
      {"file link under assets to a file outside",
       [](TSandbox& b) { b.Link("assets/images/secret.png", b.Outside("secret.txt")); }, nullptr, Ok(),
       Warns("Skipped assets/images/secret.png" + kSkipped), Warns("Skipped assets/images/secret.png"),
       Warns("Skipped assets/images/secret.png"), Ok()},
      {"relative file link under assets that climbs out",
       [](TSandbox& b) { b.Link("assets/up.png", "../../outside/secret.txt"); }, nullptr, Ok(),
       Warns("Skipped assets/up.png"), Warns("Skipped assets/up.png"), Warns("Skipped assets/up.png"), Ok()},
      {"folder link under assets to a folder outside", [](TSandbox& b) { b.Link("assets/dir", b.Outside("dir")); },
       nullptr, Ok(), Warns("Skipped assets/dir" + kSkipped), Warns("Skipped assets/dir"), Warns("Skipped assets/dir"),
       Ok()},
      {"assets folder itself is a link outside", [](TSandbox& b) { b.Link("assets", b.Outside("dir")); }, nullptr, Ok(),
       Warns("Skipped assets" + kSkipped), Warns("Skipped assets" + kSkipped), Warns("Skipped assets" + kSkipped),
       Ok()},
      {"links that stay inside are followed, a loop ends",
       [](TSandbox& b) {
         b.Link("assets/again.css", "../styles/default.css");
         b.Link("assets/images/loop", "..");
       },
       nullptr, Ok(), Ok(), Ok(), Ok(), Ok()},
      {"broken link under assets", [](TSandbox& b) { b.Link("assets/gone.png", b.Outside("missing.png")); }, nullptr,
       Ok(), Ok(), Ok(), Ok(), Ok()},
      {"style profile is a link outside", [](TSandbox& b) { b.Link("styles/default.css", b.Outside("secret.txt")); },
       nullptr, Ok(), Warns("Skipped styles/default.css"), Ok(), Warns("Skipped styles/default.css"), Ok()},
      {"styles folder is a link outside",
       [](TSandbox& b) {
         WriteFixtureFile(b.Outside("styles/default.css"), kSecret);
         b.Link("styles", b.Outside("styles"));
       },
       nullptr, Ok(), Warns("Skipped styles/default.css"), Ok(), Warns("Skipped styles/default.css"), Ok()},
      {"topic file is a link to a file outside",
       [](TSandbox& b) { b.Link("topics/" + kTopicB + ".html", b.Outside("topics.html")); }, nullptr, Ok(),
       Warns("Skipped topics/" + kTopicB + ".html" + kSkipped), Warns("Skipped topics/" + kTopicB),
       Warns("Skipped topics/" + kTopicB), Warns("HTML file leads outside the project")},
      {"topics folder is a link outside",
       [](TSandbox& b) {
         WriteFixtureFile(b.Outside("topics/" + kTopicA + ".html"), kSecret);
         // Shaped like the leftover of a write cut short: opening cleans those only inside.
         const std::string leftover = b.Outside("topics/." + kTopicA + ".html.a1B2c3");
         WriteFixtureFile(leftover, kSecret);
         fs::last_write_time(leftover, fs::file_time_type::clock::now() - std::chrono::hours(1));
         b.Link("topics", b.Outside("topics"));
       },
       nullptr, Ok(), Warns("Skipped topics/" + kTopicA), Warns("Skipped topics/" + kTopicA),
       Warns("Skipped topics/" + kTopicA), Warns("HTML file leads outside the project")},
      {"header files are links outside",
       [](TSandbox& b) {
         b.Link("meta/header_default.html", b.Outside("secret.txt"));
         b.Link("meta/header_" + kTopicA + ".html", b.Outside("secret.txt"));
         b.Link("meta/headerbg_" + kTopicA + ".txt", b.Outside("secret.txt"));
       },
       nullptr, Ok(), Warns("Skipped meta/header_" + kTopicA + ".html"), Warns("Skipped meta/headerbg_" + kTopicA),
       Warns("Skipped meta/header_" + kTopicA + ".html"), Ok()},
      {"viewer file is a link outside", [](TSandbox& b) { b.Link("internal/webhelp/app.js", b.Outside("secret.txt")); },
       nullptr, Ok(), Refuses("The WebHelp viewer file"), Ok(), Ok(), Ok()},
      {"build folder is a link outside", [](TSandbox& b) { b.Link("build", b.Outside("build")); }, nullptr, Ok(),
       Refuses("leads outside the project through a symbolic link; nothing was written"),
       Refuses("nothing was written"), Refuses("nothing was written"), Ok()},
      {"output sub-folders are links outside",
       [](TSandbox& b) {
         b.Link("build/webhelp/topics", b.Outside("dir"));
         b.Link("build/chm/assets", b.Outside("dir"));
         b.Link("build/pdf/assets", b.Outside("dir"));
       },
       nullptr, Ok(), Refuses("Refused to write"), Refuses("Refused to write"), Refuses("Refused to write"), Ok()},
      {"output files are links outside",
       [](TSandbox& b) {
         b.Link("build/webhelp/index.html", b.Outside("secret.txt"));
         b.Link("build/webhelp/app.js", b.Outside("secret.txt"));
         b.Link("build/webhelp/assets/images/logo.png", b.Outside("secret.txt"));
         b.Link("build/chm/style.css", b.Outside("secret.txt"));
         b.Link("build/chm/topics/" + kTopicA + ".html", b.Outside("secret.txt"));
         b.Link("build/pdf/manual.html", b.Outside("secret.txt"));
         b.Link("build/pdf/assets/images/logo.png", b.Outside("secret.txt"));
       },
       nullptr, Ok(), Ok(), Ok(), Ok(), Ok()},
      {"control characters in names",
       [](TSandbox& b) {
         WriteFixtureFile(b.In("assets/images/line\nbreak.png"), "png");
         WriteFixtureFile(b.In("assets/tab\there\x01.png"), "png");
         WriteFixtureFile(b.In("topics/" + kTopicA + ".html"), "<p>A</p><img src=\"assets/tab\there\x01.png\">");
       },
       nullptr, Ok(), Ok(), Ok(), Ok(), Ok()},
      {"file names of 255 bytes",
       [name255](TSandbox& b) {
         WriteFixtureFile(b.In("assets/images/" + name255), "png");
         WriteFixtureFile(b.In("assets/" + std::string(120, 'd') + "/" + name255), "png");
       },
       nullptr, Ok(), Ok(), Ok(), Ok(), Ok()},
      {"2 GB sparse file under assets",
       [](TSandbox& b) {
         WriteFixtureFile(b.In("assets/files/huge.bin"), "");
         ASSERT_EQ(::truncate(b.In("assets/files/huge.bin").c_str(), off_t(2) << 30), 0);
       },
       nullptr, Ok(), Ok(), Ok(), Ok(), Ok()},
      {"topic file is a folder",
       [](TSandbox& b) {
         DeleteFileIfExists(b.In("topics/" + kTopicB + ".html"));
         EnsureDir(b.In("topics/" + kTopicB + ".html"));
       },
       nullptr, Ok(), Refuses("Is a directory"), Ok(), Ok(), Warns("Missing HTML file")},
      {"cycle in the children lists",
       [](TSandbox& b) {
         b.WriteTopics("{\"rootTopicIds\":[\"" + kTopicA + "\"],\"topics\":[{\"id\":\"" + kTopicA +
                       "\",\"children\":[\"" + kTopicB + "\"]},{\"id\":\"" + kTopicB + "\",\"children\":[\"" + kTopicA +
                       "\",\"" + kTopicB + "\"]}]}");
       },
       nullptr, Ok(), Ok(), Ok(), Ok(), Ok()},
      {"cycle that no root reaches",
       [](TSandbox& b) {
         b.WriteTopics("{\"rootTopicIds\":[],\"topics\":[{\"id\":\"" + kTopicA + "\",\"children\":[\"" + kTopicB +
                       "\"],\"parentId\":\"" + kTopicB + "\"},{\"id\":\"" + kTopicB + "\",\"children\":[\"" + kTopicA +
                       "\"],\"parentId\":\"" + kTopicA + "\"}]}");
       },
       nullptr, Ok(), Ok(), Ok(), Ok(), Ok()},
  };
}

}  // namespace

TEST(HostileProject, EveryExporterStaysInsideTheProject) {
  for (const THostileCase& c : HostileCases()) {
    TSandbox box;
    if (c.build) c.build(box);
    const long memoryBefore = PeakMemoryMb();
    TDocProject project;
    Step(c.name, "open", box, c.open, [&] {
      LoadProject(IncludeTrailingDelimiter(box.Project()), project);
      return std::vector<std::string>();
    });
    if (c.open.kind == TExpect::Refuses) continue;
    if (c.alter) c.alter(box, project);
    Step(c.name, "webhelp", box, c.webhelp, [&] {
      std::vector<std::string> warnings;
      PublishWebHelp(project, nullptr, nullptr, &warnings);
      return warnings;
    });
    Step(c.name, "chm", box, c.chm, [&] { return WriteChmProject(project).warnings; });
    Step(c.name, "pdf", box, c.pdf, [&] {
      std::vector<std::string> warnings;
      WritePdfManualFiles(project, PathJoin(project.RootPath(), "build/pdf"), nullptr, &warnings);
      return warnings;
    });
    Step(c.name, "links", box, c.links, [&] { return IssueTexts(CheckLinks(project)); });
    EXPECT_LT(PeakMemoryMb() - memoryBefore, 256) << c.name << ": megabytes of memory more than before";
  }
}

// The command line says which files it left out.
TEST(HostileProject, CommandLinePrintsWhatItLeftOut) {
  TSandbox box;
  box.Link("assets/images/secret.png", box.Outside("secret.txt"));
  WriteFixtureFile(box.Root() + "/P.fvp",
                   "{\"version\":\"1.0\",\"title\":\"Received\",\"root\":\"" + box.Project() + "\"}");
  const TProcessResult run =
      RunProcessAndWait(FOLIVANE_CLI_PATH, std::vector<std::string>{"webhelp", box.Root() + "/P.fvp"});
  EXPECT_EQ(run.exitCode, 0) << run.output;
  EXPECT_NE(run.output.find("warning: Skipped assets/images/secret.png" + kSkipped + "\n"), std::string::npos)
      << run.output;
  EXPECT_EQ(PublishedSecrets(box), std::vector<std::string>{});
}
