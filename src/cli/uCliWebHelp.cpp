// folivane-cli webhelp FILE.fvp [--profile NAME|--all-profiles]
#include "uCliCommands.h"

namespace {

int RunWebHelp(const std::vector<std::string>& args) { return RunPublishing(args, {TOutputFormat::WebHelp}); }

const TCliRegistrar registrar({"webhelp", "webhelp FILE.fvp [--profile NAME|--all-profiles]",
                               "Publishes the project as WebHelp into its build/webhelp folder (a profile's into "
                               "build/<profile>/webhelp).",
                               RunWebHelp});

}  // namespace
