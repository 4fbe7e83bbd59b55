// The topic tree: building it from the model, the structure commands, drag and drop,
// renaming, the topic properties and the style profile.
#include <QAction>
#include <QCheckBox>
#include <QComboBox>
#include <QGroupBox>
#include <QMenu>
#include <QPlainTextEdit>
#include <algorithm>
#include <unordered_set>

#include "uMain.h"
#include "uQtText.h"
#include "uScopedFlag.h"
#include "uStorage.h"
#include "uTopicEditorSession.h"
#include "uTopicPropertiesPanel.h"
#include "uTopicTree.h"
#include "uUserDialogs.h"

namespace {

std::string NodeID(const QTreeWidgetItem* item) { return TopicItemID(item); }

int IndexOf(const TStringList& list, const std::string& id) {
  const auto it = std::find(list.begin(), list.end(), id);
  return it == list.end() ? -1 : static_cast<int>(it - list.begin());
}

}  // namespace

// --- Building ----------------------------------------------------------------------------

void TfrmMain::RebuildTopicTree() {
  const TScopedFlag rebuilding(FRebuildingTree);
  tvToc->setUpdatesEnabled(false);
  tvToc->SetDropTarget(nullptr, 0);
  FDragNode = nullptr;
  // The branches the writer opened stay open.
  std::unordered_set<std::string> expanded;
  for (QTreeWidgetItemIterator it(tvToc); *it; ++it) {
    if ((*it)->isExpanded()) expanded.insert(NodeID(*it));
  }
  tvToc->clear();
  FillTopicItems(tvToc, *FProject);
  for (QTreeWidgetItemIterator it(tvToc); *it; ++it) {
    (*it)->setFlags((*it)->flags() | Qt::ItemIsEditable | Qt::ItemIsDragEnabled | Qt::ItemIsDropEnabled);
    if (expanded.count(NodeID(*it))) (*it)->setExpanded(true);
  }
  tvToc->setCurrentItem(nullptr);
  tvToc->setUpdatesEnabled(true);
}

std::string TfrmMain::SelectedTopicID() const { return NodeID(tvToc->currentItem()); }

void TfrmMain::SelectTopicNode(const std::string& id) {
  for (QTreeWidgetItemIterator it(tvToc); *it; ++it) {
    if (NodeID(*it) == id) {
      tvToc->setCurrentItem(*it);
      tvToc->scrollToItem(*it);
      return;
    }
  }
}

void TfrmMain::ShowTopicSelectedQuietly(const std::string& id) {
  {
    const TScopedFlag quiet(FRebuildingTree);  // no switch follows
    tvToc->setCurrentItem(nullptr);
    SelectTopicNode(id);
  }
  if (!id.empty() && FProject->HasTopic(id)) ShowTopicProperties(id);
}

QTreeWidgetItem* TfrmMain::FirstNode() const {
  return tvToc->topLevelItemCount() > 0 ? tvToc->topLevelItem(0) : nullptr;
}

void TfrmMain::SelectFirstNode() {
  if (QTreeWidgetItem* first = FirstNode()) tvToc->setCurrentItem(first);
}

void TfrmMain::RebuildAndSelect(const std::string& id) {
  RebuildTopicTree();
  SelectTopicNode(id);
}

// --- Structure commands -----------------------------------------------------------------

void TfrmMain::btnNewSubTopicClick(bool asRoot) {
  const std::string parent = asRoot ? std::string() : SelectedTopicID();
  std::string title = TranslateText("New Topic");
  if (!FDialogs->InputBox(TranslateText("New Topic"), TranslateText("Title:"), title)) return;
  if (!AcceptableTitle(title)) return;
  const std::string id = FProject->AddTopic(title, parent).ID();
  SaveProject(*FProject);
  RebuildAndSelect(id);
  RequestEditorFocus();     // a new topic is there to be written
  LoadTopicIntoEditor(id);  // a new topic gets its file even before the page is ready
  MarkProjectDirty();
}

