// folivane-cli pdf FILE.fvp
#include <unistd.h>

#include <iostream>

#include "uCliCommands.h"
#include "uExportPdf.h"
#include "uStorage.h"

namespace {

int RunPdf(const std::vector<std::string>& args) {
  TDocProject project;
  TProjectSettings settings;
  OpenProjectArgument(args, project, settings);

  const std::string outDir = PathJoin(PathJoin(project.RootPath(), "build"), "pdf");
  TPdfExportOptions options;
  options.OpenPdf = false;
  std::vector<std::string> skipped;
  options.Warnings = &skipped;
  const TProgressCallback progress = TerminalProgress("Writing the manual");
  if (progress) {
    options.Progress = [progress](int done, int total) {
      progress(done, total);
      if (done >= total) std::cerr << "Printing the manual with the browser..." << std::flush;
    };
  }
  const std::string pdf = ExportPdf(project, outDir, options);
  if (progress) std::cerr << "\r\033[K" << std::flush;
  PrintWarnings(skipped);
  std::cout << "PDF exported: " << pdf << "\n";
  return kExitOk;
}

const TCliRegistrar registrar({"pdf", "pdf FILE.fvp",
                               "Writes build/pdf/manual.html and prints it to build/pdf/manual.pdf with "
                               "headless Chromium (FOLIVANE_BROWSER overrides the browser).",
                               RunPdf});

}  // namespace
