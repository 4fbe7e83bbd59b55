// A button that shows a colour swatch; clicking it is left to its owner.
#pragma once

#include <QColor>
#include <QPixmap>
#include <QToolButton>

#include "uProjectSettings.h"

// The settings' colours as Qt's; system colours are resolved to their RGB value.
QColor ToQColor(TColor color);
TColor FromQColor(const QColor& color);

// A rounded colour sample with a grey outline, as the colour controls show it.
QPixmap ColorSwatch(const QColor& color, QSize size = QSize(28, 16));

class TColorButton : public QToolButton {
  Q_OBJECT
 public:
  explicit TColorButton(QWidget* parent = nullptr);
  QColor Color() const { return FColor; }
  void SetColor(const QColor& color);

 private:
  QColor FColor = Qt::black;
};
