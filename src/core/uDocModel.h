// The in-memory help project: a forest of topics. Topic text lives in files, not here.
#pragma once

#include <memory>
#include <string>
#include <unordered_map>
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
};

using TTopicMap = std::unordered_map<std::string, std::unique_ptr<TTopic>>;

class TDocProject {
 public:
  TDocProject() = default;
  TDocProject(const TDocProject&) = delete;
  TDocProject& operator=(const TDocProject&) = delete;

  const std::string& RootPath() const { return FRootPath; }
  void SetRootPath(const std::string& v) { FRootPath = v; }
  const std::string& Title() const { return FTitle; }
  void SetTitle(const std::string& v) { FTitle = v; }
  const TTopicMap& Topics() const { return FTopics; }
  TStringList& RootTopicIDs() { return FRootTopicIDs; }
  const TStringList& RootTopicIDs() const { return FRootTopicIDs; }
  const std::string& StyleProfile() const { return FStyleProfile; }
  void SetStyleProfile(const std::string& v) { FStyleProfile = v; }

  // Title "Untitled Documentation", profile "default", no topics; RootPath stays.
  void Clear();
  // A new topic with a fresh ID, appended to its parent's children (or the roots).
  TTopic& AddTopic(const std::string& title, const std::string& parentID);
  // Removes the topic, its descendants and their files. A missing ID does nothing.
  void DeleteTopic(const std::string& id);
  TTopic& GetTopic(const std::string& id);
  const TTopic& GetTopic(const std::string& id) const;
  bool HasTopic(const std::string& id) const { return FTopics.count(id) != 0; }
  // Whether possibleAncestorID is nodeID itself or one of its ancestors.
  bool IsDescendant(const std::string& nodeID, const std::string& possibleAncestorID) const;
  // Re-parents and re-orders one topic; the index counts in the list without the topic.
  void MoveTopic(const std::string& id, const std::string& newParentID, int insertIndex);
  // Stores a topic read from disk under its ID; a second topic with the same ID raises.
  void InsertLoadedTopic(std::unique_ptr<TTopic> topic);
  // The topics in tree order (roots, then each topic's children, depth first), skipping unknown IDs.
  std::vector<const TTopic*> TopicsInTreeOrder() const;

 private:
  std::string FRootPath;
  std::string FTitle;
  TTopicMap FTopics;
  TStringList FRootTopicIDs;
  std::string FStyleProfile = "default";
};

// 32 upper-case hexadecimal digits of a new random GUID.
std::string NewTopicID();
