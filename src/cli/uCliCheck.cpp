// folivane-cli check FILE.fvp [--profile NAME|--all-profiles] [--format text|json]: every project check in one run, for
// CI.
#include <algorithm>
#include <iostream>
#include <unordered_map>

#include "uCliCommands.h"
#include "uJson.h"
#include "uLinkChecker.h"
#include "uProjectCheck.h"
#include "uPublishOutput.h"
#include "uStorage.h"

namespace {

// Exit code when the check ran and found something to fix, as check-links has it.
constexpr int kExitFindings = 3;

enum class TCheckFormat { Text, Json };

struct TCheckArguments {
  std::string projectFile;
  TCheckFormat format = TCheckFormat::Text;
  TProfileChoice profiles;
};

TCheckArguments ParseCheckArguments(std::vector<std::string> args) {
  TCheckArguments parsed;
  parsed.profiles = TakeProfileOptions(args);
  std::vector<std::string> positional;
  for (size_t i = 0; i < args.size(); ++i) {
    if (args[i] == "--format") {
      const std::string value = i + 1 < args.size() ? args[++i] : "";
      if (value != "text" && value != "json") throw ECliUsage("--format needs text or json");
      parsed.format = value == "json" ? TCheckFormat::Json : TCheckFormat::Text;
    } else if (StartsWith(args[i], "-")) {
      throw ECliUsage("unknown option " + args[i]);
    } else {
      positional.push_back(args[i]);
    }
  }
  parsed.projectFile = ProjectFileArgument(positional);
  return parsed;
}

std::string RelativeToProject(const TDocProject& project, const std::string& path) {
  const std::string& root = project.RootPath();
  return !root.empty() && StartsWith(path, root) ? path.substr(root.size()) : path;
}

// The link check's issues, each in the file it names: a page, or the topic list.
std::vector<TProjectFinding> LinkFindings(const TDocProject& project) {
  std::vector<TProjectFinding> findings;
  for (const TLinkIssue& issue : CheckLinks(project, TerminalProgress("Checking links"))) {
    findings.push_back({RelativeToProject(project, issue.File), issue.TopicID, issue.TopicTitle, issue.Issue});
  }
  for (const TLinkIssue& issue : CheckLinksToLeftOutTopics(project)) {
    findings.push_back({RelativeToProject(project, issue.File), issue.TopicID, issue.TopicTitle, issue.Issue});
  }
  return findings;
}

TReusableProjectContent ReadStore(const TDocProject& project) {
  TReusableProjectContent store;
  if (!store.LoadFromProject(project)) {
    throw EFolivaneError("The reusable content file is not JSON: " + ReusableContentPath(project));
  }
  return store;
}

// Every check of the project with the variables, snippets and conditions of store (what a
// published variant would use); the findings of one topic stay together, in tree order.
std::vector<TProjectFinding> RunProjectChecks(const TDocProject& project, const TReusableProjectContent& store) {
  std::vector<TProjectFinding> findings = LinkFindings(project);
  for (TProjectFinding& f : CheckProjectPages(project, store, TerminalProgress("Checking pages"))) {
    findings.push_back(std::move(f));
  }
  std::unordered_map<std::string, size_t> order;
  for (const TTopic* t : project.EveryTopicTreeFirst()) order.emplace(t->ID(), order.size());
  const auto rank = [&](const TProjectFinding& f) {
    const auto it = order.find(f.topicId);
    const bool inTopicList = f.file == RelativeToProject(project, TopicsJsonPath(project.RootPath()));
    return it == order.end() || inTopicList ? order.size() : it->second;
  };
  std::stable_sort(findings.begin(), findings.end(),
                   [&](const TProjectFinding& a, const TProjectFinding& b) { return rank(a) < rank(b); });
  return findings;
}

// A finding of one profile's build ("" for the project as it is).
struct TProfileFinding {
  std::string profile;
  TProjectFinding finding;
};

std::string FindingsJson(const std::vector<TProfileFinding>& findings) {
  TJsonWriter w;
  w.BeginObject();
  w.Key("findings");
  w.BeginArray();
  for (const auto& [profile, f] : findings) {
    w.BeginObject();
    if (!profile.empty()) {
      w.Key("profile");
      w.String(profile);
    }
    w.Key("file");
    w.String(f.file);
    w.Key("topicId");
    w.String(f.topicId);
    w.Key("topic");
    w.String(f.topicTitle);
    w.Key("message");
    w.String(f.message);
    w.EndObject();
  }
  w.EndArray();
  w.EndObject();
  return w.Text() + "\n";
}

std::string FindingsText(const std::vector<TProfileFinding>& findings) {
  if (findings.empty()) return "No problems found.\n";
  std::string text;
  for (const auto& [profile, f] : findings) {
    text +=
        (profile.empty() ? "" : "profile " + profile + ": ") + f.file + ": " + f.topicTitle + ": " + f.message + "\n";
  }
  return text;
}

int RunCheck(const std::vector<std::string>& args) {
  const TCheckArguments parsed = ParseCheckArguments(args);
  TDocProject opened;
  TProjectSettings settings;
  OpenProjectArgument({parsed.projectFile}, opened, settings);
  std::vector<TProfileFinding> findings;
  // Each profile is checked as it publishes: its conditions and variables, its topics.
  for (const std::optional<TBuildProfile>& profile : ChosenProfiles(opened, parsed.profiles)) {
    TDocProject project;
    OpenProjectForBuild(parsed.projectFile, profile ? &*profile : nullptr, project, settings);
    for (TProjectFinding& f : RunProjectChecks(project, ReadStore(project))) {
      findings.push_back({profile ? profile->Name : "", std::move(f)});
    }
  }
  std::cout << (parsed.format == TCheckFormat::Json ? FindingsJson(findings) : FindingsText(findings)) << std::flush;
  return findings.empty() ? kExitOk : kExitFindings;
}

const TCliRegistrar registrar({"check",
                               "check FILE.fvp [--profile NAME|--all-profiles] [--format text|json]",
                               "Runs every project check for CI: links, missing topic files, help IDs, undefined "
                               "or unclosed variables, snippets and conditions, pictures without alternative "
                               "text, empty topics and headings that skip a level; one \"file: topic: message\" "
                               "line each, or JSON. With profiles, each profile is checked as it publishes.",
                               RunCheck,
                               {{kExitFindings, "the check ran and found problems"}}});

}  // namespace
