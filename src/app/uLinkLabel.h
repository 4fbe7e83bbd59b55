// A link-styled label: underlined, hand cursor, the underline goes while hovered.
#pragma once

#include <QLabel>

class TLinkLabel : public QLabel {
  Q_OBJECT
 public:
  explicit TLinkLabel(QWidget* parent = nullptr) : QLabel(parent) {
    setCursor(Qt::PointingHandCursor);
    SetUnderlined(true);
    QPalette p = palette();
    p.setColor(QPalette::WindowText, QColor(0x1a, 0x5f, 0xb4));
    setPalette(p);
  }
  bool Underlined() const { return font().underline(); }

 signals:
  void Clicked();

 protected:
  void enterEvent(QEnterEvent*) override { SetUnderlined(false); }
  void leaveEvent(QEvent*) override { SetUnderlined(true); }
  void mouseReleaseEvent(QMouseEvent*) override { emit Clicked(); }

 private:
  void SetUnderlined(bool on) {
    QFont f = font();
    f.setUnderline(on);
    setFont(f);
  }
};
