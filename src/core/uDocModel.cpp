#include "uDocModel.h"

#include <algorithm>
#include <unordered_set>

#include "uPlatform.h"
#include "uTranslation.h"
#include "uUtils.h"

namespace {

[[noreturn]] void RaiseTopicNotFound(const std::string& id) {
  throw EFolivaneError(FormatText(TranslateText("Topic not found: %s"), {id}));
}

void RemoveFirst(TStringList& list, const std::string& id) {
  const auto it = std::find(list.begin(), list.end(), id);
  if (it != list.end()) list.erase(it);
}

}  // namespace

std::string NewTopicID() { return NewGuidHex(); }

void TDocProject::Clear() {
  FTitle = "Untitled Documentation";
  FStyleProfile = "default";
  FTopics.clear();
  FRootTopicIDs.clear();
}

TTopic& TDocProject::AddTopic(const std::string& title, const std::string& parentID) {
  auto topic = std::make_unique<TTopic>();
  topic->SetID(NewTopicID());
  topic->SetTitle(title);
  topic->SetParentID(parentID);
  const std::string topicDir = PathJoin(FRootPath, "topics");
  EnsureDir(topicDir);
  topic->SetHtmlPath(PathJoin(topicDir, topic->ID() + ".html"));
  if (!parentID.empty()) {
    GetTopic(parentID).Children().push_back(topic->ID());
  } else {
    FRootTopicIDs.push_back(topic->ID());
  }
  TTopic& added = *topic;
  FTopics[added.ID()] = std::move(topic);
  return added;
}

void TDocProject::DeleteTopic(const std::string& idRef) {
  const std::string id = idRef;  // the caller's string may live in a list this call edits
  const auto it = FTopics.find(id);
  if (it == FTopics.end()) return;
  const TStringList children = it->second->Children();
  for (const std::string& child : children) DeleteTopic(child);

  // The recursion may have reorganised the map; look the topic up again.
  TTopic& topic = GetTopic(id);
  if (topic.ParentID().empty()) {
    RemoveFirst(FRootTopicIDs, id);
  } else if (HasTopic(topic.ParentID())) {
    RemoveFirst(GetTopic(topic.ParentID()).Children(), id);
  }
  if (FileExists(topic.HtmlPath())) DeleteFileIfExists(topic.HtmlPath());
  FTopics.erase(id);
}

TTopic& TDocProject::GetTopic(const std::string& id) {
  const auto it = FTopics.find(id);
  if (it == FTopics.end()) RaiseTopicNotFound(id);
  return *it->second;
}

const TTopic& TDocProject::GetTopic(const std::string& id) const {
  return const_cast<TDocProject*>(this)->GetTopic(id);
}

bool TDocProject::IsDescendant(const std::string& nodeID, const std::string& possibleAncestorID) const {
  // A stored file may hold a parent cycle; the walk must still end.
  std::unordered_set<std::string> seen;
  std::string cur = nodeID;
  while (!cur.empty()) {
    if (cur == possibleAncestorID) return true;
    const auto it = FTopics.find(cur);
    if (it == FTopics.end() || !seen.insert(cur).second) break;
    cur = it->second->ParentID();
  }
  return false;
}

void TDocProject::MoveTopic(const std::string& idRef, const std::string& newParentIDRef, int insertIndex) {
  // Copies: the caller's strings may live in the lists this call edits.
  const std::string id = idRef;
  const std::string newParentID = newParentIDRef;
  TTopic& topic = GetTopic(id);
  if (newParentID == id || (!newParentID.empty() && IsDescendant(newParentID, id))) {
    throw EFolivaneError(TranslateText("Cannot move a topic into itself/its descendant."));
  }
  // Check the new parent before anything changes, so a failed move leaves the model as it was.
  if (!newParentID.empty()) GetTopic(newParentID);
  TStringList& oldList = topic.ParentID().empty() ? FRootTopicIDs : GetTopic(topic.ParentID()).Children();
  RemoveFirst(oldList, id);
  topic.SetParentID(newParentID);
  TStringList& newList = newParentID.empty() ? FRootTopicIDs : GetTopic(newParentID).Children();
  const int count = static_cast<int>(newList.size());
  const int index = std::clamp(insertIndex, 0, count);
  newList.insert(newList.begin() + index, id);
}

void TDocProject::InsertLoadedTopic(std::unique_ptr<TTopic> topic) {
  const std::string id = topic->ID();
  if (!FTopics.emplace(id, std::move(topic)).second) throw EFolivaneError("Duplicates not allowed");
}

std::vector<const TTopic*> TDocProject::TopicsInTreeOrder() const {
  std::vector<const TTopic*> out;
  out.reserve(FTopics.size());
  std::unordered_set<std::string> visited;
  // An explicit stack: a stored tree may be deep, and may even hold cycles.
  std::vector<std::pair<const TStringList*, size_t>> stack{{&FRootTopicIDs, 0}};
  while (!stack.empty()) {
    auto& [list, pos] = stack.back();
    if (pos >= list->size()) {
      stack.pop_back();
      continue;
    }
    const std::string& id = (*list)[pos++];
    const auto it = FTopics.find(id);
    if (it == FTopics.end() || !visited.insert(id).second) continue;
    out.push_back(it->second.get());
    stack.push_back({&it->second->Children(), 0});
  }
  return out;
}
