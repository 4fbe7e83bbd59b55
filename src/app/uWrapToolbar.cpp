#include "uWrapToolbar.h"

#include <QVBoxLayout>

namespace {

constexpr int kItemMargin = 2;  // every item is placed with this margin left and right
constexpr int kRowIndent = 4;

int ItemWidth(const QWidget* item) { return item->isHidden() ? 0 : item->width() + 2 * kItemMargin; }

}  // namespace

TWrapToolbar::TWrapToolbar(QWidget* parent, int rowHeight) : QWidget(parent) {
  auto* layout = new QVBoxLayout(this);
  layout->setContentsMargins(0, 0, 0, 0);
  layout->setSpacing(0);
  FFirstRow = new QWidget(this);
  FFirstRow->setObjectName("toolbarFirstRow");
  FFirstRow->setFixedHeight(rowHeight);
  FSecondRow = new QWidget(this);
  FSecondRow->setObjectName("toolbarSecondRow");
  FSecondRow->setFixedHeight(rowHeight);
  FSecondRow->hide();
  layout->addWidget(FFirstRow);
  layout->addWidget(FSecondRow);
}

void TWrapToolbar::Add(QWidget* item) {
  item->setAutoFillBackground(false);
  FItems.push_back(item);
  FJoined.push_back(false);
}

void TWrapToolbar::AddJoined(QWidget* item) {
  Add(item);
  FJoined.back() = FItems.size() > 1;
}

int TWrapToolbar::GroupWidth(size_t first, size_t end) const {
  int width = 0;
  for (size_t i = first; i < end; ++i) width += ItemWidth(FItems[i]);
  return width;
}

void TWrapToolbar::Relayout() {
  const int available = FFirstRow->contentsRect().width();
  if (FItems.empty() || available <= 0) return;
  // The first group that does not fit starts the second row.
  size_t breakIndex = FItems.size();
  int used = 0;
  for (size_t first = 0; first < FItems.size();) {
    size_t end = first + 1;
    while (end < FItems.size() && Joined(end)) ++end;
    const int width = GroupWidth(first, end);
    if (width > 0 && used > 0 && used + width > available) {
      breakIndex = first;
      break;
    }
    used += width;
    first = end;
  }
  FSecondRow->setVisible(breakIndex < FItems.size());
  PlaceRun(FFirstRow, 0, breakIndex);
  PlaceRun(FSecondRow, breakIndex, FItems.size());
}

void TWrapToolbar::PlaceRun(QWidget* row, size_t first, size_t end) {
  int x = kRowIndent;
  for (size_t i = first; i < end; ++i) {
    QWidget* item = FItems[i];
    if (item->parentWidget() != row) {
      const bool hidden = item->isHidden();
      item->setParent(row);
      item->setVisible(!hidden);
    }
    if (item->isHidden()) continue;
    item->move(x + kItemMargin, qMax(0, (row->height() - item->height()) / 2));
    x += ItemWidth(item);
  }
}

void TWrapToolbar::resizeEvent(QResizeEvent* event) {
  QWidget::resizeEvent(event);
  Relayout();
}
