// The whole path a writer takes: the real window with the real editor page in Qt
// WebEngine; select a topic, type, make a word bold, save, and the topic file holds it.
#include <QAction>
#include <QComboBox>
#include <QEventLoop>
#include <QImage>
#include <QLabel>
#include <QLineEdit>
#include <QTest>
#include <QTimer>
#include <QToolButton>
#include <optional>

#include "AppTestSupport.h"
#include "PageScript.h"
#include "uEditorHostQt.h"
#include "uStorage.h"
#include "uUtils.h"

namespace {

// The real window on a two-topic project, with the page ready.
struct TLiveWindow {
  TAppSandbox sandbox;
  TEditorHostQt* page = new TEditorHostQt;  // the window takes the view
  std::unique_ptr<TfrmMain> window;

  bool Start(const std::string& folder = "") {
    const std::string projectFile = sandbox.MakeProject("Guide", {"Welcome", "Second"}, folder);
    TMainWindowServices services;
    services.dialogs = &sandbox.dialogs;
    services.editorHost = page;
    services.editorView = page;
    services.arguments = {QString::fromStdString(projectFile)};
    window = std::make_unique<TfrmMain>(services);
    window->resize(1400, 800);
    window->show();
    return QTest::qWaitForWindowExposed(window.get());
  }
  std::string RootID(size_t i) { return window->Project().RootTopicIDs().at(i); }
  // Real key events go to the page's input widget.
  QWidget* Input() { return page->focusProxy() ? page->focusProxy() : page; }
  bool CaretToEnd() {
    return Evaluate(*page,
                    "(() => { const ed = tinymce.get('zd-body'); ed.focus();"
                    " ed.selection.select(ed.getBody(), true); ed.selection.collapse(false); return 'ok'; })()")
        .has_value();
  }
  // Puts the caret inside the first occurrence of a word in the body.
  bool CaretIn(const QString& word) {
    return Evaluate(
               *page,
               QString("(() => { const ed = tinymce.get('zd-body'); ed.focus();"
                       " const walk = document.createTreeWalker(ed.getBody(), NodeFilter.SHOW_TEXT);"
                       " for (let n; (n = walk.nextNode());) { const i = n.data.indexOf('%1');"
                       " if (i >= 0) { ed.selection.setCursorLocation(n, i + 1); ed.nodeChanged(); return 'ok'; } }"
                       " return 'missing'; })()")
                   .arg(word))
               .value_or(QString()) == "ok";
  }
};

}  // namespace

class EditorEndToEndTest : public QObject {
  Q_OBJECT

 private slots:
  void typeBoldSaveReachesTheTopicFile() {
    TLiveWindow live;
    QVERIFY(live.Start());
    TfrmMain& window = *live.window;
    TEditorHostQt* page = live.page;
    QTRY_VERIFY_WITH_TIMEOUT(Probe(window).EditorReady(), 60000);

    const std::string second = live.RootID(1);
    Probe(window).SelectTopicNode(second);
    QTRY_VERIFY_WITH_TIMEOUT(BodyText(*page).contains("Second"), 20000);
    QCOMPARE(Probe(window).CurrentTopicID(), second);

    // The caret at the end of the text, then real keystrokes into the page.
    Probe(window).RequestEditorFocus();
    QVERIFY(live.CaretToEnd());
    QWidget* input = live.Input();
    QTest::keyClicks(input, " Hello");
    QTRY_VERIFY_WITH_TIMEOUT(BodyText(*page).contains("Second Hello"), 10000);
    // The caret's font follows the project default; one this machine lacks is shown by
    // name, not replaced by whichever font happens to head the list.
    const QString font = QString::fromStdString(Probe(window).Settings().DefaultFontName);
    if (Control<QComboBox>(window, "cmbTextFont")->findText(font, Qt::MatchFixedString) < 0) {
      QTRY_COMPARE_WITH_TIMEOUT(Control<QComboBox>(window, "cmbTextFont")->placeholderText(), font, 10000);
      QCOMPARE(Control<QComboBox>(window, "cmbTextFont")->currentIndex(), -1);
    }

    // Select the typed word and press the toolbar's Bold.
    QTest::keyClick(input, Qt::Key_Left, Qt::ShiftModifier | Qt::ControlModifier);
    QTRY_VERIFY_WITH_TIMEOUT(
        Evaluate(*page, "tinymce.get('zd-body').selection.getContent({format:'text'})").value_or(QString()) == "Hello",
        10000);
    Control<QToolButton>(window, "btnBold")->click();
    QTRY_VERIFY_WITH_TIMEOUT(
        Evaluate(*page, "document.querySelector('#zd-body strong')?.textContent || ''").value_or(QString()) == "Hello",
        10000);

    Control<QAction>(window, "actSave")->trigger();
    QVERIFY(live.sandbox.dialogs.messages.empty());
    const std::string saved = ReadFile(TopicFilePath(window.Project(), second));
    QVERIFY2(saved.find("<strong>Hello</strong>") != std::string::npos, saved.c_str());
    QVERIFY2(saved.find("Second") != std::string::npos, saved.c_str());
    QVERIFY(!window.ProjectDirty());

    // The Edit menu's Copy and Paste go through the page's clipboard access.
    Control<QAction>(window, "actCopy")->trigger();
    QVERIFY(
        Evaluate(*page, "(() => { const ed = tinymce.get('zd-body'); ed.selection.collapse(false); return 'ok'; })()")
            .has_value());
    Control<QAction>(window, "actPaste")->trigger();
    QTRY_VERIFY_WITH_TIMEOUT(BodyText(*page).contains("HelloHello"), 10000);
  }

