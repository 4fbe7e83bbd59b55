// The editor page in Qt WebEngine: a QWebEngineView whose page gets
// window.chrome.webview.postMessage(obj), forwarded over a QWebChannel.
#pragma once

#include <QObject>
#include <QWebEngineView>

#include "uEditorHost.h"

class QWebChannel;

// The object the page sees as "folivaneHost" on the channel.
class TEditorChannelEndpoint : public QObject {
  Q_OBJECT
 public:
  explicit TEditorChannelEndpoint(QObject* parent = nullptr) : QObject(parent) {}
 public slots:
  void postMessage(const QString& json) { emit MessagePosted(json); }
 signals:
  void MessagePosted(const QString& json);
};

class TEditorHostQt : public QWebEngineView, public IEditorHost {
  Q_OBJECT
 public:
  explicit TEditorHostQt(QWidget* parent = nullptr);
  void Navigate(const std::string& url) override;
  void ExecuteScript(const std::string& script) override;
  // The script injected at document creation (also used by the tests).
  static QString BridgeScript();

 private:
  QWebChannel* FChannel;
  TEditorChannelEndpoint* FEndpoint;
};
