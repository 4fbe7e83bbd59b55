// New, Open, Save, Save As, the save question and the pending topic texts.
#include <QAction>
#include <QMenu>
#include <QTest>
#include <QToolButton>

#include "AppTestSupport.h"
#include "uStorage.h"

namespace {

// Whether the page was pointed at the folder: its base address and its style sheet.
bool PagePointedAt(const std::vector<std::string>& scripts, const std::string& folder) {
  bool baseMoved = false;
  bool cssMoved = false;
  for (std::string script : scripts) {
    std::erase(script, '\\');  // the path sits inside escaped JSON
    const bool inFolder = script.find(folder) != std::string::npos;
    baseMoved = baseMoved || (inFolder && script.find("zdSetBaseHref") != std::string::npos);
    cssMoved = cssMoved || (inFolder && script.find("setCssFile") != std::string::npos);
  }
  return baseMoved && cssMoved;
}

std::string TopicFile(TfrmMain& w, int root) {
  return TopicFilePath(w.Project(), w.Project().RootTopicIDs()[static_cast<size_t>(root)]);
}

}  // namespace

class ProjectLifecycleTest : public QObject {
  Q_OBJECT

 private slots:
  // File > Open Recent: the projects opened or saved as, newest first; a missing one is
  // removed from the list with a message, and the open project stays.
  void openRecentListsTheLastProjects() {
    TAppSandbox box;
    const std::string alpha = box.MakeProject("Alpha");
    const std::string beta = box.MakeProject("Beta", {"Welcome", "Two"});
    auto w = box.NewWindow({QString::fromStdString(alpha)});
    w->OpenProject(beta);
    Probe(*w).FillOpenRecentMenu();
    QList<QAction*> items = Control<QMenu>(*w, "mnuOpenRecent")->actions();
    QCOMPARE(items.size(), 2);
    QVERIFY(items[0]->text().endsWith(QString::fromStdString(beta)));
    items[1]->trigger();
    QCOMPARE(w->ProjectFileName(), alpha);

    DeleteFileIfExists(beta);
    Probe(*w).FillOpenRecentMenu();
    Control<QMenu>(*w, "mnuOpenRecent")->actions()[1]->trigger();
    QCOMPARE(box.dialogs.messages.back().text,
             "The project " + beta + " no longer exists; it is removed from the list of recent projects.");
    QCOMPARE(w->ProjectFileName(), alpha);
    Probe(*w).FillOpenRecentMenu();
    QCOMPARE(Control<QMenu>(*w, "mnuOpenRecent")->actions().size(), 1);

    // A new window (the next start) finds the list in the per-user settings.
    w.reset();
    auto again = box.NewWindow();
    Probe(*again).FillOpenRecentMenu();
    QVERIFY(Control<QMenu>(*again, "mnuOpenRecent")->actions()[0]->text().endsWith(QString::fromStdString(alpha)));
  }

  void editMarksCaptionAndSaveOnWorkspaceAsksForName() {
    TAppSandbox box;
    auto w = box.NewWindow();
    QCOMPARE(w->windowTitle(), QString("Folivane - Untitled Documentation"));
    QVERIFY(!Control<QToolButton>(*w, "btnSave")->isEnabled());
    TypeIntoEditor(box.host, "<p>typed</p>");
    QCOMPARE(w->windowTitle(), QString("Folivane* - Untitled Documentation"));
    QVERIFY(Control<QToolButton>(*w, "btnSave")->isEnabled());

    box.dialogs.saveFiles.push_back("");  // the user cancels the name
    Probe(*w).btnSaveClick();
    // The project's title names the file, made safe for a file name.
    QCOMPARE(box.dialogs.saveProposals.back(), std::string("Untitled Documentation.fvp"));
    QVERIFY(w->ProjectDirty());
    w->Project().SetTitle("Pumps: A/B guide");
    box.dialogs.saveFiles.push_back("");
    Probe(*w).btnSaveAsClick();
    QCOMPARE(box.dialogs.saveProposals.back(), std::string("Pumps_ A_B guide.fvp"));
    // The workspace already holds the text: Save wrote it before asking.
    QCOMPARE(ReadFile(TopicFile(*w, 0)), std::string("<p>typed</p>"));
  }

