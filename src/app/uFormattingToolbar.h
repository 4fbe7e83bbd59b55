// The formatting toolbar above the page: its buttons and boxes in wrap order, and the view
// the toolbar sync sets from the caret. It says through signals what the writer chose;
// the window sends the commands to the page.
#pragma once

#include <string>

#include "uEditorBridge.h"
#include "uToolbarSync.h"
#include "uWrapToolbar.h"

class QComboBox;
class QLabel;
class QToolButton;
class TColorButton;
class TProjectSettings;

class TFormattingToolbar : public TWrapToolbar, public IToolbarView {
  Q_OBJECT

 public:
  explicit TFormattingToolbar(QWidget* parent);

  // The state before any caret report: standard text, left aligned, black, the sizes list.
  void Reset();
  // The project's defaults, as a new paragraph would have them.
  void ShowProjectDefaults(const TProjectSettings& settings);
  // Puts the tooltips and the "Standard text" entry in the current language.
  void Retranslate();
  // The line-spacing entry for a value, by text or by number ("2" finds "2.0"); -1 when none.
  int LineSpacingIndex(const std::string& text) const;
  void FillFontSizes();

  // What the writer chose.
  int HeadingIndex() const;  // 0 standard text, 1..3 the headings; -1 none
  std::string FontName() const;
  std::string FontSizeText() const;
  std::string LineSpacingText() const;
  // Leaves one list button down after the writer pressed the other.
  void KeepOneListButton(const std::string& command);
  // Where the table menu opens, in global coordinates.
  QPoint TableMenuPosition() const;

  // The view the toolbar sync talks to.
  bool HasFocus(TToolbarControl control) const override;
  bool IsListOpen(TToolbarControl control) const override;
  void SetStyleButtons(bool bold, bool italic, bool underline, bool ul, bool ol) override;
  void SelectHeadingIndex(int index) override;
  void SelectFontName(const std::string& fontName) override;
  void ShowFontSize(const std::string& text) override;
  TColor SelectedTextColor() const override;
  void SelectTextColor(TColor color) override;
  void SetAlignButtons(const std::string& align) override;
  void ShowLineSpacing(const std::string& text) override;

 signals:
  void StyleClicked(const std::string& command);  // "bold", "italic", "underline", "ul", "ol"
  void AlignClicked(TTextAlign align);
  void HeadingChosen();
  void FontChosen();
  void FontSizeChosen();     // from the list, or Enter in the box
  void LineSpacingChosen();  // from the list, or Enter in the box
  void TextColorClicked();
  void LinkClicked();
  void TopicLinkClicked();
  void ImageClicked();
  void ReplaceImageClicked();
  void ImagePropertiesClicked();
  void RemoveImageClicked();
  void TableClicked();
  void TableMenuClicked();
  void ImportHtmlClicked();

 private:
  void CreateItems();
  void ConnectItems();
  QWidget* Widget(TToolbarControl control) const;

  QToolButton* btnBold;
  QToolButton* btnItalic;
  QToolButton* btnUnderline;
  QToolButton* btnUL;
  QToolButton* btnOL;
  QToolButton* btnAlignLeft;
  QToolButton* btnAlignCenter;
  QToolButton* btnAlignRight;
  QToolButton* btnLink;
  QToolButton* btnTopicLink;
  QToolButton* btnImage;
  QToolButton* btnReplaceImage;
  QToolButton* btnImageProperties;
  QToolButton* btnInsertTable;
  QToolButton* btnTableDropdownMenu;
  QToolButton* btnImportHTML;
  QToolButton* btnRemoveImage;  // hidden; a command of the page's image menu
  QLabel* imgLineSpacing;
  QLabel* imgTextColor;
  QLabel* imgHeading;
  QLabel* imgFontName;
  QLabel* imgFontSize;
  QComboBox* cmbLineSpacing;
  TColorButton* cbTextColor;
  QComboBox* cmbHeading;
  QComboBox* cmbTextFont;
  QComboBox* cmbFontSize;
};
