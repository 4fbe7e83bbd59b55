// Takes the screenshots of the user manual: starts the real window on a scratch copy of
// examples/Sample, drives it and grabs what the X server shows (so the editor page, menus
// and dialogs are captured as the user sees them). Run under Xvfb by take-screenshots.
#include <QAction>
#include <QApplication>
#include <QDialog>
#include <QDir>
#include <QDockWidget>
#include <QElapsedTimer>
#include <QEventLoop>
#include <QLineEdit>
#include <QMenu>
#include <QMenuBar>
#include <QPixmap>
#include <QPushButton>
#include <QScreen>
#include <QSplitter>
#include <QTemporaryDir>
#include <QTimer>
#include <QTreeWidget>
#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <functional>

#include "AppTestSupport.h"
#include "uAppStyle.h"
#include "uEditorHostQt.h"
#include "uFrmProjectSettings.h"
#include "uMain.h"
#include "uTopicTree.h"
#include "uTranslationFile.h"
#include "uUserDialogs.h"
#include "uUtils.h"

namespace {

QString gOutDir;

void Pause(int ms) {
  QEventLoop loop;
  QTimer::singleShot(ms, &loop, &QEventLoop::quit);
  loop.exec();
}

bool WaitFor(const std::function<bool()>& done, int timeoutMs) {
  QElapsedTimer timer;
  timer.start();
  while (!done()) {
    if (timer.elapsed() > timeoutMs) return false;
    Pause(50);
  }
  return true;
}

// What the X server shows in a rectangle of global coordinates: popups and the
// web engine's content included.
void Save(const QRect& global, const char* name) {
  QScreen* screen = QGuiApplication::primaryScreen();
  const QPixmap shot = screen->grabWindow(0, global.x(), global.y(), global.width(), global.height());
  const QString path = QDir(gOutDir).filePath(name);
  if (!shot.save(path, "PNG", 0)) {  // lossless; 0 asks for the strongest compression
    std::fprintf(stderr, "cannot write %s\n", qPrintable(path));
    std::exit(1);
  }
  std::printf("%s %dx%d\n", qPrintable(path), shot.width(), shot.height());
}

QRect GlobalRect(const QWidget* w) { return QRect(w->mapToGlobal(QPoint(0, 0)), w->size()); }

// Opens a modal dialog, sizes it, grabs it from inside its loop and cancels it.
void GrabModalDialog(QSize size, const char* name, const std::function<void()>& open) {
  QTimer::singleShot(800, [size, name] {
    if (QWidget* dialog = QApplication::activeModalWidget()) {
      dialog->resize(size);
      Pause(400);
      Save(GlobalRect(dialog), name);
      if (auto* d = qobject_cast<QDialog*>(dialog)) d->reject();
    }
  });
  open();
}

std::string TopicByTitle(TfrmMain& window, const std::string& title) {
  for (const auto& [id, topic] : window.Project().Topics()) {
    if (topic->Title() == title) return id;
  }
  std::fprintf(stderr, "no topic \"%s\" in the sample\n", title.c_str());
  std::exit(1);
}

void ShowTopic(TfrmMain& window, const std::string& title) {
  Probe(window).SelectTopicNode(TopicByTitle(window, title));
  WaitFor([&] { return Probe(window).StatusText().contains(QString::fromStdString(title)); }, 5000);
  Pause(1500);  // the page lays out and paints its pictures
}

// Two faults for the link check to find: a picture that is not in the project and a
// link to a topic that no longer exists.
void BreakTwoLinks(const std::string& root, const std::string& topicFile) {
  const std::string path = PathJoin(PathJoin(root, "topics"), topicFile);
  std::string html = ReadTextFileUtf8(path);
  html = ReplaceAll(html, "backup-flow.png", "backup-flow-old.png");
  html += "<p>See <a href=\"doc:0F1E2D3C4B5A69788796A5B4C3D2E1F0\">the old restore guide</a>.</p>";
  WriteTextFileUtf8(path, html);
}

}  // namespace

