#include "uFrmProjectSettings.h"

#include <QCheckBox>
#include <QComboBox>
#include <QEvent>
#include <QFontDatabase>
#include <QGuiApplication>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QScreen>
#include <QScrollArea>
#include <QVBoxLayout>
#include <algorithm>
#include <charconv>
#include <cmath>
#include <filesystem>
#include <optional>

#include "uColorBox.h"
#include "uFontNames.h"
#include "uQtText.h"
#include "uSpellCheck.h"
#include "uUserDialogs.h"

namespace {

const char* const kPresetFilter = "Settings preset (*.json)|*.json|All files (*.*)|*.*";
const char* const kLinkStyles[] = {"none", "solid", "dashed", "dotted", "double"};
const char* const kTableBorderStyles[] = {"solid", "dashed", "dotted", "double"};
const int kFontSizes[] = {8, 9, 10, 11, 12, 14, 16, 18, 20, 22, 24, 26, 28, 32, 36, 40, 48, 60, 72};

// Trimmed text holding a decimal 32-bit integer and nothing else.
std::optional<std::int32_t> ParseInteger(const QString& text) {
  const std::string t = Trim(FromQ(text));
  std::int32_t value = 0;
  const auto [end, error] = std::from_chars(t.data(), t.data() + t.size(), value);
  if (t.empty() || error != std::errc() || end != t.data() + t.size()) return std::nullopt;
  return value;
}

// A decimal number whatever the locale: "," is read as the decimal separator too.
std::optional<double> ParseSpacing(const QString& text) {
  const std::string t = ReplaceAll(Trim(FromQ(text)), ",", ".");
  if (t.empty() || t.find_first_not_of("0123456789.+-eE") != std::string::npos) return std::nullopt;
  double value = 0;
  const auto [end, error] = std::from_chars(t.data(), t.data() + t.size(), value);
  if (error != std::errc() || end != t.data() + t.size() || !std::isfinite(value)) return std::nullopt;
  return value;
}

QString SpacingText(double spacing) { return ToQ(ReplaceAll(FloatToText(spacing), ",", ".")); }

template <size_t N>
QStringList ListOf(const char* const (&items)[N]) {
  QStringList list;
  for (const char* item : items) list << item;
  return list;
}

// The installed families as browsers name them, without Qt's foundry suffixes.
QStringList ScreenFonts() {
  std::vector<std::string> qtFamilies;
  for (const QString& family : QFontDatabase::families()) qtFamilies.push_back(FromQ(family));
  QStringList families;
  for (const std::string& family : BrowserFontFamilies(qtFamilies)) families << ToQ(family);
  return families;
}

// The pictures under the project's assets folder, as project-relative paths, sorted.
// Links are not followed: a logo must lie inside the project.
std::vector<std::string> AssetPictures(const std::string& projectRoot) {
  std::vector<std::string> pictures;
  if (projectRoot.empty()) return pictures;
  namespace fs = std::filesystem;
  const fs::path root(projectRoot);
  std::error_code ec;
  for (fs::recursive_directory_iterator it(root / "assets", ec), end; !ec && it != end; it.increment(ec)) {
    if (it->is_symlink(ec) || !it->is_regular_file(ec)) continue;
    const std::string ext = AsciiLower(it->path().extension().string());
    if (ext == ".png" || ext == ".jpg" || ext == ".jpeg" || ext == ".gif" || ext == ".svg" || ext == ".webp")
      pictures.push_back(it->path().lexically_relative(root).generic_string());
  }
  std::sort(pictures.begin(), pictures.end());
  return pictures;
}

QComboBox* NewCombo(QWidget* parent, const QStringList& items, bool editable) {
  auto* combo = new QComboBox(parent);
  combo->addItems(items);
  combo->setEditable(editable);
  if (editable) combo->setInsertPolicy(QComboBox::NoInsert);
  return combo;
}

// Selects the entry equal to text, letter case ignored; fallback when there is none.
void SelectText(QComboBox* combo, const std::string& text, int fallback) {
  const int found = combo->findText(ToQ(text), Qt::MatchFixedString);
  combo->setCurrentIndex(found >= 0 ? found : fallback);
}

std::string SelectedOr(const QComboBox* combo, const char* fallback) {
  return combo->currentIndex() >= 0 ? FromQ(combo->currentText()) : fallback;
}

}  // namespace