  // Find in the topic marks the matches of the real page and steps through them.
  void findBarStepsThroughTheMatchesOfThePage() {
    TLiveWindow live;
    QVERIFY(live.Start());
    TfrmMain& window = *live.window;
    QTRY_VERIFY_WITH_TIMEOUT(Probe(window).EditorReady(), 60000);
    Probe(window).RequestEditorFocus();
    QVERIFY(live.CaretToEnd());
    QTest::keyClicks(live.Input(), " apple pie and apple tart");
    QTRY_VERIFY_WITH_TIMEOUT(BodyText(*live.page).contains("apple tart"), 10000);

    Control<QAction>(window, "actFind")->trigger();
    auto* text = Control<QLineEdit>(window, "edFindInTopic");
    QVERIFY(text->isVisible());
    QTest::keyClicks(text, "apple");
    auto* result = Control<QLabel>(window, "lblFindResult");
    QTRY_COMPARE_WITH_TIMEOUT(result->text(), QString("1 of 2"), 10000);
    Control<QAction>(window, "actFindNext")->trigger();
    QTRY_COMPARE_WITH_TIMEOUT(result->text(), QString("2 of 2"), 10000);
    Control<QAction>(window, "actFindPrevious")->trigger();
    QTRY_COMPARE_WITH_TIMEOUT(result->text(), QString("1 of 2"), 10000);
    text->setText("pear");
    Control<QAction>(window, "actFindNext")->trigger();
    QTRY_COMPARE_WITH_TIMEOUT(result->text(), QString("Not found"), 10000);
    QTest::keyClick(text, Qt::Key_Escape);
    QVERIFY(!text->isVisible());
  }

  // A project kept in a folder whose name holds what a URL reserves: the page loads,
  // resolves the topic's picture against the project folder and applies its style sheet.
  void projectInAFolderWithUrlDelimitersShowsItsTopics() {
    TLiveWindow live;
    QVERIFY(live.Start("C# notes? 100% \xC3\xA4"));
    TfrmMain& window = *live.window;
    const std::string root = window.Project().RootPath();
    EnsureDir(PathJoin(root, "assets/images"));
    QVERIFY(QImage(3, 2, QImage::Format_RGB32).save(QString::fromStdString(PathJoin(root, "assets/images/dot.png"))));
    WriteTextFileUtf8(PathJoin(root, "styles/default.css"), "#zd-body .probe { text-indent: 13px; }");
    const std::string second = live.RootID(1);
    WriteTextFileUtf8(TopicFilePath(window.Project(), second),
                      "<p class=\"probe\">Second</p><p><img src=\"assets/images/dot.png\"></p>");
    QTRY_VERIFY_WITH_TIMEOUT(Probe(window).EditorReady(), 60000);
    Probe(window).SelectTopicNode(second);
    QTRY_VERIFY_WITH_TIMEOUT(BodyText(*live.page).contains("Second"), 20000);
    QTRY_COMPARE_WITH_TIMEOUT(
        Evaluate(*live.page, "String(document.querySelector('#zd-body img')?.naturalWidth)").value_or(QString()),
        QString("3"), 10000);
    QTRY_COMPARE_WITH_TIMEOUT(
        Evaluate(*live.page, "getComputedStyle(document.querySelector('#zd-body .probe')).textIndent")
            .value_or(QString()),
        QString("13px"), 10000);
  }

