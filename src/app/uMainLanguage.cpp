// The Language menu and the re-captioning of the window.
#include <QAction>
#include <QActionGroup>
#include <QCheckBox>
#include <QComboBox>
#include <QCoreApplication>
#include <QGroupBox>
#include <QLabel>
#include <QLibraryInfo>
#include <QMenu>
#include <QPushButton>
#include <QToolButton>
#include <QTranslator>
#include <memory>

#include "uColorButton.h"
#include "uMain.h"
#include "uQtText.h"
#include "uTranslationFile.h"

void TfrmMain::BuildLanguageMenu() {
  mmLanguage->clear();
  FLanguageItems.clear();
  auto* group = new QActionGroup(mmLanguage);
  group->setExclusive(true);
  const TTranslationTable& table = TranslationTable();
  for (int i = 0; i < table.LanguageCount(); ++i) {
    QAction* item = mmLanguage->addAction(ToQ(table.DisplayName(i)));
    item->setCheckable(true);
    item->setChecked(i == CurrentLanguageIndex());
    item->setData(i);
    group->addAction(item);
    connect(item, &QAction::triggered, this, [this, i] { Guard([this, i] { LanguageItemClick(i); }); });
    FLanguageItems.push_back(item);
  }
  mmLanguage->setEnabled(!FLanguageItems.empty());
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
  const std::pair<QMenu*, const char*> menus[] = {
      {File1, "File"},   {opic1, "Topic"}, {Move1, "Move"},         {Edit1, "Edit"},
      {Publish1, "Publish"}, {ools1, "Tools"}, {mmLanguage, "Language"}, {Help1, "Help"}, {mnuOpenRecent, "Open Recent"}};
  for (const auto& [menu, text] : menus) menu->setTitle(Tr(text));
  const std::pair<QAction*, const char*> items[] = {
      {NewProject, "New Project"},
      {Open1, "Open Project..."},
      {Save1, "Save Project"},
      {SaveProjectAs1, "Save Project As..."},
      {Exit1, "Exit"},
      {NewRootTopic1, "New Root Topic..."},
      {NewChildTopic1, "New Child Topic..."},
      {RemoveTopic1, "Remove Topic"},
      {DuplicateTopic1, "Duplicate Topic"},
      {DuplicateBranch1, "Duplicate Topic with Subtopics"},
      {UndoRemoveTopic1, "Undo Remove Topic"},
      {Up1, "Up"},
      {Down1, "Down"},
      {ChangeParent1, "Move Level Up"},
      {Rename1, "Rename..."},
      {TopicProperties1, "Topic Properties..."},
      {Undo1, "Undo"},
      {Redo1, "Redo"},
      {Cut1, "Cut"},
      {Copy1, "Copy"},
      {Paste1, "Paste"},
      {Delete1, "Delete"},
      {SelectAll1, "Select All"},
      {WebHelp1, "WebHelp"},
      {CHM1, "CHM"},
      {PDF1, "PDF"},
      {OpenOutputFolder1, "Open Output Folder"},
      {CheckLinks1, "Check Links"},
      {ProjectSettings1, "Project Settings..."},
      {VariablesSnippetsConditions1, "Variables, Snippets, Conditions..."},
      {CleanUpFormatting1, "Clean Up Formatting..."},
      {ContactUs1, "Contact Us"},
      {VisitWebsite1, "Visit Website"},
      {About1, "About..."},
      {UserManual1, "User Manual"},
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
      {btnBold, "Bold"},
      {btnItalic, "Italic"},
      {btnUnderline, "Underline"},
      {btnUL, "Bullet List"},
      {btnOL, "Numeric List"},
      {btnAlignLeft, "Left Align"},
      {btnAlignCenter, "Center Align"},
      {btnAlignRight, "Right Align"},
      {btnLink, "Create Link..."},
      {btnTopicLink, "Create Topic Link..."},
      {btnImage, "Add Image..."},
      {btnReplaceImage, "Replace Image..."},
      {btnImageProperties, "Image Properties..."},
      {btnInsertTable, "Add Table..."},
      {btnImportHTML, "Add HTML..."},
      {btnRemoveImage, "Remove Image"},
      {VirtualImage1, "Line Spacing"},
      {cmbLineSpacing, "Line Spacing"},
      {VirtualImage2, "Font Color"},
      {cbTextColor, "Font Color"},
      {VirtualImage3, "Text Heading"},
      {cmbHeading, "Text Heading"},
      {VirtualImage5, "Font Name"},
      {VirtualImage4, "Font Size"},
  };
  for (const auto& [widget, text] : hints) widget->setToolTip(Tr(text));

  grpProperties->setTitle(Tr("Properties"));
  lblKeywords->setText(Tr("Keywords (one per line)"));
  lblIndex->setText(Tr("Index entries (one per line)"));
  chkExcludeWeb->setText(Tr("Exclude from WebHelp"));
  chkExcludeChm->setText(Tr("Exclude from CHM"));
  chkExcludePdf->setText(Tr("Exclude from PDF"));
  btnApplyProps->setText(Tr("Apply"));
  lblStyle->setText(Tr("Style profile"));
  RefreshTopicItemLooks();  // the tooltips of excluded topics
  {
    const QSignalBlocker block(cmbHeading);
    cmbHeading->setItemText(0, Tr("Standard text"));
  }
}
