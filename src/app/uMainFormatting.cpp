// The formatting toolbar and the Edit menu: commands to the page, and the toolbar
// following the formatting at the caret (the timing rules live in TToolbarSync).
#include <QAbstractItemView>
#include <QApplication>
#include <QComboBox>
#include <QKeyEvent>

#include <QLineEdit>
#include <QTimer>
#include <QToolButton>
#include <algorithm>
#include <functional>

#include "uColorButton.h"
#include "uEditorBridge.h"
#include "uFontNames.h"
#include "uMain.h"
#include "uQtText.h"
#include "uScopedFlag.h"
#include "uToolbarSync.h"
#include "uUserDialogs.h"

namespace {

const QStringList kFontSizes = {"8",  "9",  "10", "11", "12", "14", "16", "18", "20", "22",
                                "24", "26", "28", "32", "36", "40", "48", "60", "72"};

}  // namespace

// The toolbar's controls as the sync sees them (a friend of the window).
class TMainToolbarView : public IToolbarView {
 public:
  explicit TMainToolbarView(TfrmMain& form) : F(form) {}

  bool HasFocus(TToolbarControl control) const override {
    const QWidget* w = Widget(control);
    return w && (w->hasFocus() || w->isAncestorOf(QApplication::focusWidget()));
  }
  bool IsListOpen(TToolbarControl control) const override {
    const auto* box = qobject_cast<const QComboBox*>(Widget(control));
    return box && box->view() && box->view()->isVisible();
  }
  void SetStyleButtons(bool bold, bool italic, bool underline, bool ul, bool ol) override {
    F.btnBold->setChecked(bold);
    F.btnItalic->setChecked(italic);
    F.btnUnderline->setChecked(underline);
    F.btnUL->setChecked(ul);
    F.btnOL->setChecked(ol && !ul);
  }
  void SelectHeadingIndex(int index) override { F.cmbHeading->setCurrentIndex(index); }
  void SelectFontName(const std::string& fontName) override {
    const std::string name = BrowserFontFamily(fontName);
    const int i = F.cmbTextFont->findText(ToQ(name), Qt::MatchFixedString);
    // A font this machine lacks (a project from another system) is shown greyed by
    // name rather than leaving some other font selected as if it were the caret's.
    F.cmbTextFont->setPlaceholderText(i >= 0 ? QString() : ToQ(name));
    F.cmbTextFont->setCurrentIndex(i);
  }
  void ShowFontSize(const std::string& text) override {
    F.cmbFontSize->setCurrentIndex(F.cmbFontSize->findText(ToQ(text), Qt::MatchExactly));
    F.cmbFontSize->setEditText(ToQ(text));
  }
  TColor SelectedTextColor() const override { return FromQColor(F.cbTextColor->Color()); }
  void SelectTextColor(TColor color) override { F.cbTextColor->SetColor(ToQColor(color)); }
  void SetAlignButtons(const std::string& align) override {
    F.btnAlignLeft->setChecked(align == "left");
    F.btnAlignCenter->setChecked(align == "center");
    F.btnAlignRight->setChecked(align == "right");
  }
  void ShowLineSpacing(const std::string& text) override {
    // The page writes 2 where the list says "2.0". A value the list lacks is shown by
    // name, not left to look like the previous paragraph's.
    const int found = F.LineSpacingIndex(text);
    F.cmbLineSpacing->setPlaceholderText(found >= 0 ? QString() : ToQ(text));
    F.cmbLineSpacing->setCurrentIndex(found);
    if (F.cmbLineSpacing->isEditable()) F.cmbLineSpacing->setEditText(ToQ(text));
  }

 private:
  QWidget* Widget(TToolbarControl control) const {
    switch (control) {
      case TToolbarControl::Heading: return F.cmbHeading;
      case TToolbarControl::FontName: return F.cmbTextFont;
      case TToolbarControl::FontSize: return F.cmbFontSize;
      case TToolbarControl::TextColor: return F.cbTextColor;
      case TToolbarControl::LineSpacing: return F.cmbLineSpacing;
    }
    return nullptr;
  }
  TfrmMain& F;
};

namespace {

// Enter in a toolbar box: swallowed (the box would otherwise also act on it, and
// repeat the command) and handed to one action.
class TEnterKeyFilter : public QObject {
 public:
  TEnterKeyFilter(QObject* parent, std::function<void()> action) : QObject(parent), FAction(std::move(action)) {}

 protected:
  bool eventFilter(QObject* watched, QEvent* event) override {
    if (event->type() != QEvent::KeyPress) return false;
    const int key = static_cast<QKeyEvent*>(event)->key();
    if (key != Qt::Key_Return && key != Qt::Key_Enter) return false;
    FAction();
    return true;
  }

