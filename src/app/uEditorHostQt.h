// The editor page in Qt WebEngine: a QWebEngineView whose page gets
// window.chrome.webview.postMessage(obj), forwarded over a QWebChannel.
#pragma once

#include <QObject>
#include <QWebEngineView>

#include "uEditorHost.h"

class QMenu;
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
  void SetSpellLanguage(const std::string& language) override;
  void FindText(const std::string& text, bool backward, bool matchCase, TFindDone done) override;
  // The editor's context menu for the last request: "Image Properties..." on a picture,
  // spelling suggestions and "Add to Dictionary" for a misspelled word, then the editing
  // commands. The caller owns it.
  QMenu* CreateEditorContextMenu(QWidget* parent);
  // The script injected at document creation (also used by the tests).
  static QString BridgeScript();

 signals:
  // A context menu was just shown (tests pick its items from here).
  void ContextMenuShown(QMenu* menu);

 protected:
  void contextMenuEvent(QContextMenuEvent* event) override;

 private:
  QWebChannel* FChannel;
  TEditorChannelEndpoint* FEndpoint;
};
