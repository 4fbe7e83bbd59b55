// The variables, snippets and conditions dialog: its grids over the store, the save
// rules, the tab guard, and what the window does with each way of closing it.
#include <QAction>
#include <QApplication>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QTabWidget>
#include <QTest>
#include <QTimer>
#include <filesystem>

#include "AppTestSupport.h"
#include "uFrmReusableContent.h"
#include "uJson.h"
#include "uStorage.h"
#include "uTranslation.h"
#include "uTranslationFile.h"

namespace {

// The JSON text inside a "window.__zd_recv(...)" script; empty for other scripts.
std::string RecvJson(const std::string& script) {
  const size_t open = script.find("__zd_recv(\"");
  const size_t close = script.rfind("\");");
  if (open == std::string::npos || close == std::string::npos) return "";
  std::string out;
  for (size_t i = open + 11; i < close; ++i) {
    if (script[i] != '\\' || i + 1 >= close) {
      out += script[i];
      continue;
    }
    const char c = script[++i];
    out += c == 'r' ? '\r' : c == 'n' ? '\n' : c;
  }
  return out;
}

// The page: answers every request for the HTML and records the insertHTML commands.
class TPage : public QObject {
 public:
  explicit TPage(TFakeEditorHost& host) : FHost(host) {
    connect(&FTimer, &QTimer::timeout, this, [this] { Answer(); });
    FTimer.start(1);
  }
  void Answer() {
    for (; FSeen < FHost.scripts.size(); ++FSeen) {
      TJson m;
      if (!TryParseJson(RecvJson(FHost.scripts[FSeen]), m)) continue;
      const std::string type = JsonString(m, "type", "");
      if (type == "getHtml") {
        ++htmlRequests;
        FHost.Post(R"({"type":"htmlResponse","html":"<p>typed</p>"})");
      } else if (type == "exec" && JsonString(m, "cmd", "") == "insertHTML") {
        FInserted.push_back(JsonString(m, "arg", ""));
      }
    }
  }
  const std::vector<std::string>& Inserted() {
    Answer();
    return FInserted;
  }
  int htmlRequests = 0;

 private:
  TFakeEditorHost& FHost;
  QTimer FTimer;
  size_t FSeen = 0;
  std::vector<std::string> FInserted;
};

// Runs action on the dialog once the window shows it modally.
void WhenDialogShown(std::function<void(TfrmReusableContent&)> action, bool* ran = nullptr) {
  auto* timer = new QTimer;
  QObject::connect(timer, &QTimer::timeout, [timer, action, ran] {
    auto* dialog = qobject_cast<TfrmReusableContent*>(QApplication::activeModalWidget());
    if (!dialog) return;
    timer->stop();
    timer->deleteLater();
    if (ran) *ran = true;
    action(*dialog);
  });
  timer->start(2);
}

struct TOpenWindow {
  TAppSandbox box;
  std::unique_ptr<TfrmMain> w;
  std::unique_ptr<TPage> page;
  std::string file;  // meta/reusable_content.json

  explicit TOpenWindow(const std::string& content = "", bool ready = true) {
    const std::string project = box.MakeProject("Guide");
    w = box.NewWindow({QString::fromStdString(project)});
    file = ReusableContentPath(w->Project());
    if (!content.empty()) WriteTextFileUtf8(file, content);
    page = std::make_unique<TPage>(box.host);
    if (ready) box.host.Post(R"({"type":"ready"})");
  }
};

int RowsWithHeader(const QTableWidget* grid) { return grid->rowCount() + 1; }

}  // namespace

class ReusableContentDialogTest : public QObject {
  Q_OBJECT

 private slots:
  void cleanup() { LoadTranslationsFrom("/nonexistent/transl.zd", "en"); }

