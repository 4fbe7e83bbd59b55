#include "uFrmReusableContent.h"

#include <QEvent>
#include <QFontMetrics>
#include <QGuiApplication>
#include <QHeaderView>
#include <QKeyEvent>
#include <QLabel>
#include <QPushButton>
#include <QScreen>
#include <QTabWidget>
#include <QVBoxLayout>
#include <algorithm>
#include <cmath>

#include "uQtText.h"
#include "uUtils.h"

namespace {

// Every grid keeps at least 15 data rows and 11 empty ones below the entries.
int DataRowsFor(size_t entries) { return static_cast<int>(std::max<size_t>(entries + 12, 16)) - 1; }

bool IsEnabledWord(const std::string& cell) {
  const std::string word = AsciiLower(Trim(cell));
  return word == "true" || word == "yes" || word == "1" || word == "on";
}

QString JoinTranslated(const std::vector<std::string>& sentences) {
  QStringList lines;
  for (const std::string& s : sentences) lines << Tr(s);
  return lines.join('\n');
}

}  // namespace

// --- TReusableTabButtonGuard -----------------------------------------------------------

void TReusableTabButtonGuard::PageChanged(QObject*) { UpdateButtons(); }

void TReusableTabButtonGuard::UpdateButtons() {
  if (!Pages) return;
  QWidget* active = Pages->currentWidget();
  if (BtnInsVar) BtnInsVar->setEnabled(active == TsVars);
  if (BtnInsSnip) BtnInsSnip->setEnabled(active == TsSnips);
  if (BtnInsCondBegin) BtnInsCondBegin->setEnabled(active == TsConds);
  if (BtnInsCondEnd) BtnInsCondEnd->setEnabled(active == TsConds);
}

// --- TReusableGrid ---------------------------------------------------------------------

TReusableGrid::TReusableGrid(QWidget* parent) : QTableWidget(parent) {
  setColumnCount(2);
  verticalHeader()->hide();
  horizontalHeader()->setSectionResizeMode(QHeaderView::Interactive);
  horizontalHeader()->setStretchLastSection(false);
  setEditTriggers(QAbstractItemView::AllEditTriggers);
  setSelectionMode(QAbstractItemView::SingleSelection);
  setSelectionBehavior(QAbstractItemView::SelectItems);
  setTabKeyNavigation(true);
}

QString TReusableGrid::Cell(int row, int column) const {
  const QTableWidgetItem* it = item(row, column);
  return it ? it->text() : QString();
}

void TReusableGrid::SetCell(int row, int column, const QString& text) {
  if (QTableWidgetItem* it = item(row, column)) it->setText(text);
  else setItem(row, column, new QTableWidgetItem(text));
}

void TReusableGrid::CommitOpenEditor() {
  if (QWidget* editor = indexWidget(currentIndex())) commitData(editor);
}

void TReusableGrid::keyPressEvent(QKeyEvent* event) {
  const bool erase = event->key() == Qt::Key_Delete || event->key() == Qt::Key_Backspace;
  if (erase && event->modifiers() == Qt::NoModifier && state() != EditingState && currentIndex().isValid()) {
    SetCell(currentRow(), currentColumn(), QString());
    return;
  }
  QTableWidget::keyPressEvent(event);
}

// --- TfrmReusableContent: building ---------------------------------------------------------

