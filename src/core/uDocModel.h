// The in-memory help project: a forest of topics. Topic text lives in files, not here.
#pragma once

#include <functional>
#include <memory>
#include <string>
#include <unordered_map>
#include <utility>
#include <vector>

using TStringList = std::vector<std::string>;

class TTopic {
 public:
  const std::string& ID() const { return FID; }
  void SetID(const std::string& v) { FID = v; }
  const std::string& Title() const { return FTitle; }
  void SetTitle(const std::string& v) { FTitle = v; }
  const std::string& HtmlPath() const { return FHtmlPath; }
  void SetHtmlPath(const std::string& v) { FHtmlPath = v; }
  const std::string& ParentID() const { return FParentID; }
  void SetParentID(const std::string& v) { FParentID = v; }
  TStringList& Children() { return FChildren; }
  const TStringList& Children() const { return FChildren; }
  TStringList& Keywords() { return FKeywords; }
  const TStringList& Keywords() const { return FKeywords; }
  TStringList& IndexEntries() { return FIndexEntries; }
  const TStringList& IndexEntries() const { return FIndexEntries; }
  bool ExcludeWeb() const { return FExcludeWeb; }
  void SetExcludeWeb(bool v) { FExcludeWeb = v; }
  bool ExcludeChm() const { return FExcludeChm; }
  void SetExcludeChm(bool v) { FExcludeChm = v; }
  bool ExcludePdf() const { return FExcludePdf; }
  void SetExcludePdf(bool v) { FExcludePdf = v; }
  // The number a program opens this topic by (context-sensitive help); 0 when it has none.
  int HelpId() const { return FHelpId; }
  void SetHelpId(int v) { FHelpId = v; }
  // The symbolic name of the same ("IDH_PRINT_DIALOG"); empty when it has none.
  const std::string& HelpAlias() const { return FHelpAlias; }
  void SetHelpAlias(const std::string& v) { FHelpAlias = v; }
  // The reusable-content condition the topic is published under: when it is off, the
  // topic and its subtopics are left out of every output. Empty for always.
  const std::string& Condition() const { return FCondition; }
  void SetCondition(const std::string& v) { FCondition = v; }

 private:
  std::string FID;
  std::string FTitle;
  std::string FHtmlPath;
  std::string FParentID;
  TStringList FChildren;
  TStringList FKeywords;
  TStringList FIndexEntries;
  bool FExcludeWeb = false;
  bool FExcludeChm = false;
  bool FExcludePdf = false;
  int FHelpId = 0;
  std::string FHelpAlias;
  std::string FCondition;
};

// The largest help ID: the HTML Help API takes a signed 32-bit number.
constexpr int kMaxHelpId = 2147483647;
// Reads a help ID written as decimal digits (spaces around allowed); false, and id
// untouched, for anything else or a number outside 1..kMaxHelpId.
bool ParseHelpId(const std::string& text, int& id);
// Whether alias is a help alias a C compiler and the HTML Help compiler accept: ASCII
// letters, digits and "_", starting with a letter, at most 128 characters.
bool IsValidHelpAlias(const std::string& alias);

using TTopicMap = std::unordered_map<std::string, std::unique_ptr<TTopic>>;

// What a tree walk does after visiting a topic.
enum class TWalkAction { Descend, SkipChildren, Stop };
// Called for each topic a walk reaches; depth is 0 on the level the walk starts from.
using TTopicVisitor = std::function<TWalkAction(const TTopic& topic, int depth)>;
// Called after the children of a topic the visitor descended into.
using TTopicLeaver = std::function<void(const TTopic& topic, int depth)>;

// root + "topics/" + id + ".html": where every topic's page lives. The id passes through
// SafeFileName, so an id read from a file can never name a path outside the topics folder.
std::string TopicPagePath(const std::string& projectRoot, const std::string& id);

// What a build profile sets for one publishing run, over the project's own values. A
// project as loaded has none: it publishes into build/ with its own condition values.
struct TBuildChoices {
  std::string Profile;  // the profile's name, which is also its folder under build/
  std::vector<std::pair<std::string, bool>> Conditions;
  std::vector<std::pair<std::string, std::string>> Variables;
};

class TDocProject {
 public:
  TDocProject() = default;
  TDocProject(const TDocProject&) = delete;
  TDocProject& operator=(const TDocProject&) = delete;

  const std::string& RootPath() const { return FRootPath; }
  // Moves the project: every topic's HtmlPath follows to the new folder.
  void SetRootPath(const std::string& v);
  const std::string& Title() const { return FTitle; }
  void SetTitle(const std::string& v) { FTitle = v; }
  const TTopicMap& Topics() const { return FTopics; }
  TStringList& RootTopicIDs() { return FRootTopicIDs; }
  const TStringList& RootTopicIDs() const { return FRootTopicIDs; }
  const std::string& StyleProfile() const { return FStyleProfile; }
  void SetStyleProfile(const std::string& v) { FStyleProfile = v; }
  const TBuildChoices& BuildChoices() const { return FBuildChoices; }
  void SetBuildChoices(TBuildChoices v) { FBuildChoices = std::move(v); }

  // Title "Untitled Documentation", profile "default", no topics; RootPath stays.
  void Clear();
  // A new topic with a fresh ID, appended to its parent's children (or the roots).
  TTopic& AddTopic(const std::string& title, const std::string& parentID);
  // Removes the topic, its descendants and their files, and every mention of them in the
  // child lists. Returns the IDs removed; a missing ID removes nothing.
  TStringList DeleteTopic(const std::string& id);
  TTopic& GetTopic(const std::string& id);
  const TTopic& GetTopic(const std::string& id) const;
  bool HasTopic(const std::string& id) const { return FTopics.count(id) != 0; }
  // Whether possibleAncestorID is nodeID itself or one of its ancestors.
  bool IsDescendant(const std::string& nodeID, const std::string& possibleAncestorID) const;
  // Re-parents and re-orders one topic; the index counts in the list without the topic.
  void MoveTopic(const std::string& id, const std::string& newParentID, int insertIndex);
  // Stores a topic read from disk under its ID, its page in this project's topics folder;
  // a second topic with the same ID raises.
  void InsertLoadedTopic(std::unique_ptr<TTopic> topic);
  // Visits topics depth first in tree order, from the roots, or from fromID (itself at
  // depth 0) when given. Unknown IDs are skipped, and each topic is visited once, at its
  // first place: a stored tree that lists a topic twice or in a cycle can neither repeat
  // nor loop. The walk keeps its own stack, so a deep tree cannot overflow the call stack.
  void WalkTopics(const TTopicVisitor& visit, const TTopicLeaver& leave = nullptr,
                  const std::string& fromID = "") const;
  // The topics in tree order (roots, then each topic's children, depth first).
  std::vector<const TTopic*> TopicsInTreeOrder() const;
  // Every topic: the tree order first, then the topics no root reaches, by identifier, so
  // that a listing is the same from one run to the next.
  std::vector<const TTopic*> EveryTopicTreeFirst() const;
  // The topic and everything below it, in tree order; empty for an unknown ID.
  TStringList SubtreeIDs(const std::string& id) const;

 private:
  std::string FRootPath;
  std::string FTitle;
  TTopicMap FTopics;
  TStringList FRootTopicIDs;
  std::string FStyleProfile = "default";
  TBuildChoices FBuildChoices;
};

// Where the outputs go: build/ in the project folder, or build/<profile>/ for a profile's run.
std::string BuildFolder(const std::string& projectRoot, const std::string& profile);
std::string BuildFolder(const TDocProject& project);

// 32 upper-case hexadecimal digits of a new random GUID.
std::string NewTopicID();
