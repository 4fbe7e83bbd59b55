// A pick list of named colours (standard, extended and system colours) whose first
// entry, "Custom...", opens a colour picker.
#pragma once

#include <QComboBox>
#include <functional>
#include <string>

#include "uProjectSettings.h"

class TColorBox : public QComboBox {
  Q_OBJECT
 public:
  // Asks for a colour: "#rrggbb" in and out; false when cancelled.
  using TPicker = std::function<bool(std::string& htmlColor)>;

  explicit TColorBox(QWidget* parent = nullptr);
  // Without a picker the platform's colour dialog is used.
  void SetPicker(TPicker picker) { FPicker = std::move(picker); }
  TColor Selected() const;
  // Selects the named entry of the colour, else shows it as the custom colour.
  void SetSelected(TColor color);
  // What choosing "Custom..." does: a cancelled picker keeps the previous choice.
  void PickCustomColor();
  static constexpr int kCustomIndex = 0;

 private:
  void SetCustomColor(TColor color);
  void AddColor(const char* name, TColor color);

  TPicker FPicker;
  TColor FCustom = 0;
  int FLastIndex = kCustomIndex;
};
