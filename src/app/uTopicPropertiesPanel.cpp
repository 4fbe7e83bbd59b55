#include "uTopicPropertiesPanel.h"

#include <QCheckBox>
#include <QComboBox>
#include <QGridLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QVBoxLayout>

#include "uHelpContext.h"
#include "uQtText.h"
#include "uScopedFlag.h"
#include "uUtils.h"

namespace {

TStringList NonBlankTrimmedLines(const QString& text) {
  TStringList lines;
  for (const QString& line : text.split('\n')) {
    std::string trimmed = Trim(FromQ(line));
    if (!trimmed.empty()) lines.push_back(std::move(trimmed));
  }
  return lines;
}

QString JoinLines(const TStringList& list) {
  QStringList lines;
  for (const std::string& s : list) lines << ToQ(s);
  return lines.join('\n');
}

}  // namespace

TTopicPropertiesPanel::TTopicPropertiesPanel(QWidget* parent) : QGroupBox(parent) {
  FLayout = new QVBoxLayout(this);
  FLayout->setContentsMargins(8, 8, 8, 8);
  FLayout->setSpacing(4);
  FKeywordsLabel = new QLabel(this);
  FKeywords = new QPlainTextEdit(this);
  FKeywords->setObjectName("memKeywords");
  FIndexLabel = new QLabel(this);
  FIndex = new QPlainTextEdit(this);
  FIndex->setObjectName("memIndex");
  for (QPlainTextEdit* memo : {FKeywords, FIndex}) {
    memo->setMinimumHeight(44);
    memo->setTabChangesFocus(true);
  }
  FExcludeWeb = new QCheckBox(this);
  FExcludeWeb->setObjectName("chkExcludeWeb");
  FExcludeChm = new QCheckBox(this);
  FExcludeChm->setObjectName("chkExcludeChm");
  FExcludePdf = new QCheckBox(this);
  FExcludePdf->setObjectName("chkExcludePdf");
  FHelpIdLabel = new QLabel(this);
  FHelpId = new QLineEdit(this);
  FHelpId->setObjectName("edHelpId");
  FHelpIdLabel->setBuddy(FHelpId);
  FHelpAliasLabel = new QLabel(this);
  FHelpAlias = new QLineEdit(this);
  FHelpAlias->setObjectName("edHelpAlias");
  FHelpAliasLabel->setBuddy(FHelpAlias);
  FConditionLabel = new QLabel(this);
  FCondition = new QComboBox(this);
  FCondition->setObjectName("cbTopicCondition");
  FCondition->setEditable(true);
  FCondition->setInsertPolicy(QComboBox::NoInsert);
  FConditionLabel->setBuddy(FCondition);
  FHelpProblem = new QLabel(this);
  FHelpProblem->setObjectName("lblHelpContextProblem");
  FHelpProblem->setWordWrap(true);
  FHelpProblem->setStyleSheet("color: #b00020;");
  FHelpProblem->hide();
  auto* helpGrid = new QGridLayout;
  helpGrid->setContentsMargins(0, 4, 0, 0);
  helpGrid->addWidget(FHelpIdLabel, 0, 0);
  helpGrid->addWidget(FHelpId, 0, 1);
  helpGrid->addWidget(FHelpAliasLabel, 1, 0);
  helpGrid->addWidget(FHelpAlias, 1, 1);
  helpGrid->addWidget(FConditionLabel, 2, 0);
  helpGrid->addWidget(FCondition, 2, 1);
  FApply = new QPushButton(this);
  FApply->setObjectName("btnApplyProps");
  FLayout->addWidget(FKeywordsLabel);
  FLayout->addWidget(FKeywords, 1);
  FLayout->addWidget(FIndexLabel);
  FLayout->addWidget(FIndex, 1);
  FLayout->addWidget(FExcludeWeb);
  FLayout->addWidget(FExcludeChm);
  FLayout->addWidget(FExcludePdf);
  FLayout->addLayout(helpGrid);
  FLayout->addWidget(FHelpProblem);
  FLayout->addWidget(FApply, 0, Qt::AlignRight);
  FLayout->addSpacing(6);

  const auto edited = [this] {
    if (!FFilling) emit Edited();
  };
  for (QPlainTextEdit* memo : {FKeywords, FIndex}) connect(memo, &QPlainTextEdit::textChanged, this, edited);
  for (QCheckBox* box : {FExcludeWeb, FExcludeChm, FExcludePdf}) connect(box, &QCheckBox::toggled, this, edited);
  // A number or name half typed must not reach the topic ("100" on the way to "1001"): the
  // fields are checked as they change and stored when the writer leaves them.
  for (QLineEdit* field : {FHelpId, FHelpAlias}) {
    connect(field, &QLineEdit::textEdited, this, [this] {
      const TTopicPropertyValues v = Values();
      const std::string idProblem = HelpIdFormRefusal(v.helpId);
      ShowHelpProblem(!idProblem.empty() ? idProblem : HelpAliasFormRefusal(v.helpAlias));
    });
    connect(field, &QLineEdit::editingFinished, this, edited);
  }
  // Like the help fields: stored when the writer leaves the box or picks a name, never
  // half typed.
  connect(FCondition->lineEdit(), &QLineEdit::editingFinished, this, edited);
  connect(FCondition, &QComboBox::activated, this, edited);
  connect(FApply, &QPushButton::clicked, this, &TTopicPropertiesPanel::ApplyClicked);
  Retranslate();
}

