// The window's controls: menus, the left panel, the editor area, the formatting toolbar
// and the status line.
#include "uMain.h"

#include <QAction>
#include <QApplication>
#include <QCheckBox>
#include <QCloseEvent>
#include <QComboBox>
#include <QFontDatabase>
#include <QFrame>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QKeySequence>
#include <QLabel>
#include <QMenuBar>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QScreen>
#include <QSplitter>
#include <QStatusBar>
#include <QTimer>
#include <QToolButton>
#include <QVBoxLayout>
#include <cmath>

#include "uColorButton.h"
#include "uEditorBridge.h"
#include "uEditorHost.h"
#include "uFindBar.h"
#include "uFontNames.h"
#include "uFormattingToolbar.h"
#include "uLinkLabel.h"
#include "uPlatform.h"
#include "uQtText.h"
#include "uScopedFlag.h"
#include "uStorage.h"
#include "uTopicPanel.h"
#include "uTopicPropertiesPanel.h"
#include "uTopicTree.h"
#include "uUserDialogs.h"

namespace {

constexpr int kLeftButtonSize = 44;
constexpr int kLeftButtonGap = 4;
constexpr int kLeftMargin = 8;

QIcon AppIcon(const char* name) { return QIcon(QString(":/icons/%1.svg").arg(name)); }

QToolButton* MakeLeftButton(QWidget* parent, const char* icon, int row, int column) {
  auto* button = new QToolButton(parent);
  button->setIcon(AppIcon(icon));
  button->setIconSize(QSize(24, 24));
  button->setAutoRaise(true);
  button->setGeometry(kLeftMargin + column * (kLeftButtonSize + kLeftButtonGap),
                      kLeftMargin + row * (kLeftButtonSize + kLeftButtonGap), kLeftButtonSize, kLeftButtonSize);
  return button;
}

}  // namespace

// --- Controls ----------------------------------------------------------------------

