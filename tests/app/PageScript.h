// Scripts run in the real editor page by the tests that drive it under Xvfb.
#pragma once

#include <QEventLoop>
#include <QString>
#include <QTimer>
#include <QVariant>
#include <QWebEnginePage>
#include <QWebEngineView>
#include <optional>

// Runs a script in the page and waits for its value as text; nothing when it did not answer in time.
inline std::optional<QString> Evaluate(QWebEngineView& view, const QString& script, int timeoutMs = 10000) {
  std::optional<QString> result;
  QEventLoop loop;
  view.page()->runJavaScript(script, [&](const QVariant& value) {
    result = value.toString();
    loop.quit();
  });
  QTimer::singleShot(timeoutMs, &loop, &QEventLoop::quit);
  loop.exec();
  return result;
}

// The text of the topic body as the page shows it.
inline QString BodyText(QWebEngineView& view) {
  return Evaluate(view, "(document.getElementById('zd-body') || {}).innerText || ''").value_or(QString());
}
