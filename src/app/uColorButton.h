// A button that shows a colour swatch; clicking it is left to its owner.
#pragma once

#include <QColor>
#include <QToolButton>

class TColorButton : public QToolButton {
  Q_OBJECT
 public:
  explicit TColorButton(QWidget* parent = nullptr);
  QColor Color() const { return FColor; }
  void SetColor(const QColor& color);

 private:
  QColor FColor = Qt::black;
};
