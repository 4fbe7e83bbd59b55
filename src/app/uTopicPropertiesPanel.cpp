#include "uTopicPropertiesPanel.h"

#include <QCheckBox>
#include <QLabel>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QVBoxLayout>

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
  FApply = new QPushButton(this);
  FApply->setObjectName("btnApplyProps");
  FLayout->addWidget(FKeywordsLabel);
  FLayout->addWidget(FKeywords, 1);
  FLayout->addWidget(FIndexLabel);
  FLayout->addWidget(FIndex, 1);
  FLayout->addWidget(FExcludeWeb);
  FLayout->addWidget(FExcludeChm);
  FLayout->addWidget(FExcludePdf);
  FLayout->addWidget(FApply, 0, Qt::AlignRight);
  FLayout->addSpacing(6);

  const auto edited = [this] {
    if (!FFilling) emit Edited();
  };
  for (QPlainTextEdit* memo : {FKeywords, FIndex}) connect(memo, &QPlainTextEdit::textChanged, this, edited);
  for (QCheckBox* box : {FExcludeWeb, FExcludeChm, FExcludePdf}) connect(box, &QCheckBox::toggled, this, edited);
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
}

void TTopicPropertiesPanel::Clear() {
  const TScopedFlag filling(FFilling);
  FKeywords->clear();
  FIndex->clear();
  for (QCheckBox* box : {FExcludeWeb, FExcludeChm, FExcludePdf}) box->setChecked(false);
}

TTopicPropertyValues TTopicPropertiesPanel::Values() const {
  return {NonBlankTrimmedLines(FKeywords->toPlainText()), NonBlankTrimmedLines(FIndex->toPlainText()),
          FExcludeWeb->isChecked(), FExcludeChm->isChecked(), FExcludePdf->isChecked()};
}

bool TTopicPropertiesPanel::StoreInto(TTopic& topic) const {
  TTopicPropertyValues v = Values();
  if (v.keywords == topic.Keywords() && v.indexEntries == topic.IndexEntries() && v.excludeWeb == topic.ExcludeWeb() &&
      v.excludeChm == topic.ExcludeChm() && v.excludePdf == topic.ExcludePdf()) {
    return false;
  }
  topic.Keywords() = std::move(v.keywords);
  topic.IndexEntries() = std::move(v.indexEntries);
  topic.SetExcludeWeb(v.excludeWeb);
  topic.SetExcludeChm(v.excludeChm);
  topic.SetExcludePdf(v.excludePdf);
  return true;
}

void TTopicPropertiesPanel::Retranslate() {
  setTitle(Tr("Properties"));
  FKeywordsLabel->setText(Tr("Keywords (one per line)"));
  FIndexLabel->setText(Tr("Index entries (one per line)"));
  FExcludeWeb->setText(Tr("Exclude from WebHelp"));
  FExcludeChm->setText(Tr("Exclude from CHM"));
  FExcludePdf->setText(Tr("Exclude from PDF"));
  FApply->setText(Tr("Apply"));
}

void TTopicPropertiesPanel::FocusFirstField() { FKeywords->setFocus(); }

void TTopicPropertiesPanel::AddBelow(QWidget* widget) {
  widget->setParent(this);
  FLayout->addWidget(widget);
}
