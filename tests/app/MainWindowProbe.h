// The window tests' face of the main window: the state they read and the commands they
// run as the menus and buttons run them (unguarded, so that a test sees what a command
// raises). A friend of TfrmMain; the program never uses it.
#pragma once

#include <QString>
#include <functional>
#include <map>
#include <string>

#include "uMain.h"

class TMainWindowProbe {
 public:
  explicit TMainWindowProbe(TfrmMain& window) : W(window) {}

  TProjectSettings& Settings() { return W.Settings(); }
  std::map<std::string, std::string>& UnsavedTopicHtml() { return W.UnsavedTopicHtml(); }
  const std::string& CurrentTopicID() { return W.CurrentTopicID(); }
  bool EditorReady() { return W.EditorReady(); }
  QString StatusText() { return W.StatusText(); }
  IUserDialogs& Dialogs() { return W.Dialogs(); }
  void WriteRecoveryJournalNow() { W.WriteRecoveryJournalNow(); }
  void WaitForRecoveryJournal() { W.WaitForRecoveryJournal(); }
  void ApplySpellCheck() { W.ApplySpellCheck(); }
  static std::string NormalizeProjectPath(const std::string& path) { return TfrmMain::NormalizeProjectPath(path); }
  static std::string WorkspaceFolder() { return TfrmMain::WorkspaceFolder(); }
  static std::string LastProjectFilePath() { return TfrmMain::LastProjectFilePath(); }
  void Guard(const std::function<void()>& command) { W.Guard(command); }
  void RebuildTopicTree() { W.RebuildTopicTree(); }
  std::string SelectedTopicID() { return W.SelectedTopicID(); }
  void SelectTopicNode(const std::string& id) { W.SelectTopicNode(id); }
  void RequestEditorFocus() { W.RequestEditorFocus(); }
  std::string GetCurrentTopicHtml() { return W.GetCurrentTopicHtml(); }
  void LanguageItemClick(int column) { W.LanguageItemClick(column); }
  void btnNewProjectClick() { W.btnNewProjectClick(); }
  void btnOpenProjectClick() { W.btnOpenProjectClick(); }
  void btnSaveClick() { W.btnSaveClick(); }
  void btnSaveAsClick() { W.btnSaveAsClick(); }
  void btnNewSubTopicClick(bool asRoot) { W.btnNewSubTopicClick(asRoot); }
  void btnDeleteTopicClick() { W.btnDeleteTopicClick(); }
  void MoveUpClick() { W.MoveUpClick(); }
  void MoveDownClick() { W.MoveDownClick(); }
  void ChangeParentClick() { W.ChangeParentClick(); }
  void RenameClick() { W.RenameClick(); }
  void FillOpenRecentMenu() { W.FillOpenRecentMenu(); }
  void btnProjectSettingsClick() { W.btnProjectSettingsClick(); }
  void btnVariablesConditionsSnippetsClick() { W.btnVariablesConditionsSnippetsClick(); }
  void btnExportWebClick() { W.btnExportWebClick(); }
  void btnExportChmClick() { W.btnExportChmClick(); }
  void btnExportPdfClick() { W.btnExportPdfClick(); }
  void OpenOutputFolderClick() { W.OpenOutputFolderClick(); }
  void BuildProfilesClick() { W.BuildProfilesClick(); }
  void SelectBuildProfile(const std::string& name) { W.SelectBuildProfile(name); }
  void PublishCurrentProfileClick() { W.PublishCurrentProfileClick(); }
  void PublishAllProfilesClick() { W.PublishAllProfilesClick(); }
  void ShowTopicProperties(const std::string& id) { W.ShowTopicProperties(id); }
  void btnCheckLinksClick() { W.btnCheckLinksClick(); }
  void NumberHelpContextsClick() { W.NumberHelpContextsClick(); }
  void FindInProjectClick() { W.FindInProjectClick(); }
  void UndoReplaceClick() { W.UndoReplaceClick(); }
  void btnTopicLinkClick() { W.btnTopicLinkClick(); }

 private:
  TfrmMain& W;
};

inline TMainWindowProbe Probe(TfrmMain& window) { return TMainWindowProbe(window); }