TfrmProjectSettings::TfrmProjectSettings(QWidget* owner, TProjectSettings& settings, IUserDialogs* dialogs,
                                         const std::string& projectRoot)
    : QDialog(owner), FSettings(settings), FValues(settings), FDialogs(dialogs), FProjectRoot(projectRoot) {
  if (!FDialogs) {
    FOwnDialogs = std::make_unique<TQtUserDialogs>(this);
    FDialogs = FOwnDialogs.get();
  }
  setWindowTitle(Tr("Project Settings"));
  setFont(QFont("Segoe UI", 9));
  setSizeGripEnabled(true);
  auto* layout = new QVBoxLayout(this);
  layout->setContentsMargins(0, 0, 0, 0);
  layout->setSpacing(0);
  FScroll = new QScrollArea(this);
  FScroll->setFrameShape(QFrame::NoFrame);
  FScroll->setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
  FScroll->setWidgetResizable(true);
  FContent = new QWidget(FScroll);
  FBottom = new QWidget(this);
  FBottom->setFixedHeight(S(56));
  layout->addWidget(FScroll, 1);
  layout->addWidget(FBottom);
  CreateControls();
  LayOutRows();
  FScroll->setWidget(FContent);
  CreateButtons();
  SizeToScreen();
  SettingsToControls(FValues);
}

TfrmProjectSettings::~TfrmProjectSettings() = default;

bool TfrmProjectSettings::Execute(QWidget* owner, TProjectSettings& settings, IUserDialogs* dialogs,
                                  const std::string& projectRoot) {
  TfrmProjectSettings dialog(owner, settings, dialogs, projectRoot);
  return dialog.exec() == QDialog::Accepted;
}

int TfrmProjectSettings::S(int n) const {
  const int dpi = logicalDpiY() < 1 ? 96 : logicalDpiY();
  return static_cast<int>(std::lround(n * dpi / 96.0));
}

int TfrmProjectSettings::RowHeight() const { return std::max(S(24), fontMetrics().height() + S(8)); }

// --- Building -----------------------------------------------------------------------------

QLineEdit* TfrmProjectSettings::NewEdit(bool visible) {
  auto* edit = new QLineEdit(FContent);
  edit->setVisible(visible);
  return edit;
}

TColorBox* TfrmProjectSettings::NewColorBox() {
  auto* box = new TColorBox(FContent);
  box->SetPicker([this](std::string& color) { return FDialogs->PickColor(color); });
  return box;
}

void TfrmProjectSettings::CreateControls() {
  edProjTitle = NewEdit();
  // The heading sizes have no visible control: they travel through the dialog unchanged.
  edH1 = NewEdit(false);
  edH2 = NewEdit(false);
  edH3 = NewEdit(false);
  edBody = NewEdit(false);
  edFontName = NewEdit(false);
  edLineSpacing = NewEdit();
  cbTextColor = NewColorBox();
  cbHeaderBg = NewColorBox();
  cbPageBg = NewColorBox();
  cmbFontName = NewCombo(FContent, ScreenFonts(), false);
  QStringList sizes;
  for (int size : kFontSizes) sizes << QString::number(size);
  cmbBodyFontSize = NewCombo(FContent, sizes, true);
  cbTocTextColor = NewColorBox();
  edTocTextSize = NewEdit();
  chkCopyright = new QCheckBox(Tr("Enable copyright footer"), FContent);
  edCopyrightText = NewEdit();
  cbLinkColor = NewColorBox();
  cmbLinkStyle = NewCombo(FContent, ListOf(kLinkStyles), false);
  cbTableBorderColor = NewColorBox();
  cmbTableBorderStyle = NewCombo(FContent, ListOf(kTableBorderStyles), false);
  edTableBorderWidth = NewEdit();
  cmbSpellLanguage = new QComboBox(FContent);
  cmbSpellLanguage->addItem(Tr("Interface language"), QString());
  for (const std::string& code : InstalledSpellLanguages(SpellDictionaryFolder()))
    cmbSpellLanguage->addItem(ToQ(SpellLanguageName(code)), ToQ(code));
  CreatePdfControls();
  // Scrolling the rows past a list must not change its value: the wheel turns a list
  // only once the user has put the focus on it.
  for (QComboBox* combo : FContent->findChildren<QComboBox*>()) {
    combo->setFocusPolicy(Qt::StrongFocus);
    combo->installEventFilter(this);
  }
}