  void gridsShowEntriesAndAtLeastElevenSpareRows() {
    TReusableProjectContent store;
    for (int i = 0; i < 20; ++i) store.Variables().push_back({"V" + std::to_string(i), "value " + std::to_string(i)});
    for (int i = 0; i < 5; ++i) store.Snippets().push_back({"S" + std::to_string(i), "<p>s</p>"});
    store.Conditions() = {{"Pro", true}, {"Lite", false}};
    TfrmReusableContent dialog(nullptr, store);
    dialog.FillGrids();
    QCOMPARE(RowsWithHeader(dialog.grdVars), 32);
    QCOMPARE(RowsWithHeader(dialog.grdSnips), 17);
    QCOMPARE(RowsWithHeader(dialog.grdConds), 16);
    QCOMPARE(dialog.grdVars->Cell(19, 0), QString("V19"));
    QCOMPARE(dialog.grdVars->Cell(19, 1), QString("value 19"));
    QCOMPARE(dialog.grdVars->Cell(20, 0), QString());
    QCOMPARE(dialog.grdConds->Cell(0, 1), QString("true"));
    QCOMPARE(dialog.grdConds->Cell(1, 1), QString("false"));
    QCOMPARE(dialog.grdSnips->horizontalHeaderItem(1)->text(), QString("HTML"));

    TReusableProjectContent empty;
    TfrmReusableContent none(nullptr, empty);
    none.FillGrids();
    for (const QTableWidget* grid : {none.grdVars, none.grdSnips, none.grdConds}) QCOMPARE(RowsWithHeader(grid), 16);
    QCOMPARE(none.Pages->currentWidget(), none.TsVars);
  }

  void saveKeepsNamedRowsInGridOrder() {
    TReusableProjectContent store;
    TfrmReusableContent dialog(nullptr, store);
    dialog.FillGrids();
    dialog.grdVars->SetCell(0, 0, "  Product ");
    dialog.grdVars->SetCell(0, 1, "  A&B  ");
    dialog.grdVars->SetCell(1, 1, "value without a name");
    dialog.grdVars->SetCell(2, 0, "   ");
    dialog.grdVars->SetCell(3, 0, "Product");
    dialog.grdVars->SetCell(3, 1, "second");
    dialog.grdSnips->SetCell(5, 0, "Note");
    dialog.grdSnips->SetCell(5, 1, "<p>line one\nline two</p>");
    const std::vector<std::pair<QString, bool>> words = {{" Yes ", true}, {"ON", true},   {"1", true},
                                                         {"true", true},  {"off", false}, {"no", false},
                                                         {"0", false},    {"", false},    {"maybe", false}};
    for (size_t i = 0; i < words.size(); ++i) {
      dialog.grdConds->SetCell(int(i), 0, QString("C%1").arg(i));
      dialog.grdConds->SetCell(int(i), 1, words[i].first);
    }
    store.Variables().push_back({"Stale", "x"});
    dialog.SaveGridsToStore();

    QCOMPARE(store.Variables().size(), size_t(2));
    QCOMPARE(store.Variables()[0].Name, std::string("Product"));
    QCOMPARE(store.Variables()[0].Value, std::string("  A&B  "));
    QCOMPARE(store.Variables()[1].Value, std::string("second"));
    QCOMPARE(store.Snippets().size(), size_t(1));
    QCOMPARE(store.Snippets()[0].Html, std::string("<p>line one\nline two</p>"));
    QCOMPARE(store.Conditions().size(), words.size());
    for (size_t i = 0; i < words.size(); ++i) {
      QVERIFY2(store.Conditions()[i].Enabled == words[i].second, qPrintable(words[i].first));
    }
  }

  // What is typed into a cell whose editor is still open counts when saving.
  void saveTakesTheTextOfAnOpenCellEditor() {
    TReusableProjectContent store;
    TfrmReusableContent dialog(nullptr, store);
    dialog.FillGrids();
    dialog.show();
    dialog.grdVars->setCurrentCell(0, 0);  // the editor opens with the current cell
    auto* editor = qobject_cast<QLineEdit*>(dialog.grdVars->indexWidget(dialog.grdVars->currentIndex()));
    QVERIFY(editor);
    editor->setText("Typed");
    dialog.SaveGridsToStore();
    QCOMPARE(store.Variables().size(), size_t(1));
    QCOMPARE(store.Variables()[0].Name, std::string("Typed"));
  }

