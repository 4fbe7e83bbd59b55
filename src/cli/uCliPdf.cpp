// folivane-cli pdf FILE.fvp [--profile NAME|--all-profiles]
#include "uCliCommands.h"

namespace {

int RunPdf(const std::vector<std::string>& args) { return RunPublishing(args, {TOutputFormat::Pdf}); }

const TCliRegistrar registrar({"pdf", "pdf FILE.fvp [--profile NAME|--all-profiles]",
                               "Writes build/pdf/manual.html (a profile's in build/<profile>/pdf) and prints it to "
                               "manual.pdf with headless Chromium (FOLIVANE_BROWSER overrides the browser).",
                               RunPdf});

}  // namespace
