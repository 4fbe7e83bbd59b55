#include "uDlgPickTopic.h"

#include <QHBoxLayout>
#include <QHeaderView>
#include <QPushButton>
#include <QTreeWidget>
#include <QVBoxLayout>

#include "uTranslation.h"

namespace {

constexpr int kIdRole = Qt::UserRole;
// A tree deeper than this is a cycle in a damaged project file.
constexpr int kMaxDepth = 256;

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

void TfrmPickTopic::AddNode(QTreeWidgetItem* parent, const std::string& id, int depth) {
  if (!FProject || !FProject->HasTopic(id) || depth > kMaxDepth) return;
  const TTopic& topic = FProject->GetTopic(id);
  auto* item = parent ? new QTreeWidgetItem(parent) : new QTreeWidgetItem(tvPick);
  item->setText(0, Q(topic.Title()));
  item->setData(0, kIdRole, Q(id));
  for (const std::string& child : topic.Children()) AddNode(item, child, depth + 1);
}

void TfrmPickTopic::FillTree() {
  tvPick->setUpdatesEnabled(false);
  tvPick->clear();
  if (FProject)
    for (const std::string& id : FProject->RootTopicIDs()) AddNode(nullptr, id, 0);
  tvPick->expandAll();
  tvPick->setUpdatesEnabled(true);
  if (QTreeWidgetItem* first = tvPick->topLevelItem(0)) {
    tvPick->setCurrentItem(first);
    tvPick->scrollToItem(first);
  }
}

void TfrmPickTopic::btnOKClick() {
  QTreeWidgetItem* item = tvPick->currentItem();
  FSelectedID = item ? item->data(0, kIdRole).toString().toStdString() : std::string();
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
