// Publishing for the project as it is or for its build profiles: the shared part of the
// webhelp, chm, pdf and publish commands.
#include <iostream>
#include <memory>

#include "uCliCommands.h"
#include "uPublishOutput.h"

namespace {

struct TRunCount {
  int published = 0;
  int skipped = 0;
  int failed = 0;
};

// The PDF's progress ends with the browser's print, which gets a line of its own.
TProgressCallback OutputProgress(TOutputFormat format) {
  const TProgressCallback progress = TerminalProgress("Publishing " + OutputFormatCaption(format));
  if (!progress || format != TOutputFormat::Pdf) return progress;
  return [progress](int done, int total) {
    progress(done, total);
    if (done >= total) std::cerr << "Printing the manual with the browser..." << std::flush;
  };
}

// The project opened once for a build (as it is, or as a profile wants it) and published
// in as many formats as asked.
struct TOpenBuild {
  TOpenBuild(const std::string& projectFile, const TBuildProfile* profile) {
    OpenProjectForBuild(projectFile, profile, project, settings, &openWarnings);
  }
  TDocProject project;
  TProjectSettings settings;
  std::vector<std::string> openWarnings;  // told again with each output, whose warnings they are too
};

std::string PublishOne(const TOpenBuild& build, TOutputFormat format) {
  std::vector<std::string> warnings = build.openWarnings;
  TOutputRun run;
  run.Progress = OutputProgress(format);
  run.Warnings = &warnings;
  const std::string path = PublishOutput(format, build.project, build.settings, run);
  if (run.Progress) std::cerr << "\r\033[K" << std::flush;
  PrintWarnings(warnings);
  return path;
}

// One profile's outputs; each failure is reported and counted, and the next goes on.
void PublishProfile(const std::string& projectFile, const TBuildProfile& profile,
                    const std::vector<TOutputFormat>& formats, TRunCount& count) {
  const std::vector<TOutputFormat>& wanted = formats.empty() ? profile.Outputs : formats;
  std::unique_ptr<TOpenBuild> build;
  std::string openError;
  try {
    build = std::make_unique<TOpenBuild>(projectFile, &profile);
  } catch (const std::exception& e) {
    openError = e.what();  // each output it would have built fails with it
  }
  for (const TOutputFormat format : wanted) {
    const std::string prefix = "Profile " + profile.Name + ": ";
    if (!profile.Builds(format)) {
      std::cout << prefix << OutputFormatName(format) << " skipped (not among the profile's outputs)\n";
      ++count.skipped;
      continue;
    }
    try {
      if (!build) throw EFolivaneError(openError);
      const std::string path = PublishOne(*build, format);
      std::cout << prefix << OutputFormatCaption(format) << " exported: " << path << "\n" << std::flush;
      ++count.published;
    } catch (const std::exception& e) {
      std::cerr << prefix << OutputFormatCaption(format) << " failed: " << e.what() << "\n";
      ++count.failed;
    }
  }
}

}  // namespace

TProfileChoice TakeProfileOptions(std::vector<std::string>& args) {
  TProfileChoice choice;
  std::vector<std::string> rest;
  for (size_t i = 0; i < args.size(); ++i) {
    if (args[i] == "--profile") {
      if (i + 1 >= args.size() || StartsWith(args[i + 1], "-")) throw ECliUsage("--profile needs a profile name");
      if (!choice.name.empty()) throw ECliUsage("--profile can be given once");
      choice.name = args[++i];
    } else if (args[i] == "--all-profiles") {
      choice.all = true;
    } else {
      rest.push_back(args[i]);
    }
  }
  if (choice.all && !choice.name.empty()) throw ECliUsage("--profile and --all-profiles exclude each other");
  args = std::move(rest);
  return choice;
}

std::vector<std::optional<TBuildProfile>> ChosenProfiles(const TDocProject& project, const TProfileChoice& choice) {
  std::vector<std::optional<TBuildProfile>> chosen;
  if (!choice.all && choice.name.empty()) {
    chosen.emplace_back();
  } else if (!choice.all) {
    chosen.emplace_back(LoadProfile(project, choice.name));
  } else {
    std::vector<std::string> warnings;
    for (TBuildProfile& p : LoadProfiles(project, &warnings)) chosen.emplace_back(std::move(p));
    PrintWarnings(warnings);
    if (chosen.empty()) throw EFolivaneError("The project has no build profiles (profiles/*.json)");
  }
  return chosen;
}

int RunPublishing(std::vector<std::string> args, const std::vector<TOutputFormat>& formats) {
  const TProfileChoice choice = TakeProfileOptions(args);
  const std::string projectFile = ProjectFileArgument(args);
  if (choice.all || !choice.name.empty()) {
    TDocProject project;
    TProjectSettings settings;
    OpenProjectArgument({projectFile}, project, settings);
    TRunCount count;
    for (const std::optional<TBuildProfile>& profile : ChosenProfiles(project, choice)) {
      PublishProfile(projectFile, *profile, formats, count);
    }
    std::cout << FormatText(
                     "Outputs published: %d, skipped: %d, failed: %d",
                     {std::to_string(count.published), std::to_string(count.skipped), std::to_string(count.failed)})
              << "\n";
    return count.failed == 0 ? kExitOk : kExitFailure;
  }
  const std::vector<TOutputFormat> wanted =
      formats.empty() ? std::vector<TOutputFormat>(std::begin(kAllOutputFormats), std::end(kAllOutputFormats))
                      : formats;
  const TOpenBuild build(projectFile, nullptr);
  for (const TOutputFormat format : wanted) {
    const std::string path = PublishOne(build, format);
    std::cout << OutputFormatCaption(format) << " exported: " << path << "\n" << std::flush;
  }
  return kExitOk;
}

namespace {

int RunPublish(const std::vector<std::string>& args) { return RunPublishing(args, {}); }

const TCliRegistrar registrar({"publish", "publish FILE.fvp [--profile NAME|--all-profiles]",
                               "Publishes every output: WebHelp, CHM and PDF for the project as it is, or the "
                               "outputs each chosen build profile lists, into build/<profile>/<format>.",
                               RunPublish});

}  // namespace