TfrmReusableContent::TfrmReusableContent(QWidget* owner, TReusableProjectContent& store)
    : QDialog(owner), FStore(store) {
  setWindowTitle(Tr("Variables, snippets and conditions"));
  QFont f = font();
  f.setFamilies({"Segoe UI", f.family()});
  f.setPointSize(9);
  setFont(f);
  setSizeGripEnabled(true);
  SetInitialSize(owner);

  Pages = new QTabWidget(this);
  TsVars = CreateTab(Tr("Variables"), HelpSentences(0), {Tr("Name"), Tr("Value")}, lblVarsHelp, grdVars);
  TsSnips = CreateTab(Tr("Snippets"), HelpSentences(1), {Tr("Name"), "HTML"}, lblSnipsHelp, grdSnips);
  TsConds = CreateTab(Tr("Conditions"), HelpSentences(2), {Tr("Name"), Tr("Enabled")}, lblCondsHelp, grdConds);
  Pages->setCurrentWidget(TsVars);
  CreateBottomPanel();

  auto* layout = new QVBoxLayout(this);
  layout->setContentsMargins(0, 0, 0, 0);
  layout->setSpacing(0);
  layout->addWidget(Pages, 1);
  layout->addWidget(pnlBottom);

  TabGuard = new TReusableTabButtonGuard(this);
  TabGuard->Pages = Pages;
  TabGuard->TsVars = TsVars;
  TabGuard->TsSnips = TsSnips;
  TabGuard->TsConds = TsConds;
  TabGuard->BtnInsVar = btnInsVar;
  TabGuard->BtnInsSnip = btnInsSnip;
  TabGuard->BtnInsCondBegin = btnInsCondBegin;
  TabGuard->BtnInsCondEnd = btnInsCondEnd;
  connect(Pages, &QTabWidget::currentChanged, TabGuard, [this] { TabGuard->PageChanged(Pages); });
  TabGuard->UpdateButtons();
}

int TfrmReusableContent::Scaled(int px) const {
  const int dpi = logicalDpiX();
  return static_cast<int>(std::lround(px * (dpi < 1 ? 96 : dpi) / 96.0));
}

int TfrmReusableContent::TextHeight() const { return QFontMetrics(font()).boundingRect("Wg").height(); }

void TfrmReusableContent::SetInitialSize(QWidget* owner) {
  QScreen* screen = owner && owner->screen() ? owner->screen() : QGuiApplication::primaryScreen();
  const QRect work = screen ? screen->availableGeometry() : QRect(0, 0, 1400, 900);
  setMinimumSize(Scaled(820), Scaled(560));
  int width = std::max(Scaled(1100), static_cast<int>(work.width() * 0.55));
  int height = std::max(Scaled(760), static_cast<int>(work.height() * 0.75));
  // A small screen would put Save and Cancel out of reach.
  width = std::max(minimumWidth(), std::min(width, work.width()));
  height = std::max(minimumHeight(), std::min(height, work.height()));
  resize(width, height);
}

QWidget* TfrmReusableContent::CreateTab(const QString& caption, const std::vector<std::string>& help,
                                        const QStringList& headers, QLabel*& label, TReusableGrid*& grid) {
  auto* tab = new QWidget(Pages);
  label = new QLabel(JoinTranslated(help), tab);
  label->setTextFormat(Qt::PlainText);  // the examples hold HTML tags
  label->setWordWrap(true);
  label->setAlignment(Qt::AlignLeft | Qt::AlignTop);
  const int wrapWidth = std::max(Scaled(300), width() - Scaled(48));
  const QRect text = QFontMetrics(font()).boundingRect(QRect(0, 0, wrapWidth, 100000), Qt::TextWordWrap, label->text());
  label->setFixedHeight(text.height() + Scaled(18));

  grid = new TReusableGrid(tab);
  grid->setHorizontalHeaderLabels(headers);
  grid->verticalHeader()->setDefaultSectionSize(std::max(Scaled(26), TextHeight() + 10));

  auto* layout = new QVBoxLayout(tab);
  layout->addWidget(label);
  layout->addWidget(grid, 1);
  Pages->addTab(tab, caption);
  return tab;
}

