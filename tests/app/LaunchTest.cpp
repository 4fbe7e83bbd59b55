// The real program under Xvfb: started with a project file, its window shows that project.
#include <QProcess>
#include <QStandardPaths>
#include <QTest>

#include "../core/TestHttpServer.h"
#include "AppTestSupport.h"
#include "uUpdateCheck.h"

namespace {

bool HaveXvfb() {
  return !QStandardPaths::findExecutable("xvfb-run").isEmpty() && !QStandardPaths::findExecutable("xwininfo").isEmpty();
}

// Starts the program on a fresh X display and prints "NAMES=" with the names of its
// windows once one of them matches the shell pattern stopWhen (or after a minute).
QString RunProgramUntilWindow(const TAppSandbox& box, const QStringList& arguments, const QString& stopWhen,
                              const QProcessEnvironment& extraEnv = {}) {
  const QString script =
      QStringLiteral(
          "\"$@\" &\n"
          "pid=$!\n"
          "names=\"\"\n"
          "for i in $(seq 1 120); do\n"
          "  sleep 0.5\n"
          "  names=$(xwininfo -root -tree | grep -o '\"[^\"]*Folivane[^\"]*\"' | sort -u | tr '\\n' ' ')\n"
          "  case \"$names\" in %1) break;; esac\n"
          "done\n"
          "echo \"NAMES=$names\"\n"
          "kill $pid 2>/dev/null\n"
          "wait $pid 2>/dev/null\n"
          "true\n")
          .arg(stopWhen);
  QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
  env.insert("QT_QPA_PLATFORM", "xcb");
  env.insert("APPDATA", QString::fromStdString(box.AppData()));
  env.insert("FOLIVANE_NO_OPEN", "1");
  env.insert("QTWEBENGINE_CHROMIUM_FLAGS", "--no-sandbox");
  env.insert(extraEnv);
  QProcess process;
  process.setProcessEnvironment(env);
  process.start("xvfb-run", QStringList{"-a", "-s", "-screen 0 1280x800x24", "sh", "-c", script, "sh",
                                        QString(FOLIVANE_BIN_DIR) + "/folivane"} +
                                arguments);
  if (!process.waitForFinished(120000)) return "the program did not finish";
  return QString::fromUtf8(process.readAllStandardOutput()) + QString::fromUtf8(process.readAllStandardError());
}

}  // namespace

class LaunchTest : public QObject {
  Q_OBJECT

 private slots:
  void programOpensProjectGivenOnCommandLine() {
    if (!HaveXvfb()) QSKIP("xvfb-run and xwininfo are needed");
    TAppSandbox box;
    const std::string file = box.MakeProject("Launch Guide", {"Start"});
    const QString output = RunProgramUntilWindow(box, {QString::fromStdString(file)}, "*'\"Folivane - '*");
    const QString expected = QString::fromStdString("\"Folivane - Launch Guide [" + file + "]\"");
    QVERIFY2(output.contains(expected), qPrintable(output));
  }

  // A newer version on the server: its window comes before the main window.
  void programAnnouncesNewVersionBeforeMainWindow() {
    if (!HaveXvfb()) QSKIP("xvfb-run and xwininfo are needed");
    TAppSandbox box;
    TTestHttpServer server;
    server.Serve(kVersionFilePath, TCannedResponse::WithLength("24/23\r\n"));
    server.Serve(kChangesFilePath, TCannedResponse::WithLength("Faster export\r\n"));
    QProcessEnvironment env;
    env.insert("FOLIVANE_UPDATE_URL", QString::fromStdString(server.BaseUrl()));
    const QString output = RunProgramUntilWindow(box, {}, "*'\" Folivane\"'*", env);
    QVERIFY2(output.contains("\" Folivane\""), qPrintable(output));
    QVERIFY2(!output.contains("Folivane - "), qPrintable(output));
    QCOMPARE(server.RequestedPaths(), (std::vector<std::string>{kVersionFilePath, kChangesFilePath}));
  }
};

QTEST_MAIN(LaunchTest)
#include "LaunchTest.moc"
