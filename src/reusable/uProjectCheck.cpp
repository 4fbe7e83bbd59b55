#include "uProjectCheck.h"

#include "uContainment.h"
#include "uHtmlText.h"
#include "uRegex.h"
#include "uStorage.h"
#include "uTopicHtmlDefaults.h"

namespace {

const char kImagePattern[] = "<img\\b[^>]*>";
const char kAltPattern[] = "\\salt\\s*=\\s*(?:\"(?<dq>[^\"]*)\"|'(?<sq>[^']*)'|(?<bare>[^\\s\"'>]+))";
const char kSrcPattern[] = "\\ssrc\\s*=\\s*(?:\"(?<dq>[^\"]*)\"|'(?<sq>[^']*)'|(?<bare>[^\\s\"'>]+))";
const char kHeadingPattern[] = "<h(?<level>[1-6])\\b[^>]*>(?<text>.*?)</h\\k<level>\\s*>";

// The value of an attribute the pattern finds in tag; found tells whether it is there.
std::string AttributeValue(const char* pattern, std::string_view tag, bool& found) {
  TRegexMatch m;
  found = CachedRegex(pattern, roIgnoreCase).Search(tag, m);
  if (!found) return "";
  for (const char* group : {"dq", "sq", "bare"}) {
    if (!m.Group(group).empty()) return std::string(m.Group(group));
  }
  return "";
}

// A piece of page text as a message quotes it: one line, at most 60 bytes.
std::string Quoted(const std::string& text) {
  const std::string shown = text.size() > 60 ? SanitizeUtf8(text.substr(0, 60)) + "..." : text;
  return "\"" + shown + "\"";
}

void CheckPictures(const std::string& html, std::vector<std::string>& out) {
  for (const TRegexMatch& img : CachedRegex(kImagePattern, roIgnoreCase).FindAll(html)) {
    bool hasAlt = false, hasSrc = false;
    const std::string alt = AttributeValue(kAltPattern, img.Group(), hasAlt);
    if (!Trim(HtmlToPlainText(alt)).empty()) continue;
    const std::string src = AttributeValue(kSrcPattern, img.Group(), hasSrc);
    out.push_back("Picture without alternative text: " + (src.empty() ? std::string("(no source)") : src));
  }
}

// A heading may go down any number of levels, but up only one at a time: a reader (and a
// screen reader's outline) would miss the level between.
void CheckHeadings(const std::string& html, std::vector<std::string>& out) {
  int previous = 0;
  for (const TRegexMatch& h : CachedRegex(kHeadingPattern, roIgnoreCase | roDotAll).FindAll(html)) {
    const int level = h.Group("level")[0] - '0';
    if (previous != 0 && level > previous + 1) {
      out.push_back(
          FormatText("Heading skips a level (h%s after h%s): %s",
                     {std::to_string(level), std::to_string(previous), Quoted(HtmlToPlainText(h.Group("text")))}));
    }
    previous = level;
  }
}

bool Defined(const std::vector<TReusableVariable>& list, const std::string& name) {
  for (const auto& v : list) {
    if (SameTextAscii(v.Name, name)) return true;
  }
  return false;
}
bool Defined(const std::vector<TReusableSnippet>& list, const std::string& name) {
  for (const auto& s : list) {
    if (SameTextAscii(s.Name, name)) return true;
  }
  return false;
}
bool Defined(const std::vector<TReusableCondition>& list, const std::string& name) {
  for (const auto& c : list) {
    if (SameTextAscii(c.Name, name)) return true;
  }
  return false;
}

// Undefined names, and condition markers that do not pair up as the expansion pairs them:
// a begin with the next plain end or the next end of the same name.
void CheckTokens(const std::string& html, const TReusableProjectContent& store, std::vector<std::string>& out) {
  std::vector<std::string> open;
  for (const TReusableToken& t : FindReusableTokens(html)) {
    switch (t.kind) {
      case TReusableTokenKind::Variable:
        if (!Defined(store.Variables(), t.name)) out.push_back("Undefined variable: {var:" + t.name + "}");
        break;
      case TReusableTokenKind::Snippet:
        if (!Defined(store.Snippets(), t.name)) out.push_back("Undefined snippet: {snip:" + t.name + "}");
        break;
      case TReusableTokenKind::BeginCondition:
        if (!Defined(store.Conditions(), t.name)) out.push_back("Undefined condition: {begincond:" + t.name + "}");
        open.push_back(t.name);
        break;
      case TReusableTokenKind::EndCondition:
        if (open.empty()) {
          out.push_back(t.name.empty() ? "{endcond} without a {begincond} before it"
                                       : "{endcond:" + t.name + "} without a {begincond} before it");
        } else if (!t.name.empty() && !SameTextAscii(t.name, open.back())) {
          out.push_back("{endcond:" + t.name + "} closes the condition " + open.back());
          open.pop_back();
        } else {
          open.pop_back();
        }
        break;
    }
  }
  for (const std::string& name : open) out.push_back("Unclosed condition: {begincond:" + name + "}");
}

std::string RelativeToProject(const TDocProject& project, const std::string& path) {
  const std::string& root = project.RootPath();
  return !root.empty() && StartsWith(path, root) ? path.substr(root.size()) : path;
}

}  // namespace

std::vector<std::string> CheckPageHtml(const std::string& html, const TReusableProjectContent& store) {
  std::vector<std::string> out;
  if (IsBodyEmpty(html)) out.push_back("Empty topic");
  CheckTokens(html, store, out);
  CheckPictures(html, out);
  CheckHeadings(html, out);
  return out;
}

std::vector<std::string> CheckSnippetHtml(const std::string& html, const TReusableProjectContent& store) {
  std::vector<std::string> out;
  CheckTokens(html, store, out);
  CheckPictures(html, out);
  return out;
}

std::vector<TProjectFinding> CheckProjectPages(const TDocProject& project, const TReusableProjectContent& store,
                                               const TProgressCallback& progress) {
  const std::vector<const TTopic*> topics = project.EveryTopicTreeFirst();
  const int total = static_cast<int>(topics.size());
  const TFolderBoundary inside(project.RootPath());
  std::vector<TProjectFinding> findings;
  if (progress) progress(0, total);
  const std::string topicList = RelativeToProject(project, TopicsJsonPath(project.RootPath()));
  for (int i = 0; i < total; ++i) {
    const TTopic& topic = *topics[static_cast<size_t>(i)];
    if (!topic.Condition().empty() && !IsConditionDefined(store, topic.Condition())) {
      findings.push_back(
          {topicList, topic.ID(), topic.Title(),
           "Undefined condition of the topic: " + topic.Condition() + " (the topic is never published)"});
    }
    if (FileExists(topic.HtmlPath()) && inside.Holds(topic.HtmlPath())) {
      const std::string file = RelativeToProject(project, topic.HtmlPath());
      for (std::string& message : CheckPageHtml(ReadTextFileUtf8(topic.HtmlPath()), store)) {
        findings.push_back({file, topic.ID(), topic.Title(), std::move(message)});
      }
    }
    if (progress) progress(i + 1, total);
  }
  const std::string storeFile = RelativeToProject(project, ReusableContentPath(project));
  for (const TReusableSnippet& snippet : store.Snippets()) {
    for (std::string& message : CheckSnippetHtml(snippet.Html, store)) {
      findings.push_back({storeFile, "", "snippet " + snippet.Name, std::move(message)});
    }
  }
  return findings;
}
