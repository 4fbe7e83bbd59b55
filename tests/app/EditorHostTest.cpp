// The Qt WebEngine host: a page posts objects through window.chrome.webview and the
// host hands them on as JSON text; scripts run in the page.
#include <QSignalSpy>
#include <QTemporaryDir>
#include <QTest>

#include "AppTestSupport.h"
#include "uEditorBridge.h"
#include "uEditorHostQt.h"
#include "uJson.h"
#include "uPlatform.h"

class EditorHostTest : public QObject {
  Q_OBJECT

 private slots:
  void pagePostsObjectsAsJsonAndRunsScripts() {
    QTemporaryDir dir;
    const std::string page = dir.path().toStdString() + "/page.html";
    WriteTextFileUtf8(page,
                      "<html><body><script>"
                      "window.chrome.webview.postMessage({type:'ready',text:'caf\\u00e9 \"q\"'});"
                      "window.echo = function (v) { window.chrome.webview.postMessage({type:'echo',value:v}); };"
                      "</script></body></html>");
    TEditorHostQt host;
    std::vector<std::string> received;
    host.SetMessageHandler([&](const std::string& json) { received.push_back(json); });
    host.Navigate(FilePathToFileUrl(page));
    QTRY_VERIFY_WITH_TIMEOUT(!received.empty(), 30000);
    TJson first;
    QVERIFY(TryParseJson(received[0], first));
    QCOMPARE(first["type"].get<std::string>(), std::string("ready"));
    QCOMPARE(first["text"].get<std::string>(), std::string("caf\xC3\xA9 \"q\""));

    host.ExecuteScript("window.echo(42);");
    QTRY_VERIFY_WITH_TIMEOUT(received.size() >= 2, 10000);
    QVERIFY(TryParseJson(received[1], first));
    QCOMPARE(first["value"].get<int>(), 42);
  }

  // A string is a JSON string on the way out, so the bridge drops it even when it holds
  // a command's JSON text; objects still arrive.
  void postedStringsArriveAsJsonStringsAndTheBridgeDropsThem() {
    QTemporaryDir dir;
    const std::string page = dir.path().toStdString() + "/page.html";
    WriteTextFileUtf8(page,
                      "<html><body><script>"
                      "window.chrome.webview.postMessage('{\"type\":\"ready\"}');"
                      "window.chrome.webview.postMessage('plain');"
                      "window.chrome.webview.postMessage(undefined);"
                      "window.chrome.webview.postMessage({type:'htmlChanged',html:'<p>x</p>'});"
                      "</script></body></html>");
    TEditorHostQt host;
    std::vector<std::string> received;
    int ready = 0;
    std::vector<std::string> html;
    TEditorBridge bridge(host);
    bridge.OnReady = [&](TEditorBridge&) { ++ready; };
    bridge.OnHtmlChanged = [&](TEditorBridge&, const std::string& h) { html.push_back(h); };
    host.SetMessageHandler([&](const std::string& json) {
      received.push_back(json);
      bridge.HandleMessage(json);
    });
    host.Navigate(FilePathToFileUrl(page));
    QTRY_VERIFY_WITH_TIMEOUT(received.size() >= 3, 30000);
    QCOMPARE(received[0], std::string("\"{\\\"type\\\":\\\"ready\\\"}\""));
    QCOMPARE(received[1], std::string("\"plain\""));
    QCOMPARE(ready, 0);
    QCOMPARE(received.size(), size_t(3));  // undefined has no JSON form
    QCOMPARE(html, std::vector<std::string>{"<p>x</p>"});
  }
};

QTEST_MAIN(EditorHostTest)
#include "EditorHostTest.moc"