void TfrmMain::CreateMenus() {
  auto add = [this](QMenu* menu, const char* icon, auto handler) {
    QAction* action = menu->addAction(icon ? AppIcon(icon) : QIcon(), QString());
    connect(action, &QAction::triggered, this, [this, handler] { Guard([this, handler] { (this->*handler)(); }); });
    return action;
  };
  mnuFile = menuBar()->addMenu(QString());
  actNewProject = add(mnuFile, "document-new", &TfrmMain::btnNewProjectClick);
  actOpen = add(mnuFile, "document-open", &TfrmMain::btnOpenProjectClick);
  mnuOpenRecent = mnuFile->addMenu(AppIcon("document-open"), QString());
  connect(mnuFile, &QMenu::aboutToShow, this, [this] { FillOpenRecentMenu(); });
  actSave = add(mnuFile, "document-save", &TfrmMain::btnSaveClick);
  actSaveAs = add(mnuFile, "document-save-as", &TfrmMain::btnSaveAsClick);
  mnuFile->addSeparator();
  actExit = add(mnuFile, "application-exit", &TfrmMain::ExitClick);
  actNewProject->setShortcut(QKeySequence::New);
  actOpen->setShortcut(QKeySequence::Open);
  actSave->setShortcut(QKeySequence::Save);
  actSaveAs->setShortcut(QKeySequence::SaveAs);
  actExit->setShortcut(QKeySequence::Quit);

  mnuEdit = menuBar()->addMenu(QString());
  struct TEditItem {
    QAction** action;
    const char* icon;
    const char* command;
    QKeySequence::StandardKey key;
  };
  const TEditItem editItems[] = {
      {&actUndo, "edit-undo", "undo", QKeySequence::Undo},
      {&actRedo, "edit-redo", "redo", QKeySequence::Redo},
      {&actCut, "edit-cut", "cut", QKeySequence::Cut},
      {&actCopy, "edit-copy", "copy", QKeySequence::Copy},
      {&actPaste, "edit-paste", "paste", QKeySequence::Paste},
      {&actDelete, "edit-delete", "delete", QKeySequence::UnknownKey},
      {&actSelectAll, "edit-select-all", "selectAll", QKeySequence::SelectAll},
  };
  for (const TEditItem& item : editItems) {
    if (item.action == &actCut || item.action == &actSelectAll) mnuEdit->addSeparator();
    QAction* action = mnuEdit->addAction(AppIcon(item.icon), QString());
    // Shown in the menu only: the keys themselves stay with the editor page.
    if (item.key != QKeySequence::UnknownKey) action->setShortcut(item.key);
    action->setShortcutContext(Qt::WidgetShortcut);
    const std::string command = item.command;
    connect(action, &QAction::triggered, this, [this, command] {
      Guard([this, command] {
        SendEditorCommand(command);
        if (command != "paste") RequestEditorFocus();
      });
    });
    *item.action = action;
  }
  mnuEdit->addSeparator();
  actFind = add(mnuEdit, nullptr, &TfrmMain::FindInTopicClick);
  actFind->setShortcut(QKeySequence::Find);
  actFindNext = mnuEdit->addAction(QString());
  actFindNext->setShortcut(QKeySequence(Qt::Key_F3));
  connect(actFindNext, &QAction::triggered, this, [this] { Guard([this] { FindNextClick(false); }); });
  actFindPrevious = mnuEdit->addAction(QString());
  actFindPrevious->setShortcut(QKeySequence(Qt::SHIFT | Qt::Key_F3));
  connect(actFindPrevious, &QAction::triggered, this, [this] { Guard([this] { FindNextClick(true); }); });
  actFindInProject = add(mnuEdit, nullptr, &TfrmMain::FindInProjectClick);
  actFindInProject->setShortcut(QKeySequence(Qt::CTRL | Qt::SHIFT | Qt::Key_F));
  actUndoReplace = add(mnuEdit, "edit-undo", &TfrmMain::UndoReplaceClick);
  actUndoReplace->setEnabled(false);
  // Beside the page's own undo: it puts back the last topic removed from the tree.
  actUndoRemoveTopic = new QAction(AppIcon("edit-undo"), QString(), this);
  mnuEdit->insertAction(actCut, actUndoRemoveTopic);
  mnuEdit->insertSeparator(actUndoRemoveTopic);
  actUndoRemoveTopic->setEnabled(false);
  connect(actUndoRemoveTopic, &QAction::triggered, this, [this] { Guard([this] { UndoRemoveTopicClick(); }); });

  mnuTopic = menuBar()->addMenu(QString());
  actNewRootTopic = mnuTopic->addAction(AppIcon("topic-new-root"), QString());
  connect(actNewRootTopic, &QAction::triggered, this, [this] { Guard([this] { btnNewSubTopicClick(true); }); });
  actNewChildTopic = mnuTopic->addAction(AppIcon("topic-new-child"), QString());
  connect(actNewChildTopic, &QAction::triggered, this, [this] { Guard([this] { btnNewSubTopicClick(false); }); });
  actRemoveTopic = add(mnuTopic, "topic-remove", &TfrmMain::btnDeleteTopicClick);
  actDuplicateTopic = mnuTopic->addAction(AppIcon("edit-copy"), QString());
  connect(actDuplicateTopic, &QAction::triggered, this, [this] { Guard([this] { DuplicateTopicClick(false); }); });
  actDuplicateBranch = mnuTopic->addAction(AppIcon("edit-copy"), QString());
  connect(actDuplicateBranch, &QAction::triggered, this, [this] { Guard([this] { DuplicateTopicClick(true); }); });
  mnuTopic->addSeparator();
  mnuMoveTopic = mnuTopic->addMenu(QString());
  actMoveUp = add(mnuMoveTopic, "go-up", &TfrmMain::MoveUpClick);
  actMoveDown = add(mnuMoveTopic, "go-down", &TfrmMain::MoveDownClick);
  actChangeParent = add(mnuMoveTopic, "go-level-up", &TfrmMain::ChangeParentClick);
  actRename = add(mnuTopic, "document-edit", &TfrmMain::RenameClick);
  mnuTopic->addSeparator();
  actTopicProperties = add(mnuTopic, "document-properties", &TfrmMain::TopicPropertiesClick);

  // The tree's context menu holds the topic commands.
  mnuTree = new QMenu(this);
  mnuTree->addActions({actNewRootTopic, actNewChildTopic});
  mnuTree->addSeparator();
  mnuTree->addActions({actDuplicateTopic, actDuplicateBranch, actRename, actRemoveTopic, actUndoRemoveTopic});
  mnuTree->addSeparator();
  mnuTree->addActions({actMoveUp, actMoveDown, actChangeParent});
  mnuTree->addSeparator();
  mnuTree->addAction(actTopicProperties);

  mnuPublish = menuBar()->addMenu(QString());
  actWebHelp = add(mnuPublish, "publish-webhelp", &TfrmMain::btnExportWebClick);
  actChm = add(mnuPublish, "publish-chm", &TfrmMain::btnExportChmClick);
  actPdf = add(mnuPublish, "publish-pdf", &TfrmMain::btnExportPdfClick);
  mnuPublish->addSeparator();
  mnuBuildProfile = mnuPublish->addMenu(QString());
  connect(mnuBuildProfile, &QMenu::aboutToShow, this, [this] { Guard([this] { FillBuildProfileMenu(); }); });
  actPublishProfile = add(mnuPublish, nullptr, &TfrmMain::PublishCurrentProfileClick);
  actPublishAllProfiles = add(mnuPublish, nullptr, &TfrmMain::PublishAllProfilesClick);
  mnuPublish->addSeparator();
  actOpenOutputFolder = add(mnuPublish, "folder-open", &TfrmMain::OpenOutputFolderClick);
  actCheckLinks = add(mnuPublish, "check-links", &TfrmMain::btnCheckLinksClick);

  mnuTools = menuBar()->addMenu(QString());
  actProjectSettings = add(mnuTools, "preferences", &TfrmMain::btnProjectSettingsClick);
  actReusableContent = add(mnuTools, "variables", &TfrmMain::btnVariablesConditionsSnippetsClick);
  actCleanUpFormatting = add(mnuTools, nullptr, &TfrmMain::CleanUpFormattingClick);
  actNumberHelpContexts = add(mnuTools, nullptr, &TfrmMain::NumberHelpContextsClick);
  actBuildProfiles = add(mnuTools, nullptr, &TfrmMain::BuildProfilesClick);
  mnuTranslation = mnuTools->addMenu(QString());
  actExportXliff = add(mnuTranslation, nullptr, &TfrmMain::ExportXliffClick);
  actImportXliff = add(mnuTranslation, nullptr, &TfrmMain::ImportXliffClick);
  mnuTools->addSeparator();
  mnuLanguage = mnuTools->addMenu(AppIcon("language"), QString());

  mnuHelp = menuBar()->addMenu(QString());
  actUserManual = add(mnuHelp, "help-contents", &TfrmMain::UserManualClick);
  mnuHelp->addSeparator();
  actContactUs = add(mnuHelp, "contact", &TfrmMain::ContactUsClick);
  actVisitWebsite = add(mnuHelp, "website", &TfrmMain::VisitWebsiteClick);
  mnuHelp->addSeparator();
  actAbout = add(mnuHelp, "help-about", &TfrmMain::AboutClick);
}

