// folivane-cli profiles FILE.fvp [--report | --diff A B]: the build profiles, where
// conditions and variables are used, and what two profiles publish differently.
#include <iostream>

#include "uCliCommands.h"
#include "uConditionReport.h"

namespace {

struct TProfilesArguments {
  std::string projectFile;
  bool report = false;
  std::vector<std::string> diff;  // the two profiles to compare
};

TProfilesArguments ParseProfilesArguments(const std::vector<std::string>& args) {
  TProfilesArguments parsed;
  std::vector<std::string> positional;
  for (size_t i = 0; i < args.size(); ++i) {
    if (args[i] == "--report") {
      parsed.report = true;
    } else if (args[i] == "--diff") {
      if (i + 2 >= args.size()) throw ECliUsage("--diff needs two profile names");
      parsed.diff = {args[i + 1], args[i + 2]};
      i += 2;
    } else if (StartsWith(args[i], "-")) {
      throw ECliUsage("unknown option " + args[i]);
    } else {
      positional.push_back(args[i]);
    }
  }
  if (parsed.report && !parsed.diff.empty()) throw ECliUsage("--report and --diff exclude each other");
  parsed.projectFile = ProjectFileArgument(positional);
  return parsed;
}

std::string ProfileLine(const TBuildProfile& profile) {
  std::string outputs;
  for (const TOutputFormat f : profile.Outputs)
    outputs += (outputs.empty() ? "" : ", ") + std::string(OutputFormatName(f));
  return profile.Name + ": " + (outputs.empty() ? std::string("no outputs") : outputs) + " into build/" + profile.Name +
         "/\n";
}

int RunProfiles(const std::vector<std::string>& args) {
  const TProfilesArguments parsed = ParseProfilesArguments(args);
  TDocProject project;
  TProjectSettings settings;
  OpenProjectArgument({parsed.projectFile}, project, settings);
  TReusableProjectContent store;
  if (!store.LoadFromProject(project)) {
    throw EFolivaneError("The reusable content file is not JSON: " + ReusableContentPath(project));
  }
  if (!parsed.diff.empty()) {
    std::cout << ProfileDiffText(project, store, LoadProfile(project, parsed.diff[0]),
                                 LoadProfile(project, parsed.diff[1]));
    return kExitOk;
  }
  std::vector<std::string> warnings;
  const std::vector<TBuildProfile> profiles = LoadProfiles(project, &warnings);
  PrintWarnings(warnings);
  if (parsed.report) {
    std::cout << ConditionReportText(BuildConditionReport(project, store, profiles), !profiles.empty());
    return kExitOk;
  }
  if (profiles.empty()) std::cout << "No build profiles (profiles/*.json).\n";
  for (const TBuildProfile& p : profiles) std::cout << ProfileLine(p);
  return kExitOk;
}

const TCliRegistrar registrar({"profiles", "profiles FILE.fvp [--report | --diff A B]",
                               "Lists the build profiles with their outputs; --report tells where each condition "
                               "and variable is used and which are undefined, never used or never true; --diff "
                               "tells what profile A publishes that B does not, and the other way round.",
                               RunProfiles});

}  // namespace
