// Writes a project's editor style sheet as the window does when it shows a topic, and
// prints its path: the browser tests load it into the editor page beside a published page.
#include <exception>
#include <iostream>

#include "uProjectOpen.h"
#include "uSettingsCss.h"

int main(int argc, char** argv) {
  if (argc != 2) {
    std::cerr << "usage: folivane-test-editor-css PROJECT.fvp\n";
    return 2;
  }
  try {
    TDocProject project;
    TProjectSettings settings;
    OpenProjectFile(argv[1], project, settings);
    std::cout << WriteEditorEffectiveCss(settings, project) << "\n";
    return 0;
  } catch (const std::exception& e) {
    std::cerr << "error: " << e.what() << "\n";
    return 1;
  }
}