int main(int argc, char* argv[]) {
  if (argc != 3) {
    std::fprintf(stderr, "usage: folivane-manual-screenshots SAMPLE_DIR OUTPUT_DIR\n");
    return 2;
  }
  // A per-user folder of its own: the user's last project, workspace and language stay untouched.
  QTemporaryDir scratch;
  qputenv("APPDATA", QDir(scratch.path()).filePath("appdata").toUtf8());
  qputenv("LANGUAGE", "en");
  qputenv("FOLIVANE_NO_OPEN", "1");
  if (qEnvironmentVariableIsEmpty("QTWEBENGINE_CHROMIUM_FLAGS")) qputenv("QTWEBENGINE_CHROMIUM_FLAGS", "--no-sandbox");

  QApplication app(argc, argv);
  QApplication::setApplicationName(TfrmMain::kAppTitle);
  ApplyLightStyle(app);
  LoadTranslations();
  gOutDir = QString::fromLocal8Bit(argv[2]);
  QDir().mkpath(gOutDir);

  const std::filesystem::path sample = QDir(scratch.path()).filePath("Sample").toStdString();
  std::filesystem::copy(argv[1], sample, std::filesystem::copy_options::recursive);

  TQtUserDialogs::SetSettingsEditor([](QWidget* owner, TProjectSettings& settings, const std::string&) {
    return TfrmProjectSettings::Execute(owner, settings);
  });
  TQtUserDialogs dialogs;
  auto* host = new TEditorHostQt;
  TMainWindowServices services;
  services.dialogs = &dialogs;
  services.editorHost = host;
  services.editorView = host;
  services.arguments = {QString::fromStdString((sample / "Sample.fvp").string())};
  TfrmMain window(services);
  dialogs.SetParent(&window);
  window.move(0, 0);
  window.resize(1180, 780);
  window.show();
  if (!WaitFor([&] { return Probe(window).EditorReady(); }, 30000)) {
    std::fprintf(stderr, "the editor page did not become ready\n");
    return 1;
  }
  Control<QSplitter>(window, "splMain")->setSizes({300, 880});
  TopicTree(window)->expandAll();

  // The keys the menus show, for the manual's shortcut table.
  for (const char* name : {"actNewProject", "actOpen", "actSave", "actSaveAs", "actExit", "actUndo", "actRedo",
                           "actCut", "actCopy", "actPaste", "actSelectAll"}) {
    const QAction* a = Control<QAction>(window, name);
    std::printf("%-22s %s\n", qPrintable(a->text()), qPrintable(a->shortcut().toString()));
  }

  ShowTopic(window, "Welcome");
  Save(GlobalRect(&window), "main-window.png");

  ShowTopic(window, "Your first backup");
  const QRect editor = GlobalRect(Control<QWidget>(window, "pnlRight"));
  Save(QRect(editor.topLeft(), QSize(editor.width(), std::min(editor.height(), 560))), "topic-editing.png");
  const QRect toolbar = GlobalRect(Control<QWidget>(window, "barFormatting"));
  Save(toolbar, "formatting-toolbar.png");

  ShowTopic(window, "Installing Harbor Sync");
  Save(GlobalRect(Control<QWidget>(window, "pnlLeft")), "topic-tree.png");

  // Find in Project, listing the matches of a phrase per topic.
  Probe(window).FindInProjectClick();
  Control<QLineEdit>(window, "edProjectFind")->setText("first backup");
  Control<QPushButton>(window, "btnProjectFind")->click();
  Pause(400);
  Save(GlobalRect(&window), "find-in-project.png");
  Control<QDockWidget>(window, "dockProjectFind")->hide();
  Pause(200);

  // Menus: the menu bar's item and the open menu.
  const auto grabMenu = [&](QMenu* menu, QMenu* sub, const char* name) {
    const QRect item = window.menuBar()->actionGeometry(menu->menuAction());
    const QPoint at = window.menuBar()->mapToGlobal(item.bottomLeft());
    menu->popup(at);
    Pause(400);
    QRect area = QRect(window.menuBar()->mapToGlobal(item.topLeft()), item.size()).united(menu->geometry());
    if (sub) {
      menu->setActiveAction(sub->menuAction());
      sub->popup(menu->mapToGlobal(menu->actionGeometry(sub->menuAction()).topRight()));
      Pause(400);
      area = area.united(sub->geometry());
    }
    Save(area.adjusted(-4, -4, 8, 8), name);
    if (sub) sub->hide();
    menu->hide();
    Pause(200);
  };
  grabMenu(Control<QMenu>(window, "mnuPublish"), nullptr, "publish-menu.png");
  grabMenu(Control<QMenu>(window, "mnuTools"), Control<QMenu>(window, "mnuLanguage"), "language-menu.png");

  // Check Links reads the files on disk; the findings window is modeless.
  BreakTwoLinks((sample / "Sample").string(), "5A3D1E0C7B9F4E21A6C8000000001002.html");
  Probe(window).btnCheckLinksClick();
  QDialog* findings = nullptr;
  WaitFor(
      [&] {
        for (QWidget* w : QApplication::topLevelWidgets()) {
          if (auto* d = qobject_cast<QDialog*>(w); d && d->isVisible()) findings = d;
        }
        return findings != nullptr;
      },
      5000);
  if (!findings) {
    std::fprintf(stderr, "the Check Links window did not open\n");
    return 1;
  }
  findings->resize(720, 230);
  Pause(400);
  Save(GlobalRect(findings), "link-check.png");
  findings->close();
  Pause(200);

  // The dialogs are modal: each is grabbed from inside its own loop, then cancelled.
  GrabModalDialog(QSize(380, 400), "topic-picker.png", [&] { Probe(window).btnTopicLinkClick(); });
  // The reusable content dialog on its Variables tab, with room for the row of insert buttons.
  GrabModalDialog(QSize(1090, 540), "reusable-dialog.png",
                  [&] { Probe(window).btnVariablesConditionsSnippetsClick(); });
  GrabModalDialog(QSize(640, 720), "project-settings.png", [&] { Probe(window).btnProjectSettingsClick(); });

  return 0;  // the scratch project goes with its folder; nothing is saved
}