void TfrmReusableContent::CreateBottomPanel() {
  pnlBottom = new QWidget(this);
  pnlBottom->setFixedHeight(Scaled(96));
  int left = Scaled(8);
  btnInsVar = AddButton(Tr("Insert variable"), left, Scaled(250));
  left += Scaled(250) + Scaled(8);
  btnInsSnip = AddButton(Tr("Insert snippet"), left, Scaled(250));
  left += Scaled(250) + Scaled(8);
  btnInsCondBegin = AddButton(Tr("Insert begin condition"), left, Scaled(280));
  left += Scaled(280) + Scaled(8);
  btnInsCondEnd = AddButton(Tr("Insert end condition"), left, Scaled(250));
  btnSave = AddButton(Tr("Save"), 0, Scaled(96));
  btnCancel = AddButton(Tr("Cancel"), 0, Scaled(96));
  btnSave->setDefault(true);
  pnlBottom->installEventFilter(this);

  const std::pair<QPushButton*, int> results[] = {{btnInsVar, rrInsertVariable},
                                                  {btnInsSnip, rrInsertSnippet},
                                                  {btnInsCondBegin, rrInsertBeginCondition},
                                                  {btnInsCondEnd, rrInsertEndCondition},
                                                  {btnSave, rrSave}};
  for (const auto& [button, result] : results) {
    connect(button, &QPushButton::clicked, this, [this, result = result] { CloseWith(result); });
  }
  connect(btnCancel, &QPushButton::clicked, this, &TfrmReusableContent::reject);
}

QPushButton* TfrmReusableContent::AddButton(const QString& caption, int left, int width) {
  auto* button = new QPushButton(caption, pnlBottom);
  button->setAutoDefault(false);
  button->setGeometry(left, Scaled(8), width, std::max(Scaled(28), TextHeight() + 12));
  return button;
}

// Save and Cancel keep to the bottom-right corner of the panel; the insert buttons
// narrow together when the panel is too narrow for all four.
void TfrmReusableContent::PlaceButtons() {
  QPushButton* const inserts[] = {btnInsVar, btnInsSnip, btnInsCondBegin, btnInsCondEnd};
  const int widths[] = {Scaled(250), Scaled(250), Scaled(280), Scaled(250)};
  const int gap = Scaled(8);
  const int room = pnlBottom->width() - 5 * gap;
  const int wanted = widths[0] + widths[1] + widths[2] + widths[3];
  const double factor = room > 0 && room < wanted ? double(room) / wanted : 1.0;
  int left = gap;
  for (int i = 0; i < 4; ++i) {
    const int width = static_cast<int>(widths[i] * factor);
    inserts[i]->setGeometry(left, inserts[i]->y(), width, inserts[i]->height());
    left += width + gap;
  }
  const int top = pnlBottom->height() - static_cast<int>(std::lround(1.3 * btnSave->height()));
  btnSave->move(pnlBottom->width() - Scaled(208), top);
  btnCancel->move(pnlBottom->width() - Scaled(104), top);
}

bool TfrmReusableContent::eventFilter(QObject* watched, QEvent* event) {
  if (watched == pnlBottom && event->type() == QEvent::Resize) PlaceButtons();
  return QDialog::eventFilter(watched, event);
}

void TfrmReusableContent::showEvent(QShowEvent* event) {
  QDialog::showEvent(event);
  if (FColumnsSized) return;
  FColumnsSized = true;
  ApplyColumnWidths(grdVars->viewport()->width());
}

void TfrmReusableContent::ApplyColumnWidths(int clientWidth) {
  if (clientWidth <= 0) clientWidth = Scaled(760);
  for (TReusableGrid* grid : {grdVars, grdSnips, grdConds}) {
    grid->setColumnWidth(0, Scaled(190));
    grid->setColumnWidth(1, std::max(Scaled(260), clientWidth - Scaled(190) - Scaled(30)));
  }
}

std::vector<std::string> TfrmReusableContent::HelpSentences(int tab) {
  switch (tab) {
    case 0:
      return {"Variables let you define text once and reuse it in many topics. ",
              "Use exactly this token form in text: {var:VariableName}. ",
              "Example row: Name = ProductName, Value = Folivane Pro. ",
              "On export, every {var:ProductName} token is replaced with that value. ",
              "After changing the value here, export again and all variable tokens use the new value."};
    case 1:
      return {"Snippets let you store reusable HTML once and reuse it in many topics. ",
              "Use exactly this token form in text: {snip:SnippetName}. ",
              "Example row: Name = SupportNote, HTML = <p>For help, contact your administrator.</p> ",
              "On export, every {snip:SupportNote} token is replaced with that HTML. ",
              "Snippet HTML may also contain {var:ProductName}, {snip:OtherSnippet}, or "
              "{begincond:ProEdition}...{endcond}."};
    default:
      return {"Conditions are ON/OFF switches for normal editor text. ",
              "Put {begincond:ConditionName} before the content and {endcond} after it. ",
              "Example row: Name = ProEdition, Enabled = false.",
              "And we write in editor: {begincond:ProEdition}This paragraph appears only in Pro builds. {endcond}",
              "If value in second column (Enabled) is true, yes, 1, or on, the content between the tokens is "
              "exported. ",
              "If value in second column (Enabled) is false, no, 0, off, or empty, that content is removed."};
  }
}

