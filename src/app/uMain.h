// The main window: one open project, its topic tree, the editor area and the commands.
// The implementation is split by concern over the uMain*.cpp files.
#pragma once

#include <QMainWindow>
#include <QStringList>
#include <functional>
#include <map>
#include <memory>
#include <optional>
#include <string>
#include <unordered_set>
#include <vector>

#include "uDocModel.h"
#include "uEditorBridge.h"
#include "uProjectController.h"
#include "uProjectSearch.h"
#include "uProjectSettings.h"
#include "uTopicCopies.h"
#include "uUtils.h"

struct TBuildProfile;
class IEditorHost;
class IUserDialogs;
class QAction;
class QCheckBox;
class QComboBox;
class QGroupBox;
class QLabel;
class QMenu;
class QPlainTextEdit;
class QPushButton;
class QSplitter;
class QTimer;
class QToolButton;
class QTreeWidgetItem;
class TColorButton;
class TTopicPanel;
class TFormattingToolbar;
class TTopicTree;
class TTopicEditorSession;
class TRecoveryJournalWriter;
class TToolbarSync;
class ITopicEditorWindow;
class IToolbarView;

// What the window is given instead of creating it, so tests can replace it.
struct TMainWindowServices {
  IUserDialogs* dialogs = nullptr;
  IEditorHost* editorHost = nullptr;  // may be null: the editor area stays blank
  QWidget* editorView = nullptr;      // the widget showing the page; the window takes it
  QStringList arguments;              // program arguments without the program name
};

class TfrmMain : public QMainWindow {
  Q_OBJECT

 public:
  explicit TfrmMain(const TMainWindowServices& services, QWidget* parent = nullptr);
  ~TfrmMain() override;

  static constexpr const char* kAppTitle = "Folivane";
  static constexpr const char* kHomepageUrl = "https://www.folivane.com/";
  static constexpr const char* kSupportUrl = "https://www.folivane.com/support.html";
  static constexpr const char* kVersion = FOLIVANE_VERSION;  // the project version in CMakeLists.txt

  // --- State (read by the other concerns and by tests) ---------------------------
  TDocProject& Project() { return FOpenProject.Project(); }
  const TDocProject& Project() const { return FOpenProject.Project(); }
  const std::string& ProjectFileName() const { return FOpenProject.FileName(); }
  bool ProjectDirty() const { return FOpenProject.Dirty(); }

  // --- Project lifecycle (uMainProject.cpp) --------------------------------------
  void OpenProject(const std::string& fileName);

 protected:
  void closeEvent(QCloseEvent* event) override;
  void showEvent(QShowEvent* event) override;

 private:
  friend class TMainWindowProbe;  // the window tests' face (tests/app/MainWindowProbe.h)

  // --- State and commands the tests reach through the probe -------------------------
  TProjectSettings& Settings() { return FOpenProject.Settings(); }
  std::map<std::string, std::string>& UnsavedTopicHtml() { return FOpenProject.UnsavedTopicHtml(); }
  const std::string& CurrentTopicID() const;
  bool EditorReady() const;
  QString StatusText() const;
  IUserDialogs& Dialogs() { return *FDialogs; }
  // Journals what is not saved yet at once (the window does so 2 s after a change); the
  // file is written on the journal's own thread.
  void WriteRecoveryJournalNow();
  // Waits until the journal's thread has written or cleared everything asked of it.
  void WaitForRecoveryJournal();
  // The project's language to the page's spell checker, and its word list to the page.
  void ApplySpellCheck();
  static std::string NormalizeProjectPath(const std::string& path);
  static std::string WorkspaceFolder();
  static std::string LastProjectFilePath();
  // Runs a command: a silent abort shows nothing, any other error its message box.
  void Guard(const std::function<void()>& command);
  void RebuildTopicTree();
  std::string SelectedTopicID() const;
  void SelectTopicNode(const std::string& id);
  void RequestEditorFocus();
  std::string GetCurrentTopicHtml();
  void LanguageItemClick(int column);
  void btnNewProjectClick();
  void btnOpenProjectClick();
  void btnSaveClick();
  void btnSaveAsClick();
  void btnNewSubTopicClick(bool asRoot);
  void btnDeleteTopicClick();
  void MoveUpClick();
  void MoveDownClick();
  void ChangeParentClick();
  void RenameClick();
  void FillOpenRecentMenu();
  void StyleProfileChosen();
  void btnProjectSettingsClick();
  void btnVariablesConditionsSnippetsClick();
  void btnExportWebClick();
  void btnExportChmClick();
  void btnExportPdfClick();
  void OpenOutputFolderClick();
  void PublishCurrentProfileClick();
  void PublishAllProfilesClick();
  void BuildProfilesClick();
  void btnCheckLinksClick();
  void btnTopicLinkClick();