void TTopicPropertiesPanel::ShowTopic(const TTopic& topic) {
  const TScopedFlag filling(FFilling);
  FKeywords->setPlainText(JoinLines(topic.Keywords()));
  FIndex->setPlainText(JoinLines(topic.IndexEntries()));
  FExcludeWeb->setChecked(topic.ExcludeWeb());
  FExcludeChm->setChecked(topic.ExcludeChm());
  FExcludePdf->setChecked(topic.ExcludePdf());
  FHelpId->setText(topic.HelpId() != 0 ? QString::number(topic.HelpId()) : QString());
  FHelpAlias->setText(ToQ(topic.HelpAlias()));
  FCondition->setEditText(ToQ(topic.Condition()));
  ShowHelpProblem("");
}

void TTopicPropertiesPanel::SetConditionNames(const std::vector<std::string>& names) {
  const TScopedFlag filling(FFilling);
  const QString current = FCondition->currentText();
  FCondition->clear();
  for (const std::string& name : names) FCondition->addItem(ToQ(name));
  FCondition->setEditText(current);
}

void TTopicPropertiesPanel::Clear() {
  const TScopedFlag filling(FFilling);
  FKeywords->clear();
  FIndex->clear();
  for (QCheckBox* box : {FExcludeWeb, FExcludeChm, FExcludePdf}) box->setChecked(false);
  FHelpId->clear();
  FHelpAlias->clear();
  FCondition->setEditText(QString());
  ShowHelpProblem("");
}

TTopicPropertyValues TTopicPropertiesPanel::Values() const {
  return {NonBlankTrimmedLines(FKeywords->toPlainText()),
          NonBlankTrimmedLines(FIndex->toPlainText()),
          FExcludeWeb->isChecked(),
          FExcludeChm->isChecked(),
          FExcludePdf->isChecked(),
          Trim(FromQ(FHelpId->text())),
          Trim(FromQ(FHelpAlias->text())),
          Trim(FromQ(FCondition->currentText()))};
}

bool TTopicPropertiesPanel::StoreInto(const TDocProject& project, TTopic& topic) {
  TTopicPropertyValues v = Values();
  const bool helpChanged = StoreHelpContext(project, topic, v);
  if (v.keywords == topic.Keywords() && v.indexEntries == topic.IndexEntries() && v.excludeWeb == topic.ExcludeWeb() &&
      v.excludeChm == topic.ExcludeChm() && v.excludePdf == topic.ExcludePdf() && v.condition == topic.Condition()) {
    return helpChanged;
  }
  topic.SetCondition(v.condition);
  topic.Keywords() = std::move(v.keywords);
  topic.IndexEntries() = std::move(v.indexEntries);
  topic.SetExcludeWeb(v.excludeWeb);
  topic.SetExcludeChm(v.excludeChm);
  topic.SetExcludePdf(v.excludePdf);
  return true;
}

bool TTopicPropertiesPanel::StoreHelpContext(const TDocProject& project, TTopic& topic, const TTopicPropertyValues& v) {
  int helpId = topic.HelpId();
  const std::string idProblem = HelpIdRefusal(project, topic.ID(), v.helpId, helpId);
  const std::string aliasProblem = HelpAliasRefusal(project, topic.ID(), v.helpAlias);
  ShowHelpProblem(!idProblem.empty() ? idProblem : aliasProblem);
  bool changed = false;
  if (idProblem.empty() && helpId != topic.HelpId()) {
    topic.SetHelpId(helpId);
    changed = true;
  }
  if (aliasProblem.empty() && v.helpAlias != topic.HelpAlias()) {
    topic.SetHelpAlias(v.helpAlias);
    changed = true;
  }
  return changed;
}

std::string TTopicPropertiesPanel::HelpContextProblem() const { return FromQ(FHelpProblem->text()); }

void TTopicPropertiesPanel::ShowHelpProblem(const std::string& text) {
  FHelpProblem->setText(ToQ(text));
  FHelpProblem->setVisible(!text.empty());
}

void TTopicPropertiesPanel::Retranslate() {
  setTitle(Tr("Properties"));
  FKeywordsLabel->setText(Tr("Keywords (one per line)"));
  FIndexLabel->setText(Tr("Index entries (one per line)"));
  FExcludeWeb->setText(Tr("Exclude from WebHelp"));
  FExcludeChm->setText(Tr("Exclude from CHM"));
  FExcludePdf->setText(Tr("Exclude from PDF"));
  FHelpIdLabel->setText(Tr("Help ID:"));
  FHelpAliasLabel->setText(Tr("Help alias:"));
  FHelpId->setPlaceholderText(Tr("none"));
  FHelpAlias->setPlaceholderText(Tr("none"));
  const QString helpTip = Tr("The number and the name by which a program opens this topic (context-sensitive help)");
  for (QWidget* w : {static_cast<QWidget*>(FHelpId), static_cast<QWidget*>(FHelpAlias)}) w->setToolTip(helpTip);
  FConditionLabel->setText(Tr("Condition:"));
  FCondition->lineEdit()->setPlaceholderText(Tr("always published"));
  FCondition->setToolTip(Tr("The topic and its subtopics are published only while this condition is on"));
  FApply->setText(Tr("Apply"));
}

void TTopicPropertiesPanel::FocusFirstField() { FKeywords->setFocus(); }

void TTopicPropertiesPanel::AddBelow(QWidget* widget) {
  widget->setParent(this);
  FLayout->addWidget(widget);
}
