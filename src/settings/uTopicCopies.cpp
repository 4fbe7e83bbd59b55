#include "uTopicCopies.h"

#include <algorithm>
#include <unordered_map>

#include "uStorage.h"
#include "uTopicHtmlDefaults.h"
#include "uTranslation.h"
#include "uUtils.h"

namespace {

std::optional<std::string> ReadIfExists(const std::string& path) {
  if (!FileExists(path)) return std::nullopt;
  return ReadTextFileUtf8(path);
}

void WriteIfGiven(const std::string& path, const std::optional<std::string>& text) {
  if (!text) return;
  EnsureDir(ExtractFileDir(path));
  WriteTextFileUtf8(path, *text);
}

TTopicFiles ReadTopicFiles(const TDocProject& project, const std::string& id) {
  return {ReadIfExists(TopicFilePath(project, id)), ReadIfExists(HeaderHtmlPath(project, id)),
          ReadIfExists(HeaderBgPath(project, id))};
}

void WriteTopicFiles(const TDocProject& project, const std::string& id, const TTopicFiles& files) {
  WriteIfGiven(TopicFilePath(project, id), files.page);
  WriteIfGiven(HeaderHtmlPath(project, id), files.header);
  WriteIfGiven(HeaderBgPath(project, id), files.headerBg);
}

TStringList& SiblingList(TDocProject& project, const std::string& parentID) {
  return parentID.empty() ? project.RootTopicIDs() : project.GetTopic(parentID).Children();
}

int IndexIn(const TStringList& list, const std::string& id) {
  const auto it = std::find(list.begin(), list.end(), id);
  return it == list.end() ? static_cast<int>(list.size()) : static_cast<int>(it - list.begin());
}

}  // namespace

TRemovedBranch RemoveBranch(TDocProject& project, const std::string& id, TPendingTopicTexts& pending) {
  const TTopic& top = project.GetTopic(id);
  TRemovedBranch branch;
  branch.parentID = project.HasTopic(top.ParentID()) ? top.ParentID() : "";
  branch.index = IndexIn(SiblingList(project, branch.parentID), id);
  for (const std::string& member : project.SubtreeIDs(id)) {
    branch.topics.push_back(project.GetTopic(member));
    branch.files[member] = ReadTopicFiles(project, member);
    if (const auto it = pending.find(member); it != pending.end()) branch.pendingTexts[member] = it->second;
  }
  for (const std::string& member : project.DeleteTopic(id)) {
    pending.erase(member);
    DeleteFileIfExists(HeaderHtmlPath(project, member));
    DeleteFileIfExists(HeaderBgPath(project, member));
  }
  return branch;
}

void RestoreBranch(TDocProject& project, const TRemovedBranch& branch, TPendingTopicTexts& pending) {
  if (branch.topics.empty()) return;
  for (const TTopic& topic : branch.topics) {
    if (project.HasTopic(topic.ID())) {
      throw EFolivaneError(
          FormatText(TranslateText("The topic \"%s\" cannot be restored: its ID is in use."), {topic.Title()}));
    }
  }
  const std::string parentID = project.HasTopic(branch.parentID) ? branch.parentID : "";
  for (const auto& [id, files] : branch.files) WriteTopicFiles(project, id, files);
  for (const TTopic& topic : branch.topics) {
    auto copy = std::make_unique<TTopic>(topic);
    if (topic.ID() == branch.TopID()) copy->SetParentID(parentID);
    project.InsertLoadedTopic(std::move(copy));
  }
  TStringList& siblings = SiblingList(project, parentID);
  const int index = parentID == branch.parentID ? std::clamp(branch.index, 0, static_cast<int>(siblings.size()))
                                                : static_cast<int>(siblings.size());
  siblings.insert(siblings.begin() + index, branch.TopID());
  for (const auto& [id, text] : branch.pendingTexts) pending[id] = text;
}

std::string DuplicateBranch(TDocProject& project, const std::string& id, bool withSubtopics,
                            const std::string& copyTitle, TPendingTopicTexts& pending) {
  const TTopic& original = project.GetTopic(id);
  const TStringList members = withSubtopics ? project.SubtreeIDs(id) : TStringList{id};
  std::unordered_map<std::string, std::string> newIDs;
  for (const std::string& member : members) newIDs[member] = NewTopicID();
  // Everything is read before anything is written: a file that cannot be read adds nothing.
  std::map<std::string, TTopicFiles> files;
  for (const std::string& member : members) files[member] = ReadTopicFiles(project, member);
  TTopicFiles& topFiles = files[id];
  if (topFiles.header) {
    if (auto retitled = RetitledHeader(*topFiles.header, original.Title(), copyTitle)) topFiles.header = *retitled;
  }

  const std::string parentID = project.HasTopic(original.ParentID()) ? original.ParentID() : "";
  for (const std::string& member : members) {
    const TTopic& source = project.GetTopic(member);
    auto copy = std::make_unique<TTopic>(source);
    copy->SetID(newIDs[member]);
    // A program opens one topic by its help ID or alias: the copy starts without them.
    copy->SetHelpId(0);
    copy->SetHelpAlias("");
    copy->Children().clear();
    for (const std::string& child : source.Children()) {
      const auto it = newIDs.find(child);
      if (it != newIDs.end() && withSubtopics) copy->Children().push_back(it->second);
    }
    if (member == id) {
      copy->SetTitle(copyTitle);
      copy->SetParentID(parentID);
    } else {
      const auto parent = newIDs.find(source.ParentID());
      copy->SetParentID(parent != newIDs.end() ? parent->second : newIDs[id]);
    }
    WriteTopicFiles(project, copy->ID(), files[member]);
    if (const auto it = pending.find(member); it != pending.end()) pending[copy->ID()] = it->second;
    project.InsertLoadedTopic(std::move(copy));
  }
  TStringList& siblings = SiblingList(project, parentID);
  const int after = IndexIn(siblings, id);
  siblings.insert(siblings.begin() + std::min(after + 1, static_cast<int>(siblings.size())), newIDs[id]);
  return newIDs[id];
}
