// Unsaved work after a crash: journaled shortly after typing, offered at the next opening
// (Recover / Discard), cleared by Save and by the writer's No; the workspace project is not
// reset while its journal waits. A window destroyed without closing stands for the crash.
#include <QTest>
#include <QToolButton>

#include "AppTestSupport.h"
#include "uRecoveryJournal.h"
#include "uStorage.h"

namespace {

// A journal cut off while it was written.
const std::string kCutJournal = "{\"format\":\"folivane-recovery\",\"version\":1,\"projectRoot\":\"";

std::string RootTopic(TfrmMain& w) { return w.Project().RootTopicIDs().at(0); }

bool Mentions(const std::vector<TScriptedUserDialogs::TShown>& shown, const std::string& text) {
  for (const auto& s : shown) {
    if (s.text.find(text) != std::string::npos) return true;
  }
  return false;
}

}  // namespace

class RecoveryTest : public QObject {
  Q_OBJECT

 private slots:
  void typedTextIsJournaledSoonAndRecoveredIntoTheTopic() {
    TAppSandbox box;
    const std::string file = box.MakeProject("Guide", {"Intro", "Second"});
    auto w = box.NewWindow({QString::fromStdString(file)});
    const std::string root = w->Project().RootPath();
    const std::string intro = RootTopic(*w);
    const std::string page = TopicFilePath(w->Project(), intro);
    const std::string saved = FileExists(page) ? ReadFile(page) : "";
    TypeIntoEditor(box.host, "<p>typed before the crash</p>");
    // The window's own timer, without a call from the test.
    QTRY_VERIFY_WITH_TIMEOUT(FileExists(RecoveryJournalPath(root)), 4000);
    w.reset();  // the crash: nothing is asked, nothing saved

    QCOMPARE(FileExists(page) ? ReadFile(page) : "", saved);
    box.dialogs.answers = {TDialogAnswer::Yes};
    w = box.NewWindow({QString::fromStdString(file)});
    QCOMPARE(box.dialogs.questions.size(), size_t(1));
    QVERIFY2(Mentions(box.dialogs.questions, "Intro") && !Mentions(box.dialogs.questions, "Second"),
             box.dialogs.questions[0].text.c_str());
    QCOMPARE(Probe(*w).GetCurrentTopicHtml(), std::string("<p>typed before the crash</p>"));
    QVERIFY(Control<QToolButton>(*w, "btnSave")->isEnabled());
    // Recovered, not yet saved: the page on disk waits for Save.
    QCOMPARE(FileExists(page) ? ReadFile(page) : "", saved);

    Probe(*w).btnSaveClick();
    QCOMPARE(ReadFile(page), std::string("<p>typed before the crash</p>"));
    Probe(*w).WaitForRecoveryJournal();
    QVERIFY(!FileExists(RecoveryJournalPath(root)));
    QVERIFY(box.dialogs.unexpected.empty());
  }

  void discardKeepsTheSavedProjectAndForgetsTheJournal() {
    TAppSandbox box;
    const std::string file = box.MakeProject("Guide", {"Intro"});
    auto w = box.NewWindow({QString::fromStdString(file)});
    const std::string root = w->Project().RootPath();
    TypeIntoEditor(box.host, "<p>not wanted</p>");
    Probe(*w).WriteRecoveryJournalNow();
    w.reset();

    box.dialogs.answers = {TDialogAnswer::No};
    w = box.NewWindow({QString::fromStdString(file)});
    QCOMPARE(box.dialogs.questions.size(), size_t(1));
    QCOMPARE(w->Project().RootTopicIDs().size(), size_t(1));
    QVERIFY(Probe(*w).GetCurrentTopicHtml().find("not wanted") == std::string::npos);
    QVERIFY(!Control<QToolButton>(*w, "btnSave")->isEnabled());
    Probe(*w).WaitForRecoveryJournal();
    QVERIFY(!FileExists(RecoveryJournalPath(root)));
  }

  // Closing with unsaved changes and answering No throws the journal away with them.
  void answeringNoAtCloseClearsTheJournal() {
    TAppSandbox box;
    const std::string file = box.MakeProject("Guide", {"Intro"});
    auto w = box.NewWindow({QString::fromStdString(file)});
    TypeIntoEditor(box.host, "<p>dropped</p>");
    Probe(*w).WriteRecoveryJournalNow();
    Probe(*w).WaitForRecoveryJournal();
    QVERIFY(FileExists(RecoveryJournalPath(w->Project().RootPath())));
    box.dialogs.answers = {TDialogAnswer::No};
    QVERIFY(w->close());
    Probe(*w).WaitForRecoveryJournal();
    QVERIFY(!FileExists(RecoveryJournalPath(w->Project().RootPath())));
  }

  void unsavedWorkspaceProjectSurvivesTheNextStart() {
    TAppSandbox box;
    auto w = box.NewWindow();
    QVERIFY(w->ProjectFileName().empty());
    const std::string id = RootTopic(*w);
    TypeIntoEditor(box.host, "<p>never saved</p>");
    Probe(*w).WriteRecoveryJournalNow();
    w.reset();

    box.dialogs.answers = {TDialogAnswer::Yes};
    w = box.NewWindow();
    QCOMPARE(box.dialogs.questions.size(), size_t(1));
    QCOMPARE(RootTopic(*w), id);
    QCOMPARE(Probe(*w).GetCurrentTopicHtml(), std::string("<p>never saved</p>"));
    QVERIFY(Control<QToolButton>(*w, "btnSave")->isEnabled());
    w.reset();  // a second crash, before any save: still offered

    box.dialogs.answers = {TDialogAnswer::No};
    w = box.NewWindow();
    QCOMPARE(box.dialogs.questions.size(), size_t(2));
    QVERIFY(RootTopic(*w) != id);
    QVERIFY(Probe(*w).GetCurrentTopicHtml().find("never saved") == std::string::npos);
    Probe(*w).WaitForRecoveryJournal();
    QVERIFY(!FileExists(RecoveryJournalPath(TMainWindowProbe::WorkspaceFolder())));
  }

  void damagedJournalIsReportedAndTheProjectOpensAsSaved() {
    TAppSandbox box;
    const std::string file = box.MakeProject("Guide", {"Intro"});
    const std::string root = ProjectFolderForFile(file);
    const std::string journal = RecoveryJournalPath(root);
    EnsureDir(ExtractFileDir(journal));
    WriteTextFileUtf8(journal, kCutJournal);
    const std::vector<std::string> before = ListFilesRecursive(root);
    auto w = box.NewWindow({QString::fromStdString(file)});
    QVERIFY(box.dialogs.questions.empty());
    QCOMPARE(box.dialogs.messages.size(), size_t(1));
    QVERIFY2(Mentions(box.dialogs.messages, journal), box.dialogs.messages[0].text.c_str());
    QCOMPARE(ReadFile(journal + ".damaged"), kCutJournal);
    QVERIFY(!Control<QToolButton>(*w, "btnSave")->isEnabled());
    QCOMPARE(ListFilesRecursive(root), before);
  }
};

QTEST_MAIN(RecoveryTest)
#include "RecoveryTest.moc"
