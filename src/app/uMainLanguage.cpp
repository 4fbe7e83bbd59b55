// The Language menu and the re-captioning of the window.
#include <QAction>
#include <QActionGroup>
#include <QCheckBox>
#include <QComboBox>
#include <QCoreApplication>
#include <QDockWidget>
#include <QGroupBox>
#include <QLabel>
#include <QLibraryInfo>
#include <QMenu>
#include <QPushButton>
#include <QToolButton>
#include <QTranslator>
#include <memory>

#include "uColorButton.h"
#include "uFindBar.h"
#include "uFormattingToolbar.h"
#include "uMain.h"
#include "uProjectFindPanel.h"
#include "uQtText.h"
#include "uTopicPanel.h"
#include "uTopicPropertiesPanel.h"
#include "uTranslationFile.h"

void TfrmMain::BuildLanguageMenu() {
  mnuLanguage->clear();
  FLanguageItems.clear();
  auto* group = new QActionGroup(mnuLanguage);
  group->setExclusive(true);
  const TTranslationTable& table = TranslationTable();
  for (int i = 0; i < table.LanguageCount(); ++i) {
    QAction* item = mnuLanguage->addAction(ToQ(table.DisplayName(i)));
    item->setCheckable(true);
    item->setChecked(i == CurrentLanguageIndex());
    item->setData(i);
    group->addAction(item);
    connect(item, &QAction::triggered, this, [this, i] { Guard([this, i] { LanguageItemClick(i); }); });
    FLanguageItems.push_back(item);
  }
  mnuLanguage->setEnabled(!FLanguageItems.empty());
}

void InstallQtTranslation() {
  static QTranslator* installed = nullptr;
  if (installed) {
    QCoreApplication::removeTranslator(installed);
    delete installed;
    installed = nullptr;
  }
  const QString code = ToQ(CurrentLanguage()).toLower();
  if (code.isEmpty() || code == "en") return;
  auto translator = std::make_unique<QTranslator>();
  if (!translator->load("qtbase_" + code, QLibraryInfo::path(QLibraryInfo::TranslationsPath))) return;
  installed = translator.release();
  QCoreApplication::installTranslator(installed);
}

void TfrmMain::LanguageItemClick(int column) {
  for (QAction* item : FLanguageItems) item->setChecked(item->data().toInt() == column);
  SelectLanguageIndex(column);
  InstallQtTranslation();
  SaveLanguageSetting();
  ApplyTranslation();
  // A project without its own spelling language follows the interface's.
  ApplySpellCheck();
}

void TfrmMain::ApplyTranslation() {
  const std::pair<QMenu*, const char*> menus[] = {{mnuFile, "File"},
                                                  {mnuTopic, "Topic"},
                                                  {mnuMoveTopic, "Move"},
                                                  {mnuEdit, "Edit"},
                                                  {mnuPublish, "Publish"},
                                                  {mnuTools, "Tools"},
                                                  {mnuLanguage, "Language"},
                                                  {mnuHelp, "Help"},
                                                  {mnuOpenRecent, "Open Recent"},
                                                  {mnuBuildProfile, "Build Profile"},
                                                  {mnuTranslation, "Translation"}};
  for (const auto& [menu, text] : menus) menu->setTitle(Tr(text));
  const std::pair<QAction*, const char*> items[] = {
      {actNewProject, "New Project"},
      {actOpen, "Open Project..."},
      {actSave, "Save Project"},
      {actSaveAs, "Save Project As..."},
      {actExit, "Exit"},
      {actNewRootTopic, "New Root Topic..."},
      {actNewChildTopic, "New Child Topic..."},
      {actRemoveTopic, "Remove Topic"},
      {actDuplicateTopic, "Duplicate Topic"},
      {actDuplicateBranch, "Duplicate Topic with Subtopics"},
      {actUndoRemoveTopic, "Undo Remove Topic"},
      {actMoveUp, "Up"},
      {actMoveDown, "Down"},
      {actChangeParent, "Move Level Up"},
      {actRename, "Rename..."},
      {actTopicProperties, "Topic Properties..."},
      {actUndo, "Undo"},
      {actRedo, "Redo"},
      {actCut, "Cut"},
      {actCopy, "Copy"},
      {actPaste, "Paste"},
      {actDelete, "Delete"},
      {actSelectAll, "Select All"},
      {actWebHelp, "WebHelp"},
      {actChm, "CHM"},
      {actPdf, "PDF"},
      {actOpenOutputFolder, "Open Output Folder"},
      {actCheckLinks, "Check Links"},
      {actPublishProfile, "Publish Current Profile"},
      {actPublishAllProfiles, "Publish All Profiles"},
      {actBuildProfiles, "Build Profiles..."},
      {actProjectSettings, "Project Settings..."},
      {actReusableContent, "Variables, Snippets, Conditions..."},
      {actCleanUpFormatting, "Clean Up Formatting..."},
      {actNumberHelpContexts, "Number Help Contexts..."},
      {actExportXliff, "Export for Translation (XLIFF)..."},
      {actImportXliff, "Import Translation (XLIFF)..."},
      {actFind, "Find..."},
      {actFindNext, "Find Next"},
      {actFindPrevious, "Find Previous"},
      {actFindInProject, "Find in Project..."},
      {actUndoReplace, "Undo Replace"},
      {actContactUs, "Contact Us"},
      {actVisitWebsite, "Visit Website"},
      {actAbout, "About..."},
      {actUserManual, "User Manual"},
  };
  for (const auto& [action, text] : items) action->setText(Tr(text));
  const std::pair<QWidget*, const char*> hints[] = {
      {btnNewProject, "New Project"},
      {btnOpenProject, "Open Project..."},
      {btnSave, "Save Project"},
      {btnProjectSettings, "Project Settings..."},
      {btnVariablesConditionsSnippets, "Variables, Snippets, Conditions..."},
      {btnDeleteTopic, "Remove Topic"},
      {btnNewSubTopic, "Add Child Topic..."},
      {btnNewRootTopic, "Add Root Topic..."},
  };
  for (const auto& [widget, text] : hints) widget->setToolTip(Tr(text));

  pnlTopics->Retranslate();
  pnlTopics->RefreshLooks();  // the tooltips of excluded topics
  barFormatting->Retranslate();
  barFind->Retranslate();
  pnlProjectFind->Retranslate();
  dockProjectFind->setWindowTitle(Tr("Find in Project"));
}
