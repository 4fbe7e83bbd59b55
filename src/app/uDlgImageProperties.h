// Image Properties: the selected picture's alternative text, size and caption. Width and
// height keep the picture's proportions unless the writer unticks that; 0 is the
// picture's own size.
#pragma once

#include <QDialog>

#include "uEditorBridge.h"

class QCheckBox;
class QLineEdit;
class QSpinBox;

class TdlgImageProperties : public QDialog {
  Q_OBJECT

 public:
  TdlgImageProperties(QWidget* owner, const TImageProperties& image);

  // True with the changed properties in image when the writer confirms.
  static bool Execute(QWidget* owner, TImageProperties& image);

  TImageProperties Result() const;

  QLineEdit* edtAlt = nullptr;
  QSpinBox* edtWidth = nullptr;
  QSpinBox* edtHeight = nullptr;
  QCheckBox* chkKeepProportions = nullptr;
  QLineEdit* edtCaption = nullptr;

 private:
  void SideChanged(QSpinBox* changed, QSpinBox* other, int naturalChanged, int naturalOther);

  TImageProperties FImage;
  bool FAdjusting = false;
};