void TfrmProjectSettings::CreatePdfControls() {
  chkPdfCover = new QCheckBox(Tr("Cover page"), FContent);
  edPdfSubtitle = NewEdit();
  edPdfVersionLine = NewEdit();
  QStringList logos{QString()};
  for (const std::string& picture : AssetPictures(FProjectRoot)) logos << ToQ(picture);
  cmbPdfLogo = NewCombo(FContent, logos, true);
  chkPdfContents = new QCheckBox(Tr("Contents with page numbers"), FContent);
  cmbPdfContentsDepth = NewCombo(FContent, {"1", "2", "3", "4", "5", "6"}, false);
  cmbPdfPageNumbers = new QComboBox(FContent);
  cmbPdfPageNumbers->addItem(Tr("None"), "none");
  cmbPdfPageNumbers->addItem(Tr("Page number"), "number");
  cmbPdfPageNumbers->addItem(Tr("Page N of M"), "number-of-total");
  chkPdfRunningHeads = new QCheckBox(Tr("Chapter title in the page header"), FContent);
  chkPdfChapterBreaks = new QCheckBox(Tr("Start each chapter on a new page"), FContent);
  cmbPdfPaper = new QComboBox(FContent);
  cmbPdfPaper->addItem(Tr("Browser default"), "");
  cmbPdfPaper->addItem("A4", "A4");
  cmbPdfPaper->addItem("Letter", "Letter");
  edPdfMargins = NewEdit();
}

