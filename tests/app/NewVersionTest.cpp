// The "New Version" window: its states, how closing decides the start-up, and the download.
#include <QApplication>
#include <QDir>
#include <QLabel>
#include <QProgressBar>
#include <QPushButton>
#include <QTemporaryDir>
#include <QTest>
#include <QTimer>
#include <algorithm>
#include <functional>

#include "../core/TestHttpServer.h"
#include "AppTestSupport.h"
#include "uNewVersionCheck.h"

namespace {

TUpdateCheckResult Notice(bool required) {
  TUpdateCheckResult check;
  check.Show = true;
  check.UpdateRequired = required;
  check.NewVersionMessage = "The new version 2.4 is available\n\nWhat's new:\nFaster\n";
  return check;
}

std::string Body(size_t n) { return std::string(n, 'x'); }

// One window against a local server, with the desktop and the message box recorded.
struct TDownloadRig {
  TTestHttpServer server;
  QTemporaryDir folder;
  TScriptedUserDialogs dialogs;
  std::vector<std::string> opened;
  std::vector<int> progress;
  std::unique_ptr<TfrmNewVersion> form;

  explicit TDownloadRig(bool required = false) {
    TNewVersionServices services;
    services.dialogs = &dialogs;
    services.open = [this](const std::string& target) { opened.push_back(target); };
    services.baseUrl = server.BaseUrl();
    services.downloadFolder = folder.path().toStdString();
    form = std::make_unique<TfrmNewVersion>(Notice(required), services);
    QObject::connect(form->barProgress, &QProgressBar::valueChanged, [this](int v) { progress.push_back(v); });
    form->show();
  }
  QStringList FilesLeft() const { return QDir(folder.path()).entryList(QDir::Files | QDir::Hidden); }
};

}  // namespace

class NewVersionTest : public QObject {
  Q_OBJECT

 private slots:
  void initTestCase() { QApplication::setApplicationName("Folivane"); }

  void captionsFollowTheNotice() {
    for (const bool required : {false, true}) {
      TScriptedUserDialogs dialogs;
      TfrmNewVersion form(Notice(required), {&dialogs, {}, "http://127.0.0.1:1", {}});
      form.show();
      QCOMPARE(form.windowTitle(), QString(" Folivane"));
      QCOMPARE(form.btUpdateNow->text(), QString("Update Now"));
      QVERIFY(form.btUpdateNow->isEnabled());
      QCOMPARE(form.btCancel->text(), QString(required ? "Exit" : "Skip"));
      QCOMPARE(form.lblProgress->text(), QString("The new version 2.4 is available\n\nWhat's new:\nFaster\n"));
      QVERIFY(form.barProgress->isHidden());
      QVERIFY(!form.imgLineSpacing->pixmap().isNull());
    }
  }

  // Skip, the close box and Escape go on to the main window unless the version is unsupported.
  void closingDecidesTheStart() {
    const std::vector<std::pair<const char*, std::function<void(TfrmNewVersion&)>>> ways = {
        {"button", [](TfrmNewVersion& f) { f.btCancel->click(); }},
        {"close box", [](TfrmNewVersion& f) { f.close(); }},
        {"Escape", [](TfrmNewVersion& f) { QTest::keyClick(&f, Qt::Key_Escape); }},
    };
    for (const bool required : {false, true}) {
      for (const auto& [name, closeIt] : ways) {
        TScriptedUserDialogs dialogs;
        TfrmNewVersion form(Notice(required), {&dialogs, {}, "http://127.0.0.1:1", {}});
        form.show();
        closeIt(form);
        QVERIFY2(form.isHidden(), name);
        QVERIFY2(form.Tag == (required ? 0 : 1), name);
        QVERIFY(dialogs.messages.empty());
      }
    }
  }