void TfrmMain::CreateLeftPanel() {
  pnlLeft = new QWidget(splMain);
  auto* layout = new QVBoxLayout(pnlLeft);
  layout->setContentsMargins(0, 0, 0, 0);
  layout->setSpacing(0);
  pnlLeft->setAutoFillBackground(true);

  pnlLeftTop = new QWidget(pnlLeft);
  pnlLeftTop->setFixedHeight(2 * kLeftMargin + 2 * kLeftButtonSize + kLeftButtonGap);
  btnNewProject = MakeLeftButton(pnlLeftTop, "document-new", 0, 0);
  btnOpenProject = MakeLeftButton(pnlLeftTop, "document-open", 0, 1);
  btnSave = MakeLeftButton(pnlLeftTop, "document-save", 0, 2);
  btnProjectSettings = MakeLeftButton(pnlLeftTop, "preferences", 0, 3);
  btnNewRootTopic = MakeLeftButton(pnlLeftTop, "topic-new-root", 1, 0);
  btnNewSubTopic = MakeLeftButton(pnlLeftTop, "topic-new-child", 1, 1);
  btnDeleteTopic = MakeLeftButton(pnlLeftTop, "topic-remove", 1, 2);
  btnVariablesConditionsSnippets = MakeLeftButton(pnlLeftTop, "variables", 1, 3);
  layout->addWidget(pnlLeftTop);
  ConnectClick(btnNewProject, &TfrmMain::btnNewProjectClick);
  ConnectClick(btnOpenProject, &TfrmMain::btnOpenProjectClick);
  ConnectClick(btnSave, &TfrmMain::btnSaveClick);
  ConnectClick(btnProjectSettings, &TfrmMain::btnProjectSettingsClick);
  ConnectClick(btnDeleteTopic, &TfrmMain::btnDeleteTopicClick);
  ConnectClick(btnVariablesConditionsSnippets, &TfrmMain::btnVariablesConditionsSnippetsClick);
  connect(btnNewRootTopic, &QToolButton::clicked, this, [this] { Guard([this] { btnNewSubTopicClick(true); }); });
  connect(btnNewSubTopic, &QToolButton::clicked, this, [this] { Guard([this] { btnNewSubTopicClick(false); }); });

  pnlTopics = new TTopicPanel([this]() -> const TDocProject& { return Project(); }, pnlLeft);
  layout->addWidget(pnlTopics, 1);
  ConnectTopicPanel();
  splMain->addWidget(pnlLeft);
}

