#include "uProjectFindPanel.h"

#include <QCheckBox>
#include <QGridLayout>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QTreeWidget>

#include "uQtText.h"
#include "uUtils.h"

namespace {

enum TResultRole { TopicIdRole = Qt::UserRole, MatchedRole, InPageRole };

const char* FieldName(TSearchField field) {
  switch (field) {
    case TSearchField::Title: return "Title";
    case TSearchField::Body: return "Page";
    case TSearchField::Header: return "Header";
    case TSearchField::Keyword: return "Keyword";
    case TSearchField::IndexEntry: return "Index entry";
  }
  return "";
}

}  // namespace

TProjectFindPanel::TProjectFindPanel(QWidget* parent) : QWidget(parent) {
  setObjectName("pnlProjectFind");
  auto* layout = new QVBoxLayout(this);
  layout->setContentsMargins(6, 6, 6, 6);
  auto* grid = new QGridLayout;
  FText = new QLineEdit(this);
  FText->setObjectName("edProjectFind");
  FText->setClearButtonEnabled(true);
  FReplacement = new QLineEdit(this);
  FReplacement->setObjectName("edProjectReplace");
  FFind = new QPushButton(this);
  FFind->setObjectName("btnProjectFind");
  FFind->setDefault(true);
  FReplace = new QPushButton(this);
  FReplace->setObjectName("btnProjectReplace");
  grid->addWidget(FText, 0, 0);
  grid->addWidget(FFind, 0, 1);
  grid->addWidget(FReplacement, 1, 0);
  grid->addWidget(FReplace, 1, 1);
  layout->addLayout(grid);

  auto* options = new QHBoxLayout;
  FMatchCase = new QCheckBox(this);
  FWholeWord = new QCheckBox(this);
  FRegex = new QCheckBox(this);
  FLookIn = new QLabel(this);
  FTitles = new QCheckBox(this);
  FBodies = new QCheckBox(this);
  FHeaders = new QCheckBox(this);
  FKeywords = new QCheckBox(this);
  FMatchCase->setObjectName("chkProjectMatchCase");
  FWholeWord->setObjectName("chkProjectWholeWord");
  FRegex->setObjectName("chkProjectRegex");
  FTitles->setObjectName("chkFindTitles");
  FBodies->setObjectName("chkFindPages");
  FHeaders->setObjectName("chkFindHeaders");
  FKeywords->setObjectName("chkFindKeywords");
  for (QCheckBox* box : {FTitles, FBodies, FHeaders, FKeywords}) box->setChecked(true);
  for (QWidget* w : std::initializer_list<QWidget*>{FMatchCase, FWholeWord, FRegex}) options->addWidget(w);
  options->addSpacing(16);
  options->addWidget(FLookIn);
  for (QWidget* w : std::initializer_list<QWidget*>{FTitles, FBodies, FHeaders, FKeywords}) options->addWidget(w);
  options->addStretch(1);
  layout->addLayout(options);

  FSummary = new QLabel(this);
  FSummary->setObjectName("lblProjectFindSummary");
  FSummary->setTextFormat(Qt::PlainText);
  layout->addWidget(FSummary);
  FResults = new QTreeWidget(this);
  FResults->setObjectName("twFindResults");
  FResults->setColumnCount(2);
  FResults->header()->setSectionResizeMode(0, QHeaderView::ResizeToContents);
  FResults->setRootIsDecorated(true);
  layout->addWidget(FResults, 1);

  connect(FText, &QLineEdit::returnPressed, this, &TProjectFindPanel::FindRequested);
  connect(FFind, &QPushButton::clicked, this, &TProjectFindPanel::FindRequested);
  connect(FReplace, &QPushButton::clicked, this, &TProjectFindPanel::ReplaceRequested);
  const auto choose = [this](QTreeWidgetItem* item) {
    if (!item || item->data(0, TopicIdRole).isNull()) return;
    emit MatchChosen(FromQ(item->data(0, TopicIdRole).toString()), FromQ(item->data(0, MatchedRole).toString()),
                     item->data(0, InPageRole).toBool());
  };
  connect(FResults, &QTreeWidget::itemActivated, this, [choose](QTreeWidgetItem* item, int) { choose(item); });
  connect(FResults, &QTreeWidget::itemClicked, this, [choose](QTreeWidgetItem* item, int) { choose(item); });
  Retranslate();
}

void TProjectFindPanel::FocusText() {
  FText->setFocus();
  FText->selectAll();
}

TProjectSearch TProjectFindPanel::Search(bool replacing) const {
  TProjectSearch search;
  search.query = {FromQ(FText->text()), FRegex->isChecked(), FMatchCase->isChecked(), FWholeWord->isChecked()};
  search.fields = (FTitles->isChecked() ? sfTitles : 0) | (FBodies->isChecked() ? sfBodies : 0) |
                  (FHeaders->isChecked() ? sfHeaders : 0) | (FKeywords->isChecked() ? sfKeywords : 0);
  if (replacing) search.replacement = FromQ(FReplacement->text());
  return search;
}

void TProjectFindPanel::ShowResults(const std::vector<TTopicMatches>& found) {
  FResults->clear();
  size_t count = 0;
  for (const TTopicMatches& topic : found) {
    auto* topicItem = new QTreeWidgetItem(FResults);
    topicItem->setText(0, ToQ(topic.title));
    topicItem->setText(1, QString::number(topic.matches.size()));
    topicItem->setData(0, TopicIdRole, ToQ(topic.topicId));
    topicItem->setData(0, MatchedRole, ToQ(topic.matches.front().matched));
    topicItem->setData(0, InPageRole, topic.matches.front().field == TSearchField::Body);
    for (const TFieldMatch& m : topic.matches) {
      auto* item = new QTreeWidgetItem(topicItem);
      item->setText(0, Tr(FieldName(m.field)));
      item->setText(1, ToQ(m.context));
      item->setToolTip(1, ToQ(m.context));
      item->setData(0, TopicIdRole, ToQ(topic.topicId));
      item->setData(0, MatchedRole, ToQ(m.matched));
      item->setData(0, InPageRole, m.field == TSearchField::Body);
    }
    count += topic.matches.size();
  }
  FResults->expandAll();
  ShowMessage(found.empty() ? Tr("Nothing found")
                            : ToQ(FormatText(TranslateText("%d matches in %d topics"),
                                             {std::to_string(count), std::to_string(found.size())})));
}

void TProjectFindPanel::ShowMessage(const QString& text) { FSummary->setText(text); }

void TProjectFindPanel::Retranslate() {
  FText->setPlaceholderText(Tr("Find in all topics"));
  FReplacement->setPlaceholderText(Tr("Replace with"));
  FFind->setText(Tr("Find"));
  FReplace->setText(Tr("Replace..."));
  FMatchCase->setText(Tr("Match case"));
  FWholeWord->setText(Tr("Whole words"));
  FRegex->setText(Tr("Regular expression"));
  FLookIn->setText(Tr("Look in:"));
  FTitles->setText(Tr("Titles"));
  FBodies->setText(Tr("Pages"));
  FHeaders->setText(Tr("Headers"));
  FKeywords->setText(Tr("Keywords"));
  FResults->setHeaderLabels({Tr("Topic"), Tr("Context")});
}
