// Spell checking with the real page in Qt WebEngine and the dictionaries the build
// compiles: a misspelled word offers suggestions in the editor's context menu, and a
// word added to the project's list is written to meta/words.txt and no longer marked.
#include <QAction>
#include <QEventLoop>
#include <QMenu>
#include <QPointer>
#include <QTest>
#include <QTimer>
#include <algorithm>
#include <optional>

#include "AppTestSupport.h"
#include "PageScript.h"
#include "uEditorHostQt.h"
#include "uSpellCheck.h"
#include "uStorage.h"
#include "uUtils.h"

namespace {

// The centre of a word's first occurrence in the body, in view coordinates.
std::optional<QPoint> WordCentre(QWebEngineView& view, const QString& word) {
  const QString script =
      QString(
          "(() => { const body = document.getElementById('zd-body');"
          " const walk = document.createTreeWalker(body, NodeFilter.SHOW_TEXT);"
          " for (let n; (n = walk.nextNode());) { const i = n.data.indexOf('%1'); if (i < 0) continue;"
          " const r = document.createRange(); r.setStart(n, i); r.setEnd(n, i + %2);"
          " const b = r.getBoundingClientRect(); return Math.round(b.left + b.width / 2) + ',' +"
          " Math.round(b.top + b.height / 2); } return ''; })()")
          .arg(word)
          .arg(word.size());
  const QStringList xy = Evaluate(view, script).value_or(QString()).split(',');
  if (xy.size() != 2) return std::nullopt;
  return QPoint(xy[0].toInt(), xy[1].toInt());
}

}  // namespace

class SpellCheckEndToEndTest : public QObject {
  Q_OBJECT

  TEditorHostQt* FPage = nullptr;
  QPointer<QMenu> FMenu;

  // Right-clicks the word and returns the menu shown, or null.
  QMenu* MenuOn(const QString& word) {
    if (FMenu) FMenu->close();
    const std::optional<QPoint> at = WordCentre(*FPage, word);
    if (!at) return nullptr;
    QWidget* input = FPage->focusProxy() ? FPage->focusProxy() : FPage;
    QTest::mouseClick(input, Qt::RightButton, {}, *at);
    QTest::qWaitFor([this] { return !FMenu.isNull(); }, 3000);
    return FMenu;
  }

  QAction* Item(QMenu* menu, const QString& text) {
    if (!menu) return nullptr;
    for (QAction* a : menu->actions()) {
      if (a->text() == text) return a;
    }
    return nullptr;
  }

 private slots:
  void suggestionsReplaceAndAddedWordsStopBeingMarked() {
    const std::string folder = SpellDictionaryFolder();
    if (InstalledSpellLanguages(folder).empty() ||
        std::find(InstalledSpellLanguages(folder).begin(), InstalledSpellLanguages(folder).end(), "en-US") ==
            InstalledSpellLanguages(folder).end())
      QSKIP("the build compiled no en-US dictionary (hunspell-en-us is missing)");

    TAppSandbox sandbox;
    const std::string projectFile = sandbox.MakeProject("Guide", {"Welcome", "Second"});
    FPage = new TEditorHostQt;
    connect(FPage, &TEditorHostQt::ContextMenuShown, this, [this](QMenu* menu) { FMenu = menu; });
    TMainWindowServices services;
    services.dialogs = &sandbox.dialogs;
    services.editorHost = FPage;
    services.editorView = FPage;
    services.arguments = {QString::fromStdString(projectFile)};
    auto window = std::make_unique<TfrmMain>(services);
    window->resize(1400, 800);
    window->show();
    QVERIFY(QTest::qWaitForWindowExposed(window.get()));
    Probe(*window).Settings().SpellLanguage = "en-US";
    const std::string second = window->Project().RootTopicIDs().at(1);
    WriteTextFileUtf8(TopicFilePath(window->Project(), second), "<p>We recieve mail.</p><p>The Zorbleflax widget.</p>");
    QTRY_VERIFY_WITH_TIMEOUT(Probe(*window).EditorReady(), 60000);
    Probe(*window).ApplySpellCheck();
    Probe(*window).SelectTopicNode(second);
    QTRY_VERIFY_WITH_TIMEOUT(BodyText(*FPage).contains("Zorbleflax"), 20000);
    Probe(*window).RequestEditorFocus();

    // The checker marks the word in its own time: right-click until the menu offers it.
    QMenu* menu = nullptr;
    QTRY_VERIFY_WITH_TIMEOUT((menu = MenuOn("recieve")) && Item(menu, "receive"), 30000);
    QVERIFY(Item(menu, "Add to Dictionary"));
    Item(menu, "receive")->trigger();
    menu->close();
    QTRY_VERIFY_WITH_TIMEOUT(BodyText(*FPage).contains("We receive mail."), 10000);

    QTRY_VERIFY_WITH_TIMEOUT((menu = MenuOn("Zorbleflax")) && Item(menu, "Add to Dictionary"), 30000);
    Item(menu, "Add to Dictionary")->trigger();
    menu->close();
    const std::string root = window->Project().RootPath();
    QCOMPARE(QString::fromStdString(ReadFile(ProjectWordsPath(root))), QString("Zorbleflax\n"));
    // No longer marked: its menu has the editing commands only.
    QTRY_VERIFY_WITH_TIMEOUT((menu = MenuOn("Zorbleflax")) && !Item(menu, "Add to Dictionary") &&
                                 Item(menu, FPage->pageAction(QWebEnginePage::Copy)->text()),
                             20000);
    menu->close();

    // The page's wrapping never reaches the topic file.
    Control<QAction>(*window, "actSave")->trigger();
    const std::string saved = ReadFile(TopicFilePath(window->Project(), second));
    QVERIFY2(saved.find("<p>The Zorbleflax widget.</p>") != std::string::npos, saved.c_str());
    QVERIFY2(saved.find("receive") != std::string::npos, saved.c_str());
  }
};

QTEST_MAIN(SpellCheckEndToEndTest)
#include "SpellCheckEndToEndTest.moc"
