// The real program on an X display: text typed into the real editor page survives SIGKILL
// five seconds later, is offered at the next start, and once recovered is saved into its topic.
// Keys and clicks come from xdotool, as a writer's would.
#include <signal.h>

#include <QElapsedTimer>
#include <QProcess>
#include <QStandardPaths>
#include <QTest>

#include "AppTestSupport.h"
#include "uRecoveryJournal.h"
#include "uSettingsCss.h"
#include "uStorage.h"

namespace {

QString Xdotool(const QStringList& args) {
  QProcess p;
  p.start("xdotool", args);
  p.waitForFinished(20000);
  return QString::fromUtf8(p.readAllStandardOutput()).trimmed();
}

// The first visible window whose name matches the regular expression name, or "" after timeoutMs.
QString WaitForWindow(const QString& name, int timeoutMs) {
  QElapsedTimer clock;
  clock.start();
  while (clock.elapsed() < timeoutMs) {
    const QString found = Xdotool({"search", "--onlyvisible", "--name", name}).section('\n', 0, 0);
    if (!found.isEmpty()) return found;
    QTest::qWait(250);
  }
  return "";
}

bool WaitFor(const std::function<bool()>& done, int timeoutMs) {
  QElapsedTimer clock;
  clock.start();
  while (!done()) {
    if (clock.elapsed() > timeoutMs) return false;
    QTest::qWait(100);
  }
  return true;
}

// A point inside the editor page of the maximised main window.
void ClickIntoEditor(const QString& window) {
  Xdotool({"windowfocus", "--sync", window});
  Xdotool({"mousemove", "--window", window, "800", "300", "click", "1"});
  QTest::qWait(300);
}

class TProgram {
 public:
  TProgram(const TAppSandbox& box, const std::string& projectFile) {
    QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
    env.insert("APPDATA", QString::fromStdString(box.AppData()));
    env.insert("FOLIVANE_NO_OPEN", "1");
    env.insert("FOLIVANE_UPDATE_URL", "");
    env.insert("QT_QPA_PLATFORM", "xcb");
    env.insert("QTWEBENGINE_CHROMIUM_FLAGS", "--no-sandbox");
    FProcess.setProcessEnvironment(env);
    FProcess.setProcessChannelMode(QProcess::ForwardedChannels);
    FProcess.start(QString(FOLIVANE_BIN_DIR) + "/folivane", {QString::fromStdString(projectFile)});
  }
  ~TProgram() { Kill(); }
  void Kill() {
    if (FProcess.state() == QProcess::NotRunning) return;
    ::kill(static_cast<pid_t>(FProcess.processId()), SIGKILL);
    FProcess.waitForFinished(10000);
  }
  bool Running() const { return FProcess.state() == QProcess::Running; }

 private:
  QProcess FProcess;
};

}  // namespace

class CrashRecoveryTest : public QObject {
  Q_OBJECT

 private slots:
  void textTypedFiveSecondsBeforeSigkillIsRecovered() {
    if (qEnvironmentVariableIsEmpty("DISPLAY") || QStandardPaths::findExecutable("xdotool").isEmpty()) {
      QSKIP("an X display and xdotool are needed");
    }
    TAppSandbox box;
    const std::string file = box.MakeProject("Crash Guide", {"Intro"});
    TDocProject project;
    LoadProject(ProjectFolderForFile(file), project);
    const std::string page = TopicFilePath(project, project.RootTopicIDs().at(0));
    const std::string journal = RecoveryJournalPath(project.RootPath());
    const std::string readyMark = EditorEffectiveCssPath(project);  // written once the page is ready
    DeleteFileIfExists(readyMark);

    {
      TProgram program(box, file);
      const QString window = WaitForWindow("Folivane - Crash Guide", 60000);
      QVERIFY2(!window.isEmpty(), "the window did not show");
      QVERIFY2(WaitFor([&] { return FileExists(readyMark); }, 60000), "the editor page did not get ready");
      QTest::qWait(1500);
      ClickIntoEditor(window);
      Xdotool({"type", "--delay", "30", "First words typed."});
      QTest::qWait(2000);
      Xdotool({"type", "--delay", "30", " Last words typed."});
      QTest::qWait(5000);
      QVERIFY(program.Running());
      program.Kill();
    }
    QVERIFY2(FileExists(journal), "nothing was journaled");
    const std::string kept = ReadFile(journal);
    QVERIFY2(kept.find("First words typed. Last words typed.") != std::string::npos, kept.c_str());
    QVERIFY(!FileExists(page) || ReadFile(page).find("words typed") == std::string::npos);

    TProgram program(box, file);
    // The offer comes before the main window; Enter takes its default button, Recover.
    const QString offer = WaitForWindow("Folivane", 60000);
    QVERIFY2(!offer.isEmpty(), "no recovery offer");
    QVERIFY(Xdotool({"getwindowname", offer}) == "Folivane");
    Xdotool({"windowfocus", "--sync", offer});
    Xdotool({"key", "Return"});
    const QString window = WaitForWindow("Folivane\\* - Crash Guide", 60000);
    QVERIFY2(!window.isEmpty(), "the recovered project is not shown as modified");
    ClickIntoEditor(window);
    Xdotool({"key", "ctrl+s"});
    QVERIFY2(WaitFor([&] { return FileExists(page) && ReadFile(page).find("Last words typed.") != std::string::npos; },
                     20000),
             "the recovered text was not saved into its topic");
    QVERIFY(ReadFile(page).find("First words typed. Last words typed.") != std::string::npos);
    QVERIFY(WaitFor([&] { return !FileExists(journal); }, 5000));
  }
};

QTEST_MAIN(CrashRecoveryTest)
#include "CrashRecoveryTest.moc"
