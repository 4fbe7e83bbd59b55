// The project settings dialog. Its controls are built in code from a table of
// sections and rows, in a scrolling area above the button panel.
#pragma once

#include <QDialog>
#include <memory>
#include <string>

#include "uProjectSettings.h"

class IUserDialogs;
class QCheckBox;
class QComboBox;
class QLineEdit;
class QPushButton;
class QScrollArea;
class TColorBox;

class TfrmProjectSettings : public QDialog {
  Q_OBJECT

 public:
  // dialogs shows the message boxes, file dialogs and colour picker; null: the Qt ones.
  // projectRoot: the project's folder, whose assets the cover logo is picked from ("" none).
  TfrmProjectSettings(QWidget* owner, TProjectSettings& settings, IUserDialogs* dialogs = nullptr,
                      const std::string& projectRoot = "");
  ~TfrmProjectSettings() override;

  // True when confirmed; only then does settings hold the new values.
  static bool Execute(QWidget* owner, TProjectSettings& settings, IUserDialogs* dialogs = nullptr,
                      const std::string& projectRoot = "");

  void SettingsToControls(const TProjectSettings& settings);
  // Validates every control and stores them all into settings only when all are valid;
  // invalid (when given) receives the first control that is not.
  bool ControlsToSettings(TProjectSettings& settings, QWidget** invalid = nullptr) const;

  void btnOkClick();
  void btnSavePresetClick();
  void btnLoadPresetClick();

  // n pixels at 96 dots per inch, scaled to this dialog's density.
  int S(int n) const;

  QLineEdit* edProjTitle = nullptr;
  QLineEdit* edH1 = nullptr;
  QLineEdit* edH2 = nullptr;
  QLineEdit* edH3 = nullptr;
  QLineEdit* edBody = nullptr;
  QLineEdit* edFontName = nullptr;
  QLineEdit* edLineSpacing = nullptr;
  TColorBox* cbTextColor = nullptr;
  TColorBox* cbHeaderBg = nullptr;
  TColorBox* cbPageBg = nullptr;
  QComboBox* cmbFontName = nullptr;
  QComboBox* cmbBodyFontSize = nullptr;
  TColorBox* cbTocTextColor = nullptr;
  QLineEdit* edTocTextSize = nullptr;
  QCheckBox* chkCopyright = nullptr;
  QLineEdit* edCopyrightText = nullptr;
  TColorBox* cbLinkColor = nullptr;
  QComboBox* cmbLinkStyle = nullptr;
  TColorBox* cbTableBorderColor = nullptr;
  QComboBox* cmbTableBorderStyle = nullptr;
  QLineEdit* edTableBorderWidth = nullptr;
  // The dictionary the topics are checked with; the first entry follows the interface.
  QComboBox* cmbSpellLanguage = nullptr;
  // The PDF as a book.
  QCheckBox* chkPdfCover = nullptr;
  QLineEdit* edPdfSubtitle = nullptr;
  QLineEdit* edPdfVersionLine = nullptr;
  QComboBox* cmbPdfLogo = nullptr;  // editable: the pictures under assets, first entry none
  QCheckBox* chkPdfContents = nullptr;
  QComboBox* cmbPdfContentsDepth = nullptr;
  QComboBox* cmbPdfPageNumbers = nullptr;  // item data: the PdfPageNumbers value
  QCheckBox* chkPdfRunningHeads = nullptr;
  QCheckBox* chkPdfChapterBreaks = nullptr;
  QComboBox* cmbPdfPaper = nullptr;  // item data: the PdfPaper value
  QLineEdit* edPdfMargins = nullptr;
  QPushButton* btnOk = nullptr;
  QPushButton* btnCancel = nullptr;
  QPushButton* btnSavePreset = nullptr;
  QPushButton* btnLoadPreset = nullptr;

 protected:
  void resizeEvent(QResizeEvent* event) override;
  bool eventFilter(QObject* watched, QEvent* event) override;

 private:
  void CreateControls();
  void CreatePdfControls();
  void LayOutRows();
  // Each returns the y below what it placed.
  int AddHeading(const char* caption, int y);
  int AddRow(const char* label, QWidget* control, int width, int y);
  void CreateButtons();
  void PlaceButtons();
  void SizeToScreen();
  int RowHeight() const;
  QLineEdit* NewEdit(bool visible = true);
  TColorBox* NewColorBox();
  void ShowError(const std::string& text);
  // The label of a control's row, without its colon; "" when it has none.
  std::string FieldName(const QWidget* control) const;
  std::string InvalidValueMessage(const QWidget* invalid) const;

  TProjectSettings& FSettings;
  // The caller's values, replaced by each loaded preset: carries what has no control.
  TProjectSettings FValues;
  std::unique_ptr<IUserDialogs> FOwnDialogs;
  IUserDialogs* FDialogs;
  std::string FProjectRoot;
  QScrollArea* FScroll = nullptr;
  QWidget* FContent = nullptr;
  QWidget* FBottom = nullptr;
  int FLabelWidth = 0;  // the label column, set by LayOutRows
};