void TfrmProjectSettings::LayOutRows() {
  struct TRow {
    const char* section;  // starts a section when set
    const char* label;    // none: the control is a check box spanning the row
    QWidget* control;
    int width;
  };
  const TRow rows[] = {
      {"Project Title", "Title:", edProjTitle, 260},
      {"Default Font", "Font title:", cmbFontName, 260},
      {nullptr, "Font size:", cmbBodyFontSize, 90},
      {nullptr, "Font Color:", cbTextColor, 220},
      {nullptr, "Default line interval (e.g. 1.5):", edLineSpacing, 90},
      {"Background Colors (WebHelp, CHM)", "Page background color:", cbPageBg, 220},
      {nullptr, "Header background color:", cbHeaderBg, 220},
      {"Content tree appearance", "Tree text color:", cbTocTextColor, 220},
      {nullptr, "Tree text size:", edTocTextSize, 90},
      {"WebHelp footer", nullptr, chkCopyright, 320},
      {nullptr, "Footer text:", edCopyrightText, 260},
      {"Link style", "Link color:", cbLinkColor, 220},
      {nullptr, "Link style:", cmbLinkStyle, 140},
      {"Table style", "Border style:", cmbTableBorderStyle, 140},
      {nullptr, "Border width (px):", edTableBorderWidth, 90},
      {nullptr, "Border color:", cbTableBorderColor, 220},
      {"Spelling", "Spelling language:", cmbSpellLanguage, 220},
      {"PDF book", nullptr, chkPdfCover, 320},
      {nullptr, "Cover subtitle:", edPdfSubtitle, 260},
      {nullptr, "Version or date line:", edPdfVersionLine, 260},
      {nullptr, "Cover logo:", cmbPdfLogo, 260},
      {nullptr, nullptr, chkPdfContents, 320},
      {nullptr, "Contents depth:", cmbPdfContentsDepth, 90},
      {nullptr, "Page numbers:", cmbPdfPageNumbers, 220},
      {nullptr, nullptr, chkPdfRunningHeads, 320},
      {nullptr, nullptr, chkPdfChapterBreaks, 320},
      {nullptr, "Paper:", cmbPdfPaper, 220},
      {nullptr, "Margins in mm (top right bottom left):", edPdfMargins, 140},
  };
  // The controls' column starts after the longest translated label.
  FLabelWidth = S(300);
  for (const TRow& row : rows) {
    if (row.label) FLabelWidth = std::max(FLabelWidth, fontMetrics().horizontalAdvance(Tr(row.label)) + S(8));
  }
  int y = S(12);
  int right = 0;
  QWidget* previous = nullptr;
  for (const TRow& row : rows) {
    if (row.section) y = AddHeading(row.section, y);
    y = AddRow(row.label, row.control, row.width, y);
    right = std::max(right, row.control->geometry().right());
    // Tab follows the rows from the top, not the order the controls were made in.
    if (previous) setTabOrder(previous, row.control);
    previous = row.control;
  }
  FContent->setMinimumSize(right + S(12), y + S(20));
}

int TfrmProjectSettings::AddHeading(const char* caption, int y) {
  y += S(8);
  auto* heading = new QLabel(Tr(caption), FContent);
  QFont bold = heading->font();
  bold.setBold(true);
  heading->setFont(bold);
  heading->adjustSize();
  heading->move(S(12), y);
  return y + fontMetrics().height() + S(14);
}

int TfrmProjectSettings::AddRow(const char* label, QWidget* control, int width, int y) {
  const int textHeight = fontMetrics().height();
  if (label) {
    auto* caption = new QLabel(Tr(label), FContent);
    caption->setGeometry(S(12), y + S(4), FLabelWidth, textHeight + S(4));
    caption->setBuddy(control);
  }
  // A check box carries its own caption: as wide as that needs.
  const int w = qobject_cast<QCheckBox*>(control) ? std::max(S(width), control->sizeHint().width()) : S(width);
  control->setGeometry(label ? S(12) + FLabelWidth + S(18) : S(12), y, w, RowHeight());
  return y + std::max(S(30), textHeight + S(12));
}

void TfrmProjectSettings::CreateButtons() {
  auto button = [this](const char* caption, int width) {
    auto* b = new QPushButton(Tr(caption), FBottom);
    // Wider where a translated caption needs it.
    b->resize(std::max(S(width), b->sizeHint().width()), RowHeight() + S(4));
    return b;
  };
  btnOk = button("OK", 90);
  btnOk->setDefault(true);
  btnCancel = button("Cancel", 90);
  btnSavePreset = button("Save preset...", 120);
  btnLoadPreset = button("Load preset...", 120);
  connect(btnOk, &QPushButton::clicked, this, &TfrmProjectSettings::btnOkClick);
  connect(btnCancel, &QPushButton::clicked, this, &QDialog::reject);
  connect(btnSavePreset, &QPushButton::clicked, this, &TfrmProjectSettings::btnSavePresetClick);
  connect(btnLoadPreset, &QPushButton::clicked, this, &TfrmProjectSettings::btnLoadPresetClick);
  PlaceButtons();
}

void TfrmProjectSettings::PlaceButtons() {
  const int w = width();
  btnOk->move(w - S(200), S(10));
  btnCancel->move(w - S(100), S(10));
  btnSavePreset->move(S(12), S(10));
  btnLoadPreset->move(std::max(S(140), btnSavePreset->geometry().right() + 1 + S(8)), S(10));
}