  // --- Used by the window's own parts -----------------------------------------------
  TEditorBridge* Bridge() { return FBridge.get(); }
  void MarkProjectDirty();
  void UpdateCaption();
  bool ConfirmSaveChanges();
  // Writes what the page and the pending texts hold, and the structure.
  void FlushProjectToDisk();
  // Spell checking (uMainSpelling.cpp): the project's language to the page's checker and
  // its word list to the page; a word the writer adds goes into meta/words.txt.
  void ConnectSpellChecking();
  void AddWordToProject(const std::string& word);
  // Gives every topic's header the colour (meta/headerbg_*.txt); failures are skipped.
  void ApplyHeaderBgToAllTopics(const std::string& color);
  void ShowStatus(const std::string& text);
  void ApplySettingsToUi();
  // Runs handler, guarded, when button is clicked.
  void ConnectClick(QToolButton* button, void (TfrmMain::*handler)());
  // Selects the topic's node (none for "") without switching topics.
  void ShowTopicSelectedQuietly(const std::string& id);
  // Shows the topic's properties; from then on what is typed there applies to it at once.
  void ShowTopicProperties(const std::string& id);
  std::vector<std::string> ProjectConditionNames() const;
  void ApplyTopicProperties(const std::string& id);
  // A selection made in the tree keeps the keyboard there: the editor does not take it.
  bool TreeKeepsFocus() const;
  bool EditorFocusOrdered() const { return FEditorFocusOrdered; }
  void EditorFocusDone() { FEditorFocusOrdered = false; }
  void FocusPageCaret();
  // Moves the keyboard to the editor (Enter or a double-click in the tree).
  void FocusEditorFromTree();
  // The removed branches Undo Remove Topic puts back, the last one first.
  const std::vector<TRemovedBranch>& RemovedBranches() const { return FRemovedBranches; }
  void TopicTitleEdited(QTreeWidgetItem* item, const std::string& newText);
  // A topic dropped in the tree goes under parent at index.
  void MoveDroppedTopic(const std::string& id, const std::string& parent, int index);
  void LoadTopicIntoEditor(const std::string& id);
  void CaptureCurrentTopicHtml();
  bool RequestHtmlAndWait(int timeoutMs);
  bool RequestHeaderAndWait(int timeoutMs);
  void ApplyBaseHref();
  void ApplyEditorCss();
  void ApplySettingsToEditor();
  void RefreshDefaultHeader();
  // Bridge events.
  void ConnectBridgeEvents();
  void EditorReadyReceived();
  void EditorCursorStyle(const TEditorCursorStyle& style);
  // After the settings dialog; the new-project flow also writes the default paragraph.
  void ApplySettingsChangeToEditor(bool newProjectFlow = false);
  // A project was opened or created, or the current topic removed.
  void ForgetCurrentTopic();
  TTopicEditorSession* Session() { return FSession.get(); }
  TToolbarSync* ToolbarSync() { return FToolbarSync.get(); }
  void EditorHtmlChanged(const std::string& html, bool user);
  void SendEditorCommand(const std::string& command);
  void BuildLanguageMenu();
  void ApplyTranslation();
  void ExitClick();
  void DuplicateTopicClick(bool withSubtopics);
  void UndoRemoveTopicClick();
  void OpenRecentProject(const std::string& path);
  void TopicPropertiesClick();
  void btnApplyPropsClick();
  void SelectedTopicChanged();
  void CleanUpFormattingClick();
  void NumberHelpContextsClick();
  // Tools > Translation: the texts out to XLIFF, a translated copy back in (uMainTools.cpp).
  void ExportXliffClick();
  void ImportXliffClick();
  bool SaveBeforeTranslation();
  // Find and replace (uMainFind.cpp).
  void FindInTopicClick();
  void FindNextClick(bool backward);
  void FindInProjectClick();
  void ProjectFindRun();
  void ProjectReplaceRun();
  void UndoReplaceClick();
  void ProjectMatchChosen(const std::string& topicId, const std::string& matched, bool inPage);
  void CreateFindControls();
  // After a replacement or its undo: the tree, the properties and the page show the new texts.
  void ShowReplacedTexts(const std::vector<TTopicChange>& changes);
  void UserManualClick();
  void ContactUsClick();
  void VisitWebsiteClick();
  void AboutClick();
  // Formatting and insert handlers (uMainFormatting.cpp, uMainInsert.cpp).
  void ConnectFormattingToolbar();
  void ConnectInsertCommands();
  void ApplyHeadingFromBox();
  void ApplyFontFromBox();
  void PickTextColor();
  void ApplyFontSizeFromBox();
  void ApplyLineSpacingFromBox();
  void btnLinkClick();
  void btnImageClick();
  void btnReplaceImageClick();
  void btnImagePropertiesClick();
  void btnRemoveImageClick();
  void btnInsertTableClick();
  void btnTableDropdownMenuClick();
  void TableDropdownMenuItemClick(int tag);
  void btnImportHTMLClick();
  // Sends a reusable-content token to the caret (uMainReusableContent.cpp).
  void InsertReusableToken(const std::string& token);

