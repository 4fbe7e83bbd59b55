// A toolbar of one row that wraps into a second when the window is too narrow. Items
// wrap one by one, except those added joined to the item before them (a box and the
// icon that names it), which always share its row.
#pragma once

#include <QWidget>
#include <vector>

class TWrapToolbar : public QWidget {
  Q_OBJECT

 public:
  TWrapToolbar(QWidget* parent, int rowHeight);

  // The row new items are created in; Add moves them to their row as the width asks.
  QWidget* FirstRow() const { return FFirstRow; }
  QWidget* SecondRow() const { return FSecondRow; }
  // Adds an item that may start the second row.
  void Add(QWidget* item);
  // Adds an item that always stays in the row of the item before it.
  void AddJoined(QWidget* item);
  const std::vector<QWidget*>& Items() const { return FItems; }
  // Whether item i stays with item i - 1.
  bool Joined(size_t i) const { return i < FJoined.size() && FJoined[i]; }
  // Places the items again for the current width (on a resize, and once fonts settle).
  void Relayout();

 protected:
  void resizeEvent(QResizeEvent* event) override;

 private:
  int GroupWidth(size_t first, size_t end) const;
  void PlaceRun(QWidget* row, size_t first, size_t end);

  QWidget* FFirstRow;
  QWidget* FSecondRow;
  std::vector<QWidget*> FItems;
  std::vector<bool> FJoined;
};
