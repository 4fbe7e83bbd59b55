#include "uFindBar.h"

#include <QApplication>
#include <QCheckBox>
#include <QHBoxLayout>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QToolButton>

#include "uQtText.h"
#include "uUtils.h"

TFindBar::TFindBar(QWidget* parent) : QWidget(parent) {
  setObjectName("barFind");
  auto* layout = new QHBoxLayout(this);
  layout->setContentsMargins(6, 3, 6, 3);
  FText = new QLineEdit(this);
  FText->setObjectName("edFindInTopic");
  FText->setClearButtonEnabled(true);
  FText->setMaximumWidth(320);
  FMatchCase = new QCheckBox(this);
  FMatchCase->setObjectName("chkFindMatchCase");
  FPrevious = new QToolButton(this);
  FPrevious->setArrowType(Qt::UpArrow);
  FNext = new QToolButton(this);
  FNext->setArrowType(Qt::DownArrow);
  FResult = new QLabel(this);
  FResult->setObjectName("lblFindResult");
  FClose = new QToolButton(this);
  FClose->setText(QStringLiteral("\u00D7"));
  FClose->setAutoRaise(true);
  layout->addWidget(FText, 1);
  layout->addWidget(FPrevious);
  layout->addWidget(FNext);
  layout->addWidget(FMatchCase);
  layout->addWidget(FResult);
  layout->addStretch(1);
  layout->addWidget(FClose);
  connect(FText, &QLineEdit::returnPressed, this,
          [this] { emit FindRequested(QApplication::keyboardModifiers() & Qt::ShiftModifier); });
  connect(FText, &QLineEdit::textEdited, this, [this] { emit FindRequested(false); });
  connect(FMatchCase, &QCheckBox::toggled, this, [this] { emit FindRequested(false); });
  connect(FPrevious, &QToolButton::clicked, this, [this] { emit FindRequested(true); });
  connect(FNext, &QToolButton::clicked, this, [this] { emit FindRequested(false); });
  connect(FClose, &QToolButton::clicked, this, [this] {
    hide();
    emit Closed();
  });
  Retranslate();
  hide();
}

void TFindBar::Open() {
  show();
  FText->setFocus();
  FText->selectAll();
}

QString TFindBar::Text() const { return FText->text(); }

void TFindBar::SetText(const QString& text) { FText->setText(text); }

bool TFindBar::MatchCase() const { return FMatchCase->isChecked(); }

void TFindBar::ShowResult(int active, int total) {
  if (FText->text().isEmpty()) FResult->clear();
  else if (total == 0) FResult->setText(Tr("Not found"));
  else FResult->setText(ToQ(FormatText(TranslateText("%d of %d"), {std::to_string(active), std::to_string(total)})));
}

void TFindBar::Retranslate() {
  FText->setPlaceholderText(Tr("Find in topic"));
  FMatchCase->setText(Tr("Match case"));
  FPrevious->setToolTip(Tr("Previous match (Shift+F3)"));
  FNext->setToolTip(Tr("Next match (F3)"));
  FClose->setToolTip(Tr("Close (Esc)"));
}

void TFindBar::keyPressEvent(QKeyEvent* event) {
  if (event->key() == Qt::Key_Escape) {
    hide();
    emit Closed();
    return;
  }
  QWidget::keyPressEvent(event);
}