void TfrmMain::CreateEditorArea(QWidget* editorView) {
  pnlRight = new QWidget(splMain);
  auto* layout = new QVBoxLayout(pnlRight);
  layout->setContentsMargins(0, 0, 0, 0);
  layout->setSpacing(0);
  barFormatting = new TFormattingToolbar(pnlRight);
  mnuTable = new QMenu(this);
  layout->addWidget(barFormatting);
  auto* line = new QFrame(pnlRight);
  line->setFrameShape(QFrame::HLine);
  line->setFrameShadow(QFrame::Sunken);
  layout->addWidget(line);
  barFind = new TFindBar(pnlRight);
  layout->addWidget(barFind);
  Edge = editorView ? editorView : new QWidget(pnlRight);
  Edge->setParent(pnlRight);
  Edge->setMinimumSize(200, 150);
  layout->addWidget(Edge, 1);
  ConnectFormattingToolbar();
  splMain->addWidget(pnlRight);
  splMain->setStretchFactor(1, 1);
}

void TfrmMain::CreateStatusBar() {
  lblStatus = new QLabel(this);
  lblStatus->setTextFormat(Qt::PlainText);
  lblStatus->setContentsMargins(6, 0, 6, 0);
  statusBar()->addWidget(lblStatus, 1);
  auto* link = new TLinkLabel(this);
  link->setAlignment(Qt::AlignRight | Qt::AlignVCenter);
  link->setContentsMargins(6, 0, 10, 0);
  connect(link, &TLinkLabel::Clicked, this, [this] { Guard([this] { VisitWebsiteClick(); }); });
  lbHomepageURL = link;
  statusBar()->addPermanentWidget(lbHomepageURL);
  statusBar()->setSizeGripEnabled(true);
  statusBar()->setMinimumHeight(30);
}

