#include "uTopicPanel.h"

#include <QAction>
#include <QComboBox>
#include <QLabel>
#include <QLineEdit>
#include <QSplitter>
#include <QVBoxLayout>
#include <algorithm>
#include <unordered_set>

#include "uDocModel.h"
#include "uQtText.h"
#include "uScopedFlag.h"
#include "uTopicPropertiesPanel.h"
#include "uTopicTree.h"
#include "uTranslation.h"
#include "uUtils.h"

TTopicPanel::TTopicPanel(std::function<const TDocProject&()> project, QWidget* parent)
    : QWidget(parent), FProject(std::move(project)) {
  setObjectName("pnlTopics");
  auto* layout = new QVBoxLayout(this);
  layout->setContentsMargins(0, 0, 0, 0);
  FSplitter = new QSplitter(Qt::Vertical, this);
  FSplitter->setObjectName("splLeft");
  FSplitter->setChildrenCollapsible(false);
  layout->addWidget(FSplitter);

  auto* treePane = new QWidget(FSplitter);
  auto* treeLayout = new QVBoxLayout(treePane);
  treeLayout->setContentsMargins(0, 0, 0, 0);
  treeLayout->setSpacing(2);
  FFilter = new QLineEdit(treePane);
  FFilter->setObjectName("edTopicFilter");
  FFilter->setClearButtonEnabled(true);
  treeLayout->addWidget(FFilter);
  FTree = new TTopicTree(treePane);
  FTree->setObjectName("tvToc");
  treeLayout->addWidget(FTree, 1);
  ConnectTree();
  connect(FFilter, &QLineEdit::textChanged, this, [this] { ApplyFilter(); });

  FProperties = new TTopicPropertiesPanel(FSplitter);
  FProperties->setObjectName("grpProperties");
  FStyleLabel = new QLabel(FProperties);
  FStyleBox = new QComboBox(FProperties);
  FStyleBox->setObjectName("cbStyle");
  FProperties->AddBelow(FStyleLabel);
  FProperties->AddBelow(FStyleBox);
  connect(FProperties, &TTopicPropertiesPanel::Edited, this, &TTopicPanel::PropertiesEdited);
  connect(FProperties, &TTopicPropertiesPanel::ApplyClicked, this, &TTopicPanel::ApplyClicked);
  connect(FStyleBox, &QComboBox::currentIndexChanged, this, [this] {
    if (FStyleBox->currentIndex() >= 0) emit StyleProfileChosen();
  });

  FSplitter->setStretchFactor(0, 3);
  FSplitter->setStretchFactor(1, 2);
  FSplitter->setSizes({520, 300});
}

void TTopicPanel::ConnectTree() {
  FTree->OnStartDrag = [this] { StartDrag(); };
  FTree->OnDragOver = [this](QTreeWidgetItem* target, int y) { return DragOver(target, y); };
  FTree->OnDragDrop = [this](QTreeWidgetItem* target, int y) { Drop(target, y); };
  connect(FTree, &QTreeWidget::currentItemChanged, this, [this] {
    if (!FQuiet) emit CurrentChanged();
  });
  connect(FTree, &QTreeWidget::itemChanged, this, [this](QTreeWidgetItem* item, int) {
    if (!FQuiet) emit TitleEdited(item);
  });
  AddTreeKey({QKeySequence::Delete}, [this] { emit RemoveRequested(); });
  AddTreeKey({QKeySequence(Qt::Key_F2)}, [this] {
    if (FTree->currentItem()) FTree->editItem(FTree->currentItem(), 0);
  });
  // Enter or a double-click sends the keyboard to the editor; clicks and arrows leave it here
  // (also where the desktop activates items on a single click).
  AddTreeKey({QKeySequence(Qt::Key_Return), QKeySequence(Qt::Key_Enter)}, [this] { emit EditorRequested(); });
  connect(FTree, &QTreeWidget::itemDoubleClicked, this, [this] { emit EditorRequested(); });
  FTree->setContextMenuPolicy(Qt::CustomContextMenu);
  connect(FTree, &QWidget::customContextMenuRequested, this, [this](const QPoint& pos) {
    if (QTreeWidgetItem* item = FTree->itemAt(pos)) {
      if (item != FTree->currentItem()) FTree->setCurrentItem(item);
    }
    emit ContextMenuRequested(FTree->viewport()->mapToGlobal(pos));
  });
}

