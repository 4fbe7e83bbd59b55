// Start-up and shutdown, the workspace project, command guarding and the window's events.
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
#include "uFontNames.h"
#include "uFormattingToolbar.h"
#include "uLinkLabel.h"
#include "uPlatform.h"
#include "uQtText.h"
#include "uScopedFlag.h"
#include "uStorage.h"
#include "uTopicPanel.h"
#include "uTopicTree.h"
#include "uUserDialogs.h"
#include "uWrapToolbar.h"

// The icons live in a static library, so their resource is registered by hand.
static void InitIconResources() { Q_INIT_RESOURCE(folivane_icons); }

void ShowErrorBox(IUserDialogs& dialogs, const std::string& message) {
  dialogs.ShowMessage(TMessageKind::Error, ErrorBoxText(message));
}

TfrmMain::TfrmMain(const TMainWindowServices& services, QWidget* parent)
    : QMainWindow(parent),
      FDialogs(services.dialogs),
      FEditorHost(services.editorHost),
      FArguments(services.arguments) {
  InitIconResources();
  setWindowTitle(kAppTitle);
  setWindowIcon(QIcon(":/icons/folivane.svg"));
  CreateMenus();
  auto* central = new QWidget(this);
  auto* layout = new QHBoxLayout(central);
  layout->setContentsMargins(0, 0, 0, 0);
  splMain = new QSplitter(Qt::Horizontal, central);
  splMain->setHandleWidth(6);
  splMain->setChildrenCollapsible(false);
  layout->addWidget(splMain);
  setCentralWidget(central);
  CreateLeftPanel();
  CreateEditorArea(services.editorView);
  CreateStatusBar();
  CreateFindControls();
  NameControls();
  FormCreate();
}

TfrmMain::~TfrmMain() { FormDestroy(); }

void TfrmMain::FormCreate() {
  lbHomepageURL->setText(kHomepageUrl);
  ChooseFirstProject();
  ApplySettingsToUi();
  ApplySpellCheck();

  pnlTopics->FillStyleProfiles();
  barFormatting->Reset();

  const int buttonWidth = btnVariablesConditionsSnippets->width();
  pnlLeft->setMinimumWidth(120);
  const int leftWidth = static_cast<int>(std::nearbyint(buttonWidth * 1.2)) + btnVariablesConditionsSnippets->x();
  // Wider than the button rows: topic titles are longer than four buttons.
  splMain->setSizes({qMax(leftWidth, 280), 1000});
  barFormatting->Relayout();

  if (FEditorHost) {
    FBridge = std::make_unique<TEditorBridge>(*FEditorHost);
    ConnectBridgeEvents();
    ConnectSpellChecking();
    FEditorHost->SetImagePropertiesHandler([this] { Guard([this] { btnImagePropertiesClick(); }); });
    FBridge->NavigateToEditor(EditorPagePath(Project()));
  }
  RebuildTopicTree();
  pnlTopics->SelectFirst();
  UpdateCaption();
  BuildLanguageMenu();
  ApplyTranslation();
}

void TfrmMain::FormDestroy() {
  FBridge.reset();
  if (FEditorHost) FEditorHost->SetMessageHandler(nullptr);
}

// A recovered workspace project, else the project from the first argument, else the last
// project, else a fresh workspace.
// A project that cannot be opened is reported and the next choice is taken.
void TfrmMain::ChooseFirstProject() {
  // An unsaved project of the last session comes first: resetting the workspace would delete it.
  bool recovered = false;
  Guard([this, &recovered] { recovered = RecoverWorkspaceProject(); });
  if (recovered) return;
  auto usable = [](const std::string& candidate) {
    return !candidate.empty() && FileExists(candidate) && SameTextAscii(ExtractFileExt(candidate), ".fvp");
  };
  auto tryOpen = [this](const std::string& candidate) {
    try {
      OpenProject(candidate);
      return true;
    } catch (const EAbort&) {
    } catch (const std::exception& e) {
      ShowErrorBox(*FDialogs, e.what());
    }
    return false;
  };
  if (!FArguments.isEmpty()) {
    const std::string candidate = NormalizeProjectPath(FromQ(FArguments.first()));
    if (usable(candidate) && tryOpen(candidate)) return;
  }
  std::string last;
  try {
    if (FileExists(LastProjectFilePath())) last = NormalizeProjectPath(Trim(ReadTextFileUtf8(LastProjectFilePath())));
  } catch (const std::exception&) {
    last.clear();
  }
  if (usable(last) && tryOpen(last)) return;
  StartWorkspaceProject();
}

// The per-user workspace, or where it cannot be made (a file in its way, a read-only
// configuration folder), a private temporary folder for this session, said once.
std::string TfrmMain::ProjectWorkspaceFolder() {
  if (!FWorkspaceFallback.empty()) return FWorkspaceFallback;
  std::string problem;
  try {
    return EnsureDir(WorkspaceFolder());
  } catch (const std::exception& e) {
    problem = e.what();
  }
  FWorkspaceFallback = IncludeTrailingDelimiter(MakePrivateTempFolder("folivane-workspace"));
  ShowErrorBox(*FDialogs, FormatText(TranslateText("The per-user folder cannot be used (%s). Until it can, the "
                                                   "unsaved project is kept in %s; use Save As to keep it."),
                                     {problem, FWorkspaceFallback}));
  return FWorkspaceFallback;
}

void TfrmMain::Guard(const std::function<void()>& command) {
  try {
    command();
  } catch (const EAbort&) {
  } catch (const std::exception& e) {
    QApplication::restoreOverrideCursor();
    ShowErrorBox(*FDialogs, e.what());
  }
}

void TfrmMain::ConnectClick(QToolButton* button, void (TfrmMain::*handler)()) {
  connect(button, &QToolButton::clicked, this, [this, handler] { Guard([this, handler] { (this->*handler)(); }); });
}

QString TfrmMain::StatusText() const { return lblStatus->text(); }

void TfrmMain::ShowStatus(const std::string& text) { lblStatus->setText(ToQ(text)); }

void TfrmMain::showEvent(QShowEvent* event) {
  QMainWindow::showEvent(event);
  // The splitter settles the right pane's width only once the window is shown.
  QTimer::singleShot(0, this, [this] { barFormatting->Relayout(); });
}

void TfrmMain::closeEvent(QCloseEvent* event) {
  bool allowed = false;
  Guard([this, &allowed] { allowed = ConfirmSaveChanges(); });
  if (allowed) {
    event->accept();
  } else {
    event->ignore();
  }
}

void TfrmMain::ExitClick() { close(); }

// --- Settings shown in the window -------------------------------------------------------

void TfrmMain::ApplySettingsToUi() {
  const TScopedFlag updating(FUpdatingUi);
  const TProjectSettings& s = Settings();
  barFormatting->ShowProjectDefaults(s);
  if (TTopicTree* tree = pnlTopics->Tree()) {
    QFont font = tree->font();
    font.setPointSize(qMax(1, s.TocTextSize));
    tree->setFont(font);
    QPalette palette = tree->palette();
    palette.setColor(QPalette::Text, QColor(ToQ(ColorToHtml(s.TocTextColor))));
    tree->setPalette(palette);
    pnlTopics->RefreshLooks();  // excluded topics are greyed from the new colours
  }
  if (pnlLeft) {
    QPalette palette = pnlLeft->palette();
    palette.setColor(QPalette::Window, QColor(ToQ(ColorToHtml(s.DefaultPageBgColor))));
    pnlLeft->setPalette(palette);
  }
  Project().SetTitle(s.ProjTitle);
}
