// The formatting toolbar's boxes: what one key or one choice sends the page.
#include <QComboBox>
#include <QLineEdit>
#include <QTest>

#include "AppTestSupport.h"

namespace {

// A window on a saved project whose page has said it is ready.
struct TReadyWindow {
  TAppSandbox box;
  std::unique_ptr<TfrmMain> w;

  TReadyWindow() {
    w = box.NewWindow({QString::fromStdString(box.MakeProject("Guide"))});
    w->show();
    box.host.Post(R"({"type":"ready"})");
  }
  // The arguments of the commands named cmd sent on the user's behalf (the project
  // defaults go out with origin "program").
  std::vector<std::string> UserArgs(const std::string& cmd) const {
    std::vector<std::string> args;
    for (const TJson& m : SentExecCommands(box.host, cmd)) {
      if (JsonString(m, "origin", "") == "user") args.push_back(JsonString(m, "arg", ""));
    }
    return args;
  }
};

using TArgs = std::vector<std::string>;

}  // namespace

class FormattingToolbarTest : public QObject {
  Q_OBJECT

 private slots:
  void enterInTheFontSizeBoxAppliesTheSizeOnce() {
    TReadyWindow t;
    QVERIFY(t.w->EditorReady());
    QLineEdit* edit = t.w->cmbFontSize->lineEdit();
    QVERIFY(edit);
    for (const auto& [typed, key] : {std::pair{"20", Qt::Key_Return}, {"13", Qt::Key_Enter}}) {
      edit->selectAll();
      QTest::keyClicks(edit, typed);
      QTest::keyClick(edit, key);
    }
    QCOMPARE(t.UserArgs("fontSizePx"), (TArgs{"20", "13"}));
    // Choosing from the list is one command as well.
    const int index = t.w->cmbFontSize->findText("24");
    t.w->cmbFontSize->setCurrentIndex(index);
    emit t.w->cmbFontSize->activated(index);
    QCOMPARE(t.UserArgs("fontSizePx"), (TArgs{"20", "13", "24"}));
  }

  void enterInTheLineSpacingBoxAppliesTheShownValue() {
    TReadyWindow t;
    QVERIFY(t.w->EditorReady());
    QComboBox* box = t.w->cmbLineSpacing;
    box->setCurrentIndex(box->findText("2.0"));
    QTest::keyClick(box, Qt::Key_Return);
    QCOMPARE(t.UserArgs("lineHeight"), (TArgs{"2"}));
    box->setCurrentIndex(box->findText("1.15"));
    QTest::keyClick(box, Qt::Key_Enter);
    QCOMPARE(t.UserArgs("lineHeight"), (TArgs{"2", "1.15"}));
  }
};

QTEST_MAIN(FormattingToolbarTest)
#include "FormattingToolbarTest.moc"
