#include "uLinkChecker.h"

#include <algorithm>
#include <unordered_map>
#include <unordered_set>

#include "uBuildProfile.h"
#include "uHelpContext.h"
#include "uHtmlUtils.h"
#include "uRegex.h"
#include "uStorage.h"
#include "uTranslation.h"

namespace {

constexpr const char* kLocalReferencePattern = "(src|href)\\s*=\\s*\"([^\"]+)\"";

bool IsAsciiLetter(char c) { return (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z'); }
bool IsAsciiDigit(char c) { return c >= '0' && c <= '9'; }

// "scheme:" as URLs begin: a letter, then letters, digits, "+", "-" or ".".
bool HasUrlScheme(const std::string& value) {
  if (value.empty() || !IsAsciiLetter(value[0])) return false;
  for (size_t i = 1; i < value.size(); ++i) {
    const char c = value[i];
    if (c == ':') return true;
    if (!IsAsciiLetter(c) && !IsAsciiDigit(c) && c != '+' && c != '-' && c != '.') return false;
  }
  return false;
}

int HexValue(char c) {
  if (IsAsciiDigit(c)) return c - '0';
  if (c >= 'a' && c <= 'f') return c - 'a' + 10;
  if (c >= 'A' && c <= 'F') return c - 'A' + 10;
  return -1;
}

std::string PercentDecode(const std::string& value) {
  std::string out;
  out.reserve(value.size());
  for (size_t i = 0; i < value.size(); ++i) {
    if (value[i] == '%' && i + 2 < value.size() && HexValue(value[i + 1]) >= 0 && HexValue(value[i + 2]) >= 0) {
      out += static_cast<char>(HexValue(value[i + 1]) * 16 + HexValue(value[i + 2]));
      i += 2;
    } else {
      out += value[i];
    }
  }
  return out;
}

// The forms under which a browser would look the value up: as written, with the
// HTML entities an editor writes into attributes decoded, and with %XX escapes decoded.
std::vector<std::string> PathCandidates(const std::string& value) {
  std::vector<std::string> out{value};
  std::string decoded = value;
  if (decoded.find('&') != std::string::npos) {
    decoded = ReplaceAll(
        ReplaceAll(ReplaceAll(ReplaceAll(ReplaceAll(decoded, "&lt;", "<"), "&gt;", ">"), "&quot;", "\""), "&#39;", "'"),
        "&amp;", "&");
    if (decoded != value) out.push_back(decoded);
  }
  if (decoded.find('%') != std::string::npos) {
    const std::string unescaped = PercentDecode(decoded);
    if (unescaped != decoded) out.push_back(unescaped);
  }
  return out;
}

// Looks files up once per run: many pages refer to the same pictures.
class TFileLookup {
 public:
  bool Exists(const std::string& path) {
    const auto it = FCache.find(path);
    if (it != FCache.end()) return it->second;
    const bool exists = FileExists(ExpandFileName(path));
    FCache.emplace(path, exists);
    return exists;
  }

 private:
  std::unordered_map<std::string, bool> FCache;
};

class TTopicChecker {
 public:
  TTopicChecker(const TDocProject& project) : FProject(project), FInside(project.RootPath()) {}

  void Check(const TTopic& topic, std::vector<TLinkIssue>& issues) {
    auto add = [&](const std::string& text) { issues.push_back({topic.ID(), topic.Title(), text, topic.HtmlPath()}); };
    if (!FileExists(topic.HtmlPath())) {
      add("Missing HTML file: " + topic.HtmlPath());
      return;
    }
    if (!FInside.Holds(topic.HtmlPath())) {
      add(TranslateText("HTML file leads outside the project: ") + topic.HtmlPath());
      return;
    }
    const std::string html = ReadTextFileUtf8(topic.HtmlPath());
    for (const std::string& id : ExtractDocLinkIds(html)) {
      if (!FProject.HasTopic(id)) add("Broken internal link: doc:" + id);
    }
    const std::string topicDir = ExtractFileDir(topic.HtmlPath());
    const TRegex& pattern = CachedRegex(kLocalReferencePattern, roIgnoreCase);
    TRegexMatch match;
    for (size_t offset = 0; pattern.Search(html, match, offset); offset = match.End()) {
      const std::string value(match.Group(2));
      if (IsLocalReference(value) && !ReferenceExists(value, topicDir)) add("Missing local reference: " + value);
    }
  }

 private:
  // Editors write project-relative paths ("assets/images/a.png"), older pages paths
  // relative to their own file ("../assets/a.png"): either place counts.
  bool ReferenceExists(const std::string& value, const std::string& topicDir) {
    const std::string path = value.substr(0, value.find_first_of("?#"));
    if (path.empty()) return true;  // "?x=1" names the page itself
    for (const std::string& candidate : PathCandidates(path)) {
      if (IsRootedPath(candidate)) {
        if (FFiles.Exists(candidate)) return true;
        continue;
      }
      if (ExistsBelow(FProject.RootPath(), candidate) || ExistsBelow(topicDir, candidate)) return true;
    }
    return false;
  }

  bool ExistsBelow(const std::string& folder, const std::string& rel) {
    if (folder.empty()) return false;
    try {
      return FFiles.Exists(PathJoin(folder, rel));
    } catch (const EFolivaneError&) {
      return false;  // characters no path may hold: reported as missing, the check goes on
    }
  }

  const TDocProject& FProject;
  TFolderBoundary FInside;
  TFileLookup FFiles;
};

}  // namespace

bool IsLocalReference(const std::string& value) {
  if (value.empty() || value[0] == '#') return false;
  if (StartsWithText(value, "http") || StartsWithText(value, "mailto:") || StartsWithText(value, "doc:")) return false;
  return !HasUrlScheme(value);
}

std::vector<TLinkIssue> CheckLinks(const TDocProject& project, const TProgressCallback& progress) {
  const std::vector<const TTopic*> topics = project.EveryTopicTreeFirst();
  const int total = static_cast<int>(topics.size());
  std::vector<TLinkIssue> issues;
  TTopicChecker checker(project);
  if (progress) progress(0, total);
  for (int i = 0; i < total; ++i) {
    checker.Check(*topics[static_cast<size_t>(i)], issues);
    if (progress) progress(i + 1, total);
  }
  for (const THelpContextIssue& issue : HelpContextIssues(project)) {
    issues.push_back({issue.topic->ID(), issue.topic->Title(), issue.text, TopicsJsonPath(project.RootPath())});
  }
  return issues;
}

std::vector<TLinkIssue> CheckLinksToLeftOutTopics(const TDocProject& project) {
  std::vector<std::unordered_set<std::string>> published;
  for (const TOutputFormat format : kAllOutputFormats) published.push_back(TopicsPublishedTo(project, format));
  const TFolderBoundary inside(project.RootPath());
  std::vector<TLinkIssue> issues;
  for (const TTopic* topic : project.TopicsInTreeOrder()) {
    if (!FileExists(topic->HtmlPath()) || !inside.Holds(topic->HtmlPath())) continue;
    for (const std::string& id : ExtractDocLinkIds(ReadTextFileUtf8(topic->HtmlPath()))) {
      if (!project.HasTopic(id)) continue;
      std::string outputs;
      for (size_t i = 0; i < published.size(); ++i) {
        if (published[i].count(topic->ID()) && !published[i].count(id)) {
          outputs += (outputs.empty() ? "" : ", ") + OutputFormatCaption(kAllOutputFormats[i]);
        }
      }
      if (outputs.empty()) continue;
      issues.push_back({topic->ID(), topic->Title(),
                        "Link to a topic left out of " + outputs + ": " + project.GetTopic(id).Title(),
                        topic->HtmlPath()});
    }
  }
  return issues;
}