  // The keys of a grid: Tab moves to the next cell, Enter keeps the text and the
  // dialog, Delete empties the cell whether or not its editor is open.
  void gridKeys() {
    TReusableProjectContent store;
    store.Variables() = {{"A", "one"}, {"B", "two"}};
    TfrmReusableContent dialog(nullptr, store);
    dialog.FillGrids();
    dialog.show();
    QApplication::setActiveWindow(&dialog);
    QVERIFY(QTest::qWaitForWindowActive(&dialog));
    TReusableGrid* grid = dialog.grdVars;
    grid->setFocus();
    grid->setCurrentCell(0, 1);
    QTest::keyClick(QApplication::focusWidget(), Qt::Key_Delete);  // the open editor's text is selected
    QTest::keyClick(QApplication::focusWidget(), Qt::Key_Tab);
    QCOMPARE(grid->Cell(0, 1), QString());
    QCOMPARE(grid->currentRow(), 1);
    QTest::keyClicks(QApplication::focusWidget(), "C");
    QTest::keyClick(QApplication::focusWidget(), Qt::Key_Return);
    QApplication::processEvents();  // the editor hands its text over once Enter is handled
    QVERIFY(dialog.isVisible());
    QCOMPARE(grid->Cell(1, 0), QString("C"));
    QCOMPARE(QApplication::focusWidget(), grid);
    QTest::keyClick(grid, Qt::Key_Delete);
    QCOMPARE(grid->Cell(1, 0), QString());
    dialog.SaveGridsToStore();
    QCOMPARE(store.Variables().size(), size_t(1));
    QCOMPARE(store.Variables()[0].Value, std::string());
  }

  void tabGuardFollowsTheVisibleTab() {
    TReusableProjectContent store;
    TfrmReusableContent dialog(nullptr, store);
    const auto enabled = [&] {
      return QString("%1%2%3%4")
          .arg(int(dialog.btnInsVar->isEnabled()))
          .arg(int(dialog.btnInsSnip->isEnabled()))
          .arg(int(dialog.btnInsCondBegin->isEnabled()))
          .arg(int(dialog.btnInsCondEnd->isEnabled()));
    };
    QCOMPARE(enabled(), QString("1000"));
    dialog.Pages->setCurrentWidget(dialog.TsSnips);
    QCOMPARE(enabled(), QString("0100"));
    dialog.Pages->setCurrentWidget(dialog.TsConds);
    QCOMPARE(enabled(), QString("0011"));
    QVERIFY(dialog.btnSave->isEnabled() && dialog.btnCancel->isEnabled());
  }

  // At its smallest the dialog still shows every insert button with its whole caption.
  void narrowDialogKeepsEveryInsertButtonInView() {
    LoadTranslationsFrom(std::string(FOLIVANE_SOURCE_DIR) + "/resources/transl.zd", "de");
    TReusableProjectContent store;
    TfrmReusableContent dialog(nullptr, store);
    dialog.show();
    dialog.resize(dialog.minimumSize());
    QApplication::processEvents();
    QCOMPARE(dialog.width(), dialog.minimumWidth());
    for (const QPushButton* b : {dialog.btnInsVar, dialog.btnInsSnip, dialog.btnInsCondBegin, dialog.btnInsCondEnd}) {
      QVERIFY2(b->geometry().right() < dialog.pnlBottom->width(), qPrintable(b->text()));
      QVERIFY2(b->width() >= b->sizeHint().width(), qPrintable(b->text()));
    }
  }

  void tokenComesFromTheCurrentRow() {
    TReusableProjectContent store;
    store.Variables() = {{"First", "1"}, {"A&B <x>", "2"}};
    store.Snippets() = {{"Note", "<p>n</p>"}};
    TfrmReusableContent dialog(nullptr, store);
    dialog.FillGrids();
    std::string message;
    // No current row reads the first row.
    QCOMPARE(dialog.TokenForResult(rrInsertVariable, message), std::string("{var:First}"));
    dialog.grdVars->setCurrentCell(1, 1);
    QCOMPARE(dialog.TokenForResult(rrInsertVariable, message), std::string("{var:A&amp;B &lt;x&gt;}"));
    QCOMPARE(dialog.TokenForResult(rrInsertSnippet, message), std::string("{snip:Note}"));
    QCOMPARE(dialog.TokenForResult(rrInsertBeginCondition, message), std::string());
    QCOMPARE(message, std::string("Select or enter a condition name first."));
    QCOMPARE(dialog.TokenForResult(rrInsertEndCondition, message), std::string("{endcond}"));
    QVERIFY(message.empty());
    QCOMPARE(dialog.TokenForResult(rrSave, message), std::string());
  }

