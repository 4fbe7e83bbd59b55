#include "uFormattingToolbar.h"

#include <QAbstractItemView>
#include <QApplication>
#include <QComboBox>
#include <QFontDatabase>
#include <QFrame>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QToolButton>
#include <functional>
#include <vector>

#include "uColorButton.h"
#include "uFontNames.h"
#include "uProjectSettings.h"
#include "uQtText.h"
#include "uUtils.h"

namespace {

constexpr int kToolbarHeight = 44;

const QStringList kFontSizes = {"8",  "9",  "10", "11", "12", "14", "16", "18", "20", "22",
                                "24", "26", "28", "32", "36", "40", "48", "60", "72"};

QIcon AppIcon(const char* name) { return QIcon(QString(":/icons/%1.svg").arg(name)); }

QToolButton* MakeToolButton(QWidget* parent, const char* name, const char* icon, bool checkable = false) {
  auto* button = new QToolButton(parent);
  button->setObjectName(name);
  button->setIcon(AppIcon(icon));
  button->setIconSize(QSize(20, 20));
  button->setAutoRaise(true);
  button->setCheckable(checkable);
  button->setFixedSize(32, 32);
  button->setFocusPolicy(Qt::NoFocus);  // the caret stays in the page
  return button;
}

QFrame* MakeSeparator(QWidget* parent) {
  auto* line = new QFrame(parent);
  line->setFrameShape(QFrame::VLine);
  line->setFrameShadow(QFrame::Sunken);
  line->setFixedSize(9, 26);
  return line;
}

QLabel* MakeToolIcon(QWidget* parent, const char* name, const char* icon) {
  auto* label = new QLabel(parent);
  label->setObjectName(name);
  label->setPixmap(AppIcon(icon).pixmap(18, 18));
  label->setFixedSize(22, 30);
  label->setAlignment(Qt::AlignCenter);
  return label;
}

QComboBox* MakeCombo(QWidget* parent, const char* name, int width, const QStringList& items, bool editable = false) {
  auto* box = new QComboBox(parent);
  box->setObjectName(name);
  box->setEditable(editable);
  box->addItems(items);
  box->setFixedSize(width, 28);
  box->setFocusPolicy(Qt::ClickFocus);
  return box;
}

// Enter in a toolbar box: swallowed (the box would otherwise also act on it, and
// repeat the command) and handed to one action.
class TEnterKeyFilter : public QObject {
 public:
  TEnterKeyFilter(QObject* parent, std::function<void()> action) : QObject(parent), FAction(std::move(action)) {}

