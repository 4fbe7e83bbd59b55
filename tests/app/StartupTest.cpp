// Start-up choices, the caption, the toolbar layout and the tree's cycle guard.
#include <QComboBox>
#include <QTest>
#include <QToolButton>

#include "AppTestSupport.h"
#include "uPlatform.h"
#include "uStorage.h"
#include "uTopicTree.h"
#include "uWrapToolbar.h"

class StartupTest : public QObject {
  Q_OBJECT

 private slots:
  void firstArgumentOpensProject() {
    TAppSandbox box;
    const std::string file = box.MakeProject("Guide", {"Intro", "Second"});
    auto w = box.NewWindow({QString::fromStdString("  " + file + "  ")});
    QCOMPARE(w->ProjectFileName(), file);
    QCOMPARE(w->windowTitle().toStdString(), "Folivane - Guide [" + file + "]");
    QCOMPARE(TopicTree(*w)->topLevelItemCount(), 2);
    QCOMPARE(Probe(*w).SelectedTopicID(), w->Project().RootTopicIDs()[0]);
    QVERIFY(!Control<QToolButton>(*w, "btnSave")->isEnabled());
    QCOMPARE(ReadFile(TMainWindowProbe::LastProjectFilePath()), file);
    QVERIFY(!box.host.navigations.empty());
    QVERIFY(box.host.navigations.back().find("internal/editor/editor.html") != std::string::npos);
  }

  void unusableArgumentFallsBackToLastProjectThenWorkspace() {
    TAppSandbox box;
    const std::string last = box.MakeProject("Last");
    WriteTextFileUtf8(TMainWindowProbe::LastProjectFilePath(), last);
    WriteTextFileUtf8(box.Path("notes.txt"), "x");
    auto w = box.NewWindow({QString::fromStdString(box.Path("notes.txt"))});
    QCOMPARE(w->ProjectFileName(), last);
    w.reset();

    // A deleted last project: a fresh workspace, whatever it held before.
    DeleteFileIfExists(last);
    WriteTextFileUtf8(TMainWindowProbe::WorkspaceFolder() + "stale.txt", "old");
    auto fresh = box.NewWindow({QString::fromStdString(box.Path("missing.fvp"))});
    QVERIFY(fresh->ProjectFileName().empty());
    QCOMPARE(fresh->windowTitle(), QString("Folivane - Untitled Documentation"));
    QCOMPARE(TopicTree(*fresh)->topLevelItemCount(), 1);
    QCOMPARE(TopicTree(*fresh)->topLevelItem(0)->text(0), QString("Welcome"));
    QVERIFY(!FileExists(TMainWindowProbe::WorkspaceFolder() + "stale.txt"));
    QVERIFY(FileExists(TProjectSettings::DefaultSettingsPathForProject(TMainWindowProbe::WorkspaceFolder())));
  }

  // A per-user folder that cannot be made (a file in its place, a read-only config folder):
  // the window still opens, says why, and the workspace lives in a private temporary folder.
  void perUserFolderThatCannotBeMadeStillOpensTheWindow() {
    TAppSandbox box;
    WriteTextFileUtf8(box.Path("blocked"), "a file, not a folder");
    qputenv("APPDATA", QByteArray::fromStdString(box.Path("blocked")));
    std::unique_ptr<TfrmMain> w;
    try {
      w = box.NewWindow();
    } catch (const std::exception& e) {
      QFAIL(e.what());
    }
    QCOMPARE(box.dialogs.messages.size(), size_t(1));
    QVERIFY2(box.dialogs.messages[0].text.find(box.Path("blocked")) != std::string::npos,
             box.dialogs.messages[0].text.c_str());
    const std::string root = w->Project().RootPath();
    QVERIFY2(StartsWith(root, TempDir()) && DirExists(root), root.c_str());
    QCOMPARE(TopicTree(*w)->topLevelItemCount(), 1);
    QVERIFY(FileExists(TopicFilePath(w->Project(), w->Project().RootTopicIDs()[0])) ||
            DirExists(PathJoin(root, "topics")));
    TypeIntoEditor(box.host, "<p>kept somewhere</p>");
    const std::string target = box.Path("Saved.fvp");
    box.dialogs.saveFiles.push_back(target);
    Probe(*w).btnSaveClick();
    QCOMPARE(ReadFile(TopicFilePath(box.Path("Saved/"), w->Project().RootTopicIDs()[0])),
             std::string("<p>kept somewhere</p>"));
    w.reset();
    DeleteFolderTree(root);
  }

  // A damaged project file named at start-up: its message, then a usable workspace.
  void damagedProjectAtStartupFallsBackToWorkspace() {
    TAppSandbox box;
    const std::string file = box.Path("Broken.fvp");
    WriteTextFileUtf8(file, "{not json");
    auto w = box.NewWindow({QString::fromStdString(file)});
    QCOMPARE(box.dialogs.messages.size(), size_t(1));
    QVERIFY(box.dialogs.messages[0].text.find("Broken.fvp") != std::string::npos);
    QVERIFY(w->ProjectFileName().empty());
    QCOMPARE(TopicTree(*w)->topLevelItemCount(), 1);
    QCOMPARE(w->windowTitle(), QString("Folivane - Untitled Documentation"));
  }

  void topicCycleInStructureStopsTheTree() {
    TAppSandbox box;
    const std::string file = box.MakeProject("Loop", {"A"});
    {
      TDocProject p;
      LoadProject(ProjectFolderForFile(file), p);
      const std::string a = p.RootTopicIDs()[0];
      const std::string b = p.AddTopic("B", a).ID();
      p.GetTopic(b).Children().push_back(a);  // B lists its own parent as a child
      SaveProject(p);
    }
    auto w = box.NewWindow({QString::fromStdString(file)});
    QCOMPARE(TopicTree(*w)->topLevelItemCount(), 1);
    QTreeWidgetItem* a = TopicTree(*w)->topLevelItem(0);
    QCOMPARE(a->childCount(), 1);
    QCOMPARE(a->child(0)->childCount(), 0);
  }

  void toolbarBreaksIntoTwoRowsByGroups() {
    TAppSandbox box;
    auto w = box.NewWindow();
    w->show();
    auto* bar = w->findChild<TWrapToolbar*>("barFormatting");
    QVERIFY(bar);
    const std::vector<QWidget*>& items = bar->Items();
    struct TCase {
      int width;
      bool twoRows;
    };
    for (const TCase c : {TCase{1800, false}, TCase{700, true}, TCase{1800, false}}) {
      w->resize(c.width, 700);
      QApplication::processEvents();
      bar->Relayout();
      QCOMPARE(bar->SecondRow()->isVisible(), c.twoRows);
      // A box always shares a row with the icon that names it.
      int joined = 0;
      for (size_t i = 1; i < items.size(); ++i) {
        if (!bar->Joined(i)) continue;
        ++joined;
        QCOMPARE(items[i]->parentWidget(), items[i - 1]->parentWidget());
      }
      QCOMPARE(joined, 5);
      int right = 0;
      for (QWidget* item : items) {
        if (item->parentWidget() == bar->FirstRow() && item->isVisible())
          right = std::max(right, item->geometry().right());
      }
      QVERIFY2(right <= bar->FirstRow()->width(), "first row overflows");
    }
    QCOMPARE(items[0]->parentWidget(), bar->FirstRow());
  }
};

QTEST_MAIN(StartupTest)
#include "StartupTest.moc"