void TfrmProjectSettings::resizeEvent(QResizeEvent* event) {
  QDialog::resizeEvent(event);
  if (btnOk) PlaceButtons();
}

bool TfrmProjectSettings::eventFilter(QObject* watched, QEvent* event) {
  if (event->type() == QEvent::Wheel) {
    if (auto* combo = qobject_cast<QComboBox*>(watched); combo && !combo->hasFocus()) {
      event->ignore();  // goes on to the scrolling area
      return true;
    }
  }
  return QDialog::eventFilter(watched, event);
}

void TfrmProjectSettings::SizeToScreen() {
  QScreen* screen = this->screen() ? this->screen() : QGuiApplication::primaryScreen();
  const QRect area = screen ? screen->availableGeometry() : QRect(0, 0, 1920, 1040);
  // Never larger than the work area: the rows scroll instead.
  // Wide enough for the rows (long translated labels widen them), never wider than the screen.
  const int needed = std::max(S(660), FContent->minimumWidth() + S(24));
  const int width = std::min(std::max(needed, area.width() / 4), area.width());
  const int height = std::min(std::max(S(780), area.height() * 3 / 4), area.height());
  setMinimumSize(std::min(needed, area.width()), std::min(S(560), area.height()));
  resize(width, height);
  move(area.center() - rect().center());
  PlaceButtons();
}

// --- Values -------------------------------------------------------------------------------

void TfrmProjectSettings::SettingsToControls(const TProjectSettings& s) {
  edH1->setText(QString::number(s.FontSizeH1));
  edH2->setText(QString::number(s.FontSizeH2));
  edH3->setText(QString::number(s.FontSizeH3));
  edBody->setText(QString::number(s.FontSizeBody));
  const std::string font = BrowserFontFamily(s.DefaultFontName);
  edFontName->setText(ToQ(font));
  // A font that is not installed selects nothing; its name still shows, greyed.
  SelectText(cmbFontName, font, -1);
  cmbFontName->setPlaceholderText(ToQ(font));
  const QString size = QString::number(s.FontSizeBody);
  cmbBodyFontSize->setCurrentIndex(cmbBodyFontSize->findText(size));
  cmbBodyFontSize->setEditText(size);
  edLineSpacing->setText(SpacingText(s.DefaultLineSpacing));
  cbTextColor->SetSelected(s.DefaultTextColor);
  cbPageBg->SetSelected(s.DefaultPageBgColor);
  cbHeaderBg->SetSelected(s.DefaultHeaderBgColor);
  cbTocTextColor->SetSelected(s.TocTextColor);
  cbLinkColor->SetSelected(s.LinkColor);
  cbTableBorderColor->SetSelected(s.TableBorderColor);
  edTocTextSize->setText(QString::number(s.TocTextSize));
  edTableBorderWidth->setText(QString::number(s.TableBorderWidth));
  edProjTitle->setText(ToQ(s.ProjTitle));
  chkCopyright->setChecked(s.CopyrightEnabled);
  edCopyrightText->setText(ToQ(s.CopyrightText));
  SelectText(cmbLinkStyle, s.LinkStyle, 1);
  SelectText(cmbTableBorderStyle, s.TableBorderStyle, 0);
  // A language whose dictionary is not installed here stays chosen, for other machines.
  int spell = cmbSpellLanguage->findData(ToQ(s.SpellLanguage));
  if (spell < 0) {
    cmbSpellLanguage->addItem(ToQ(SpellLanguageName(s.SpellLanguage)), ToQ(s.SpellLanguage));
    spell = cmbSpellLanguage->count() - 1;
  }
  cmbSpellLanguage->setCurrentIndex(spell);
  chkPdfCover->setChecked(s.PdfCover);
  edPdfSubtitle->setText(ToQ(s.PdfSubtitle));
  edPdfVersionLine->setText(ToQ(s.PdfVersionLine));
  cmbPdfLogo->setEditText(ToQ(s.PdfLogo));
  chkPdfContents->setChecked(s.PdfContents);
  cmbPdfContentsDepth->setCurrentIndex(std::clamp(s.PdfContentsDepth, 1, 6) - 1);
  cmbPdfPageNumbers->setCurrentIndex(std::max(0, cmbPdfPageNumbers->findData(ToQ(s.PdfPageNumbers))));
  chkPdfRunningHeads->setChecked(s.PdfRunningHeads);
  chkPdfChapterBreaks->setChecked(s.PdfChapterBreaks);
  cmbPdfPaper->setCurrentIndex(std::max(0, cmbPdfPaper->findData(ToQ(s.PdfPaper))));
  edPdfMargins->setText(ToQ(s.PdfMargins));
}