  // An unreadable settings file: the project still opens whole, under its own title
  // with the default settings, the problem is reported and the file is left for repair.
  void unreadableSettingsFileOpensWithDefaults() {
    for (const std::string bad : {"{not json", R"({"ProjTitle":"Other","FontSizeH1":12.5})"}) {
      TAppSandbox box;
      const std::string alpha = box.MakeProject("Alpha");
      const std::string beta = box.MakeProject("Beta", {"Welcome", "Two"});
      auto w = box.NewWindow({QString::fromStdString(alpha)});
      TProjectSettings alphaSettings = Probe(*w).Settings();
      alphaSettings.FontSizeH1 = 50;
      alphaSettings.SaveToFile(box.Path("Alpha/meta/project_settings.json"));
      box.dialogs.openFiles.push_back(alpha);
      Control<QAction>(*w, "actOpen")->trigger();
      QCOMPARE(Probe(*w).Settings().FontSizeH1, 50);

      const std::string betaSettings = box.Path("Beta/meta/project_settings.json");
      WriteTextFileUtf8(betaSettings, bad);
      box.dialogs.openFiles.push_back(beta);
      Control<QAction>(*w, "actOpen")->trigger();
      QCOMPARE(w->Project().Title(), std::string("Beta"));
      QCOMPARE(w->windowTitle(), QString::fromStdString("Folivane - Beta [" + beta + "]"));
      QCOMPARE(Probe(*w).Settings().FontSizeH1, 32);
      QCOMPARE(TopicTree(*w)->topLevelItemCount(), 2);
      QCOMPARE(box.dialogs.messages.size(), size_t(1));
      QCOMPARE(box.dialogs.messages[0].kind, TMessageKind::Error);
      QVERIFY(box.dialogs.messages[0].text.find(betaSettings) != std::string::npos);
      QCOMPARE(ReadFile(betaSettings), bad);
      box.dialogs.openFiles.push_back(beta);
      Control<QAction>(*w, "actOpen")->trigger();
      QCOMPARE(box.dialogs.messages.size(), size_t(2));  // reported again

      // Started with that project: it opens, and the problem is reported once.
      box.dialogs.messages.clear();
      auto started = box.NewWindow({QString::fromStdString(beta)});
      QCOMPARE(started->Project().Title(), std::string("Beta"));
      QCOMPARE(started->Project().RootPath(), box.Path("Beta/"));
      QCOMPARE(box.dialogs.messages.size(), size_t(1));
    }
  }

  void saveAsCopiesWorkspaceWithoutBuildAndProjectFiles() {
    TAppSandbox box;
    auto w = box.NewWindow();
    const std::string ws = TMainWindowProbe::WorkspaceFolder();
    WriteTextFileUtf8(ws + "build/webhelp/index.html", "old output");
    WriteTextFileUtf8(ws + "assets/images/a.png", "png");
    WriteTextFileUtf8(ws + "meta/stray.fvp", "{}");
    TypeIntoEditor(box.host, "<p>kept</p>");
    const std::string target = box.Path("docs/Guide.fvp");
    EnsureDir(box.Path("docs"));
    box.dialogs.saveFiles.push_back(target);
    Probe(*w).btnSaveAsClick();
    const std::string folder = box.Path("docs/Guide/");
    QCOMPARE(w->Project().RootPath(), folder);
    QVERIFY(FileExists(target));
    QVERIFY(FileExists(folder + "assets/images/a.png"));
    QVERIFY(!FileExists(folder + "build/webhelp/index.html"));
    QVERIFY(!FileExists(folder + "meta/stray.fvp"));
    QCOMPARE(ReadFile(TopicFile(*w, 0)), std::string("<p>kept</p>"));
    QVERIFY(w->windowTitle().endsWith(QString::fromStdString("[" + target + "]")));
    QVERIFY(!w->ProjectDirty());
    QCOMPARE(Probe(*w).StatusText(), QString("Saved As"));
    QCOMPARE(ReadFile(TMainWindowProbe::LastProjectFilePath()), target);

    // Save As onto the same file copies nothing and rewrites the files.
    TypeIntoEditor(box.host, "<p>again</p>");
    box.dialogs.saveFiles.push_back(target);
    Probe(*w).btnSaveAsClick();
    QCOMPARE(w->Project().RootPath(), folder);
    QCOMPARE(ReadFile(TopicFile(*w, 0)), std::string("<p>again</p>"));
  }

