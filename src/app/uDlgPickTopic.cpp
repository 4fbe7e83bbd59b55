#include "uDlgPickTopic.h"

#include <QHBoxLayout>
#include <QHeaderView>
#include <QPushButton>
#include <QTreeWidget>
#include <QVBoxLayout>

#include "uTopicTree.h"
#include "uTranslation.h"

namespace {

QString Q(const std::string& s) { return QString::fromUtf8(s.data(), static_cast<qsizetype>(s.size())); }

}  // namespace

TfrmPickTopic::TfrmPickTopic(QWidget* owner) : QDialog(owner) {
  setWindowTitle(Q(TranslateText("Select Topic")));
  resize(414, 411);
  tvPick = new QTreeWidget(this);
  tvPick->setHeaderHidden(true);
  tvPick->setObjectName("tvPick");
  btnOK = new QPushButton(Q(TranslateText("OK")), this);
  btnOK->setObjectName("btnOK");
  btnOK->setDefault(true);
  btnCancel = new QPushButton(Q(TranslateText("Cancel")), this);
  btnCancel->setObjectName("btnCancel");

  auto* buttons = new QHBoxLayout;
  buttons->addStretch(1);
  buttons->addWidget(btnOK);
  buttons->addWidget(btnCancel);
  auto* layout = new QVBoxLayout(this);
  layout->addWidget(tvPick, 1);
  layout->addLayout(buttons);

  connect(btnOK, &QPushButton::clicked, this, [this] { btnOKClick(); });
  connect(btnCancel, &QPushButton::clicked, this, &QDialog::reject);
  connect(tvPick, &QTreeWidget::itemDoubleClicked, this, [this](QTreeWidgetItem*, int) { btnOKClick(); });
}

void TfrmPickTopic::FillTree() {
  tvPick->setUpdatesEnabled(false);
  tvPick->clear();
  if (FProject) FillTopicItems(tvPick, *FProject);
  tvPick->expandAll();
  tvPick->setUpdatesEnabled(true);
  if (QTreeWidgetItem* first = tvPick->topLevelItem(0)) {
    tvPick->setCurrentItem(first);
    tvPick->scrollToItem(first);
  }
}

void TfrmPickTopic::btnOKClick() {
  QTreeWidgetItem* item = tvPick->currentItem();
  FSelectedID = item ? TopicItemID(item) : std::string();
  if (FSelectedID.empty()) reject();
  else accept();
}

bool TfrmPickTopic::Execute(QWidget* owner, const TDocProject* project, std::string& topicID) {
  topicID.clear();
  if (!project) return false;
  TfrmPickTopic dialog(owner);
  dialog.SetProject(project);
  dialog.FillTree();
  if (dialog.exec() != QDialog::Accepted) return false;
  topicID = dialog.SelectedID();
  return !topicID.empty();
}