void TfrmMain::btnDeleteTopicClick() {
  const std::string id = SelectedTopicID();
  if (id.empty() || !FProject->HasTopic(id)) return;
  const TTopic& topic = FProject->GetTopic(id);
  const std::string question = topic.Children().empty() ? TranslateText("Remove the topic \"%s\"?")
                                                        : TranslateText("Remove the topic \"%s\" and its subtopics?");
  if (FDialogs->Ask(TMessageKind::Warning, FormatText(question, {topic.Title()}), TDialogButtons::YesNo) !=
      TDialogAnswer::Yes) {
    return;
  }
  // What was typed into the topic shown goes with it, so that undoing brings it back.
  const bool current = !CurrentTopicID().empty() && FProject->IsDescendant(CurrentTopicID(), id);
  if (current) {
    RequestHeaderAndWait(400);
    CaptureCurrentTopicHtml();
  }
  const std::string neighbour = NeighbourAfterRemoval(id);
  FRemovedBranches.push_back(RemoveBranch(*FProject, id, FUnsavedTopicHtml));
  if (current) ForgetCurrentTopic();
  UpdateUndoRemoveTopic();
  SaveProject(*FProject);
  RebuildTopicTree();
  if (!neighbour.empty()) SelectTopicNode(neighbour);
  else SelectFirstNode();
}

std::string TfrmMain::NeighbourAfterRemoval(const std::string& id) const {
  const std::string parent = FProject->GetTopic(id).ParentID();
  const bool hasParent = !parent.empty() && FProject->HasTopic(parent);
  const TStringList& list = hasParent ? FProject->GetTopic(parent).Children() : FProject->RootTopicIDs();
  const int i = IndexOf(list, id);
  if (i >= 0 && i + 1 < static_cast<int>(list.size())) return list[i + 1];
  if (i > 0) return list[i - 1];
  return hasParent ? parent : std::string();
}

void TfrmMain::UndoRemoveTopicClick() {
  if (FRemovedBranches.empty()) return;
  const TRemovedBranch branch = std::move(FRemovedBranches.back());
  FRemovedBranches.pop_back();
  UpdateUndoRemoveTopic();
  RestoreBranch(*FProject, branch, FUnsavedTopicHtml);
  SaveProject(*FProject);
  if (!branch.pendingTexts.empty()) MarkProjectDirty();  // its typed texts are still unsaved
  RebuildAndSelect(branch.TopID());
}

void TfrmMain::UpdateUndoRemoveTopic() { actUndoRemoveTopic->setEnabled(!FRemovedBranches.empty()); }

void TfrmMain::DuplicateTopicClick(bool withSubtopics) {
  const std::string id = SelectedTopicID();
  if (id.empty() || !FProject->HasTopic(id)) return;
  if (!CurrentTopicID().empty() && FProject->IsDescendant(CurrentTopicID(), id)) {
    // The copy takes what the page shows, typed or not.
    RequestHeaderAndWait(400);
    CaptureCurrentTopicHtml();
  }
  const std::string title = FormatText(TranslateText("%s (copy)"), {FProject->GetTopic(id).Title()});
  const std::string copy = DuplicateBranch(*FProject, id, withSubtopics, title, FUnsavedTopicHtml);
  SaveProject(*FProject);
  MarkProjectDirty();
  RebuildAndSelect(copy);
}

bool TfrmMain::AcceptableTitle(const std::string& title) {
  if (!Trim(title).empty()) return true;
  FDialogs->ShowMessage(TMessageKind::Warning, TranslateText("A topic needs a title."));
  return false;
}

void TfrmMain::ShowTreeContextMenu(const QPoint& pos) {
  if (QTreeWidgetItem* item = tvToc->itemAt(pos)) {
    if (item != tvToc->currentItem()) tvToc->setCurrentItem(item);
  }
  mnuTree->popup(tvToc->viewport()->mapToGlobal(pos));
}

void TfrmMain::MoveUpClick() {
  const std::string id = SelectedTopicID();
  if (id.empty() || !FProject->HasTopic(id)) return;
  const std::string parent = FProject->GetTopic(id).ParentID();
  const TStringList& list = parent.empty() ? FProject->RootTopicIDs() : FProject->GetTopic(parent).Children();
  const int i = IndexOf(list, id);
  if (i <= 0) return;
  FProject->MoveTopic(id, parent, i - 1);
  MarkProjectDirty();
  SaveProject(*FProject);
  RebuildAndSelect(id);
}