 private:
  std::function<void()> FAction;
};

void OnEnterKey(QComboBox* box, std::function<void()> action) {
  auto* filter = new TEnterKeyFilter(box, std::move(action));
  box->installEventFilter(filter);
  if (box->lineEdit()) box->lineEdit()->installEventFilter(filter);
}

}  // namespace

int TfrmMain::LineSpacingIndex(const std::string& text) const {
  const double value = ReadDecimal(text);
  for (int i = 0; i < cmbLineSpacing->count(); ++i) {
    const std::string item = Trim(FromQ(cmbLineSpacing->itemText(i)));
    if (SameTextAscii(item, text) || (value > 0 && ReadDecimal(item) == value)) return i;
  }
  return -1;
}

bool TfrmMain::ToolbarIdle() const { return !FUpdatingUi && !(FToolbarSync && FToolbarSync->UpdatingUi()); }

void TfrmMain::FillFontSizes() {
  const QSignalBlocker block(cmbFontSize);
  cmbFontSize->clear();
  cmbFontSize->addItems(kFontSizes);
  const int i = cmbFontSize->findText("14", Qt::MatchExactly);
  cmbFontSize->setCurrentIndex(i >= 0 ? i : 0);
  cmbFontSize->setEditText(cmbFontSize->currentText());
}

void TfrmMain::InitFormattingToolbar() {
  const QSignalBlocker blockHeading(cmbHeading);
  const QSignalBlocker blockFont(cmbTextFont);
  const QSignalBlocker blockSpacing(cmbLineSpacing);
  cmbHeading->setItemText(0, Tr("Standard text"));
  cmbHeading->setCurrentIndex(0);
  cmbHeading->setToolTip(Tr("Text Heading"));
  cmbFontSize->setInsertPolicy(QComboBox::NoInsert);
  cmbFontSize->setCompleter(nullptr);
  FillFontSizes();
  if (cmbTextFont->count() > 0) cmbTextFont->setCurrentIndex(0);
  const int spacing = cmbLineSpacing->findText("1.5", Qt::MatchExactly);
  if (spacing >= 0) cmbLineSpacing->setCurrentIndex(spacing);
  cmbLineSpacing->setToolTip(Tr("Line Spacing"));
  cbTextColor->SetColor(Qt::black);
  cbTextColor->setToolTip(Tr("Font Color"));
  btnAlignLeft->setChecked(true);
  btnAlignCenter->setChecked(false);
  btnAlignRight->setChecked(false);
}

void TfrmMain::ConnectFormattingToolbar() {
  FToolbarView = std::make_shared<TMainToolbarView>(*this);
  FToolbarSync = std::make_shared<TToolbarSync>(*FToolbarView);
  FToolbarReplay = new QTimer(this);
  FToolbarReplay->setSingleShot(true);
  connect(FToolbarReplay, &QTimer::timeout, this, [this] {
    if (FUpdatingUi) return;
    Guard([this] { FToolbarSync->ReplayHeldReport(); });
  });
  for (QToolButton* b : {btnBold, btnItalic, btnUnderline, btnUL, btnOL, btnAlignLeft, btnAlignCenter, btnAlignRight})
    b->setCheckable(true);

  const auto styleCommand = [this](QToolButton* button, const char* command) {
    connect(button, &QToolButton::clicked, this, [this, command] {
      Guard([this, command] {
        if (!EditorReady()) return;
        if (std::string(command) == "ul" && btnUL->isChecked()) btnOL->setChecked(false);
        if (std::string(command) == "ol" && btnOL->isChecked()) btnUL->setChecked(false);
        FToolbarSync->NoteStyleCommand();
        FBridge->ExecCommand(command);
        RequestEditorFocus();
      });
    });
  };
  styleCommand(btnBold, "bold");
  styleCommand(btnItalic, "italic");
  styleCommand(btnUnderline, "underline");
  styleCommand(btnUL, "ul");
  styleCommand(btnOL, "ol");

  const auto alignCommand = [this](QToolButton* button, TTextAlign align) {
    connect(button, &QToolButton::clicked, this, [this, button, align] {
      Guard([this, button, align] {
        if (!ToolbarIdle() || !EditorReady()) return;
        for (QToolButton* b : {btnAlignLeft, btnAlignCenter, btnAlignRight}) b->setChecked(b == button);
        FBridge->SetAlign(align);
        RequestEditorFocus();
      });
    });
  };
  alignCommand(btnAlignLeft, TTextAlign::taLeft);
  alignCommand(btnAlignCenter, TTextAlign::taCenter);
  alignCommand(btnAlignRight, TTextAlign::taRight);

  connect(cmbHeading, qOverload<int>(&QComboBox::activated), this,
          [this](int) { Guard([this] { cmbHeadingChange(); }); });
  connect(cmbTextFont, qOverload<int>(&QComboBox::activated), this,
          [this](int) { Guard([this] { cmbTextFontChange(); }); });
  connect(cmbFontSize, qOverload<int>(&QComboBox::activated), this, [this](int index) {
    Guard([this, index] {
      if (!ToolbarIdle() || !EditorReady() || index < 0) return;
      ApplyFontSizeFromBox();
    });
  });
  OnEnterKey(cmbFontSize, [this] {
    Guard([this] {
      if (!ToolbarIdle() || !EditorReady()) return;
      ApplyFontSizeFromBox();
    });
  });
  connect(cmbLineSpacing, qOverload<int>(&QComboBox::activated), this, [this](int index) {
    Guard([this, index] {
      if (!ToolbarIdle() || !EditorReady() || index < 0) return;
      ApplyLineSpacingFromBox();
    });
  });
  OnEnterKey(cmbLineSpacing, [this] {
    Guard([this] {
      if (!ToolbarIdle() || !EditorReady()) return;
      ApplyLineSpacingFromBox();
    });
  });
  connect(cbTextColor, &QToolButton::clicked, this, [this] { Guard([this] { cbTextColorChange(); }); });
  ConnectInsertCommands();
}