 protected:
  bool eventFilter(QObject*, QEvent* event) override {
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

TFormattingToolbar::TFormattingToolbar(QWidget* parent) : TWrapToolbar(parent, kToolbarHeight) {
  setObjectName("barFormatting");
  CreateItems();
  ConnectItems();
}

void TFormattingToolbar::CreateItems() {
  QWidget* p = FirstRow();
  btnBold = MakeToolButton(p, "btnBold", "format-text-bold", true);
  btnItalic = MakeToolButton(p, "btnItalic", "format-text-italic", true);
  btnUnderline = MakeToolButton(p, "btnUnderline", "format-text-underline", true);
  QFrame* bevel1 = MakeSeparator(p);
  btnUL = MakeToolButton(p, "btnUL", "view-list-bullet", true);
  btnOL = MakeToolButton(p, "btnOL", "view-list-ordered", true);
  QFrame* bevel2 = MakeSeparator(p);
  btnAlignLeft = MakeToolButton(p, "btnAlignLeft", "format-justify-left", true);
  btnAlignCenter = MakeToolButton(p, "btnAlignCenter", "format-justify-center", true);
  btnAlignRight = MakeToolButton(p, "btnAlignRight", "format-justify-right", true);
  QFrame* bevel3 = MakeSeparator(p);
  btnLink = MakeToolButton(p, "btnLink", "insert-link");
  btnTopicLink = MakeToolButton(p, "btnTopicLink", "topic-link");
  btnImage = MakeToolButton(p, "btnImage", "insert-image");
  btnReplaceImage = MakeToolButton(p, "btnReplaceImage", "image-replace");
  btnImageProperties = MakeToolButton(p, "btnImageProperties", "image-properties");
  btnInsertTable = MakeToolButton(p, "btnInsertTable", "insert-table");
  btnTableDropdownMenu = MakeToolButton(p, "btnTableDropdownMenu", "pan-down");
  btnTableDropdownMenu->setFixedSize(18, 32);
  btnTableDropdownMenu->setIconSize(QSize(12, 12));
  btnImportHTML = MakeToolButton(p, "btnImportHTML", "import-html");
  QFrame* bevel4 = MakeSeparator(p);
  imgLineSpacing = MakeToolIcon(p, "imgLineSpacing", "line-spacing");
  cmbLineSpacing = MakeCombo(p, "cmbLineSpacing", 64, {"1.0", "1.15", "1.2", "1.5", "2.0"});
  imgTextColor = MakeToolIcon(p, "imgTextColor", "font-color");
  cbTextColor = new TColorButton(p);
  cbTextColor->setObjectName("cbTextColor");
  cbTextColor->setFocusPolicy(Qt::NoFocus);
  imgHeading = MakeToolIcon(p, "imgHeading", "text-heading");
  cmbHeading = MakeCombo(p, "cmbHeading", 120, {QString(), "H1", "H2", "H3"});
  imgFontName = MakeToolIcon(p, "imgFontName", "font-name");
  // Family names as browsers know them: Qt's foundry suffix would be written into topics.
  std::vector<std::string> qtFamilies;
  for (const QString& family : QFontDatabase::families()) qtFamilies.push_back(FromQ(family));
  QStringList families;
  for (const std::string& family : BrowserFontFamilies(qtFamilies)) families << ToQ(family);
  cmbTextFont = MakeCombo(p, "cmbTextFont", 170, families);
  cmbTextFont->setCurrentIndex(-1);  // blank until a project font that is installed is shown
  imgFontSize = MakeToolIcon(p, "imgFontSize", "font-size");
  cmbFontSize = MakeCombo(p, "cmbFontSize", 64, kFontSizes, true);
  btnRemoveImage = MakeToolButton(p, "btnRemoveImage", "image-remove");
  btnRemoveImage->hide();

  // Buttons wrap one by one; each box wraps with the icon that names it.
  for (QWidget* item : std::initializer_list<QWidget*>{btnBold,         btnItalic,
                                                       btnUnderline,    bevel1,
                                                       btnUL,           btnOL,
                                                       bevel2,          btnAlignLeft,
                                                       btnAlignCenter,  btnAlignRight,
                                                       bevel3,          btnLink,
                                                       btnTopicLink,    btnImage,
                                                       btnReplaceImage, btnImageProperties,
                                                       btnInsertTable,  btnTableDropdownMenu,
                                                       btnImportHTML,   bevel4}) {
    Add(item);
  }
  const std::pair<QWidget*, QWidget*> labelled[] = {{imgLineSpacing, cmbLineSpacing},
                                                    {imgTextColor, cbTextColor},
                                                    {imgHeading, cmbHeading},
                                                    {imgFontName, cmbTextFont},
                                                    {imgFontSize, cmbFontSize}};
  for (const auto& [icon, box] : labelled) {
    Add(icon);
    AddJoined(box);
  }
}

void TFormattingToolbar::ConnectItems() {
  const std::pair<QToolButton*, const char*> styles[] = {
      {btnBold, "bold"}, {btnItalic, "italic"}, {btnUnderline, "underline"}, {btnUL, "ul"}, {btnOL, "ol"}};
  for (const auto& [button, command] : styles) {
    connect(button, &QToolButton::clicked, this,
            [this, command = std::string(command)] { emit StyleClicked(command); });
  }
  const std::pair<QToolButton*, TTextAlign> aligns[] = {
      {btnAlignLeft, TTextAlign::taLeft}, {btnAlignCenter, TTextAlign::taCenter}, {btnAlignRight, TTextAlign::taRight}};
  for (const auto& [button, align] : aligns) {
    connect(button, &QToolButton::clicked, this, [this, align = align] { emit AlignClicked(align); });
  }
  const std::pair<QToolButton*, void (TFormattingToolbar::*)()> inserts[] = {
      {btnLink, &TFormattingToolbar::LinkClicked},
      {btnTopicLink, &TFormattingToolbar::TopicLinkClicked},
      {btnImage, &TFormattingToolbar::ImageClicked},
      {btnReplaceImage, &TFormattingToolbar::ReplaceImageClicked},
      {btnImageProperties, &TFormattingToolbar::ImagePropertiesClicked},
      {btnRemoveImage, &TFormattingToolbar::RemoveImageClicked},
      {btnInsertTable, &TFormattingToolbar::TableClicked},
      {btnTableDropdownMenu, &TFormattingToolbar::TableMenuClicked},
      {btnImportHTML, &TFormattingToolbar::ImportHtmlClicked},
      {cbTextColor, &TFormattingToolbar::TextColorClicked}};
  for (const auto& [button, signal] : inserts) connect(button, &QToolButton::clicked, this, signal);

  connect(cmbHeading, qOverload<int>(&QComboBox::activated), this, &TFormattingToolbar::HeadingChosen);
  connect(cmbTextFont, qOverload<int>(&QComboBox::activated), this, &TFormattingToolbar::FontChosen);
  connect(cmbFontSize, qOverload<int>(&QComboBox::activated), this, [this](int index) {
    if (index >= 0) emit FontSizeChosen();
  });
  OnEnterKey(cmbFontSize, [this] { emit FontSizeChosen(); });
  connect(cmbLineSpacing, qOverload<int>(&QComboBox::activated), this, [this](int index) {
    if (index >= 0) emit LineSpacingChosen();
  });
  OnEnterKey(cmbLineSpacing, [this] { emit LineSpacingChosen(); });
}

void TFormattingToolbar::Reset() {
  const QSignalBlocker blockHeading(cmbHeading);
  const QSignalBlocker blockFont(cmbTextFont);
  const QSignalBlocker blockSpacing(cmbLineSpacing);
  cmbHeading->setCurrentIndex(0);
  cmbFontSize->setInsertPolicy(QComboBox::NoInsert);
  cmbFontSize->setCompleter(nullptr);
  FillFontSizes();
  if (cmbTextFont->count() > 0) cmbTextFont->setCurrentIndex(0);
  const int spacing = cmbLineSpacing->findText("1.5", Qt::MatchExactly);
  if (spacing >= 0) cmbLineSpacing->setCurrentIndex(spacing);
  cbTextColor->SetColor(Qt::black);
  SetAlignButtons("left");
  Retranslate();
}

void TFormattingToolbar::ShowProjectDefaults(const TProjectSettings& s) {
  cbTextColor->SetColor(QColor(ToQ(ColorToHtml(s.DefaultTextColor))));
  const int font = cmbTextFont->findText(ToQ(BrowserFontFamily(s.DefaultFontName)), Qt::MatchFixedString);
  if (font >= 0) cmbTextFont->setCurrentIndex(font);
  const QString size = QString::number(s.FontSizeBody);
  cmbFontSize->setCurrentIndex(cmbFontSize->findText(size, Qt::MatchExactly));
  cmbFontSize->setEditText(size);
  const int found = LineSpacingIndex(ReplaceAll(FloatToText(s.DefaultLineSpacing), ",", "."));
  if (found >= 0) cmbLineSpacing->setCurrentIndex(found);
}

void TFormattingToolbar::Retranslate() {
  const std::pair<QWidget*, const char*> hints[] = {
      {btnBold, "Bold"},
      {btnItalic, "Italic"},
      {btnUnderline, "Underline"},
      {btnUL, "Bullet List"},
      {btnOL, "Numeric List"},
      {btnAlignLeft, "Left Align"},
      {btnAlignCenter, "Center Align"},
      {btnAlignRight, "Right Align"},
      {btnLink, "Create Link..."},
      {btnTopicLink, "Create Topic Link..."},
      {btnImage, "Add Image..."},
      {btnReplaceImage, "Replace Image..."},
      {btnImageProperties, "Image Properties..."},
      {btnInsertTable, "Add Table..."},
      {btnImportHTML, "Add HTML..."},
      {btnRemoveImage, "Remove Image"},
      {imgLineSpacing, "Line Spacing"},
      {cmbLineSpacing, "Line Spacing"},
      {imgTextColor, "Font Color"},
      {cbTextColor, "Font Color"},
      {imgHeading, "Text Heading"},
      {cmbHeading, "Text Heading"},
      {imgFontName, "Font Name"},
      {imgFontSize, "Font Size"},
  };
  for (const auto& [widget, text] : hints) widget->setToolTip(Tr(text));
  btnRemoveImage->setText(Tr("Remove Image"));
  const QSignalBlocker block(cmbHeading);
  cmbHeading->setItemText(0, Tr("Standard text"));
}

int TFormattingToolbar::LineSpacingIndex(const std::string& text) const {
  const double value = ReadDecimal(text);
  for (int i = 0; i < cmbLineSpacing->count(); ++i) {
    const std::string item = Trim(FromQ(cmbLineSpacing->itemText(i)));
    if (SameTextAscii(item, text) || (value > 0 && ReadDecimal(item) == value)) return i;
  }
  return -1;
}

void TFormattingToolbar::FillFontSizes() {
  const QSignalBlocker block(cmbFontSize);
  cmbFontSize->clear();
  cmbFontSize->addItems(kFontSizes);
  const int i = cmbFontSize->findText("14", Qt::MatchExactly);
  cmbFontSize->setCurrentIndex(i >= 0 ? i : 0);
  cmbFontSize->setEditText(cmbFontSize->currentText());
}

int TFormattingToolbar::HeadingIndex() const { return cmbHeading->currentIndex(); }

std::string TFormattingToolbar::FontName() const {
  return cmbTextFont->currentIndex() < 0 ? std::string() : Trim(FromQ(cmbTextFont->currentText()));
}

std::string TFormattingToolbar::FontSizeText() const { return FromQ(cmbFontSize->currentText()); }

std::string TFormattingToolbar::LineSpacingText() const {
  std::string text = Trim(FromQ(cmbLineSpacing->currentText()));
  if (text.empty() && cmbLineSpacing->currentIndex() >= 0) {
    text = Trim(FromQ(cmbLineSpacing->itemText(cmbLineSpacing->currentIndex())));
  }
  return text;
}

void TFormattingToolbar::KeepOneListButton(const std::string& command) {
  if (command == "ul" && btnUL->isChecked()) btnOL->setChecked(false);
  if (command == "ol" && btnOL->isChecked()) btnUL->setChecked(false);
}

QPoint TFormattingToolbar::TableMenuPosition() const {
  return btnTableDropdownMenu->mapToGlobal(QPoint(0, btnTableDropdownMenu->height()));
}

// --- The view the toolbar sync talks to --------------------------------------------------

QWidget* TFormattingToolbar::Widget(TToolbarControl control) const {
  switch (control) {
    case TToolbarControl::Heading: return cmbHeading;
    case TToolbarControl::FontName: return cmbTextFont;
    case TToolbarControl::FontSize: return cmbFontSize;
    case TToolbarControl::TextColor: return cbTextColor;
    case TToolbarControl::LineSpacing: return cmbLineSpacing;
  }
  return nullptr;
}

bool TFormattingToolbar::HasFocus(TToolbarControl control) const {
  const QWidget* w = Widget(control);
  return w && (w->hasFocus() || w->isAncestorOf(QApplication::focusWidget()));
}

bool TFormattingToolbar::IsListOpen(TToolbarControl control) const {
  const auto* box = qobject_cast<const QComboBox*>(Widget(control));
  return box && box->view() && box->view()->isVisible();
}

void TFormattingToolbar::SetStyleButtons(bool bold, bool italic, bool underline, bool ul, bool ol) {
  btnBold->setChecked(bold);
  btnItalic->setChecked(italic);
  btnUnderline->setChecked(underline);
  btnUL->setChecked(ul);
  btnOL->setChecked(ol && !ul);
}

void TFormattingToolbar::SelectHeadingIndex(int index) { cmbHeading->setCurrentIndex(index); }

void TFormattingToolbar::SelectFontName(const std::string& fontName) {
  const std::string name = BrowserFontFamily(fontName);
  const int i = cmbTextFont->findText(ToQ(name), Qt::MatchFixedString);
  // A font this machine lacks (a project from another system) is shown greyed by
  // name rather than leaving some other font selected as if it were the caret's.
  cmbTextFont->setPlaceholderText(i >= 0 ? QString() : ToQ(name));
  cmbTextFont->setCurrentIndex(i);
}

void TFormattingToolbar::ShowFontSize(const std::string& text) {
  cmbFontSize->setCurrentIndex(cmbFontSize->findText(ToQ(text), Qt::MatchExactly));
  cmbFontSize->setEditText(ToQ(text));
}

TColor TFormattingToolbar::SelectedTextColor() const { return FromQColor(cbTextColor->Color()); }

void TFormattingToolbar::SelectTextColor(TColor color) { cbTextColor->SetColor(ToQColor(color)); }

void TFormattingToolbar::SetAlignButtons(const std::string& align) {
  btnAlignLeft->setChecked(align == "left");
  btnAlignCenter->setChecked(align == "center");
  btnAlignRight->setChecked(align == "right");
}

void TFormattingToolbar::ShowLineSpacing(const std::string& text) {
  // The page writes 2 where the list says "2.0". A value the list lacks is shown by
  // name, not left to look like the previous paragraph's.
  const int found = LineSpacingIndex(text);
  cmbLineSpacing->setPlaceholderText(found >= 0 ? QString() : ToQ(text));
  cmbLineSpacing->setCurrentIndex(found);
  if (cmbLineSpacing->isEditable()) cmbLineSpacing->setEditText(ToQ(text));
}
