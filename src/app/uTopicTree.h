// The topic tree: a QTreeWidget whose drag and drop is decided by the topic panel
// (before, after or as child, by the thirds of the target's label).
#pragma once

#include <QTreeWidget>
#include <functional>
#include <string>
#include <vector>

class TDocProject;
class TTopic;

// Fills tree with one item per topic, nested as the project's tree; a topic that a damaged
// file lists twice or in a cycle appears once. Each item holds the title as its text and the
// topic ID under Qt::UserRole.
void FillTopicItems(QTreeWidget* tree, const TDocProject& project);
// An excluded topic's item is greyed and italic, its tooltip naming the outputs that leave
// it out; other items look plain.
void ShowTopicItemExclusions(QTreeWidgetItem* item, const TTopic& topic);
// The topic ID an item holds; "" for none.
std::string TopicItemID(const QTreeWidgetItem* item);
// Where id stands in a list of sibling topics; -1 when it is not there.
int TopicIndex(const std::vector<std::string>& siblings, const std::string& id);

class TTopicTree : public QTreeWidget {
  Q_OBJECT
 public:
  explicit TTopicTree(QWidget* parent = nullptr);
  std::function<void()> OnStartDrag;
  std::function<bool(QTreeWidgetItem* target, int y)> OnDragOver;
  std::function<void(QTreeWidgetItem* target, int y)> OnDragDrop;
  // The highlighted drop target and how the drop would place the dragged topic.
  void SetDropTarget(QTreeWidgetItem* target, int mode);
  QTreeWidgetItem* DropTarget() const { return FDropTarget; }
  // The rectangle of an item's label text in viewport coordinates.
  QRect LabelRect(QTreeWidgetItem* item) const;

 protected:
  void startDrag(Qt::DropActions supportedActions) override;
  void dragEnterEvent(QDragEnterEvent* event) override;
  void dragMoveEvent(QDragMoveEvent* event) override;
  void dragLeaveEvent(QDragLeaveEvent* event) override;
  void dropEvent(QDropEvent* event) override;
  void paintEvent(QPaintEvent* event) override;

 private:
  QTreeWidgetItem* FDropTarget = nullptr;
  int FDropMode = 0;
  bool FDragging = false;
};
