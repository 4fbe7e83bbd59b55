// Find and replace in the window: Replace in Project with its preview, unsaved text taking
// part, Undo Replace after a topic switch, and the filter over the topic tree.
#include <QAction>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QTest>
#include <QTreeWidget>

#include "AppTestSupport.h"
#include "uStorage.h"

class FindReplaceTest : public QObject {
  Q_OBJECT

 private slots:
  void replaceInProjectThenUndo() {
    TAppSandbox box;
    const std::string file = box.MakeProject("Find", {"Save guide", "Other", "Third"});
    auto w = box.NewWindow({QString::fromStdString(file)});
    const std::string a = w->Project().RootTopicIDs()[0];
    const std::string b = w->Project().RootTopicIDs()[1];
    const std::string bPage = "<p><b>Save</b> As and save</p>";
    WriteTextFileUtf8(TopicFilePath(w->Project(), b), bPage);
    TypeIntoEditor(box.host, "<p>Typed: save me</p>");  // a's text, not saved

    Probe(*w).FindInProjectClick();
    Control<QLineEdit>(*w, "edProjectFind")->setText("save");
    Control<QPushButton>(*w, "btnProjectFind")->click();
    QCOMPARE(Control<QLabel>(*w, "lblProjectFindSummary")->text(), QString("4 matches in 2 topics"));
    QCOMPARE(Control<QTreeWidget>(*w, "twFindResults")->topLevelItemCount(), 2);

    Control<QLineEdit>(*w, "edProjectReplace")->setText("Store");
    box.dialogs.replacementChoices.push_back(IUserDialogs::TMatchSet{{b, 1}});  // b's second match stays
    Control<QPushButton>(*w, "btnProjectReplace")->click();
    QCOMPARE(box.dialogs.replacementsShown.back().size(), 2u);
    QCOMPARE(w->Project().GetTopic(a).Title(), std::string("Store guide"));
    QCOMPARE(w->Project().GetTopic(b).Title(), std::string("Other"));
    QCOMPARE(ReadFile(TopicFilePath(w->Project(), b)), std::string("<p><b>Store</b> As and save</p>"));
    QVERIFY(StoredTopicsJsonHas(*w, "Store guide"));
    QCOMPARE(Probe(*w).StatusText(), QString("Replaced 3 matches in 2 topics"));
    QVERIFY(w->ProjectDirty());
    QVERIFY(Control<QAction>(*w, "actUndoReplace")->isEnabled());

    // Another topic is shown now; Undo Replace still puts every topic back.
    Probe(*w).SelectTopicNode(b);
    Probe(*w).UndoReplaceClick();
    QCOMPARE(w->Project().GetTopic(a).Title(), std::string("Save guide"));
    QCOMPARE(ReadFile(TopicFilePath(w->Project(), b)), bPage);
    QVERIFY(!Control<QAction>(*w, "actUndoReplace")->isEnabled());
    QCOMPARE(Probe(*w).StatusText(), QString("Replacement undone"));
    Probe(*w).SelectTopicNode(a);
    QVERIFY(Probe(*w).GetCurrentTopicHtml().find("Typed: save me") != std::string::npos);

    // A pattern that does not compile is reported in the panel, nothing else happens.
    Control<QLineEdit>(*w, "edProjectFind")->setText("(open");
    QTest::mouseClick(w->findChild<QWidget*>("chkProjectRegex"), Qt::LeftButton);
    Control<QPushButton>(*w, "btnProjectFind")->click();
    QVERIFY(Control<QLabel>(*w, "lblProjectFindSummary")->text().startsWith("Invalid regular expression"));
    QVERIFY(box.dialogs.unexpected.empty());
  }

  void filterNarrowsTheTreeKeepingParents() {
    TAppSandbox box;
    const std::string file = box.MakeProject("Filter", {"Install", "Reference"});
    auto w = box.NewWindow({QString::fromStdString(file)});
    const std::string reference = w->Project().RootTopicIDs()[1];
    w->Project().AddTopic("Command line", reference);
    w->Project().AddTopic("Settings", reference);
    Probe(*w).RebuildTopicTree();
    Control<QLineEdit>(*w, "edTopicFilter")->setText("COMMAND");
    QStringList shown;
    for (QTreeWidgetItemIterator it(TopicTree(*w)); *it; ++it) {
      if (!(*it)->isHidden()) shown << (*it)->text(0);
    }
    QCOMPARE(shown, (QStringList{"Reference", "Command line"}));
    Control<QLineEdit>(*w, "edTopicFilter")->clear();
    int hidden = 0;
    for (QTreeWidgetItemIterator it(TopicTree(*w)); *it; ++it) hidden += (*it)->isHidden();
    QCOMPARE(hidden, 0);
  }

 private:
  static bool StoredTopicsJsonHas(TfrmMain& w, const std::string& text) {
    return ReadFile(TopicsJsonPath(w.Project().RootPath())).find(text) != std::string::npos;
  }
};

QTEST_MAIN(FindReplaceTest)
#include "FindReplaceTest.moc"