  // The page keeps working on the copy: its base address and style sheet move along.
  void saveAsPointsTheEditorAtTheCopy() {
    TAppSandbox box;
    auto w = box.NewWindow();
    box.host.Post(R"({"type":"ready"})");
    QTRY_VERIFY(Probe(*w).EditorReady());
    const std::string target = box.Path("docs/Guide.fvp");
    EnsureDir(box.Path("docs"));
    box.dialogs.saveFiles.push_back(target);
    box.host.scripts.clear();
    Probe(*w).btnSaveAsClick();
    QVERIFY(PagePointedAt(box.host.scripts, box.Path("docs/Guide/")));
  }

  // Saving a project opened through a renamed project file moves it: the page follows.
  void saveThatMovesTheProjectPointsTheEditorAtTheNewFolder() {
    TAppSandbox box;
    const std::string original = box.MakeProject("Guide", {"One"});
    const std::string renamed = box.Path("Renamed.fvp");
    WriteTextFileUtf8(renamed, ReadFile(original));
    auto w = box.NewWindow({QString::fromStdString(renamed)});
    box.host.Post(R"({"type":"ready"})");
    QTRY_VERIFY(Probe(*w).EditorReady());
    QCOMPARE(w->Project().RootPath(), box.Path("Guide/"));
    TypeIntoEditor(box.host, "<p>moved along</p>");
    box.host.scripts.clear();
    Probe(*w).btnSaveClick();
    QCOMPARE(w->Project().RootPath(), box.Path("Renamed/"));
    QVERIFY(PagePointedAt(box.host.scripts, box.Path("Renamed/")));
    QCOMPARE(ReadFile(TopicFile(*w, 0)), std::string("<p>moved along</p>"));
  }

  // After Save As every topic's page is the copy's: removing a topic removes the copy's
  // file and leaves the original project whole.
  void saveAsMovesEveryTopicsPage() {
    TAppSandbox box;
    const std::string file = box.MakeProject("Guide", {"One", "Two"});
    auto w = box.NewWindow({QString::fromStdString(file)});
    const std::string originalTwo = TopicFile(*w, 1);
    box.dialogs.saveFiles.push_back(box.Path("Copy.fvp"));
    Probe(*w).btnSaveAsClick();
    for (const auto& [id, topic] : w->Project().Topics()) {
      QCOMPARE(topic->HtmlPath(), box.Path("Copy/topics/" + id + ".html"));
    }
    const std::string copyTwo = TopicFile(*w, 1);
    QVERIFY(FileExists(copyTwo));
    Probe(*w).SelectTopicNode(w->Project().RootTopicIDs()[1]);
    box.dialogs.answers.push_back(TDialogAnswer::Yes);
    Probe(*w).btnDeleteTopicClick();
    QVERIFY(!FileExists(copyTwo));
    QVERIFY(FileExists(originalTwo));
  }

  void saveAsRefusesNamesThatAreNotProjectFiles() {
    TAppSandbox box;
    auto w = box.NewWindow();
    TypeIntoEditor(box.host, "<p>x</p>");
    const std::string bad = box.Path("Guide.txt");
    box.dialogs.saveFiles.push_back(bad);
    Probe(*w).btnSaveAsClick();
    QCOMPARE(box.dialogs.messages.back().text, "Invalid project filename: " + bad);
    QVERIFY(!FileExists(bad));
    QVERIFY(!DirExists(box.Path("Guide")));
    QVERIFY(w->ProjectDirty());
  }

  void normalizeProjectPathKeepsLastDriveRootedPart() {
    struct TCase {
      const char* input;
      const char* expectedEnd;
    };
    const TCase cases[] = {{"  C:\\x\\D:\\p\\a.fvp  ", "D:\\p\\a.fvp"}, {"C:\\p\\a.fvp", "C:\\p\\a.fvp"}};
    for (const TCase& c : cases) {
      const std::string result = TMainWindowProbe::NormalizeProjectPath(c.input);
      QVERIFY2(EndsWith(result, c.expectedEnd) && result.find("x\\D:") == std::string::npos, result.c_str());
    }
    QCOMPARE(TMainWindowProbe::NormalizeProjectPath(" /tmp/a/../b.fvp "), std::string("/tmp/b.fvp"));
  }