bool TfrmProjectSettings::ControlsToSettings(TProjectSettings& s, QWidget** invalid) const {
  QWidget* firstInvalid = nullptr;
  auto integer = [&firstInvalid](QWidget* control, const QString& text) {
    const std::optional<std::int32_t> value = ParseInteger(text);
    if (!value && !firstInvalid) firstInvalid = control;
    return value.value_or(0);
  };
  const std::int32_t h1 = integer(edH1, edH1->text());
  const std::int32_t h2 = integer(edH2, edH2->text());
  const std::int32_t h3 = integer(edH3, edH3->text());
  const bool sizeGiven = !cmbBodyFontSize->currentText().trimmed().isEmpty();
  const std::int32_t body =
      sizeGiven ? integer(cmbBodyFontSize, cmbBodyFontSize->currentText()) : integer(edBody, edBody->text());
  const std::optional<double> spacing = ParseSpacing(edLineSpacing->text());
  if (!spacing && !firstInvalid) firstInvalid = edLineSpacing;
  const std::int32_t tocSize = integer(edTocTextSize, edTocTextSize->text());
  const std::int32_t borderWidth = integer(edTableBorderWidth, edTableBorderWidth->text());
  const std::string margins = Trim(FromQ(edPdfMargins->text()));
  if (!ParsePdfMargins(margins) && !firstInvalid) firstInvalid = edPdfMargins;
  if (invalid) *invalid = firstInvalid;
  if (firstInvalid) return false;

  s.ProjTitle = Trim(FromQ(edProjTitle->text()));
  s.FontSizeH1 = h1;
  s.FontSizeH2 = h2;
  s.FontSizeH3 = h3;
  // A smaller size would hide the text in the editor until the file is read again.
  s.FontSizeBody = std::max(body, kMinFontSizePx);
  std::string font = BrowserFontFamily(FromQ(cmbFontName->currentText()));
  if (font.empty()) font = BrowserFontFamily(FromQ(edFontName->text()));
  s.DefaultFontName = font.empty() ? "Segoe UI" : font;
  s.DefaultTextColor = cbTextColor->Selected();
  s.DefaultLineSpacing = std::clamp(*spacing, 1.0, 5.0);
  s.DefaultPageBgColor = cbPageBg->Selected();
  s.DefaultHeaderBgColor = cbHeaderBg->Selected();
  s.TocTextColor = cbTocTextColor->Selected();
  s.TocTextSize = std::clamp(tocSize, 6, 36);
  s.CopyrightEnabled = chkCopyright->isChecked();
  s.CopyrightText = Trim(FromQ(edCopyrightText->text()));
  s.LinkColor = cbLinkColor->Selected();
  s.LinkStyle = SelectedOr(cmbLinkStyle, "solid");
  s.TableBorderStyle = SelectedOr(cmbTableBorderStyle, "solid");
  s.TableBorderWidth = std::clamp(borderWidth, 1, 12);
  s.TableBorderColor = cbTableBorderColor->Selected();
  s.SpellLanguage = FromQ(cmbSpellLanguage->currentData().toString());
  s.PdfCover = chkPdfCover->isChecked();
  s.PdfSubtitle = Trim(FromQ(edPdfSubtitle->text()));
  s.PdfVersionLine = Trim(FromQ(edPdfVersionLine->text()));
  s.PdfLogo = Trim(FromQ(cmbPdfLogo->currentText()));
  s.PdfContents = chkPdfContents->isChecked();
  s.PdfContentsDepth = cmbPdfContentsDepth->currentIndex() + 1;
  s.PdfPageNumbers = FromQ(cmbPdfPageNumbers->currentData().toString());
  s.PdfRunningHeads = chkPdfRunningHeads->isChecked();
  s.PdfChapterBreaks = chkPdfChapterBreaks->isChecked();
  s.PdfPaper = FromQ(cmbPdfPaper->currentData().toString());
  s.PdfMargins = margins;
  return true;
}