void TfrmMain::MoveDownClick() {
  const std::string id = SelectedTopicID();
  if (id.empty() || !FProject->HasTopic(id)) return;
  const std::string parent = FProject->GetTopic(id).ParentID();
  const TStringList& list = parent.empty() ? FProject->RootTopicIDs() : FProject->GetTopic(parent).Children();
  const int i = IndexOf(list, id);
  if (i < 0 || i >= static_cast<int>(list.size()) - 1) return;
  FProject->MoveTopic(id, parent, i + 1);
  MarkProjectDirty();
  SaveProject(*FProject);
  RebuildAndSelect(id);
}

void TfrmMain::ChangeParentClick() {
  const std::string id = SelectedTopicID();
  if (id.empty() || !FProject->HasTopic(id)) return;
  const std::string parent = FProject->GetTopic(id).ParentID();
  if (parent.empty() || !FProject->HasTopic(parent)) return;
  const std::string grand = FProject->GetTopic(parent).ParentID();
  const TStringList& list =
      grand.empty() || !FProject->HasTopic(grand) ? FProject->RootTopicIDs() : FProject->GetTopic(grand).Children();
  const int j = IndexOf(list, parent);
  const int index = j >= 0 ? j + 1 : static_cast<int>(list.size());
  FProject->MoveTopic(id, grand, index);
  MarkProjectDirty();
  SaveProject(*FProject);
  RebuildAndSelect(id);
}

void TfrmMain::RenameClick() {
  QTreeWidgetItem* item = tvToc->currentItem();
  if (!item) return;
  std::string title = FromQ(item->text(0));
  if (!FDialogs->InputBox(TranslateText("Rename Topic"), TranslateText("Title:"), title)) return;
  if (!AcceptableTitle(title)) return;
  {
    const TScopedFlag quiet(FRebuildingTree);
    item->setText(0, ToQ(title));
  }
  tvTocEdited(item, title);
}

void TfrmMain::tvTocEdited(QTreeWidgetItem* item, const std::string& newText) {
  if (!item || NodeID(item).empty()) return;
  const std::string id = SelectedTopicID().empty() ? NodeID(item) : SelectedTopicID();
  if (!FProject->HasTopic(id)) return;
  const std::string oldTitle = FProject->GetTopic(id).Title();
  if (newText == oldTitle) return;
  if (!AcceptableTitle(newText)) {
    {
      const TScopedFlag quiet(FRebuildingTree);
      item->setText(0, ToQ(oldTitle));
    }
    tvToc->setFocus();  // the label editor lost the keyboard to the message and closes
    return;
  }
  FProject->GetTopic(id).SetTitle(newText);
  MarkProjectDirty();
  if (TTopicEditorSession* session = EditingSession()) session->RetitleHeader(id, oldTitle);
}

// --- Drag and drop --------------------------------------------------------------------

void TfrmMain::tvTocStartDrag() { FDragNode = tvToc->currentItem(); }

bool TfrmMain::tvTocDragOver(QTreeWidgetItem* target, int y) {
  if (!FDragNode || !target || target == FDragNode) return false;
  const std::string dragged = NodeID(FDragNode);
  const std::string targetID = NodeID(target);
  if (targetID == dragged || FProject->IsDescendant(targetID, dragged)) return false;
  const QRect label = tvToc->LabelRect(target);
  const int dy = y - label.top();
  const int h = label.height();
  if (dy < h / 3) {
    FDropMode = dmBefore;
  } else if (dy > (2 * h) / 3) {
    FDropMode = dmAfter;
  } else {
    FDropMode = dmChild;
  }
  tvToc->SetDropTarget(target, FDropMode);
  return true;
}

void TfrmMain::tvTocDragDrop(QTreeWidgetItem* target, int y) {
  if (!FDragNode) return;
  if (tvToc->DropTarget()) target = tvToc->DropTarget();
  tvToc->SetDropTarget(nullptr, 0);
  if (!target) return;
  const std::string dragged = NodeID(FDragNode);
  const std::string targetID = NodeID(target);
  if (dragged.empty() || targetID == dragged || FProject->IsDescendant(targetID, dragged)) return;
  std::string newParent;
  int index = 0;
  if (FDropMode == dmChild) {
    newParent = targetID;
    index = static_cast<int>(FProject->GetTopic(targetID).Children().size());
  } else {
    newParent = NodeID(target->parent());
    TStringList list = newParent.empty() ? FProject->RootTopicIDs() : FProject->GetTopic(newParent).Children();
    list.erase(std::remove(list.begin(), list.end(), dragged), list.end());
    int k = IndexOf(list, targetID);
    if (k < 0) k = static_cast<int>(list.size());
    index = FDropMode == dmAfter ? k + 1 : k;
  }
  FProject->MoveTopic(dragged, newParent, index);
  SaveProject(*FProject);
  RebuildAndSelect(dragged);
}