void TTopicPanel::AddTreeKey(const QList<QKeySequence>& keys, const std::function<void()>& action) {
  auto* key = new QAction(FTree);
  key->setShortcuts(keys);
  key->setShortcutContext(Qt::WidgetShortcut);
  connect(key, &QAction::triggered, this, action);
  FTree->addAction(key);
}

// --- The tree ----------------------------------------------------------------------------

void TTopicPanel::Rebuild() {
  const TScopedFlag quiet(FQuiet);
  FTree->setUpdatesEnabled(false);
  FTree->SetDropTarget(nullptr, 0);
  FDragItem = nullptr;
  std::unordered_set<std::string> expanded;
  for (QTreeWidgetItemIterator it(FTree); *it; ++it) {
    if ((*it)->isExpanded()) expanded.insert(TopicItemID(*it));
  }
  FTree->clear();
  FillTopicItems(FTree, FProject());
  for (QTreeWidgetItemIterator it(FTree); *it; ++it) {
    (*it)->setFlags((*it)->flags() | Qt::ItemIsEditable | Qt::ItemIsDragEnabled | Qt::ItemIsDropEnabled);
    if (expanded.count(TopicItemID(*it))) (*it)->setExpanded(true);
  }
  FTree->setCurrentItem(nullptr);
  ApplyFilter();
  FTree->setUpdatesEnabled(true);
}

namespace {

// Shows the items whose title holds text and their ancestors; returns whether item shows.
bool FilterItem(QTreeWidgetItem* item, const QString& text) {
  bool childShown = false;
  for (int i = 0; i < item->childCount(); ++i) childShown = FilterItem(item->child(i), text) || childShown;
  const bool shown = text.isEmpty() || childShown || item->text(0).contains(text, Qt::CaseInsensitive);
  item->setHidden(!shown);
  if (!text.isEmpty() && childShown) item->setExpanded(true);
  return shown;
}

}  // namespace

void TTopicPanel::ApplyFilter() {
  const QString text = FFilter->text().trimmed();
  for (int i = 0; i < FTree->topLevelItemCount(); ++i) FilterItem(FTree->topLevelItem(i), text);
}

std::string TTopicPanel::SelectedID() const { return TopicItemID(FTree->currentItem()); }

QTreeWidgetItem* TTopicPanel::ItemOf(const std::string& id) const {
  for (QTreeWidgetItemIterator it(FTree); *it; ++it) {
    if (TopicItemID(*it) == id) return *it;
  }
  return nullptr;
}

void TTopicPanel::Select(const std::string& id) {
  if (QTreeWidgetItem* item = ItemOf(id)) {
    FTree->setCurrentItem(item);
    FTree->scrollToItem(item);
  }
}

void TTopicPanel::SelectFirst() {
  if (FTree->topLevelItemCount() > 0) FTree->setCurrentItem(FTree->topLevelItem(0));
}

void TTopicPanel::SelectQuietly(const std::string& id) {
  const TScopedFlag quiet(FQuiet);
  FTree->setCurrentItem(nullptr);
  Select(id);
}

void TTopicPanel::SetTitleQuietly(QTreeWidgetItem* item, const std::string& title) {
  const TScopedFlag quiet(FQuiet);
  item->setText(0, ToQ(title));
}

void TTopicPanel::RefreshLooks() {
  const TDocProject& project = FProject();
  for (QTreeWidgetItemIterator it(FTree); *it; ++it) {
    const std::string id = TopicItemID(*it);
    if (project.HasTopic(id)) ShowTopicItemExclusions(*it, project.GetTopic(id));
  }
}

// --- Drag and drop -----------------------------------------------------------------------

