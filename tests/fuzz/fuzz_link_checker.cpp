// The link checker's scan over any page: it never fails on what a page holds, every
// issue it reports names a topic and a reference the page really holds, and a reference
// to a file that exists is never reported missing.
#include <cstdint>
#include <string>

#include "FuzzSupport.h"
#include "uLinkChecker.h"
#include "uStorage.h"

namespace {

// A project with the fuzzed page "T", a topic "Known" and one picture.
TDocProject& Project() {
  static TDocProject project;
  static const bool made = [] {
    project.Clear();
    project.SetRootPath(ScratchPath("Guide/"));
    for (const char* id : {"T", "Known"}) {
      auto topic = std::make_unique<TTopic>();
      topic->SetID(id);
      topic->SetTitle(std::string("Title ") + id);
      topic->SetHtmlPath(TopicFilePath(project, id));
      project.RootTopicIDs().push_back(id);
      project.InsertLoadedTopic(std::move(topic));
    }
    WriteScratchFile(TopicFilePath(project, "Known"), "<p>known</p>");
    WriteScratchFile(ScratchPath("Guide/assets/images/a.png"), "PNG");
    return true;
  }();
  (void)made;
  return project;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  const std::string_view input(reinterpret_cast<const char*>(data), size);
  const TDocProject& project = Project();
  WriteScratchFile(TopicFilePath(project, "T"), input);
  IsLocalReference(std::string(input));

  std::vector<TLinkIssue> issues;
  try {
    issues = CheckLinks(project);
  } catch (const EFolivaneError& e) {
    // A page too complex for the pattern is the one failure a page may cause.
    if (!Contains(e.what(), "too complex")) FuzzFail(std::string("raised: ") + e.what(), input);
    return 0;
  } catch (const std::exception& e) {
    FuzzFail(std::string("escaped: ") + e.what(), input);
  }

  const std::string missing = "Missing local reference: ", broken = "Broken internal link: doc:";
  for (const TLinkIssue& issue : issues) {
    if (issue.TopicID != "T" || issue.TopicTitle != "Title T")
      FuzzFail("an issue on the wrong topic: " + issue.Issue, input);
    std::string reference;
    if (StartsWith(issue.Issue, missing)) reference = issue.Issue.substr(missing.size());
    else if (StartsWith(issue.Issue, broken)) reference = issue.Issue.substr(broken.size());
    else FuzzFail("an unknown issue: " + issue.Issue, input);
    // Internal links come from the page's text, which is read as UTF-8 first.
    if (!Contains(SanitizeUtf8(input), reference))
      FuzzFail("a reference the page does not hold: " + issue.Issue, input);
    if (issue.Issue == broken + "T" || issue.Issue == broken + "Known") FuzzFail("a topic reported missing", input);
    for (const char* present : {"assets/images/a.png", "../assets/images/a.png", "T.html", "../topics/Known.html"}) {
      if (issue.Issue == missing + present) FuzzFail("an existing file reported missing: " + issue.Issue, input);
    }
  }
  return 0;
}
