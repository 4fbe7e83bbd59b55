#include "uDlgBuildProfiles.h"

#include <QCheckBox>
#include <QComboBox>
#include <QDialogButtonBox>
#include <QFormLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QInputDialog>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QMessageBox>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QTableWidget>
#include <QVBoxLayout>
#include <algorithm>

#include "uQtText.h"
#include "uUtils.h"

namespace {

// The condition choices, in the order of the combo box.
enum TConditionChoice { ccProject, ccOn, ccOff };

template <typename T>
const T* Find(const std::vector<std::pair<std::string, T>>& list, const std::string& name) {
  for (const auto& [n, value] : list) {
    if (SameTextAscii(n, name)) return &value;
  }
  return nullptr;
}

// The project's names, then those only the profile has.
template <typename T>
std::vector<std::string> Names(const std::vector<std::pair<std::string, T>>& project,
                               const std::vector<std::pair<std::string, T>>& profile) {
  std::vector<std::string> names;
  for (const auto& [n, v] : project) names.push_back(n);
  for (const auto& [n, v] : profile) {
    if (!Find(project, n)) names.push_back(n);
  }
  return names;
}

QTableWidget* NewTable(QWidget* parent, const char* name, const QStringList& headers) {
  auto* table = new QTableWidget(0, static_cast<int>(headers.size()), parent);
  table->setObjectName(name);
  table->setHorizontalHeaderLabels(headers);
  table->horizontalHeader()->setStretchLastSection(true);
  table->verticalHeader()->hide();
  table->setSelectionMode(QAbstractItemView::NoSelection);
  return table;
}

std::vector<std::string> SplitKeywords(const std::string& text) {
  std::vector<std::string> out;
  size_t start = 0;
  while (start <= text.size()) {
    const size_t comma = std::min(text.find(',', start), text.size());
    const std::string k = Trim(text.substr(start, comma - start));
    if (!k.empty()) out.push_back(k);
    start = comma + 1;
  }
  return out;
}

}  // namespace

TDlgBuildProfiles::TDlgBuildProfiles(QWidget* parent, std::vector<TBuildProfile> profiles,
                                     TBuildProfilesContext context)
    : QDialog(parent), FProfiles(std::move(profiles)), FContext(std::move(context)) {
  setObjectName("dlgBuildProfiles");
  setWindowTitle(Tr("Build Profiles"));
  resize(820, 560);

  FList = new QListWidget(this);
  FList->setObjectName("lstProfiles");
  FNew = new QPushButton(Tr("New..."), this);
  FNew->setObjectName("btnNewProfile");
  FCopy = new QPushButton(Tr("Copy..."), this);
  FCopy->setObjectName("btnCopyProfile");
  FRename = new QPushButton(Tr("Rename..."), this);
  FRename->setObjectName("btnRenameProfile");
  FDelete = new QPushButton(Tr("Delete"), this);
  FDelete->setObjectName("btnDeleteProfile");
  FReport = new QPushButton(Tr("Condition Report..."), this);
  FReport->setObjectName("btnConditionReport");
  auto* listButtons = new QGridLayout;
  listButtons->addWidget(FNew, 0, 0);
  listButtons->addWidget(FCopy, 0, 1);
  listButtons->addWidget(FRename, 1, 0);
  listButtons->addWidget(FDelete, 1, 1);
  auto* left = new QVBoxLayout;
  left->addWidget(new QLabel(Tr("Profiles:"), this));
  left->addWidget(FList, 1);
  left->addLayout(listButtons);
  left->addWidget(FReport);

  FEditor = new QWidget(this);
  FConditions = NewTable(FEditor, "grdProfileConditions", {Tr("Condition"), Tr("In this profile")});
  FVariables = NewTable(FEditor, "grdProfileVariables", {Tr("Variable (checked: set here)"), Tr("Value")});
  FWebHelp = new QCheckBox(Tr("WebHelp"), FEditor);
  FWebHelp->setObjectName("chkProfileWebHelp");
  FChm = new QCheckBox(Tr("CHM"), FEditor);
  FChm->setObjectName("chkProfileChm");
  FPdf = new QCheckBox(Tr("PDF"), FEditor);
  FPdf->setObjectName("chkProfilePdf");
  FKeywords = new QLineEdit(FEditor);
  FKeywords->setObjectName("edLeaveOutKeywords");
  FKeywords->setPlaceholderText(Tr("keywords, separated by commas"));
  auto* outputs = new QHBoxLayout;
  for (QCheckBox* box : {FWebHelp, FChm, FPdf}) outputs->addWidget(box);
  outputs->addStretch(1);
  auto* form = new QFormLayout;
  form->addRow(Tr("Outputs:"), outputs);
  form->addRow(Tr("Leave out topics with the keywords:"), FKeywords);
  auto* editor = new QVBoxLayout(FEditor);
  editor->setContentsMargins(0, 0, 0, 0);
  editor->addWidget(new QLabel(Tr("Conditions:"), FEditor));
  editor->addWidget(FConditions, 1);
  editor->addWidget(new QLabel(Tr("Variables:"), FEditor));
  editor->addWidget(FVariables, 1);
  editor->addLayout(form);
  editor->addWidget(new QLabel(Tr("The outputs go to build/<profile>/<format> in the project folder."), FEditor));

  auto* buttons = new QDialogButtonBox(QDialogButtonBox::Ok | QDialogButtonBox::Cancel, this);
  buttons->button(QDialogButtonBox::Ok)->setObjectName("btnOK");
  buttons->button(QDialogButtonBox::Cancel)->setObjectName("btnCancel");
  auto* columns = new QHBoxLayout;
  columns->addLayout(left, 2);
  columns->addWidget(FEditor, 5);
  auto* layout = new QVBoxLayout(this);
  layout->addLayout(columns, 1);
  layout->addWidget(buttons);

  connect(buttons, &QDialogButtonBox::accepted, this, &QDialog::accept);
  connect(buttons, &QDialogButtonBox::rejected, this, &QDialog::reject);
  connect(FList, &QListWidget::currentRowChanged, this, [this](int row) { SelectProfile(row); });
  connect(FNew, &QPushButton::clicked, this,
          [this] { AskAndRun(Tr("New Build Profile"), "", [this](const std::string& n) { return AddProfile(n); }); });
  connect(FCopy, &QPushButton::clicked, this, [this] {
    if (FShown < 0) return;
    AskAndRun(Tr("Copy Build Profile"), FProfiles[FShown].Name + " 2",
              [this](const std::string& n) { return CopyProfile(n); });
  });
  connect(FRename, &QPushButton::clicked, this, [this] {
    if (FShown < 0) return;
    AskAndRun(Tr("Rename Build Profile"), FProfiles[FShown].Name,
              [this](const std::string& n) { return RenameProfile(n); });
  });
  connect(FDelete, &QPushButton::clicked, this, [this] { DeleteProfile(); });
  connect(FReport, &QPushButton::clicked, this, [this] { ShowReport(); });
  FillList(FProfiles.empty() ? -1 : 0);
}

