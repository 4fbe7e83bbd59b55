// gen_project N DIR: writes DIR/Generated.fvp and its folder, a project of N topics for
// timing whole exports with folivane-cli. The tree has three levels; each page is about
// 5 KB of headings, paragraphs, a list, a table, internal links, an image and
// reusable-content tokens, with words drawn from a fixed vocabulary so that runs repeat.
#include <cstdint>
#include <iostream>

#include "uDocModel.h"
#include "uProjectOpen.h"
#include "uReusableContent.h"
#include "uStorage.h"
#include "uUtils.h"

namespace {

const char* const kWords[] = {"install",
                              "configure",
                              "server",
                              "client",
                              "network",
                              "database",
                              "backup",
                              "restore",
                              "account",
                              "password",
                              "permission",
                              "folder",
                              "project",
                              "export",
                              "import",
                              "report",
                              "schedule",
                              "template",
                              "variable",
                              "snippet",
                              "condition",
                              "topic",
                              "keyword",
                              "index",
                              "search",
                              "publish",
                              "window",
                              "toolbar",
                              "editor",
                              "table",
                              "image",
                              "link",
                              "header",
                              "footer",
                              "style",
                              "colour",
                              "font",
                              "paragraph",
                              "heading",
                              "license",
                              "update",
                              "version",
                              "release",
                              "upgrade",
                              "module",
                              "plugin",
                              "option",
                              "setting",
                              "profile",
                              "language",
                              "translation",
                              "archive",
                              "compress",
                              "encrypt",
                              "certificate",
                              "proxy",
                              "firewall",
                              "port",
                              "service",
                              "daemon",
                              "process",
                              "memory",
                              "storage",
                              "volume",
                              "partition",
                              "mount",
                              "device",
                              "driver",
                              "printer",
                              "scanner",
                              "monitor",
                              "display",
                              "resolution",
                              "keyboard",
                              "shortcut",
                              "command",
                              "terminal",
                              "script",
                              "macro",
                              "workflow",
                              "approval",
                              "review",
                              "comment",
                              "history",
                              "revision",
                              "branch",
                              "merge",
                              "conflict",
                              "resolve",
                              "verify",
                              "validate",
                              "checksum",
                              "signature",
                              "timeout",
                              "retry",
                              "queue",
                              "worker",
                              "caf\xC3\xA9",
                              "r\xC3\xA9sum\xC3\xA9",
                              "na\xC3\xAFve",
                              "\xD0\xBD\xD0\xB0\xD1\x81\xD1\x82\xD1\x80\xD0\xBE\xD0\xB9\xD0\xBA\xD0\xB0",
                              "\xE8\xAE\xBE\xE7\xBD\xAE",
                              "the",
                              "and",
                              "with",
                              "for",
                              "when",
                              "then",
                              "each",
                              "every",
                              "before",
                              "after"};
constexpr size_t kWordCount = sizeof(kWords) / sizeof(kWords[0]);

// A small deterministic generator: the same N gives the same project.
struct TRandom {
  std::uint64_t state;
  std::uint32_t Next() {
    state = state * 6364136223846793005ULL + 1442695040888963407ULL;
    return static_cast<std::uint32_t>(state >> 33);
  }
  size_t Below(size_t n) { return Next() % n; }
};

std::string Sentence(TRandom& rnd, int words) {
  std::string s;
  for (int i = 0; i < words; ++i) {
    if (i) s += ' ';
    std::string w = kWords[rnd.Below(kWordCount)];
    if (i == 0 && w[0] >= 'a' && w[0] <= 'z') w[0] = static_cast<char>(w[0] - 'a' + 'A');
    s += w;
  }
  return s + ".";
}

std::string Paragraph(TRandom& rnd) {
  std::string p = "<p>";
  const int sentences = 3 + static_cast<int>(rnd.Below(3));
  for (int i = 0; i < sentences; ++i) {
    if (i) p += ' ';
    p += Sentence(rnd, 8 + static_cast<int>(rnd.Below(8)));
  }
  return p + "</p>";
}

std::string Page(TRandom& rnd, const std::string& title, const std::vector<std::string>& linkTargets) {
  std::string html = "<h1>" + title + "</h1>";
  html += "<p>This topic of {var:ProductName} explains " + Sentence(rnd, 6) + "</p>";
  for (int section = 0; section < 3; ++section) {
    html += "<h2>" + Sentence(rnd, 3) + "</h2>";
    html += Paragraph(rnd);
    html += Paragraph(rnd);
  }
  html += "<ul>";
  for (int i = 0; i < 4; ++i) html += "<li>" + Sentence(rnd, 5) + "</li>";
  html += "</ul>";
  html += "<table style=\"background-color: #ffffff\"><tbody><tr><th>Option</th><th>Default</th><th>Notes</th></tr>";
  for (int r = 0; r < 4; ++r) {
    html += "<tr><td>" + std::string(kWords[rnd.Below(kWordCount)]) + "</td><td>" + std::to_string(rnd.Below(100)) +
            "</td><td>" + Sentence(rnd, 5) + "</td></tr>";
  }
  html += "</tbody></table>";
  html += "<p><img src=\"assets/images/diagram.png\" alt=\"Diagram\" width=\"64\" height=\"64\"></p>";
  html += "<p>See also:";
  for (const std::string& id : linkTargets) html += " <a href=\"doc:" + id + "\">" + Sentence(rnd, 2) + "</a>";
  html += "</p>";
  html += "{snip:Note}";
  html += "<p>{begincond:Pro}Only in the Pro edition: " + Sentence(rnd, 8) + "{endcond}</p>";
  html += Paragraph(rnd);
  return html;
}

// The smallest valid PNG: one transparent pixel.
const unsigned char kPng[] = {0x89, 0x50, 0x4E, 0x47, 0x0D, 0x0A, 0x1A, 0x0A, 0x00, 0x00, 0x00, 0x0D, 0x49, 0x48,
                              0x44, 0x52, 0x00, 0x00, 0x00, 0x01, 0x00, 0x00, 0x00, 0x01, 0x08, 0x06, 0x00, 0x00,
                              0x00, 0x1F, 0x15, 0xC4, 0x89, 0x00, 0x00, 0x00, 0x0D, 0x49, 0x44, 0x41, 0x54, 0x78,
                              0x9C, 0x63, 0x00, 0x01, 0x00, 0x00, 0x05, 0x00, 0x01, 0x0D, 0x0A, 0x2D, 0xB4, 0x00,
                              0x00, 0x00, 0x00, 0x49, 0x45, 0x4E, 0x44, 0xAE, 0x42, 0x60, 0x82};

// Parent of topic i in a three-level tree: ten roots, a hundred second-level topics,
// the rest spread evenly over the second level.
std::string ParentOf(int i, const std::vector<std::string>& ids) {
  if (i < 10) return "";
  if (i < 110) return ids[static_cast<size_t>(i % 10)];
  return ids[10 + static_cast<size_t>(i % 100)];
}

}  // namespace