// --- Buttons ------------------------------------------------------------------------------

void TfrmProjectSettings::ShowError(const std::string& text) { FDialogs->ShowMessage(TMessageKind::Error, text); }

std::string TfrmProjectSettings::FieldName(const QWidget* control) const {
  for (const QLabel* label : FContent->findChildren<QLabel*>()) {
    if (label->buddy() != control) continue;
    QString text = label->text().remove('&').trimmed();
    if (text.endsWith(':')) text.chop(1);
    return FromQ(text);
  }
  return "";
}

std::string TfrmProjectSettings::InvalidValueMessage(const QWidget* invalid) const {
  const std::string field = FieldName(invalid);
  if (field.empty()) return TranslateText("Some values are invalid. Please fix them.");
  return FormatText(TranslateText("The value of \"%s\" is not valid. Please fix it."), {field});
}

// Invalid values keep the dialog open, so the other changes are not lost.
void TfrmProjectSettings::btnOkClick() {
  TProjectSettings values = FValues;
  QWidget* invalid = nullptr;
  if (!ControlsToSettings(values, &invalid)) {
    ShowError(InvalidValueMessage(invalid));
    if (invalid) {
      FScroll->ensureWidgetVisible(invalid);
      invalid->setFocus();
    }
    return;
  }
  FSettings = values;
  accept();
}

// Presets hold what the dialog shows; the caller's settings change only on OK.
void TfrmProjectSettings::btnSavePresetClick() {
  TProjectSettings values = FValues;
  QWidget* invalid = nullptr;
  if (!ControlsToSettings(values, &invalid)) {
    ShowError(InvalidValueMessage(invalid));
    return;
  }
  const std::string file =
      FDialogs->SaveFile(TranslateText("Save preset..."), TranslateText(kPresetFilter), "json", "");
  if (file.empty()) return;
  try {
    values.SavePreset(file);
  } catch (const std::exception& e) {
    ShowError(ErrorBoxText(TranslateText("Failed to save preset: ") + e.what()));
    return;
  }
  FDialogs->ShowMessage(TMessageKind::Information, TranslateText("Preset saved."));
}

void TfrmProjectSettings::btnLoadPresetClick() {
  const std::string file = FDialogs->OpenFile(TranslateText("Load preset..."), TranslateText(kPresetFilter), "");
  if (file.empty()) return;
  // Keys the preset lacks keep what the dialog shows (or, when that is invalid, the
  // values it was opened with); a failed load changes nothing.
  TProjectSettings loaded = FValues;
  ControlsToSettings(loaded);
  try {
    if (!loaded.LoadPreset(file)) {
      ShowError(TranslateText("Preset file is invalid."));
      return;
    }
  } catch (const std::exception& e) {
    ShowError(ErrorBoxText(TranslateText("Failed to load preset: ") + e.what()));
    return;
  }
  FValues = loaded;
  SettingsToControls(FValues);
  FDialogs->ShowMessage(TMessageKind::Information, TranslateText("Preset loaded."));
}
