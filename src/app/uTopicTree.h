// The topic tree: a QTreeWidget whose drag and drop is decided by the main window
// (before, after or as child, by the thirds of the target's label).
#pragma once

#include <QTreeWidget>
#include <functional>

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
