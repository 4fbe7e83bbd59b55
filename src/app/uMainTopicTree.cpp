// The topic commands: new, remove and undo remove, duplicate, move, rename, moves dropped in
// the tree, the topic properties and the style profile. The topic panel shows the tree.
#include <QAction>
#include <algorithm>

#include "uMain.h"
#include "uQtText.h"
#include "uReusableContent.h"
#include "uStorage.h"
#include "uTopicEditorSession.h"
#include "uTopicPanel.h"
#include "uTopicPropertiesPanel.h"
#include "uTopicTree.h"
#include "uUserDialogs.h"

// --- Building ----------------------------------------------------------------------------

void TfrmMain::RebuildTopicTree() { pnlTopics->Rebuild(); }

std::string TfrmMain::SelectedTopicID() const { return pnlTopics->SelectedID(); }

void TfrmMain::SelectTopicNode(const std::string& id) { pnlTopics->Select(id); }

void TfrmMain::ShowTopicSelectedQuietly(const std::string& id) {
  pnlTopics->SelectQuietly(id);
  if (!id.empty() && Project().HasTopic(id)) ShowTopicProperties(id);
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
  const std::string id = Project().AddTopic(title, parent).ID();
  SaveProject(Project());
  RebuildAndSelect(id);
  RequestEditorFocus();     // a new topic is there to be written
  LoadTopicIntoEditor(id);  // a new topic gets its file even before the page is ready
  MarkProjectDirty();
}

void TfrmMain::btnDeleteTopicClick() {
  const std::string id = SelectedTopicID();
  if (id.empty() || !Project().HasTopic(id)) return;
  const TTopic& topic = Project().GetTopic(id);
  const std::string question = topic.Children().empty() ? TranslateText("Remove the topic \"%s\"?")
                                                        : TranslateText("Remove the topic \"%s\" and its subtopics?");
  if (FDialogs->Ask(TMessageKind::Warning, FormatText(question, {topic.Title()}), TDialogButtons::YesNo) !=
      TDialogAnswer::Yes) {
    return;
  }
  // What was typed into the topic shown goes with it, so that undoing brings it back.
  const bool current = !CurrentTopicID().empty() && Project().IsDescendant(CurrentTopicID(), id);
  if (current) {
    RequestHeaderAndWait(400);
    CaptureCurrentTopicHtml();
  }
  const std::string neighbour = NeighbourAfterRemoval(id);
  FRemovedBranches.push_back(RemoveBranch(Project(), id, FOpenProject.UnsavedTopicHtml()));
  if (current) ForgetCurrentTopic();
  UpdateUndoRemoveTopic();
  SaveProject(Project());
  RebuildTopicTree();
  if (!neighbour.empty()) SelectTopicNode(neighbour);
  else pnlTopics->SelectFirst();
}

std::string TfrmMain::NeighbourAfterRemoval(const std::string& id) const {
  const std::string parent = Project().GetTopic(id).ParentID();
  const bool hasParent = !parent.empty() && Project().HasTopic(parent);
  const TStringList& list = hasParent ? Project().GetTopic(parent).Children() : Project().RootTopicIDs();
  const int i = TopicIndex(list, id);
  if (i >= 0 && i + 1 < static_cast<int>(list.size())) return list[i + 1];
  if (i > 0) return list[i - 1];
  return hasParent ? parent : std::string();
}

void TfrmMain::UndoRemoveTopicClick() {
  if (FRemovedBranches.empty()) return;
  const TRemovedBranch branch = std::move(FRemovedBranches.back());
  FRemovedBranches.pop_back();
  UpdateUndoRemoveTopic();
  RestoreBranch(Project(), branch, FOpenProject.UnsavedTopicHtml());
  SaveProject(Project());
  if (!branch.pendingTexts.empty()) MarkProjectDirty();  // its typed texts are still unsaved
  RebuildAndSelect(branch.TopID());
}

void TfrmMain::UpdateUndoRemoveTopic() { actUndoRemoveTopic->setEnabled(!FRemovedBranches.empty()); }

void TfrmMain::DuplicateTopicClick(bool withSubtopics) {
  const std::string id = SelectedTopicID();
  if (id.empty() || !Project().HasTopic(id)) return;
  if (!CurrentTopicID().empty() && Project().IsDescendant(CurrentTopicID(), id)) {
    // The copy takes what the page shows, typed or not.
    RequestHeaderAndWait(400);
    CaptureCurrentTopicHtml();
  }
  const std::string title = FormatText(TranslateText("%s (copy)"), {Project().GetTopic(id).Title()});
  const std::string copy = DuplicateBranch(Project(), id, withSubtopics, title, FOpenProject.UnsavedTopicHtml());
  SaveProject(Project());
  MarkProjectDirty();
  RebuildAndSelect(copy);
}

bool TfrmMain::AcceptableTitle(const std::string& title) {
  if (!Trim(title).empty()) return true;
  FDialogs->ShowMessage(TMessageKind::Warning, TranslateText("A topic needs a title."));
  return false;
}

void TfrmMain::MoveUpClick() {
  const std::string id = SelectedTopicID();
  if (id.empty() || !Project().HasTopic(id)) return;
  const std::string parent = Project().GetTopic(id).ParentID();
  const TStringList& list = parent.empty() ? Project().RootTopicIDs() : Project().GetTopic(parent).Children();
  const int i = TopicIndex(list, id);
  if (i <= 0) return;
  Project().MoveTopic(id, parent, i - 1);
  MarkProjectDirty();
  SaveProject(Project());
  RebuildAndSelect(id);
}