int main(int argc, char** argv) {
  if (argc != 3) {
    std::cerr << "usage: gen_project N DIR\n";
    return 2;
  }
  try {
    const int n = std::stoi(argv[1]);
    if (n < 0) throw EFolivaneError("N must not be negative");
    const std::string file = PathJoin(ExpandFileName(argv[2]), "Generated.fvp");
    CreateProjectFile(file, "Generated Project");
    TDocProject project;
    TProjectSettings settings;
    OpenProjectFile(file, project, settings);
    for (const std::string& id : std::vector<std::string>(project.RootTopicIDs())) project.DeleteTopic(id);

    TReusableProjectContent store;
    store.Variables().push_back({"ProductName", "Folivane Server"});
    store.Snippets().push_back({"Note", "<p><b>Note:</b> back up the {var:ProductName} database first.</p>"});
    store.Conditions().push_back({"Pro", true});
    store.SaveToProject(project);
    WriteFileAtomic(PathJoin(project.RootPath(), "assets/images/diagram.png"),
                    std::string(reinterpret_cast<const char*>(kPng), sizeof(kPng)));

    TRandom rnd{static_cast<std::uint64_t>(n) * 7919 + 1};
    std::vector<std::string> ids;
    ids.reserve(static_cast<size_t>(n));
    for (int i = 0; i < n; ++i) {
      TTopic& t = project.AddTopic("Topic " + std::to_string(i) + " " + Sentence(rnd, 2), ParentOf(i, ids));
      t.Keywords() = {kWords[rnd.Below(kWordCount)], "kw" + std::to_string(i % 50)};
      ids.push_back(t.ID());
    }
    for (int i = 0; i < n; ++i) {
      std::vector<std::string> targets;
      for (int k = 1; k <= 3; ++k) targets.push_back(ids[static_cast<size_t>((i + k * 37) % n)]);
      const TTopic& t = project.GetTopic(ids[static_cast<size_t>(i)]);
      WriteOutputFile(t.HtmlPath(), Page(rnd, t.Title(), targets));
    }
    SaveProject(project);
    std::cout << file << "\n";
    return 0;
  } catch (const std::exception& e) {
    std::cerr << "error: " << e.what() << "\n";
    return 1;
  }
}
