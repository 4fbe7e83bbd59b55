// folivane-cli chm FILE.fvp [--profile NAME|--all-profiles]: exports the project as CHM and compiles it.
#include "uCliCommands.h"

namespace {

// No questions here: a missing compiler is an error that says how to get one.
int RunChm(const std::vector<std::string>& args) { return RunPublishing(args, {TOutputFormat::Chm}); }

const TCliRegistrar registrar({"chm", "chm FILE.fvp [--profile NAME|--all-profiles]",
                               "Exports the project as an HTML Help project in build/chm (a profile's in "
                               "build/<profile>/chm) and compiles help.chm with chmcmd (or the compiler stored in "
                               "settings.ini).",
                               RunChm});

}  // namespace
