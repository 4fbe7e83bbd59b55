// The bar above the page that finds text in the current topic (Ctrl+F): the page marks
// every match and selects one; Enter and F3 go to the next, Shift+Enter and Shift+F3 to
// the previous, Esc closes the bar.
#pragma once

#include <QWidget>

class QCheckBox;
class QLabel;
class QLineEdit;
class QToolButton;

class TFindBar : public QWidget {
  Q_OBJECT

 public:
  explicit TFindBar(QWidget* parent);
  // Shows the bar with its text selected and the keyboard in it.
  void Open();
  QString Text() const;
  void SetText(const QString& text);
  bool MatchCase() const;
  // "2 of 5", or that nothing was found.
  void ShowResult(int active, int total);
  void Retranslate();

 signals:
  void FindRequested(bool backward);
  void Closed();

 protected:
  void keyPressEvent(QKeyEvent* event) override;

 private:
  QLineEdit* FText;
  QCheckBox* FMatchCase;
  QLabel* FResult;
  QToolButton* FPrevious;
  QToolButton* FNext;
  QToolButton* FClose;
};
