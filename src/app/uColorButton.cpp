#include "uColorButton.h"

#include <QPainter>
#include <QPixmap>

TColorButton::TColorButton(QWidget* parent) : QToolButton(parent) {
  setAutoRaise(true);
  setIconSize(QSize(28, 16));
  setFixedSize(40, 30);
  SetColor(Qt::black);
}

QColor ToQColor(TColor color) {
  const TColor rgb = ResolveColor(color);
  return QColor(rgb & 0xFF, (rgb >> 8) & 0xFF, (rgb >> 16) & 0xFF);
}

TColor FromQColor(const QColor& color) { return RGBColor(color.red(), color.green(), color.blue()); }

QPixmap ColorSwatch(const QColor& color, QSize size) {
  QPixmap swatch(size);
  swatch.fill(Qt::transparent);
  QPainter painter(&swatch);
  painter.setPen(QColor(120, 120, 120));
  painter.setBrush(color);
  painter.drawRoundedRect(QRectF(0.5, 0.5, size.width() - 1, size.height() - 1), 3, 3);
  painter.end();
  return swatch;
}

void TColorButton::SetColor(const QColor& color) {
  FColor = color;
  setIcon(QIcon(ColorSwatch(color)));
}