void TfrmMain::ConnectTopicPanel() {
  auto guarded = [this](void (TfrmMain::*handler)()) {
    return [this, handler] { Guard([this, handler] { (this->*handler)(); }); };
  };
  connect(pnlTopics, &TTopicPanel::CurrentChanged, this, guarded(&TfrmMain::SelectedTopicChanged));
  connect(pnlTopics, &TTopicPanel::TitleEdited, this,
          [this](QTreeWidgetItem* item) { Guard([this, item] { TopicTitleEdited(item, FromQ(item->text(0))); }); });
  connect(pnlTopics, &TTopicPanel::MoveRequested, this,
          [this](const std::string& id, const std::string& parent, int index) {
            Guard([&] { MoveDroppedTopic(id, parent, index); });
          });
  connect(pnlTopics, &TTopicPanel::RemoveRequested, this, guarded(&TfrmMain::btnDeleteTopicClick));
  connect(pnlTopics, &TTopicPanel::EditorRequested, this, guarded(&TfrmMain::FocusEditorFromTree));
  connect(pnlTopics, &TTopicPanel::ContextMenuRequested, this, [this](const QPoint& pos) { mnuTree->popup(pos); });
  // The fields apply themselves as they are edited.
  connect(pnlTopics, &TTopicPanel::PropertiesEdited, this, guarded(&TfrmMain::TopicPropertiesEdited));
  connect(pnlTopics, &TTopicPanel::ApplyClicked, this, guarded(&TfrmMain::btnApplyPropsClick));
  connect(pnlTopics, &TTopicPanel::StyleProfileChosen, this, guarded(&TfrmMain::StyleProfileChosen));
}

// Tests and the screenshot tool find the controls by these names.
void TfrmMain::NameControls() {
#define NAMED(control) std::pair<QObject*, const char*>(control, #control)
  const std::pair<QObject*, const char*> controls[] = {
      NAMED(pnlLeft),
      NAMED(pnlLeftTop),
      NAMED(splMain),
      NAMED(pnlRight),
      NAMED(Edge),
      NAMED(lbHomepageURL),
      NAMED(lblStatus),
      NAMED(btnNewProject),
      NAMED(btnOpenProject),
      NAMED(btnSave),
      NAMED(btnProjectSettings),
      NAMED(btnNewRootTopic),
      NAMED(btnNewSubTopic),
      NAMED(btnDeleteTopic),
      NAMED(btnVariablesConditionsSnippets),
      NAMED(mnuTable),
      NAMED(mnuFile),
      NAMED(mnuTopic),
      NAMED(mnuMoveTopic),
      NAMED(mnuEdit),
      NAMED(mnuPublish),
      NAMED(mnuBuildProfile),
      NAMED(mnuTools),
      NAMED(mnuLanguage),
      NAMED(mnuTranslation),
      NAMED(mnuHelp),
      NAMED(mnuOpenRecent),
      NAMED(mnuTree),
      NAMED(actDuplicateTopic),
      NAMED(actDuplicateBranch),
      NAMED(actUndoRemoveTopic),
      NAMED(actNewProject),
      NAMED(actOpen),
      NAMED(actSave),
      NAMED(actSaveAs),
      NAMED(actExit),
      NAMED(actNewRootTopic),
      NAMED(actNewChildTopic),
      NAMED(actRemoveTopic),
      NAMED(actMoveUp),
      NAMED(actMoveDown),
      NAMED(actChangeParent),
      NAMED(actRename),
      NAMED(actTopicProperties),
      NAMED(actUndo),
      NAMED(actRedo),
      NAMED(actCut),
      NAMED(actCopy),
      NAMED(actPaste),
      NAMED(actDelete),
      NAMED(actSelectAll),
      NAMED(actWebHelp),
      NAMED(actChm),
      NAMED(actPdf),
      NAMED(actOpenOutputFolder),
      NAMED(actCheckLinks),
      NAMED(actPublishProfile),
      NAMED(actPublishAllProfiles),
      NAMED(actBuildProfiles),
      NAMED(actProjectSettings),
      NAMED(actReusableContent),
      NAMED(actCleanUpFormatting),
      NAMED(actNumberHelpContexts),
      NAMED(actExportXliff),
      NAMED(actImportXliff),
      NAMED(actFind),
      NAMED(actFindNext),
      NAMED(actFindPrevious),
      NAMED(actFindInProject),
      NAMED(actUndoReplace),
      NAMED(actUserManual),
      NAMED(actContactUs),
      NAMED(actVisitWebsite),
      NAMED(actAbout),
  };
#undef NAMED
  for (const auto& [control, name] : controls) {
    if (control) control->setObjectName(name);
  }
}
