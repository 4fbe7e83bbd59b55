// The topic picker: the project's topic tree, one topic chosen with OK or a double click.
#pragma once

#include <QDialog>
#include <string>

#include "uDocModel.h"

class QTreeWidget;
class QTreeWidgetItem;
class QPushButton;

class TfrmPickTopic : public QDialog {
  Q_OBJECT

 public:
  explicit TfrmPickTopic(QWidget* owner);

  // True with the chosen id in topicID when the user confirms a topic; false (and
  // topicID empty) otherwise, also without a project.
  static bool Execute(QWidget* owner, const TDocProject* project, std::string& topicID);

  void SetProject(const TDocProject* project) { FProject = project; }
  void FillTree();
  const std::string& SelectedID() const { return FSelectedID; }

  QTreeWidget* tvPick = nullptr;
  QPushButton* btnOK = nullptr;
  QPushButton* btnCancel = nullptr;

 private:
  void btnOKClick();

  const TDocProject* FProject = nullptr;
  std::string FSelectedID;
};