// --- Properties and style profile -------------------------------------------------------

void TfrmMain::ShowTopicProperties(const std::string& id) {
  if (!FProject->HasTopic(id)) return;
  // Whatever the panel still holds belongs to the topic it was showing.
  if (id != FPropertiesTopicID) TopicPropertiesEdited();
  const TTopic& topic = FProject->GetTopic(id);
  grpProperties->ShowTopic(topic);
  FPropertiesTopicID = id;
}

void TfrmMain::ClearTopicProperties() {
  FPropertiesTopicID.clear();
  grpProperties->Clear();
}

bool TfrmMain::StoreTopicProperties(const std::string& id) {
  if (id.empty() || !FProject->HasTopic(id)) return false;
  return grpProperties->StoreInto(FProject->GetTopic(id));
}

// Every edit of the panel reaches the topic at once: nothing waits for Apply.
void TfrmMain::TopicPropertiesEdited() {
  if (!StoreTopicProperties(FPropertiesTopicID)) return;
  MarkProjectDirty();
  RefreshTopicItemLooks();
}

void TfrmMain::ApplyTopicProperties(const std::string& id) {
  if (!FProject->HasTopic(id)) return;
  if (id == FPropertiesTopicID && StoreTopicProperties(id)) RefreshTopicItemLooks();
  SaveProject(*FProject);
}

void TfrmMain::btnApplyPropsClick() {
  const std::string id = FPropertiesTopicID.empty() ? SelectedTopicID() : FPropertiesTopicID;
  if (!id.empty()) ApplyTopicProperties(id);
  ShowStatus(TranslateText("Properties saved"));
}

void TfrmMain::RefreshTopicItemLooks() {
  for (QTreeWidgetItemIterator it(tvToc); *it; ++it) {
    const std::string id = NodeID(*it);
    if (FProject->HasTopic(id)) ShowTopicItemExclusions(*it, FProject->GetTopic(id));
  }
}

// Topic switches made in the tree (clicks, arrow keys, removal) leave the keyboard there;
// only a command of the window moves it to the page.
bool TfrmMain::TreeKeepsFocus() const { return tvToc->hasFocus() && !FEditorFocusOrdered; }

void TfrmMain::FocusEditorFromTree() { RequestEditorFocus(); }

void TfrmMain::TopicPropertiesClick() {
  grpProperties->show();
  grpProperties->FocusFirstField();
}

void TfrmMain::FillStyleProfiles() {
  const QSignalBlocker block(cbStyle);
  cbStyle->clear();
  const std::string folder = PathJoin(FProject->RootPath(), "styles");
  if (DirExists(folder)) {
    for (const std::string& file : ListFiles(folder)) {
      const std::string name = FileNameWithoutExt(file);
      // A name the outputs cannot carry ("print?.css") would stop every topic switch and export.
      const bool usable = std::none_of(name.begin(), name.end(), [](char c) { return IsInvalidPathChar(c); });
      if (usable && SameTextAscii(ExtractFileExt(file), ".css")) cbStyle->addItem(ToQ(name));
    }
  }
  if (cbStyle->count() == 0) cbStyle->addItem("default");
  const int current = cbStyle->findText(ToQ(FProject->StyleProfile()), Qt::MatchExactly | Qt::MatchCaseSensitive);
  cbStyle->setCurrentIndex(current >= 0 ? current : 0);
}

void TfrmMain::cbStyleChange() {
  if (cbStyle->currentIndex() < 0) return;
  const std::string profile = FromQ(cbStyle->currentText());
  FProject->SetStyleProfile(profile);
  SaveProject(*FProject);
  ShowStatus(TranslateText("Style set: ") + profile);
  ApplyEditorCss();
}