  // The save question with each answer, from New.
  void saveQuestionAnswers() {
    struct TCase {
      TDialogAnswer answer;
      bool newGoesOn;
      bool textSaved;
    };
    const TCase cases[] = {
        {TDialogAnswer::Cancel, false, false}, {TDialogAnswer::No, true, false}, {TDialogAnswer::Yes, true, true}};
    for (const TCase& c : cases) {
      TAppSandbox box;
      const std::string file = box.MakeProject("Guide", {"One"});
      auto w = box.NewWindow({QString::fromStdString(file)});
      const std::string topicFile = TopicFile(*w, 0);
      TypeIntoEditor(box.host, "<p>edited</p>");
      box.dialogs.answers.push_back(c.answer);
      Probe(*w).btnNewProjectClick();
      QCOMPARE(box.dialogs.questions.back().text,
               std::string("Project has been modified. Do you want to save changes?"));
      QCOMPARE(w->ProjectFileName().empty(), c.newGoesOn);
      QCOMPARE(ReadFile(topicFile) == "<p>edited</p>", c.textSaved);
      if (c.newGoesOn) {
        QCOMPARE(Probe(*w).StatusText(), QString("New project created (not saved)"));
        QVERIFY(Probe(*w).UnsavedTopicHtml().empty());
        QVERIFY(!w->ProjectDirty());
      } else {
        QVERIFY(w->ProjectDirty());
      }
    }
  }

  // Yes, then a cancelled Save As: the project is still modified, so New stops and
  // the workspace with its unsaved text survives.
  void yesWithCancelledSaveAsStopsTheCaller() {
    TAppSandbox box;
    auto w = box.NewWindow();
    TypeIntoEditor(box.host, "<p>unsaved</p>");
    box.dialogs.answers.push_back(TDialogAnswer::Yes);
    box.dialogs.saveFiles.push_back("");
    Probe(*w).btnNewProjectClick();
    QVERIFY(w->ProjectDirty());
    QCOMPARE(ReadFile(TopicFile(*w, 0)), std::string("<p>unsaved</p>"));
    QVERIFY(Probe(*w).StatusText() != QString("New project created (not saved)"));
  }

  void closingAsksAndCancelKeepsWindow() {
    TAppSandbox box;
    auto w = box.NewWindow();
    w->show();
    TypeIntoEditor(box.host, "<p>x</p>");
    box.dialogs.answers.push_back(TDialogAnswer::Cancel);
    QVERIFY(!w->close());
    QVERIFY(w->isVisible());
    box.dialogs.answers.push_back(TDialogAnswer::No);
    QVERIFY(w->close());
  }

  void pendingTextsOfTwoTopicsAreWrittenByOneSave() {
    TAppSandbox box;
    const std::string file = box.MakeProject("Guide", {"One", "Two"});
    auto w = box.NewWindow({QString::fromStdString(file)});
    TypeIntoEditor(box.host, "<p>one</p>");
    Probe(*w).SelectTopicNode(w->Project().RootTopicIDs()[1]);
    TypeIntoEditor(box.host, "<p>two</p>");
    QCOMPARE(Probe(*w).UnsavedTopicHtml().size(), size_t(1));
    QVERIFY(ReadFile(TopicFile(*w, 0)).find("one") == std::string::npos);
    Probe(*w).btnSaveClick();
    QCOMPARE(ReadFile(TopicFile(*w, 0)), std::string("<p>one</p>"));
    QCOMPARE(ReadFile(TopicFile(*w, 1)), std::string("<p>two</p>"));
    QVERIFY(Probe(*w).UnsavedTopicHtml().empty());
    QCOMPARE(Probe(*w).StatusText(), QString("Saved"));
    QVERIFY(!Control<QToolButton>(*w, "btnSave")->isEnabled());
  }