// --- TfrmReusableContent: the store and the grids ------------------------------------------

void TfrmReusableContent::FillGrids() {
  grdVars->setRowCount(DataRowsFor(FStore.Variables().size()));
  grdSnips->setRowCount(DataRowsFor(FStore.Snippets().size()));
  grdConds->setRowCount(DataRowsFor(FStore.Conditions().size()));
  int row = 0;
  for (const TReusableVariable& v : FStore.Variables()) {
    grdVars->SetCell(row, 0, ToQ(v.Name));
    grdVars->SetCell(row++, 1, ToQ(v.Value));
  }
  row = 0;
  for (const TReusableSnippet& s : FStore.Snippets()) {
    grdSnips->SetCell(row, 0, ToQ(s.Name));
    grdSnips->SetCell(row++, 1, ToQ(s.Html));
  }
  row = 0;
  for (const TReusableCondition& c : FStore.Conditions()) {
    grdConds->SetCell(row, 0, ToQ(c.Name));
    grdConds->SetCell(row++, 1, c.Enabled ? "true" : "false");
  }
}

void TfrmReusableContent::SaveGridsToStore() {
  for (TReusableGrid* grid : {grdVars, grdSnips, grdConds}) grid->CommitOpenEditor();
  FStore.Clear();
  const auto named = [](const TReusableGrid* grid, int row, std::string& name) {
    name = Trim(FromQ(grid->Cell(row, 0)));
    return !name.empty();
  };
  std::string name;
  for (int row = 0; row < grdVars->rowCount(); ++row) {
    if (named(grdVars, row, name)) FStore.Variables().push_back({name, FromQ(grdVars->Cell(row, 1))});
  }
  for (int row = 0; row < grdSnips->rowCount(); ++row) {
    if (named(grdSnips, row, name)) FStore.Snippets().push_back({name, FromQ(grdSnips->Cell(row, 1))});
  }
  for (int row = 0; row < grdConds->rowCount(); ++row) {
    if (named(grdConds, row, name)) FStore.Conditions().push_back({name, IsEnabledWord(FromQ(grdConds->Cell(row, 1)))});
  }
}

std::string TfrmReusableContent::TokenForResult(int result, std::string& missingNameMessage) const {
  missingNameMessage.clear();
  if (result == rrInsertEndCondition) return kEndConditionToken;
  const TReusableGrid* grid = result == rrInsertVariable         ? grdVars
                              : result == rrInsertSnippet        ? grdSnips
                              : result == rrInsertBeginCondition ? grdConds
                                                                 : nullptr;
  if (!grid) return "";
  const std::string name = Trim(FromQ(grid->Cell(std::max(grid->currentRow(), 0), 0)));
  if (name.empty()) {
    missingNameMessage = result == rrInsertVariable  ? "Select or enter a variable name first."
                         : result == rrInsertSnippet ? "Select or enter a snippet name first."
                                                     : "Select or enter a condition name first.";
    return "";
  }
  return result == rrInsertVariable  ? VariableToken(name)
         : result == rrInsertSnippet ? SnippetToken(name)
                                     : BeginConditionToken(name);
}

// Every way out but Cancel saves first; a save that fails keeps the edits on screen.
void TfrmReusableContent::CloseWith(int result) {
  SaveGridsToStore();
  if (FSaveHandler && !FSaveHandler()) return;
  done(result);
}
