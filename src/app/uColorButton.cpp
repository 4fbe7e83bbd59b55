#include "uColorButton.h"

#include <QPainter>
#include <QPixmap>

TColorButton::TColorButton(QWidget* parent) : QToolButton(parent) {
  setAutoRaise(true);
  setIconSize(QSize(28, 16));
  setFixedSize(40, 30);
  SetColor(Qt::black);
}

void TColorButton::SetColor(const QColor& color) {
  FColor = color;
  QPixmap swatch(28, 16);
  swatch.fill(Qt::transparent);
  QPainter painter(&swatch);
  painter.setPen(QColor(120, 120, 120));
  painter.setBrush(color);
  painter.drawRoundedRect(QRectF(0.5, 0.5, 27, 15), 3, 3);
  painter.end();
  setIcon(QIcon(swatch));
}