  void downloadWithLengthMovesTheBarAndStartsTheInstaller() {
    TDownloadRig rig;
    const std::string body = Body(200000);
    rig.server.Serve(kInstallerPath, TCannedResponse::WithLength(body, 20, 8));
    rig.form->btUpdateNow->click();
    QVERIFY(rig.form->isHidden());
    QCOMPARE(rig.form->Tag, 0);  // the program ends once the installer runs
    QVERIFY(rig.dialogs.messages.empty());
    QCOMPARE(rig.opened, std::vector<std::string>{rig.form->DownloadedFile()});
    QCOMPARE(ReadFile(rig.form->DownloadedFile()), body);
    QCOMPARE(rig.FilesLeft(), QStringList{"folivane-update"});
    QCOMPARE(rig.form->barProgress->value(), 100);
    QVERIFY(std::any_of(rig.progress.begin(), rig.progress.end(), [](int v) { return v > 0 && v < 100; }));
  }

  void chunkedDownloadLeavesTheBarAtZero() {
    TDownloadRig rig;
    const std::string body = Body(100000);
    rig.server.Serve(kInstallerPath, TCannedResponse::Chunked(body, 10, 5));
    rig.form->btUpdateNow->click();
    QCOMPARE(rig.opened, std::vector<std::string>{rig.form->DownloadedFile()});
    QCOMPARE(ReadFile(rig.form->DownloadedFile()), body);
    QCOMPARE(rig.form->barProgress->value(), 0);
    QVERIFY(std::all_of(rig.progress.begin(), rig.progress.end(), [](int v) { return v == 0; }));
  }

  // Abort, the close box during the download, or a server error: the failure box with the
  // reason, the home page, the end of the program and no half-written installer.
  void failedDownloadShowsTheBoxAndTheHomePage() {
    struct TCase {
      const char* name;
      bool serverError;
      std::function<void(TfrmNewVersion&)> during;
      const char* reason;
    };
    const TCase cases[] = {
        {"Abort", false, [](TfrmNewVersion& f) { f.btCancel->click(); },
         "Download is cancelled. Please download manually."},
        {"close box", false, [](TfrmNewVersion& f) { f.close(); }, "Download is cancelled. Please download manually."},
        {"server error", true, nullptr, "404"},
    };
    for (const TCase& c : cases) {
      TDownloadRig rig(/*required=*/false);
      rig.server.Serve(kInstallerPath, c.serverError ? TCannedResponse::Status(404)
                                                     : TCannedResponse::WithLength(Body(20000), 50, 200));
      QString duringState;
      if (c.during) {
        QTimer::singleShot(300, rig.form.get(), [&] {
          TfrmNewVersion& f = *rig.form;
          duringState = f.btCancel->text() + "|" + (f.btUpdateNow->isEnabled() ? "on" : "off") + "|" +
                        (f.barProgress->isVisible() ? "bar" : "nobar") + "|" + (f.Downloading() ? "busy" : "idle");
          c.during(f);
          QVERIFY(f.isVisible());  // it closes only once the transfer has stopped
        });
      }
      rig.form->btUpdateNow->click();
      if (c.during) QCOMPARE(duringState, QString("Abort|off|bar|busy"));
      QVERIFY2(rig.form->isHidden(), c.name);
      QCOMPARE(rig.form->Tag, 0);
      QCOMPARE(rig.dialogs.messages.size(), size_t(1));
      QVERIFY(rig.dialogs.messages[0].kind == TMessageKind::Error);
      const std::string& text = rig.dialogs.messages[0].text;
      QVERIFY2(text.rfind("Failed to download update. Please download manually on website.\n\n", 0) == 0, c.name);
      QVERIFY2(text.find(c.reason) != std::string::npos, text.c_str());
      QCOMPARE(rig.opened, std::vector<std::string>{TfrmMain::kHomepageUrl});
      QVERIFY2(rig.FilesLeft().isEmpty(), c.name);
    }
  }
};

QTEST_MAIN(NewVersionTest)
#include "NewVersionTest.moc"