  friend class TMainEditorWindow;

  // --- Controls ------------------------------------------------------------------
  // Each control's object name is its member name (NameControls): tests find them by it.
  // A control's name starts with its kind: mnu menu, act menu action, btn button, cmb
  // combo box, chk check box, mem multi-line text, lbl label, img icon beside a box,
  // pnl panel, spl splitter, tv tree, bar toolbar.
  QWidget* pnlLeft = nullptr;
  QWidget* pnlLeftTop = nullptr;
  QSplitter* splMain = nullptr;
  TTopicPanel* pnlTopics = nullptr;  // the topic tree, the properties box and the style profile
  QWidget* pnlRight = nullptr;
  TFormattingToolbar* barFormatting = nullptr;
  QWidget* Edge = nullptr;
  QLabel* lbHomepageURL = nullptr;
  QLabel* lblStatus = nullptr;

  QToolButton* btnNewProject = nullptr;
  QToolButton* btnOpenProject = nullptr;
  QToolButton* btnSave = nullptr;
  QToolButton* btnProjectSettings = nullptr;
  QToolButton* btnNewRootTopic = nullptr;
  QToolButton* btnNewSubTopic = nullptr;
  QToolButton* btnDeleteTopic = nullptr;
  QToolButton* btnVariablesConditionsSnippets = nullptr;

  QMenu* mnuTable = nullptr;  // the table commands under the toolbar's arrow

  // Menus and their items.
  QMenu *mnuFile = nullptr, *mnuTopic = nullptr, *mnuMoveTopic = nullptr, *mnuEdit = nullptr, *mnuPublish = nullptr,
        *mnuTools = nullptr, *mnuLanguage = nullptr, *mnuHelp = nullptr;
  QMenu* mnuOpenRecent = nullptr;  // File > Open Recent, filled when shown
  QMenu* mnuTree = nullptr;        // the topic tree's context menu
  QAction *actDuplicateTopic = nullptr, *actDuplicateBranch = nullptr, *actUndoRemoveTopic = nullptr;
  QAction *actNewProject = nullptr, *actOpen = nullptr, *actSave = nullptr, *actSaveAs = nullptr, *actExit = nullptr;
  QAction *actNewRootTopic = nullptr, *actNewChildTopic = nullptr, *actRemoveTopic = nullptr, *actMoveUp = nullptr,
          *actMoveDown = nullptr, *actChangeParent = nullptr, *actRename = nullptr, *actTopicProperties = nullptr;
  QAction *actUndo = nullptr, *actRedo = nullptr, *actCut = nullptr, *actCopy = nullptr, *actPaste = nullptr,
          *actDelete = nullptr, *actSelectAll = nullptr;
  QAction *actWebHelp = nullptr, *actChm = nullptr, *actPdf = nullptr, *actOpenOutputFolder = nullptr,
          *actCheckLinks = nullptr, *actPublishProfile = nullptr, *actPublishAllProfiles = nullptr;
  QMenu* mnuBuildProfile = nullptr;  // Publish > Build Profile, filled when shown
  QAction *actProjectSettings = nullptr, *actReusableContent = nullptr, *actCleanUpFormatting = nullptr,
          *actNumberHelpContexts = nullptr, *actBuildProfiles = nullptr;
  QMenu* mnuTranslation = nullptr;
  QAction *actExportXliff = nullptr, *actImportXliff = nullptr;
  QAction *actFind = nullptr, *actFindNext = nullptr, *actFindPrevious = nullptr, *actFindInProject = nullptr,
          *actUndoReplace = nullptr;
  class TFindBar* barFind = nullptr;
  class QDockWidget* dockProjectFind = nullptr;
  class TProjectFindPanel* pnlProjectFind = nullptr;
  QAction *actUserManual = nullptr, *actContactUs = nullptr, *actVisitWebsite = nullptr, *actAbout = nullptr;