std::vector<TBuildProfile> TDlgBuildProfiles::Profiles() {
  StoreShown();
  return FProfiles;
}

std::string TDlgBuildProfiles::NameProblem(const std::string& name, int except) const {
  const std::string problem = ProfileNameProblem(name);
  if (!problem.empty()) return problem;
  for (int i = 0; i < static_cast<int>(FProfiles.size()); ++i) {
    if (i != except && SameTextAscii(FProfiles[i].Name, name)) {
      return FormatText(TranslateText("A build profile named \"%s\" exists already."), {name});
    }
  }
  return "";
}

std::string TDlgBuildProfiles::AddProfile(const std::string& name) {
  const std::string problem = NameProblem(name, -1);
  if (!problem.empty()) return problem;
  StoreShown();
  TBuildProfile profile;
  profile.Name = name;
  FProfiles.push_back(profile);
  FillList(static_cast<int>(FProfiles.size()) - 1);
  return "";
}

std::string TDlgBuildProfiles::CopyProfile(const std::string& name) {
  if (FShown < 0) return "";
  const std::string problem = NameProblem(name, -1);
  if (!problem.empty()) return problem;
  StoreShown();
  TBuildProfile copy = FProfiles[FShown];
  copy.Name = name;
  FProfiles.push_back(copy);
  FillList(static_cast<int>(FProfiles.size()) - 1);
  return "";
}

std::string TDlgBuildProfiles::RenameProfile(const std::string& name) {
  if (FShown < 0) return "";
  const std::string problem = NameProblem(name, FShown);
  if (!problem.empty()) return problem;
  StoreShown();
  FProfiles[FShown].Name = name;
  FillList(FShown);
  return "";
}

void TDlgBuildProfiles::DeleteProfile() {
  if (FShown < 0) return;
  FProfiles.erase(FProfiles.begin() + FShown);
  const int next = std::min(FShown, static_cast<int>(FProfiles.size()) - 1);
  FShown = -1;  // nothing on screen belongs to a profile any more
  FillList(next);
}

void TDlgBuildProfiles::SelectProfile(int row) {
  if (row == FShown) return;
  StoreShown();
  ShowProfile(row);
  if (FList->currentRow() != row) FList->setCurrentRow(row);
}

void TDlgBuildProfiles::FillList(int select) {
  const QSignalBlocker block(FList);
  FList->clear();
  for (const TBuildProfile& p : FProfiles) FList->addItem(ToQ(p.Name));
  FShown = -1;
  ShowProfile(select);
  FList->setCurrentRow(select);
}

