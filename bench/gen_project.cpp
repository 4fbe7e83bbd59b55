// gen_project FILE.fvp N: writes a project of N topics (a tree ten wide, each page a
// few paragraphs with a link and a variable) for timing whole exports with folivane-cli.
#include <iostream>

#include "uDocModel.h"
#include "uProjectOpen.h"
#include "uStorage.h"
#include "uUtils.h"

int main(int argc, char** argv) {
  if (argc != 3) {
    std::cerr << "usage: gen_project FILE.fvp N\n";
    return 2;
  }
  try {
    const std::string file = ExpandFileName(argv[1]);
    const int n = std::stoi(argv[2]);
    CreateProjectFile(file, "Generated Project");
    TDocProject project;
    TProjectSettings settings;
    OpenProjectFile(file, project, settings);
    std::vector<std::string> ids{""};
    for (int i = 0; i < n; ++i) {
      TTopic& t = project.AddTopic("Topic " + std::to_string(i), ids[static_cast<size_t>(i) / 10]);
      t.Keywords() = {"keyword" + std::to_string(i % 50)};
      std::string html = "<h1>Topic " + std::to_string(i) + "</h1>";
      for (int p = 0; p < 6; ++p) {
        html += "<p>Paragraph " + std::to_string(p) + " of the generated topic, with searchable words like "
                "configuration, installation and {var:ProductName}. See <a href=\"doc:" + ids.back() +
                "\">the previous topic</a>.</p>";
      }
      WriteOutputFile(t.HtmlPath(), html);
      ids.push_back(t.ID());
    }
    SaveProject(project);
    SaveProjectFile(file, project);
    std::cout << file << "\n";
    return 0;
  } catch (const std::exception& e) {
    std::cerr << "error: " << e.what() << "\n";
    return 1;
  }
}