  // The project's style sheet loads after the topic: the toolbar then shows the heading's
  // own line spacing, not the page's default.
  void toolbarFollowsTheStyleSheetLoadedAfterTheTopic() {
    TLiveWindow live;
    QVERIFY(live.Start());
    TfrmMain& window = *live.window;
    WriteTextFileUtf8(PathJoin(window.Project().RootPath(), "styles/default.css"),
                      "h4 { line-height: 1.25; font-size: 40px; }");
    const std::string second = live.RootID(1);
    // A fourth-level heading: the sizes of the first three come from the project settings.
    WriteTextFileUtf8(TopicFilePath(window.Project(), second), "<h4>Heading</h4><p>Second</p>");
    QTRY_VERIFY_WITH_TIMEOUT(Probe(window).EditorReady(), 60000);
    Probe(window).SelectTopicNode(second);
    QTRY_VERIFY_WITH_TIMEOUT(BodyText(*live.page).contains("Heading"), 20000);
    QTRY_COMPARE_WITH_TIMEOUT(Control<QComboBox>(window, "cmbFontSize")->currentText(), QString("40"), 10000);
    QTRY_COMPARE_WITH_TIMEOUT(Control<QComboBox>(window, "cmbLineSpacing")->placeholderText(), QString("1.25"), 10000);
  }

  // The heading box turns the whole line into the heading, at the project's size, also in
  // a topic whose paragraphs carry the typography older versions wrote into them.
  void headingBoxMakesTheWholeLineTheHeading() {
    TLiveWindow live;
    QVERIFY(live.Start());
    TfrmMain& window = *live.window;
    const std::string second = live.RootID(1);
    WriteTextFileUtf8(TopicFilePath(window.Project(), second),
                      "<p style=\"font-family:Segoe UI, Arial, sans-serif;font-size:16px;color:#000000;"
                      "line-height:1.5;\">Installing the agent</p>");
    QTRY_VERIFY_WITH_TIMEOUT(Probe(window).EditorReady(), 60000);
    Probe(window).SelectTopicNode(second);
    QTRY_VERIFY_WITH_TIMEOUT(BodyText(*live.page).contains("Installing"), 20000);
    Probe(window).RequestEditorFocus();
    QVERIFY(live.CaretIn("agent"));
    Control<QComboBox>(window, "cmbHeading")->setCurrentIndex(1);
    emit Control<QComboBox>(window, "cmbHeading")->activated(1);
    const QString size = QString::number(Probe(window).Settings().FontSizeH1) + "px";
    QTRY_COMPARE_WITH_TIMEOUT(
        Evaluate(*live.page, "getComputedStyle(document.querySelector('#zd-body h1') || document.body).fontSize")
            .value_or(QString()),
        size, 10000);
    Control<QAction>(window, "actSave")->trigger();
    const std::string saved = ReadFile(TopicFilePath(window.Project(), second));
    QVERIFY2(saved.find(">Installing the agent</h1>") != std::string::npos, saved.c_str());
    QVERIFY2(saved.find("font-size") == std::string::npos && saved.find("<span") == std::string::npos, saved.c_str());
  }