  void everyTextHasATranslationRow() {
    TTranslationTable table;
    QVERIFY(ParseTranslationText(ReadTextFileUtf8(std::string(FOLIVANE_SOURCE_DIR) + "/resources/transl.zd"), table));
    const std::vector<std::string>& english = table.columns[0];
    std::vector<std::string> texts = {"Variables, snippets and conditions",
                                      "Variables",
                                      "Snippets",
                                      "Conditions",
                                      "Name",
                                      "Value",
                                      "Enabled",
                                      "Insert variable",
                                      "Insert snippet",
                                      "Insert begin condition",
                                      "Insert end condition",
                                      "Save",
                                      "Cancel",
                                      "Select or enter a variable name first.",
                                      "Select or enter a snippet name first.",
                                      "Select or enter a condition name first."};
    for (int tab = 0; tab < 3; ++tab) {
      for (const std::string& s : TfrmReusableContent::HelpSentences(tab)) texts.push_back(s);
    }
    for (const std::string& text : texts) {
      QVERIFY2(std::find(english.begin(), english.end(), text) != english.end(),
               qPrintable(QString::fromStdString(text)));
    }

    LoadTranslationsFrom(std::string(FOLIVANE_SOURCE_DIR) + "/resources/transl.zd", "de");
    TReusableProjectContent store;
    TfrmReusableContent dialog(nullptr, store);
    QCOMPARE(dialog.windowTitle(), QString("Variablen, Bausteine und Bedingungen"));
    QCOMPARE(dialog.btnSave->text(), QString("Speichern"));
    QVERIFY(dialog.lblCondsHelp->text().startsWith("Bedingungen sind"));
    QVERIFY(dialog.lblSnipsHelp->text().contains("<p>"));  // shown as plain text
  }

  // --- Through the window -----------------------------------------------------------

  void insertButtonsSaveThenInsertTheToken_data() {
    QTest::addColumn<int>("tab");
    QTest::addColumn<QString>("name");
    QTest::addColumn<int>("button");
    QTest::addColumn<QString>("inserted");
    QTest::newRow("variable") << 0 << "A&B <x>" << int(rrInsertVariable) << "{var:A&amp;B &lt;x&gt;}";
    QTest::newRow("snippet") << 1 << " Note " << int(rrInsertSnippet) << "{snip:Note}";
    QTest::newRow("begin") << 2 << "Pro" << int(rrInsertBeginCondition) << "{begincond:Pro}";
    QTest::newRow("end") << 2 << "" << int(rrInsertEndCondition) << "{endcond}";
  }

  void insertButtonsSaveThenInsertTheToken() {
    QFETCH(int, tab);
    QFETCH(QString, name);
    QFETCH(int, button);
    QFETCH(QString, inserted);
    TOpenWindow o;
    QVERIFY(Probe(*o.w).EditorReady() && !Probe(*o.w).CurrentTopicID().empty());
    QVERIFY(!o.w->ProjectDirty());
    bool ran = false;
    WhenDialogShown(
        [&](TfrmReusableContent& d) {
          QTableWidget* grids[] = {d.grdVars, d.grdSnips, d.grdConds};
          d.Pages->setCurrentIndex(tab);
          grids[tab]->setItem(2, 0, new QTableWidgetItem(name));
          grids[tab]->setCurrentCell(2, 1);
          QPushButton* buttons[] = {d.btnInsVar, d.btnInsSnip, d.btnInsCondBegin, d.btnInsCondEnd};
          buttons[button - rrInsertVariable]->click();
        },
        &ran);
    Probe(*o.w).btnVariablesConditionsSnippetsClick();
    QVERIFY(ran);
    QCOMPARE(o.page->htmlRequests, 2);  // before the dialog and after saving
    QCOMPARE(o.page->Inserted(), std::vector<std::string>{inserted.toStdString()});
    QVERIFY(o.w->ProjectDirty());
    QVERIFY(o.box.dialogs.messages.empty());
    TReusableProjectContent saved;
    saved.LoadFromProject(o.w->Project());
    const size_t entries = saved.Variables().size() + saved.Snippets().size() + saved.Conditions().size();
    QCOMPARE(entries, size_t(name.isEmpty() ? 0 : 1));
  }

