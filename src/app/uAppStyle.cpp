#include "uAppStyle.h"

#include <QApplication>
#include <QPalette>
#include <QStyleFactory>

void ApplyLightStyle(QApplication& app) {
  app.setStyle(QStyleFactory::create("Fusion"));
  QPalette p;
  const QColor window(0xf5, 0xf6, 0xf7);
  const QColor text(0x20, 0x22, 0x24);
  p.setColor(QPalette::Window, window);
  p.setColor(QPalette::WindowText, text);
  p.setColor(QPalette::Base, Qt::white);
  p.setColor(QPalette::AlternateBase, QColor(0xf0, 0xf2, 0xf5));
  p.setColor(QPalette::ToolTipBase, QColor(0xff, 0xff, 0xe8));
  p.setColor(QPalette::ToolTipText, text);
  p.setColor(QPalette::PlaceholderText, QColor(0x80, 0x80, 0x80));
  p.setColor(QPalette::Text, text);
  p.setColor(QPalette::Button, QColor(0xfa, 0xfa, 0xfb));
  p.setColor(QPalette::ButtonText, text);
  p.setColor(QPalette::BrightText, Qt::red);
  p.setColor(QPalette::Light, Qt::white);
  p.setColor(QPalette::Midlight, QColor(0xe3, 0xe5, 0xe8));
  p.setColor(QPalette::Mid, QColor(0xc4, 0xc7, 0xcc));
  p.setColor(QPalette::Dark, QColor(0xa0, 0xa4, 0xaa));
  p.setColor(QPalette::Shadow, QColor(0x70, 0x70, 0x70));
  p.setColor(QPalette::Highlight, QColor(0x35, 0x84, 0xe4));
  p.setColor(QPalette::HighlightedText, Qt::white);
  p.setColor(QPalette::Link, QColor(0x1a, 0x5f, 0xb4));
  p.setColor(QPalette::Disabled, QPalette::Text, QColor(0x9a, 0x9a, 0x9a));
  p.setColor(QPalette::Disabled, QPalette::WindowText, QColor(0x9a, 0x9a, 0x9a));
  p.setColor(QPalette::Disabled, QPalette::ButtonText, QColor(0x9a, 0x9a, 0x9a));
  app.setPalette(p);
}