void TfrmMain::cmbHeadingChange() {
  if (!ToolbarIdle() || !EditorReady() || cmbHeading->currentIndex() < 0) return;
  static const char* const kCommands[] = {"p", "h1", "h2", "h3"};
  const int index = std::clamp(cmbHeading->currentIndex(), 0, 3);
  const int sizes[] = {Settings().FontSizeBody, Settings().FontSizeH1, Settings().FontSizeH2, Settings().FontSizeH3};
  const int size = sizes[index];
  FBridge->ExecCommand(kCommands[index]);
  {
    const TScopedFlag updating(FUpdatingUi);
    FToolbarView->ShowFontSize(std::to_string(size));
  }
  FToolbarSync->NoteFontSize(size);
  FBridge->SetFontSizePx(size);
  RequestEditorFocus();
}

void TfrmMain::cmbTextFontChange() {
  if (!ToolbarIdle() || !EditorReady() || cmbTextFont->currentIndex() < 0) return;
  const std::string name = Trim(FromQ(cmbTextFont->currentText()));
  if (name.empty()) return;
  FillFontSizes();
  FToolbarSync->NoteFontName(name);
  FBridge->SetFontName(name);
  RequestEditorFocus();
}

void TfrmMain::ApplyFontSizeFromBox() {
  if (!EditorReady() || !FBridge) return;
  const int px = FontSizeFromBoxText(FromQ(cmbFontSize->currentText()));
  if (px <= 0) return;
  FToolbarSync->NoteFontSize(px);
  FBridge->SetFontSizePx(px);
  RequestEditorFocus();
}

void TfrmMain::ApplyLineSpacingFromBox() {
  if (!EditorReady() || !FBridge) return;
  std::string text = Trim(FromQ(cmbLineSpacing->currentText()));
  if (text.empty() && cmbLineSpacing->currentIndex() >= 0)
    text = Trim(FromQ(cmbLineSpacing->itemText(cmbLineSpacing->currentIndex())));
  const double value = ReadDecimal(text);
  if (value <= 0) return;
  FToolbarSync->NoteLineHeight(text);
  FBridge->SetLineSpacing(std::max(value, 1.0));
  RequestEditorFocus();
}

void TfrmMain::cbTextColorChange() {
  if (!ToolbarIdle() || !EditorReady()) return;
  std::string color = ColorToHtml(FromQColor(cbTextColor->Color()));
  if (!FDialogs->PickColor(color)) return;
  const TColor chosen = ColorFromHtml(color, FromQColor(cbTextColor->Color()));
  cbTextColor->SetColor(ToQColor(chosen));
  const std::string html = ColorToHtml(chosen);
  FToolbarSync->NoteTextColor(html);
  FBridge->SetTextColor(html);
  RequestEditorFocus();
}

void TfrmMain::EditorCursorStyle(const TEditorCursorStyle& style) {
  FCaretLinkHref = style.LinkHref;
  FCaretImage = style.Image;
  if (FUpdatingUi || !FToolbarSync) return;
  FToolbarSync->ApplyCursorStyle(style);
  if (const std::uint32_t due = FToolbarSync->HeldReportDueInMs()) FToolbarReplay->start(static_cast<int>(due) + 10);
}
