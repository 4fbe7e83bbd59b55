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

std::string BuildFolder(const std::string& projectRoot, const std::string& profile) {
  const std::string build = PathJoin(projectRoot, "build");
  return profile.empty() ? build : PathJoin(build, profile);
}

std::string BuildFolder(const TDocProject& project) {
  return BuildFolder(project.RootPath(), project.BuildChoices().Profile);
}

std::string TopicPagePath(const std::string& projectRoot, const std::string& id) {
  return IncludeTrailingDelimiter(projectRoot) + "topics/" + SafeFileName(id) + ".html";
}

void TDocProject::SetRootPath(const std::string& v) {
  FRootPath = v;
  for (auto& [id, topic] : FTopics) topic->SetHtmlPath(TopicPagePath(FRootPath, id));
}

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
  EnsureDir(PathJoin(FRootPath, "topics"));
  topic->SetHtmlPath(TopicPagePath(FRootPath, topic->ID()));
  if (!parentID.empty()) {
    GetTopic(parentID).Children().push_back(topic->ID());
  } else {
    FRootTopicIDs.push_back(topic->ID());
  }
  TTopic& added = *topic;
  FTopics[added.ID()] = std::move(topic);
  return added;
}

TStringList TDocProject::DeleteTopic(const std::string& id) {
  const TStringList removed = SubtreeIDs(id);
  if (removed.empty()) return removed;
  const std::unordered_set<std::string> gone(removed.begin(), removed.end());
  auto forget = [&gone](TStringList& list) {
    list.erase(std::remove_if(list.begin(), list.end(), [&](const std::string& x) { return gone.count(x) != 0; }),
               list.end());
  };
  forget(FRootTopicIDs);
  for (auto& [topicID, topic] : FTopics) {
    if (!gone.count(topicID)) forget(topic->Children());
  }
  for (const std::string& topicID : removed) {
    const std::string path = FTopics.at(topicID)->HtmlPath();
    if (FileExists(path)) DeleteFileIfExists(path);
    FTopics.erase(topicID);
  }
  return removed;
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
  topic->SetHtmlPath(TopicPagePath(FRootPath, id));
  if (!FTopics.emplace(id, std::move(topic)).second) throw EFolivaneError("Duplicates not allowed");
}

void TDocProject::WalkTopics(const TTopicVisitor& visit, const TTopicLeaver& leave, const std::string& fromID) const {
  struct TLevel {
    const TStringList* list;
    size_t pos;
    const TTopic* owner;  // whose children these are; null for the starting level
  };
  const TStringList start{fromID};
  std::vector<TLevel> stack{{fromID.empty() ? &FRootTopicIDs : &start, 0, nullptr}};
  std::unordered_set<std::string> visited;
  while (!stack.empty()) {
    TLevel& level = stack.back();
    if (level.pos >= level.list->size()) {
      const TTopic* owner = level.owner;
      stack.pop_back();
      if (owner && leave) leave(*owner, static_cast<int>(stack.size()) - 1);
      continue;
    }
    const std::string& id = (*level.list)[level.pos++];
    const auto it = FTopics.find(id);
    if (it == FTopics.end() || !visited.insert(id).second) continue;
    const TTopic& topic = *it->second;
    const int depth = static_cast<int>(stack.size()) - 1;
    switch (visit(topic, depth)) {
      case TWalkAction::Stop: return;
      case TWalkAction::SkipChildren: break;
      case TWalkAction::Descend: stack.push_back({&topic.Children(), 0, &topic}); break;
    }
  }
}

std::vector<const TTopic*> TDocProject::TopicsInTreeOrder() const {
  std::vector<const TTopic*> out;
  out.reserve(FTopics.size());
  WalkTopics([&out](const TTopic& topic, int) {
    out.push_back(&topic);
    return TWalkAction::Descend;
  });
  return out;
}

std::vector<const TTopic*> TDocProject::EveryTopicTreeFirst() const {
  std::vector<const TTopic*> topics = TopicsInTreeOrder();
  const std::unordered_set<const TTopic*> reached(topics.begin(), topics.end());
  std::vector<const TTopic*> rest;
  for (const auto& [id, topic] : FTopics) {
    if (!reached.count(topic.get())) rest.push_back(topic.get());
  }
  std::sort(rest.begin(), rest.end(), [](const TTopic* a, const TTopic* b) { return a->ID() < b->ID(); });
  topics.insert(topics.end(), rest.begin(), rest.end());
  return topics;
}

TStringList TDocProject::SubtreeIDs(const std::string& id) const {
  TStringList out;
  if (id.empty()) return out;
  WalkTopics(
      [&out](const TTopic& topic, int) {
        out.push_back(topic.ID());
        return TWalkAction::Descend;
      },
      nullptr, id);
  return out;
}

bool ParseHelpId(const std::string& text, int& id) {
  const std::string digits = Trim(text);
  if (digits.empty() || digits.size() > 10) return false;
  long long value = 0;
  for (const char c : digits) {
    if (c < '0' || c > '9') return false;
    value = value * 10 + (c - '0');
  }
  if (value < 1 || value > kMaxHelpId) return false;
  id = static_cast<int>(value);
  return true;
}

bool IsValidHelpAlias(const std::string& alias) {
  if (alias.empty() || alias.size() > 128) return false;
  const auto letter = [](char c) { return (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z'); };
  if (!letter(alias[0])) return false;
  return std::all_of(alias.begin(), alias.end(),
                     [&letter](char c) { return letter(c) || (c >= '0' && c <= '9') || c == '_'; });
}
