#include "uColorBox.h"

#include <QColorDialog>

#include "uColorButton.h"
#include "uQtText.h"

namespace {

struct TNamedColor {
  const char* name;
  TColor color;
};

constexpr TColor SystemColor(unsigned index) { return static_cast<TColor>(0xFF000000u | index); }

const TNamedColor kStandardColors[] = {
    {"Black", RGBColor(0, 0, 0)},
    {"Maroon", RGBColor(128, 0, 0)},
    {"Green", RGBColor(0, 128, 0)},
    {"Olive", RGBColor(128, 128, 0)},
    {"Navy", RGBColor(0, 0, 128)},
    {"Purple", RGBColor(128, 0, 128)},
    {"Teal", RGBColor(0, 128, 128)},
    {"Gray", RGBColor(128, 128, 128)},
    {"Silver", RGBColor(192, 192, 192)},
    {"Red", RGBColor(255, 0, 0)},
    {"Lime", RGBColor(0, 255, 0)},
    {"Yellow", RGBColor(255, 255, 0)},
    {"Blue", RGBColor(0, 0, 255)},
    {"Fuchsia", RGBColor(255, 0, 255)},
    {"Aqua", RGBColor(0, 255, 255)},
    {"White", RGBColor(255, 255, 255)},
    // Extended.
    {"Money Green", RGBColor(192, 220, 192)},
    {"Sky Blue", RGBColor(166, 202, 240)},
    {"Cream", RGBColor(255, 251, 240)},
    {"Medium Gray", RGBColor(160, 160, 164)},
};

// System colours by their index; settings files hold them resolved to RGB.
const TNamedColor kSystemColors[] = {
    {"Scroll Bar", SystemColor(0)},
    {"Background", SystemColor(1)},
    {"Active Caption", SystemColor(2)},
    {"Inactive Caption", SystemColor(3)},
    {"Menu", SystemColor(4)},
    {"Window", SystemColor(5)},
    {"Window Frame", SystemColor(6)},
    {"Menu Text", SystemColor(7)},
    {"Window Text", SystemColor(8)},
    {"Caption Text", SystemColor(9)},
    {"Active Border", SystemColor(10)},
    {"Inactive Border", SystemColor(11)},
    {"Application Workspace", SystemColor(12)},
    {"Highlight", SystemColor(13)},
    {"Highlight Text", SystemColor(14)},
    {"Button Face", SystemColor(15)},
    {"Button Shadow", SystemColor(16)},
    {"Gray Text", SystemColor(17)},
    {"Button Text", SystemColor(18)},
    {"Inactive Caption Text", SystemColor(19)},
    {"Button Highlight", SystemColor(20)},
    {"3D Dark Shadow", SystemColor(21)},
    {"3D Light", SystemColor(22)},
    {"Info Text", SystemColor(23)},
    {"Info Background", SystemColor(24)},
    {"Hot Light", SystemColor(26)},
    {"Gradient Active Caption", SystemColor(27)},
    {"Gradient Inactive Caption", SystemColor(28)},
    {"Menu Highlight", SystemColor(29)},
    {"Menu Bar", SystemColor(30)},
};

}  // namespace

TColorBox::TColorBox(QWidget* parent) : QComboBox(parent) {
  setIconSize(QSize(28, 14));
  setMaxVisibleItems(20);
  addItem(Tr("Custom..."));
  for (const TNamedColor& c : kStandardColors) AddColor(c.name, c.color);
  insertSeparator(count());
  for (const TNamedColor& c : kSystemColors) AddColor(c.name, c.color);
  SetCustomColor(FCustom);
  connect(this, &QComboBox::activated, this, [this](int index) {
    if (index == kCustomIndex) PickCustomColor();
    else FLastIndex = index;
  });
}

void TColorBox::AddColor(const char* name, TColor color) {
  addItem(QIcon(ColorSwatch(ToQColor(color), iconSize())), Tr(name), color);
}

void TColorBox::SetCustomColor(TColor color) {
  FCustom = color;
  setItemIcon(kCustomIndex, QIcon(ColorSwatch(ToQColor(color), iconSize())));
  setItemData(kCustomIndex, color);
}

TColor TColorBox::Selected() const {
  const QVariant data = currentIndex() >= 0 ? currentData() : QVariant();
  return data.isValid() ? data.toInt() : FCustom;
}

void TColorBox::SetSelected(TColor color) {
  // Named entries from the first; a plain RGB value never matches a system colour.
  int found = -1;
  for (int i = kCustomIndex + 1; i < count() && found < 0; ++i) {
    if (itemData(i).isValid() && itemData(i).toInt() == color) found = i;
  }
  if (found < 0) {
    SetCustomColor(color < 0 ? ResolveColor(color) : color);
    found = kCustomIndex;
  }
  setCurrentIndex(found);
  FLastIndex = found;
}

void TColorBox::PickCustomColor() {
  const TColor previous = FLastIndex == kCustomIndex ? FCustom : itemData(FLastIndex).toInt();
  std::string html = ColorToHtml(previous);
  const bool chosen = FPicker ? FPicker(html) : [&] {
    const QColor c = QColorDialog::getColor(QColor(ToQ(html)), window());
    if (c.isValid()) html = FromQ(c.name());
    return c.isValid();
  }();
  if (!chosen) {
    setCurrentIndex(FLastIndex);
    return;
  }
  SetSelected(ColorFromHtml(html, previous));
}