  // Typing and switching away at once: the keystrokes still belong to the topic left.
  void keystrokesRightBeforeASwitchAreKept() {
    TLiveWindow live;
    QVERIFY(live.Start());
    TfrmMain& window = *live.window;
    QTRY_VERIFY_WITH_TIMEOUT(Probe(window).EditorReady(), 60000);
    const std::string first = live.RootID(0);
    const std::string second = live.RootID(1);
    Probe(window).SelectTopicNode(second);
    QTRY_VERIFY_WITH_TIMEOUT(BodyText(*live.page).contains("Second"), 20000);

    Probe(window).RequestEditorFocus();
    QVERIFY(live.CaretToEnd());
    QTest::keyClicks(live.Input(), " quick");
    Probe(window).SelectTopicNode(first);
    QTRY_COMPARE_WITH_TIMEOUT(Probe(window).CurrentTopicID(), first, 20000);
    QTRY_VERIFY_WITH_TIMEOUT(!BodyText(*live.page).contains("Second"), 20000);

    Probe(window).SelectTopicNode(second);
    QTRY_VERIFY_WITH_TIMEOUT(BodyText(*live.page).contains("Second quick"), 20000);
    Control<QAction>(window, "actSave")->trigger();
    const std::string saved = ReadFile(TopicFilePath(window.Project(), second));
    QVERIFY2(saved.find("Second quick") != std::string::npos, saved.c_str());
  }

  // The line-spacing box follows the caret between paragraphs, also to a value the page
  // writes without the list's trailing ".0".
  void lineSpacingBoxFollowsTheCaret() {
    TLiveWindow live;
    QVERIFY(live.Start());
    TfrmMain& window = *live.window;
    QTRY_VERIFY_WITH_TIMEOUT(Probe(window).EditorReady(), 60000);
    Probe(window).SelectTopicNode(live.RootID(1));
    QTRY_VERIFY_WITH_TIMEOUT(BodyText(*live.page).contains("Second"), 20000);
    Probe(window).RequestEditorFocus();
    QVERIFY(live.CaretToEnd());
    QTest::keyClick(live.Input(), Qt::Key_Return);
    QTest::keyClicks(live.Input(), "spaced");
    QTRY_VERIFY_WITH_TIMEOUT(BodyText(*live.page).contains("spaced"), 10000);

    QComboBox* box = Control<QComboBox>(window, "cmbLineSpacing");
    const int wide = box->findText("2.0");
    box->setCurrentIndex(wide);
    emit box->activated(wide);
    QTRY_VERIFY_WITH_TIMEOUT(
        Evaluate(*live.page, "document.querySelector('#zd-body p:last-child').style.lineHeight").value_or(QString()) ==
            "2",
        10000);
    QVERIFY(live.CaretIn("Second"));
    QTRY_COMPARE_WITH_TIMEOUT(box->currentText(), QString("1.5"), 10000);
    QVERIFY(live.CaretIn("spaced"));
    QTRY_COMPARE_WITH_TIMEOUT(box->currentText(), QString("2.0"), 10000);
  }

  // A click in the tree keeps the keyboard there; Enter gives the page its caret, and what
  // is typed next lands in the topic.
  void enterInTheTreeGivesThePageTheCaret() {
    TLiveWindow live;
    QVERIFY(live.Start());
    TfrmMain& window = *live.window;
    QTRY_VERIFY_WITH_TIMEOUT(Probe(window).EditorReady(), 60000);
    window.activateWindow();
    QVERIFY(QTest::qWaitForWindowActive(&window));
    TopicTree(window)->setFocus();
    QTreeWidgetItem* second = TopicTree(window)->topLevelItem(1);
    QTest::mouseClick(TopicTree(window)->viewport(), Qt::LeftButton, {},
                      TopicTree(window)->visualItemRect(second).center());
    QTRY_VERIFY_WITH_TIMEOUT(BodyText(*live.page).contains("Second"), 20000);
    QTest::qWait(200);
    QVERIFY(TopicTree(window)->hasFocus());

    QTest::keyClick(TopicTree(window), Qt::Key_Return);
    QTRY_VERIFY_WITH_TIMEOUT(Evaluate(*live.page, "String(tinymce.get('zd-body').hasFocus())").value_or("") == "true",
                             10000);
    QTest::keyClicks(live.Input(), "Typed");
    QTRY_VERIFY_WITH_TIMEOUT(BodyText(*live.page).contains("Typed"), 10000);
  }
};

QTEST_MAIN(EditorEndToEndTest)
#include "EditorEndToEndTest.moc"