// The editor's values into the profile on screen.
void TDlgBuildProfiles::StoreShown() {
  if (FShown < 0 || FShown >= static_cast<int>(FProfiles.size())) return;
  TBuildProfile& p = FProfiles[FShown];
  p.Conditions.clear();
  for (int row = 0; row < FConditions->rowCount(); ++row) {
    const auto* choice = static_cast<QComboBox*>(FConditions->cellWidget(row, 1));
    if (choice->currentIndex() == ccProject) continue;
    p.Conditions.emplace_back(FromQ(FConditions->item(row, 0)->text()), choice->currentIndex() == ccOn);
  }
  p.Variables.clear();
  for (int row = 0; row < FVariables->rowCount(); ++row) {
    const QTableWidgetItem* name = FVariables->item(row, 0);
    if (name->checkState() != Qt::Checked) continue;
    const QTableWidgetItem* value = FVariables->item(row, 1);
    p.Variables.emplace_back(FromQ(name->text()), value ? FromQ(value->text()) : std::string());
  }
  p.Outputs.clear();
  const std::pair<QCheckBox*, TOutputFormat> boxes[] = {
      {FWebHelp, TOutputFormat::WebHelp}, {FChm, TOutputFormat::Chm}, {FPdf, TOutputFormat::Pdf}};
  for (const auto& [box, format] : boxes) {
    if (box->isChecked()) p.Outputs.push_back(format);
  }
  p.LeaveOutKeywords = SplitKeywords(FromQ(FKeywords->text()));
}

void TDlgBuildProfiles::ShowProfile(int row) {
  FShown = row >= 0 && row < static_cast<int>(FProfiles.size()) ? row : -1;
  FEditor->setEnabled(FShown >= 0);
  for (QPushButton* b : {FCopy, FRename, FDelete}) b->setEnabled(FShown >= 0);
  const TBuildProfile empty;
  const TBuildProfile& p = FShown >= 0 ? FProfiles[FShown] : empty;

  const std::vector<std::string> conditions = Names(FContext.conditions, p.Conditions);
  FConditions->setRowCount(static_cast<int>(conditions.size()));
  for (int row = 0; row < static_cast<int>(conditions.size()); ++row) {
    const std::string& name = conditions[row];
    auto* item = new QTableWidgetItem(ToQ(name));
    item->setFlags(Qt::ItemIsEnabled);
    FConditions->setItem(row, 0, item);
    auto* choice = new QComboBox(FConditions);
    const bool* own = Find(FContext.conditions, name);
    const QString projectValue = !own ? Tr("not defined") : *own ? Tr("on") : Tr("off");
    choice->addItems({Tr("As the project (%1)").arg(projectValue), Tr("On"), Tr("Off")});
    const bool* set = Find(p.Conditions, name);
    choice->setCurrentIndex(!set ? ccProject : *set ? ccOn : ccOff);
    FConditions->setCellWidget(row, 1, choice);
  }

  const std::vector<std::string> variables = Names(FContext.variables, p.Variables);
  FVariables->setRowCount(static_cast<int>(variables.size()));
  for (int row = 0; row < static_cast<int>(variables.size()); ++row) {
    const std::string& name = variables[row];
    const std::string* set = Find(p.Variables, name);
    const std::string* own = Find(FContext.variables, name);
    auto* item = new QTableWidgetItem(ToQ(name));
    item->setFlags(Qt::ItemIsEnabled | Qt::ItemIsUserCheckable);
    item->setCheckState(set ? Qt::Checked : Qt::Unchecked);
    FVariables->setItem(row, 0, item);
    FVariables->setItem(row, 1, new QTableWidgetItem(ToQ(set ? *set : own ? *own : std::string())));
  }

  FWebHelp->setChecked(p.Builds(TOutputFormat::WebHelp));
  FChm->setChecked(p.Builds(TOutputFormat::Chm));
  FPdf->setChecked(p.Builds(TOutputFormat::Pdf));
  std::string keywords;
  for (const std::string& k : p.LeaveOutKeywords) keywords += (keywords.empty() ? "" : ", ") + k;
  FKeywords->setText(ToQ(keywords));
}

void TDlgBuildProfiles::AskAndRun(const QString& caption, const std::string& initial,
                                  const std::function<std::string(const std::string&)>& command) {
  bool ok = false;
  const QString name = QInputDialog::getText(this, caption, Tr("Name:"), QLineEdit::Normal, ToQ(initial), &ok);
  if (!ok) return;
  const std::string problem = command(Trim(FromQ(name)));
  if (!problem.empty()) QMessageBox::warning(this, caption, ToQ(problem));
}

void TDlgBuildProfiles::ShowReport() {
  if (!FContext.report) return;
  QDialog box(this);
  box.setWindowTitle(Tr("Condition Report"));
  box.resize(760, 480);
  auto* text = new QPlainTextEdit(&box);
  text->setObjectName("txtConditionReport");
  text->setReadOnly(true);
  text->setLineWrapMode(QPlainTextEdit::NoWrap);
  text->setPlainText(ToQ(FContext.report(Profiles())));
  auto* buttons = new QDialogButtonBox(QDialogButtonBox::Close, &box);
  connect(buttons, &QDialogButtonBox::rejected, &box, &QDialog::reject);
  auto* layout = new QVBoxLayout(&box);
  layout->addWidget(text);
  layout->addWidget(buttons);
  box.exec();
}