  // No, then Open: nothing of the old project's text reaches the new one.
  void answeringNoDropsPendingTextsBeforeOpen() {
    TAppSandbox box;
    const std::string first = box.MakeProject("First", {"A"});
    const std::string second = box.MakeProject("Second", {"B"});
    auto w = box.NewWindow({QString::fromStdString(first)});
    const std::string firstFile = TopicFile(*w, 0);
    const std::string before = ReadFile(firstFile);
    TypeIntoEditor(box.host, "<p>dropped</p>");
    box.dialogs.answers.push_back(TDialogAnswer::No);
    box.dialogs.openFiles.push_back(second);
    Probe(*w).btnOpenProjectClick();
    QCOMPARE(w->ProjectFileName(), second);
    QVERIFY(Probe(*w).UnsavedTopicHtml().empty());
    // Both projects written in full: the text is in neither.
    const std::string copy = box.Path("Copy.fvp");
    box.dialogs.saveFiles.push_back(copy);
    Probe(*w).btnSaveAsClick();
    QCOMPARE(w->ProjectFileName(), copy);
    Probe(*w).btnSaveClick();
    QCOMPARE(ReadFile(firstFile), before);
    QVERIFY(FileExists(TopicFile(*w, 0)));
    QCOMPARE(ReadFile(TopicFile(*w, 0)).find("dropped"), std::string::npos);
    QCOMPARE(ReadFile(TopicFilePath(box.Path("Second/"), w->Project().RootTopicIDs()[0])).find("dropped"),
             std::string::npos);
  }

  // A topics.json left damaged (a merge conflict) is reported by name and left as it is;
  // the open project stays, and at start-up the next choice is taken.
  void damagedTopicsFileIsReportedAndKeepsTheOpenProject() {
    TAppSandbox box;
    const std::string good = box.MakeProject("Good", {"One"});
    const std::string damaged = box.MakeProject("Damaged", {"A", "B"});
    const std::string topics = TopicsJsonPath(box.Path("Damaged/"));
    const std::string text = "<<<<<<< HEAD\n" + ReadFile(topics);
    WriteTextFileUtf8(topics, text);
    auto w = box.NewWindow({QString::fromStdString(good)});
    TypeIntoEditor(box.host, "<p>pending</p>");
    Probe(*w).Guard([&] { w->OpenProject(damaged); });
    QCOMPARE(box.dialogs.messages.back().kind, TMessageKind::Error);
    QVERIFY2(StartsWith(box.dialogs.messages.back().text, topics + " is not valid JSON"),
             box.dialogs.messages.back().text.c_str());
    QCOMPARE(ReadFile(topics), text);
    QCOMPARE(w->ProjectFileName(), good);
    QVERIFY(w->ProjectDirty());
    QCOMPARE(TopicTree(*w)->topLevelItemCount(), 1);

    box.dialogs.messages.clear();
    auto started = box.NewWindow({QString::fromStdString(damaged)});
    QCOMPARE(box.dialogs.messages.size(), size_t(1));
    QVERIFY(started->ProjectFileName() != damaged);
    QCOMPARE(ReadFile(topics), text);
  }

  // A file that cannot be read leaves the open project exactly as it was.
  void unreadableProjectKeepsTheOpenOne() {
    TAppSandbox box;
    const std::string file = box.MakeProject("Guide", {"One"});
    auto w = box.NewWindow({QString::fromStdString(file)});
    TypeIntoEditor(box.host, "<p>pending</p>");
    const std::string broken = box.Path("Broken.fvp");
    WriteTextFileUtf8(broken, "[1,2");
    box.dialogs.answers.push_back(TDialogAnswer::Cancel);  // not asked: the project is handled below
    Probe(*w).Guard([&] { w->OpenProject(broken); });
    QVERIFY(box.dialogs.messages.back().text.find("Broken.fvp") != std::string::npos);
    QCOMPARE(w->ProjectFileName(), file);
    QVERIFY(w->ProjectDirty());
    Probe(*w).btnSaveClick();
    QCOMPARE(ReadFile(TopicFile(*w, 0)), std::string("<p>pending</p>"));
    QVERIFY(!FileExists(box.Path("Broken/project.json")));
  }

  void openingProjectWithoutStructureAddsWelcome() {
    TAppSandbox box;
    const std::string file = box.Path("Bare.fvp");
    WriteTextFileUtf8(file, "{\"title\":\"\",\"root\":\"\"}");
    auto w = box.NewWindow({QString::fromStdString(file)});
    QCOMPARE(TopicTree(*w)->topLevelItemCount(), 1);
    QCOMPARE(TopicTree(*w)->topLevelItem(0)->text(0), QString("Welcome"));
    QVERIFY(FileExists(TopicFile(*w, 0)));
    QVERIFY(FileExists(box.Path("Bare/meta/topics.json")));
  }
};

QTEST_MAIN(ProjectLifecycleTest)
#include "ProjectLifecycleTest.moc"
