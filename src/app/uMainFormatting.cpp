// The formatting toolbar: its entries and its handlers. Until the page is ready the
// controls send nothing; the commands they send come with the editing logic.
#include <QComboBox>
#include <QToolButton>

#include "uColorButton.h"
#include "uMain.h"
#include "uQtText.h"

void TfrmMain::InitFormattingToolbar() {
  const QSignalBlocker block(cmbHeading);
  cmbHeading->setItemText(0, Tr("Standard text"));
  cmbFontSize->setInsertPolicy(QComboBox::NoInsert);
}

void TfrmMain::ConnectFormattingToolbar() {}