void TfrmMain::MoveDownClick() {
  const std::string id = SelectedTopicID();
  if (id.empty() || !Project().HasTopic(id)) return;
  const std::string parent = Project().GetTopic(id).ParentID();
  const TStringList& list = parent.empty() ? Project().RootTopicIDs() : Project().GetTopic(parent).Children();
  const int i = TopicIndex(list, id);
  if (i < 0 || i >= static_cast<int>(list.size()) - 1) return;
  Project().MoveTopic(id, parent, i + 1);
  MarkProjectDirty();
  SaveProject(Project());
  RebuildAndSelect(id);
}

void TfrmMain::ChangeParentClick() {
  const std::string id = SelectedTopicID();
  if (id.empty() || !Project().HasTopic(id)) return;
  const std::string parent = Project().GetTopic(id).ParentID();
  if (parent.empty() || !Project().HasTopic(parent)) return;
  const std::string grand = Project().GetTopic(parent).ParentID();
  const TStringList& list =
      grand.empty() || !Project().HasTopic(grand) ? Project().RootTopicIDs() : Project().GetTopic(grand).Children();
  const int j = TopicIndex(list, parent);
  const int index = j >= 0 ? j + 1 : static_cast<int>(list.size());
  Project().MoveTopic(id, grand, index);
  MarkProjectDirty();
  SaveProject(Project());
  RebuildAndSelect(id);
}

void TfrmMain::RenameClick() {
  QTreeWidgetItem* item = pnlTopics->Tree()->currentItem();
  if (!item) return;
  std::string title = FromQ(item->text(0));
  if (!FDialogs->InputBox(TranslateText("Rename Topic"), TranslateText("Title:"), title)) return;
  if (!AcceptableTitle(title)) return;
  pnlTopics->SetTitleQuietly(item, title);
  TopicTitleEdited(item, title);
}

void TfrmMain::TopicTitleEdited(QTreeWidgetItem* item, const std::string& newText) {
  if (!item || TopicItemID(item).empty()) return;
  const std::string id = SelectedTopicID().empty() ? TopicItemID(item) : SelectedTopicID();
  if (!Project().HasTopic(id)) return;
  const std::string oldTitle = Project().GetTopic(id).Title();
  if (newText == oldTitle) return;
  if (!AcceptableTitle(newText)) {
    pnlTopics->SetTitleQuietly(item, oldTitle);
    pnlTopics->Tree()->setFocus();  // the label editor lost the keyboard to the message and closes
    return;
  }
  Project().GetTopic(id).SetTitle(newText);
  MarkProjectDirty();
  if (TTopicEditorSession* session = EditingSession()) session->RetitleHeader(id, oldTitle);
}

void TfrmMain::MoveDroppedTopic(const std::string& id, const std::string& parent, int index) {
  Project().MoveTopic(id, parent, index);
  SaveProject(Project());
  RebuildAndSelect(id);
}

// --- Properties and style profile -------------------------------------------------------

void TfrmMain::ShowTopicProperties(const std::string& id) {
  if (!Project().HasTopic(id)) return;
  // Whatever the panel still holds belongs to the topic it was showing.
  if (id != pnlTopics->PropertiesTopicID()) TopicPropertiesEdited();
  pnlTopics->PropertiesBox()->SetConditionNames(ProjectConditionNames());
  pnlTopics->ShowProperties(Project().GetTopic(id));
}

// The names the condition box offers; a damaged file offers none (the box still takes a name).
std::vector<std::string> TfrmMain::ProjectConditionNames() const {
  std::vector<std::string> names;
  try {
    TReusableProjectContent store;
    store.LoadFromProject(Project());
    for (const TReusableCondition& c : store.Conditions()) names.push_back(c.Name);
  } catch (const std::exception&) {
  }
  return names;
}

// Every edit of the panel reaches the topic at once: nothing waits for Apply.
void TfrmMain::TopicPropertiesEdited() {
  if (!pnlTopics->StoreProperties(Project())) return;
  MarkProjectDirty();
  pnlTopics->RefreshLooks();
}

void TfrmMain::ApplyTopicProperties(const std::string& id) {
  if (!Project().HasTopic(id)) return;
  if (id == pnlTopics->PropertiesTopicID() && pnlTopics->StoreProperties(Project())) pnlTopics->RefreshLooks();
  SaveProject(Project());
}

void TfrmMain::btnApplyPropsClick() {
  const std::string id = pnlTopics->PropertiesTopicID().empty() ? SelectedTopicID() : pnlTopics->PropertiesTopicID();
  if (!id.empty()) ApplyTopicProperties(id);
  ShowStatus(TranslateText("Properties saved"));
}

// Topic switches made in the tree (clicks, arrow keys, removal) leave the keyboard there;
// only a command of the window moves it to the page.
bool TfrmMain::TreeKeepsFocus() const { return pnlTopics->Tree()->hasFocus() && !FEditorFocusOrdered; }

void TfrmMain::FocusEditorFromTree() { RequestEditorFocus(); }

void TfrmMain::TopicPropertiesClick() { pnlTopics->FocusProperties(); }

void TfrmMain::StyleProfileChosen() {
  const std::string profile = pnlTopics->ChosenStyleProfile();
  Project().SetStyleProfile(profile);
  SaveProject(Project());
  ShowStatus(TranslateText("Style set: ") + profile);
  ApplyEditorCss();
}
