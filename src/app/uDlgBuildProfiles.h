// Tools > Build Profiles: create, copy, rename, delete and edit the project's build
// profiles. The dialog edits a list in memory; the window writes the files on OK.
#pragma once

#include <QDialog>
#include <functional>
#include <string>
#include <utility>
#include <vector>

#include "uBuildProfile.h"

class QCheckBox;
class QLineEdit;
class QListWidget;
class QPushButton;
class QTableWidget;

// What the dialog shows beside the profiles: the project's own values, and the condition
// report for the profiles as edited.
struct TBuildProfilesContext {
  std::vector<std::pair<std::string, bool>> conditions;
  std::vector<std::pair<std::string, std::string>> variables;
  std::function<std::string(const std::vector<TBuildProfile>&)> report;
};

class TDlgBuildProfiles : public QDialog {
  Q_OBJECT

 public:
  TDlgBuildProfiles(QWidget* parent, std::vector<TBuildProfile> profiles, TBuildProfilesContext context);

  // The profiles as edited, the one on screen included.
  std::vector<TBuildProfile> Profiles();
  // The commands behind the buttons, once a name is known. Each returns why it refused
  // ("" when done): an invalid name, or one another profile has (letter case ignored).
  std::string AddProfile(const std::string& name);
  std::string CopyProfile(const std::string& name);
  std::string RenameProfile(const std::string& name);
  void DeleteProfile();
  void SelectProfile(int row);

 private:
  std::vector<TBuildProfile> FProfiles;
  TBuildProfilesContext FContext;
  int FShown = -1;
  QListWidget* FList;
  QPushButton *FNew, *FCopy, *FRename, *FDelete, *FReport;
  QTableWidget* FConditions;
  QTableWidget* FVariables;
  QCheckBox *FWebHelp, *FChm, *FPdf;
  QLineEdit* FKeywords;
  QWidget* FEditor;

  std::string NameProblem(const std::string& name, int except) const;
  void StoreShown();
  void ShowProfile(int row);
  void FillList(int select);
  void AskAndRun(const QString& caption, const std::string& initial,
                 const std::function<std::string(const std::string&)>& command);
  void ShowReport();
};
