#include "uTopicTree.h"

#include <QDrag>
#include <QDragMoveEvent>
#include <QMimeData>
#include <QPainter>
#include <algorithm>
#include <vector>

#include "uDocModel.h"
#include "uQtText.h"
#include "uTranslation.h"
#include "uUtils.h"

namespace {
const char* kTopicMime = "application/x-folivane-topic";
constexpr int kTopicIDRole = Qt::UserRole;
}  // namespace

void FillTopicItems(QTreeWidget* tree, const TDocProject& project) {
  std::vector<QTreeWidgetItem*> parents;  // the item of each open level
  project.WalkTopics([&](const TTopic& topic, int depth) {
    parents.resize(static_cast<size_t>(depth));
    auto* item = depth == 0 ? new QTreeWidgetItem(tree) : new QTreeWidgetItem(parents.back());
    item->setText(0, ToQ(topic.Title()));
    item->setData(0, kTopicIDRole, ToQ(topic.ID()));
    ShowTopicItemExclusions(item, topic);
    parents.push_back(item);
    return TWalkAction::Descend;
  });
}

void ShowTopicItemExclusions(QTreeWidgetItem* item, const TTopic& topic) {
  QStringList outputs;
  if (topic.ExcludeWeb()) outputs << "WebHelp";
  if (topic.ExcludeChm()) outputs << "CHM";
  if (topic.ExcludePdf()) outputs << "PDF";
  if (outputs.isEmpty()) {
    for (int role : {Qt::FontRole, Qt::ForegroundRole, Qt::ToolTipRole}) item->setData(0, role, QVariant());
    return;
  }
  QFont italic;  // only italic is set: the tree's own font and size stay
  italic.setItalic(true);
  item->setFont(0, italic);
  if (const QTreeWidget* tree = item->treeWidget()) {
    // Halfway between the tree's text and its background, whatever colours the project chose.
    const QColor text = tree->palette().color(QPalette::Text);
    const QColor base = tree->palette().color(QPalette::Base);
    item->setForeground(
        0, QColor((text.red() + base.red()) / 2, (text.green() + base.green()) / 2, (text.blue() + base.blue()) / 2));
  }
  item->setToolTip(0, ToQ(FormatText(TranslateText("Excluded from: %s"), {FromQ(outputs.join(", "))})));
}

std::string TopicItemID(const QTreeWidgetItem* item) {
  return item ? FromQ(item->data(0, kTopicIDRole).toString()) : std::string();
}

int TopicIndex(const std::vector<std::string>& siblings, const std::string& id) {
  const auto it = std::find(siblings.begin(), siblings.end(), id);
  return it == siblings.end() ? -1 : static_cast<int>(it - siblings.begin());
}

TTopicTree::TTopicTree(QWidget* parent) : QTreeWidget(parent) {
  setHeaderHidden(true);
  setColumnCount(1);
  setIndentation(19);
  setDragEnabled(true);
  setAcceptDrops(true);
  setDropIndicatorShown(false);
  setDragDropMode(QAbstractItemView::DragDrop);
  setDefaultDropAction(Qt::MoveAction);
  setEditTriggers(QAbstractItemView::EditKeyPressed | QAbstractItemView::SelectedClicked);
  setSelectionMode(QAbstractItemView::SingleSelection);
  setUniformRowHeights(true);
  setExpandsOnDoubleClick(false);  // a double-click goes to the editor
}

QRect TTopicTree::LabelRect(QTreeWidgetItem* item) const {
  const QRect row = visualItemRect(item);
  const int width = fontMetrics().horizontalAdvance(item->text(0)) + 8;
  return QRect(row.left(), row.top(), qMin(width, qMax(row.width(), 1)), row.height());
}

void TTopicTree::SetDropTarget(QTreeWidgetItem* target, int mode) {
  FDropTarget = target;
  FDropMode = mode;
  viewport()->update();
}

// Our own drag: nothing is removed from the tree when it ends; the window rebuilds it.
void TTopicTree::startDrag(Qt::DropActions) {
  if (!currentItem()) return;
  if (OnStartDrag) OnStartDrag();
  auto* mime = new QMimeData;
  mime->setData(kTopicMime, QByteArray());
  auto* drag = new QDrag(this);
  drag->setMimeData(mime);
  FDragging = true;
  drag->exec(Qt::MoveAction);
  FDragging = false;
  SetDropTarget(nullptr, 0);
}

void TTopicTree::dragEnterEvent(QDragEnterEvent* event) {
  if (event->source() == this && event->mimeData()->hasFormat(kTopicMime)) {
    event->acceptProposedAction();
  } else {
    event->ignore();
  }
}

void TTopicTree::dragMoveEvent(QDragMoveEvent* event) {
  const QPoint pos = event->position().toPoint();
  QTreeWidgetItem* target = itemAt(pos);
  const bool ok = event->source() == this && OnDragOver && OnDragOver(target, pos.y());
  if (ok) {
    event->acceptProposedAction();
  } else {
    SetDropTarget(nullptr, 0);
    event->ignore();
  }
}

void TTopicTree::dragLeaveEvent(QDragLeaveEvent* event) {
  SetDropTarget(nullptr, 0);
  QTreeWidget::dragLeaveEvent(event);
}

void TTopicTree::dropEvent(QDropEvent* event) {
  const QPoint pos = event->position().toPoint();
  QTreeWidgetItem* target = FDropTarget ? FDropTarget : itemAt(pos);
  // Ignore keeps the view from removing the dragged row itself.
  event->setDropAction(Qt::IgnoreAction);
  event->accept();
  if (event->source() == this && OnDragDrop) OnDragDrop(target, pos.y());
  SetDropTarget(nullptr, 0);
}

void TTopicTree::paintEvent(QPaintEvent* event) {
  QTreeWidget::paintEvent(event);
  if (!FDropTarget) return;
  QPainter painter(viewport());
  const QColor accent = palette().color(QPalette::Highlight);
  const QRect label = LabelRect(FDropTarget);
  painter.setPen(QPen(accent, 2));
  if (FDropMode == 2) {
    painter.setBrush(QColor(accent.red(), accent.green(), accent.blue(), 40));
    painter.drawRoundedRect(label.adjusted(1, 1, -1, -1), 3, 3);
  } else {
    const int y = FDropMode == 0 ? label.top() + 1 : label.bottom();
    painter.drawLine(label.left(), y, viewport()->width() - 4, y);
  }
}