  // Start-up (uMain.cpp).
  void FormCreate();
  void FormDestroy();
  void ChooseFirstProject();
  // Empties the workspace folder and starts an untitled project there.
  void StartWorkspaceProject();
  // Shows the open project: its settings, its tree with the first topic, the caption.
  void ShowProject();
  void ReloadProjectSettings();
  void ShowSettingsProblem(const std::string& problem);
  // Forgets what the window holds of the project that was open: the topic shown and the
  // removed branches.
  void ForgetProjectState();
  // Takes the header and the text of the topic shown from the page.
  void CaptureEditorTexts();
  void CreateMenus();
  void CreateLeftPanel();
  void ConnectTopicPanel();
  void CreateEditorArea(QWidget* editorView);
  void CreateStatusBar();
  void NameControls();
  // Editing helpers (uMainTopicEditing.cpp, uMainFormatting.cpp, uMainInsert.cpp).
  void CreateTopicEditing();
  TTopicEditorSession* EditingSession();
  bool ToolbarIdle() const;
  void InsertImage(bool replace);
  std::string ProjectWorkspaceFolder();
  // After the settings dialog: a failure is shown, the settings stay in effect.
  void SaveConfirmedSettings();
  void WriteLastProjectFile(const std::string& path);
  // Puts the project first in File > Open Recent; a settings file that cannot be written only
  // costs the list.
  void RememberRecentProject(const std::string& path);
  // The recovery journal (uMainRecovery.cpp).
  void ScheduleRecoveryJournal();
  TRecoveryJournalWriter& JournalWriter();
  void ClearRecoveryJournal();
  // Offers the journal of the project just read from disk; true when it was recovered.
  bool OfferRecovery();
  // A workspace project with a journal is offered before the workspace is reset; true
  // when it was recovered and is now the open project.
  bool RecoverWorkspaceProject();
  // Tree helpers (uMainTopicTree.cpp).
  void RebuildAndSelect(const std::string& id);
  void TopicPropertiesEdited();
  void UpdateUndoRemoveTopic();
  // Empty titles are refused with a message.
  bool AcceptableTitle(const std::string& title);
  // The topic selected after id is removed: the next sibling, else the previous, else the parent.
  std::string NeighbourAfterRemoval(const std::string& id) const;
  // Publishing helpers (uMainPublish.cpp).
  // The build folder of the current profile (build/ when none is chosen).
  std::string OutputFolder() const;
  std::unique_ptr<TDocProject> PrepareBuild(const TBuildProfile* profile, TProjectSettings& settings);
  std::unique_ptr<TDocProject> PrepareChosenBuild(TProjectSettings& settings);
  void PublishProfiles(const std::vector<std::string>& names);
  void FillBuildProfileMenu();
  void SelectBuildProfile(const std::string& name);
  void ApplyProfileShading();
  // The profile the publishing commands build; "" for the project as it is.
  std::string FCurrentProfile;
  bool SavedForPublishing();
  void RunExport(const std::string& caption, const std::function<void(const TProgressCallback&)>& work);

  IUserDialogs* FDialogs;
  IEditorHost* FEditorHost;
  std::unique_ptr<TEditorBridge> FBridge;
  QStringList FArguments;

  TProjectController FOpenProject;
  std::vector<TTopicChange> FLastReplacement;  // what Undo Replace takes back
  std::string FWorkspaceFallback;              // the temporary workspace when the per-user one cannot be made
  // The settings problem last reported: each Open reports it anew, a reread does not.
  std::string FSettingsProblemShown;
  bool FUpdatingUi = false;
  std::string FCaretLinkHref;                   // the link at the caret, as the page last reported it
  std::optional<TImageProperties> FCaretImage;  // the selected picture, as the page last reported it
  // Topic editing and the toolbar's sync (uMainTopicEditing.cpp, uMainFormatting.cpp).
  std::shared_ptr<ITopicEditorWindow> FEditorWindow;
  std::shared_ptr<TTopicEditorSession> FSession;
  std::shared_ptr<TToolbarSync> FToolbarSync;
  QTimer* FToolbarReplay = nullptr;  // replays a caret report a hold rejected
  bool FEditorFocusOrdered = false;  // a command asked for the page to take the keyboard
  std::vector<TRemovedBranch> FRemovedBranches;
  bool FClosingAllowed = false;
  QTimer* FJournalTimer = nullptr;
  std::shared_ptr<TRecoveryJournalWriter> FJournalWriter;
  std::string FJournalRoot;  // the folder the last journal was written for
  bool FJournalProblemShown = false;

  std::vector<QAction*> FLanguageItems;
};

// Lets Qt's own dialogs (colour picker, file dialogs) speak the current UI language.
void InstallQtTranslation();

// The last character rule of the error box, and the box itself.
void ShowErrorBox(IUserDialogs& dialogs, const std::string& message);