void TTopicPanel::StartDrag() { FDragItem = FTree->currentItem(); }

bool TTopicPanel::DragOver(QTreeWidgetItem* target, int y) {
  if (!FDragItem || !target || target == FDragItem) return false;
  const std::string dragged = TopicItemID(FDragItem);
  const std::string targetID = TopicItemID(target);
  if (targetID == dragged || FProject().IsDescendant(targetID, dragged)) return false;
  const QRect label = FTree->LabelRect(target);
  const int dy = y - label.top();
  const int h = label.height();
  if (dy < h / 3) {
    FDropMode = dmBefore;
  } else if (dy > (2 * h) / 3) {
    FDropMode = dmAfter;
  } else {
    FDropMode = dmChild;
  }
  FTree->SetDropTarget(target, FDropMode);
  return true;
}

void TTopicPanel::Drop(QTreeWidgetItem* target, int /*y*/) {
  if (!FDragItem) return;
  if (FTree->DropTarget()) target = FTree->DropTarget();
  FTree->SetDropTarget(nullptr, 0);
  if (!target) return;
  const TDocProject& project = FProject();
  const std::string dragged = TopicItemID(FDragItem);
  const std::string targetID = TopicItemID(target);
  if (dragged.empty() || targetID == dragged || project.IsDescendant(targetID, dragged)) return;
  if (FDropMode == dmChild) {
    emit MoveRequested(dragged, targetID, static_cast<int>(project.GetTopic(targetID).Children().size()));
    return;
  }
  const std::string parent = TopicItemID(target->parent());
  TStringList list = parent.empty() ? project.RootTopicIDs() : project.GetTopic(parent).Children();
  list.erase(std::remove(list.begin(), list.end(), dragged), list.end());
  int k = TopicIndex(list, targetID);
  if (k < 0) k = static_cast<int>(list.size());
  emit MoveRequested(dragged, parent, FDropMode == dmAfter ? k + 1 : k);
}

// --- The properties box ------------------------------------------------------------------

void TTopicPanel::ShowProperties(const TTopic& topic) {
  FProperties->ShowTopic(topic);
  FPropertiesTopicID = topic.ID();
}

void TTopicPanel::ClearProperties() {
  FPropertiesTopicID.clear();
  FProperties->Clear();
}

bool TTopicPanel::StoreProperties(TDocProject& project) const {
  if (FPropertiesTopicID.empty() || !project.HasTopic(FPropertiesTopicID)) return false;
  return FProperties->StoreInto(project, project.GetTopic(FPropertiesTopicID));
}

void TTopicPanel::FocusProperties() {
  FProperties->show();
  FProperties->FocusFirstField();
}

// --- The style profile -------------------------------------------------------------------

void TTopicPanel::FillStyleProfiles() {
  const TDocProject& project = FProject();
  const QSignalBlocker block(FStyleBox);
  FStyleBox->clear();
  const std::string folder = PathJoin(project.RootPath(), "styles");
  if (DirExists(folder)) {
    for (const std::string& file : ListFiles(folder)) {
      const std::string name = FileNameWithoutExt(file);
      // A name the outputs cannot carry ("print?.css") would stop every topic switch and export.
      const bool usable = std::none_of(name.begin(), name.end(), [](char c) { return IsInvalidPathChar(c); });
      if (usable && SameTextAscii(ExtractFileExt(file), ".css")) FStyleBox->addItem(ToQ(name));
    }
  }
  if (FStyleBox->count() == 0) FStyleBox->addItem("default");
  const int current = FStyleBox->findText(ToQ(project.StyleProfile()), Qt::MatchExactly | Qt::MatchCaseSensitive);
  FStyleBox->setCurrentIndex(current >= 0 ? current : 0);
}

std::string TTopicPanel::ChosenStyleProfile() const { return FromQ(FStyleBox->currentText()); }

void TTopicPanel::Retranslate() {
  FProperties->Retranslate();
  FStyleLabel->setText(Tr("Style profile"));
  FFilter->setPlaceholderText(Tr("Filter topics"));
}
