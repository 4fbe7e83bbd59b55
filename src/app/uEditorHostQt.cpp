#include "uEditorHostQt.h"

#include <QContextMenuEvent>
#include <QFile>
#include <QMenu>
#include <QUrl>
#include <QWebChannel>
#include <QWebEngineContextMenuRequest>
#include <QWebEngineFindTextResult>
#include <QWebEnginePage>
#include <QWebEngineProfile>
#include <QWebEngineScript>
#include <QWebEngineScriptCollection>
#include <QWebEngineSettings>

#include "uQtText.h"
#include "uTranslation.h"

namespace {

// Every posted value goes on in its JSON form, as WebView2 gives it: an object as its
// JSON, a string as a JSON string (which the bridge then drops), never a string's text
// taken for an object. Values JSON cannot write are dropped. Messages posted before the
// channel is up are queued and sent once it is.
const char* kBridgeShim = R"JS(
(function () {
  if (window.chrome && window.chrome.webview && window.chrome.webview.__folivane) return;
  var queue = [];
  var host = null;
  function send(value) {
    var text;
    try { text = JSON.stringify(value); } catch (e) { return; }
    if (typeof text !== 'string') return;
    if (host) host.postMessage(text); else queue.push(text);
  }
  window.chrome = window.chrome || {};
  window.chrome.webview = { postMessage: send, __folivane: true };
  function connect() {
    if (typeof QWebChannel === 'undefined' || typeof qt === 'undefined' || !qt.webChannelTransport) return;
    new QWebChannel(qt.webChannelTransport, function (channel) {
      host = channel.objects.folivaneHost;
      while (queue.length) host.postMessage(queue.shift());
    });
  }
  connect();
})();
)JS";

}  // namespace

QString TEditorHostQt::BridgeScript() {
  QFile file(":/qtwebchannel/qwebchannel.js");
  QString channelJs;
  if (file.open(QIODevice::ReadOnly)) channelJs = QString::fromUtf8(file.readAll());
  return channelJs + "\n" + QString::fromUtf8(kBridgeShim);
}

TEditorHostQt::TEditorHostQt(QWidget* parent)
    : QWebEngineView(parent), FChannel(new QWebChannel(this)), FEndpoint(new TEditorChannelEndpoint(this)) {
  FChannel->registerObject(QStringLiteral("folivaneHost"), FEndpoint);
  page()->setWebChannel(FChannel);
  // The page loads project files (styles, images) next to it.
  page()->settings()->setAttribute(QWebEngineSettings::LocalContentCanAccessFileUrls, true);
  page()->settings()->setAttribute(QWebEngineSettings::LocalContentCanAccessRemoteUrls, true);
  // The Edit menu's Cut, Copy and Paste run inside the page, which needs the clipboard.
  page()->settings()->setAttribute(QWebEngineSettings::JavascriptCanAccessClipboard, true);
  page()->settings()->setAttribute(QWebEngineSettings::JavascriptCanPaste, true);

  QWebEngineScript script;
  script.setName(QStringLiteral("folivane-bridge"));
  script.setInjectionPoint(QWebEngineScript::DocumentCreation);
  script.setWorldId(QWebEngineScript::MainWorld);
  script.setRunsOnSubFrames(false);
  script.setSourceCode(BridgeScript());
  page()->scripts().insert(script);

  connect(FEndpoint, &TEditorChannelEndpoint::MessagePosted, this,
          [this](const QString& json) { DeliverMessage(FromQ(json)); });
}

void TEditorHostQt::Navigate(const std::string& url) { load(QUrl(ToQ(url))); }

void TEditorHostQt::ExecuteScript(const std::string& script) { page()->runJavaScript(ToQ(script)); }

void TEditorHostQt::SetSpellLanguage(const std::string& language) {
  QWebEngineProfile* profile = page()->profile();
  if (language.empty()) {
    profile->setSpellCheckEnabled(false);
    return;
  }
  profile->setSpellCheckLanguages({ToQ(language)});
  profile->setSpellCheckEnabled(true);
}

QMenu* TEditorHostQt::CreateEditorContextMenu(QWidget* parent) {
  auto* menu = new QMenu(parent);
  QWebEngineContextMenuRequest* request = lastContextMenuRequest();
  if (request && request->isContentEditable() && request->mediaType() == QWebEngineContextMenuRequest::MediaTypeImage) {
    connect(menu->addAction(Tr("Image Properties...")), &QAction::triggered, this,
            [this] { DeliverImageProperties(); });
    menu->addSeparator();
  }
  if (request && request->isContentEditable() && !request->misspelledWord().isEmpty()) {
    const QStringList suggestions = request->spellCheckerSuggestions();
    for (const QString& suggestion : suggestions) {
      QAction* action = menu->addAction(suggestion);
      QFont bold = action->font();
      bold.setBold(true);
      action->setFont(bold);
      connect(action, &QAction::triggered, this, [this, suggestion] { page()->replaceMisspelledWord(suggestion); });
    }
    if (suggestions.isEmpty()) menu->addAction(Tr("No suggestions"))->setEnabled(false);
    const std::string word = FromQ(request->misspelledWord());
    connect(menu->addAction(Tr("Add to Dictionary")), &QAction::triggered, this,
            [this, word] { DeliverAddWord(word); });
    menu->addSeparator();
  }
  for (QWebEnginePage::WebAction action : {QWebEnginePage::Undo, QWebEnginePage::Redo})
    menu->addAction(pageAction(action));
  menu->addSeparator();
  for (QWebEnginePage::WebAction action : {QWebEnginePage::Cut, QWebEnginePage::Copy, QWebEnginePage::Paste})
    menu->addAction(pageAction(action));
  menu->addSeparator();
  menu->addAction(pageAction(QWebEnginePage::SelectAll));
  return menu;
}

void TEditorHostQt::contextMenuEvent(QContextMenuEvent* event) {
  QMenu* menu = CreateEditorContextMenu(this);
  menu->setAttribute(Qt::WA_DeleteOnClose);
  menu->popup(event->globalPos());
  emit ContextMenuShown(menu);
}

void TEditorHostQt::FindText(const std::string& text, bool backward, bool matchCase, TFindDone done) {
  QWebEnginePage::FindFlags flags;
  if (backward) flags |= QWebEnginePage::FindBackward;
  if (matchCase) flags |= QWebEnginePage::FindCaseSensitively;
  page()->findText(QString::fromStdString(text), flags, [done](const QWebEngineFindTextResult& result) {
    if (done) done(result.activeMatch(), result.numberOfMatches());
  });
}