  void cancelEscAndCloseBoxLeaveTheFileAlone() {
    const std::string content = R"({"variables":[{"name":"Version","value":"4.2"}],"snippets":[],"conditions":[]})";
    TOpenWindow o(content);
    const std::vector<std::function<void(TfrmReusableContent&)>> ways = {
        [](TfrmReusableContent& d) { d.btnCancel->click(); },
        [](TfrmReusableContent& d) { QTest::keyClick(&d, Qt::Key_Escape); }, [](TfrmReusableContent& d) { d.close(); }};
    for (const auto& way : ways) {
      bool ran = false;
      WhenDialogShown(
          [&](TfrmReusableContent& d) {
            QCOMPARE(d.grdVars->Cell(0, 1), QString("4.2"));
            d.grdVars->SetCell(0, 1, "5.0");
            d.grdVars->SetCell(1, 0, "New");
            way(d);
          },
          &ran);
      Probe(*o.w).btnVariablesConditionsSnippetsClick();
      QVERIFY(ran);
      QCOMPARE(ReadFile(o.file), content);
    }
    QVERIFY(!o.w->ProjectDirty());
    QVERIFY(o.page->Inserted().empty());
  }

  void missingNameIsReportedAfterSaving() {
    TOpenWindow o;
    WhenDialogShown([](TfrmReusableContent& d) {
      d.grdVars->SetCell(3, 0, "Later");
      d.grdVars->setCurrentCell(0, 0);
      d.btnInsVar->click();
    });
    Probe(*o.w).btnVariablesConditionsSnippetsClick();
    QCOMPARE(ReadFile(o.file),
             std::string(R"({"variables":[{"name":"Later","value":""}],"snippets":[],"conditions":[]})"));
    QCOMPARE(o.box.dialogs.messages.size(), size_t(1));
    QCOMPARE(o.box.dialogs.messages[0].text, std::string("Select or enter a variable name first."));
    QVERIFY(o.page->Inserted().empty());
  }

  void editorNotReadySavesButInsertsNothing() {
    TOpenWindow o("", false);
    WhenDialogShown([](TfrmReusableContent& d) {
      d.grdVars->SetCell(0, 0, "Product");
      d.btnInsVar->click();
    });
    Probe(*o.w).btnVariablesConditionsSnippetsClick();
    QVERIFY(ReadFile(o.file).find("Product") != std::string::npos);
    QVERIFY(o.box.dialogs.messages.empty());
    QCOMPARE(o.page->htmlRequests, 0);
    QVERIFY(o.page->Inserted().empty());
  }

  // A file that does not parse would read as empty lists and be replaced by the next
  // save: the dialog does not open, and the file stays as it is.
  void damagedFileIsNeitherShownEmptyNorReplaced() {
    const std::string content = "<<<<<<< HEAD\n{\"variables\":[{\"name\":\"Version\",\"value\":\"4.2\"}]}";
    TOpenWindow o(content);
    bool shown = false;
    QTimer saveIfShown;
    connect(&saveIfShown, &QTimer::timeout, [&] {
      if (auto* d = qobject_cast<TfrmReusableContent*>(QApplication::activeModalWidget())) {
        shown = true;
        d->btnSave->click();
      }
    });
    saveIfShown.start(2);
    Control<QAction>(*o.w, "actReusableContent")->trigger();
    QVERIFY(!shown);
    QCOMPARE(ReadFile(o.file), content);
    QCOMPARE(o.box.dialogs.messages.size(), size_t(1));
    QCOMPARE(o.box.dialogs.messages[0].kind, TMessageKind::Error);
    QVERIFY(QString::fromStdString(o.box.dialogs.messages[0].text).endsWith(QString::fromStdString(o.file) + "."));
  }

  // A save that cannot be written keeps the dialog and its edits; the next try saves.
  void failedSaveKeepsTheDialogOpen() {
    TOpenWindow o;
    bool stillOpen = false;
    WhenDialogShown([&](TfrmReusableContent& d) {
      d.grdVars->SetCell(0, 0, "Product");
      std::filesystem::create_directories(o.file);  // a folder where the file belongs
      d.btnSave->click();
      stillOpen = d.isVisible() && d.grdVars->Cell(0, 0) == "Product";
      std::filesystem::remove(o.file);
      d.btnSave->click();
    });
    Probe(*o.w).btnVariablesConditionsSnippetsClick();
    QVERIFY(stillOpen);
    QCOMPARE(o.box.dialogs.messages.size(), size_t(1));
    QCOMPARE(o.box.dialogs.messages[0].kind, TMessageKind::Error);
    QVERIFY(ReadFile(o.file).find("Product") != std::string::npos);
    QVERIFY(o.w->ProjectDirty());
  }
};

QTEST_MAIN(ReusableContentDialogTest)
#include "ReusableContentDialogTest.moc"
