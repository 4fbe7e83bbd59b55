#include "uDlgImageProperties.h"

#include <QCheckBox>
#include <QDialogButtonBox>
#include <QFormLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QSpinBox>
#include <cmath>

#include "uQtText.h"

namespace {

// Larger than any page or screen: a typing slip, not a size.
constexpr int kMaxSide = 10000;

QSpinBox* SideBox(QWidget* parent, int value) {
  auto* box = new QSpinBox(parent);
  box->setRange(0, kMaxSide);
  box->setSuffix(" px");
  // 0 shows as the word, so that the picture's own size reads as a choice.
  box->setSpecialValueText(Tr("Original"));
  box->setValue(std::clamp(value, 0, kMaxSide));
  return box;
}

}  // namespace

TdlgImageProperties::TdlgImageProperties(QWidget* owner, const TImageProperties& image)
    : QDialog(owner), FImage(image) {
  setWindowTitle(Tr("Image Properties"));
  auto* form = new QFormLayout(this);
  edtAlt = new QLineEdit(ToQ(image.Alt), this);
  edtAlt->setMinimumWidth(360);
  edtAlt->setPlaceholderText(Tr("What the picture shows, for readers who cannot see it"));
  form->addRow(Tr("Alternative text:"), edtAlt);

  edtWidth = SideBox(this, image.Width);
  edtHeight = SideBox(this, image.Height);
  form->addRow(Tr("Width:"), edtWidth);
  form->addRow(Tr("Height:"), edtHeight);
  const bool knownSize = image.NaturalWidth > 0 && image.NaturalHeight > 0;
  chkKeepProportions = new QCheckBox(Tr("Keep proportions"), this);
  chkKeepProportions->setChecked(knownSize);
  chkKeepProportions->setEnabled(knownSize);
  form->addRow(chkKeepProportions);
  if (knownSize) {
    const QString size = QString("%1 × %2").arg(image.NaturalWidth).arg(image.NaturalHeight);
    form->addRow(Tr("Original size:"), new QLabel(size + " px", this));
  }

  edtCaption = new QLineEdit(ToQ(image.Caption), this);
  edtCaption->setPlaceholderText(Tr("No caption"));
  form->addRow(Tr("Caption:"), edtCaption);

  auto* buttons = new QDialogButtonBox(QDialogButtonBox::Ok | QDialogButtonBox::Cancel, this);
  buttons->button(QDialogButtonBox::Ok)->setText(Tr("OK"));
  buttons->button(QDialogButtonBox::Cancel)->setText(Tr("Cancel"));
  connect(buttons, &QDialogButtonBox::accepted, this, &QDialog::accept);
  connect(buttons, &QDialogButtonBox::rejected, this, &QDialog::reject);
  form->addRow(buttons);

  connect(edtWidth, &QSpinBox::valueChanged, this,
          [this] { SideChanged(edtWidth, edtHeight, FImage.NaturalWidth, FImage.NaturalHeight); });
  connect(edtHeight, &QSpinBox::valueChanged, this,
          [this] { SideChanged(edtHeight, edtWidth, FImage.NaturalHeight, FImage.NaturalWidth); });
  edtAlt->setFocus();
}

// One side typed, the other follows the picture's proportions; the original size on
// one side is the original size on both.
void TdlgImageProperties::SideChanged(QSpinBox* changed, QSpinBox* other, int naturalChanged, int naturalOther) {
  if (FAdjusting || !chkKeepProportions->isChecked() || naturalChanged <= 0) return;
  const int value = changed->value();
  const int follow =
      value == 0 ? 0 : std::max(1, static_cast<int>(std::lround(double(value) * naturalOther / naturalChanged)));
  FAdjusting = true;
  other->setValue(std::min(follow, kMaxSide));
  FAdjusting = false;
}

TImageProperties TdlgImageProperties::Result() const {
  TImageProperties result = FImage;
  result.Alt = FromQ(edtAlt->text().trimmed());
  result.Width = edtWidth->value();
  result.Height = edtHeight->value();
  result.Caption = FromQ(edtCaption->text().trimmed());
  return result;
}

bool TdlgImageProperties::Execute(QWidget* owner, TImageProperties& image) {
  TdlgImageProperties dialog(owner, image);
  if (dialog.exec() != QDialog::Accepted) return false;
  image = dialog.Result();
  return true;
}
