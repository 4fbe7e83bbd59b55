// The real program under Xvfb: started with a project file, its window shows that project.
#include <QProcess>
#include <QStandardPaths>
#include <QTest>

#include "../core/TestHttpServer.h"
#include "AppTestSupport.h"
#include "uUpdateCheck.h"

class LaunchTest : public QObject {
  Q_OBJECT

 private slots:
  void programOpensProjectGivenOnCommandLine() {
    if (QStandardPaths::findExecutable("xvfb-run").isEmpty() || QStandardPaths::findExecutable("xwininfo").isEmpty()) {
      QSKIP("xvfb-run and xwininfo are needed");
    }
    TAppSandbox box;
    const std::string file = box.MakeProject("Launch Guide", {"Start"});
    const QString script = QStringLiteral(
        "\"$1\" \"$2\" &\n"
        "pid=$!\n"
        "title=\"\"\n"
        "for i in $(seq 1 120); do\n"
        "  sleep 0.5\n"
        "  title=$(xwininfo -root -tree | grep -o '\"Folivane[^\"]*\"' | grep ' - ' | head -1)\n"
        "  [ -n \"$title\" ] && break\n"
        "done\n"
        "echo \"TITLE=$title\"\n"
        "kill $pid 2>/dev/null\n"
        "wait $pid 2>/dev/null\n"
        "true\n");
    QProcess process;
    QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
    env.insert("QT_QPA_PLATFORM", "xcb");
    env.insert("APPDATA", QString::fromStdString(box.AppData()));
    env.insert("FOLIVANE_NO_OPEN", "1");
    env.insert("QTWEBENGINE_CHROMIUM_FLAGS", "--no-sandbox");
    process.setProcessEnvironment(env);
    process.start("xvfb-run", {"-a", "-s", "-screen 0 1280x800x24", "sh", "-c", script, "sh",
                               QString(FOLIVANE_BIN_DIR) + "/folivane", QString::fromStdString(file)});
    QVERIFY(process.waitForFinished(120000));
    const QString output = QString::fromUtf8(process.readAllStandardOutput());
    const QString expected = QString::fromStdString("TITLE=\"Folivane - Launch Guide [" + file + "]\"");
    QVERIFY2(output.contains(expected), qPrintable(output + QString::fromUtf8(process.readAllStandardError())));
  }

  // A newer version on the server: its window comes before the main window.
  void programAnnouncesNewVersionBeforeMainWindow() {
    if (QStandardPaths::findExecutable("xvfb-run").isEmpty() || QStandardPaths::findExecutable("xwininfo").isEmpty()) {
      QSKIP("xvfb-run and xwininfo are needed");
    }
    TAppSandbox box;
    TTestHttpServer server;
    server.Serve(kVersionFilePath, TCannedResponse::WithLength("24/23\r\n"));
    server.Serve(kChangesFilePath, TCannedResponse::WithLength("Faster export\r\n"));
    const QString script = QStringLiteral(
        "\"$1\" &\n"
        "pid=$!\n"
        "names=\"\"\n"
        "for i in $(seq 1 120); do\n"
        "  sleep 0.5\n"
        "  names=$(xwininfo -root -tree | grep -o '\"[^\"]*Folivane[^\"]*\"' | sort -u | tr '\\n' ' ')\n"
        "  case \"$names\" in *'\" Folivane\"'*) break;; esac\n"
        "done\n"
        "echo \"NAMES=$names\"\n"
        "kill $pid 2>/dev/null\n"
        "wait $pid 2>/dev/null\n"
        "true\n");
    QProcess process;
    QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
    env.insert("QT_QPA_PLATFORM", "xcb");
    env.insert("APPDATA", QString::fromStdString(box.AppData()));
    env.insert("FOLIVANE_NO_OPEN", "1");
    env.insert("FOLIVANE_UPDATE_URL", QString::fromStdString(server.BaseUrl()));
    env.insert("QTWEBENGINE_CHROMIUM_FLAGS", "--no-sandbox");
    process.setProcessEnvironment(env);
    process.start("xvfb-run", {"-a", "-s", "-screen 0 1280x800x24", "sh", "-c", script, "sh",
                               QString(FOLIVANE_BIN_DIR) + "/folivane"});
    QVERIFY(process.waitForFinished(120000));
    const QString output = QString::fromUtf8(process.readAllStandardOutput());
    QVERIFY2(output.contains("\" Folivane\""), qPrintable(output + QString::fromUtf8(process.readAllStandardError())));
    QVERIFY2(!output.contains("Folivane - "), qPrintable(output));
    QCOMPARE(server.RequestedPaths(), (std::vector<std::string>{kVersionFilePath, kChangesFilePath}));
  }
};

QTEST_MAIN(LaunchTest)
#include "LaunchTest.moc"
