// The formatting toolbar's boxes: what one key or one choice sends the page.
#include <QCheckBox>
#include <QComboBox>
#include <QLineEdit>
#include <QSpinBox>
#include <QTest>
#include <QToolButton>

#include "AppTestSupport.h"
#include "uDlgImageProperties.h"
#include "uStorage.h"

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
  // Tools > Clean Up Formatting lists what it will change, and writes only once confirmed.
  void cleanUpFormattingPreviewsThenWrites() {
    TReadyWindow t;
    QVERIFY(Probe(*t.w).EditorReady());
    const std::string id = t.w->Project().TopicsInTreeOrder().at(0)->ID();
    const std::string file = TopicFilePath(t.w->Project(), id);
    const std::string typed =
        R"(<p style="font-family:Segoe UI, Arial, sans-serif;font-size:16px;color:#000000;line-height:1.5;">t</p>)"
        R"(<p><span style="color: #ff0000;">red</span></p>)";
    WriteTextFileUtf8(file, typed);

    t.box.dialogs.answers = {TDialogAnswer::Cancel};
    Control<QAction>(*t.w, "actCleanUpFormatting")->trigger();
    QCOMPARE(t.box.dialogs.questions.size(), size_t(1));
    const std::string preview = t.box.dialogs.questions[0].text;
    QVERIFY2(preview.find("\nWelcome: 4 changes\n") != std::string::npos, preview.c_str());
    QVERIFY2(preview.find("Clean up 1 topics?") != std::string::npos, preview.c_str());
    QCOMPARE(ReadFile(file), typed);

    t.box.dialogs.answers = {TDialogAnswer::Ok};
    Control<QAction>(*t.w, "actCleanUpFormatting")->trigger();
    QCOMPARE(ReadFile(file), std::string(R"(<p>t</p><p><span style="color: #ff0000;">red</span></p>)"));
    // Nothing left: said so, nothing asked.
    Control<QAction>(*t.w, "actCleanUpFormatting")->trigger();
    QCOMPARE(t.box.dialogs.questions.size(), size_t(2));
    QCOMPARE(t.box.dialogs.messages.back().text, std::string("No topic has formatting to clean up."));
    QVERIFY(t.box.dialogs.unexpected.empty());
  }

  void enterInTheFontSizeBoxAppliesTheSizeOnce() {
    TReadyWindow t;
    QVERIFY(Probe(*t.w).EditorReady());
    QLineEdit* edit = Control<QComboBox>(*t.w, "cmbFontSize")->lineEdit();
    QVERIFY(edit);
    for (const auto& [typed, key] : {std::pair{"20", Qt::Key_Return}, {"13", Qt::Key_Enter}}) {
      edit->selectAll();
      QTest::keyClicks(edit, typed);
      QTest::keyClick(edit, key);
    }
    QCOMPARE(t.UserArgs("fontSizePx"), (TArgs{"20", "13"}));
    // Choosing from the list is one command as well.
    const int index = Control<QComboBox>(*t.w, "cmbFontSize")->findText("24");
    Control<QComboBox>(*t.w, "cmbFontSize")->setCurrentIndex(index);
    emit Control<QComboBox>(*t.w, "cmbFontSize")->activated(index);
    QCOMPARE(t.UserArgs("fontSizePx"), (TArgs{"20", "13", "24"}));
  }

  void enterInTheLineSpacingBoxAppliesTheShownValue() {
    TReadyWindow t;
    QVERIFY(Probe(*t.w).EditorReady());
    QComboBox* box = Control<QComboBox>(*t.w, "cmbLineSpacing");
    box->setCurrentIndex(box->findText("2.0"));
    QTest::keyClick(box, Qt::Key_Return);
    QCOMPARE(t.UserArgs("lineHeight"), (TArgs{"2"}));
    box->setCurrentIndex(box->findText("1.15"));
    QTest::keyClick(box, Qt::Key_Enter);
    QCOMPARE(t.UserArgs("lineHeight"), (TArgs{"2", "1.15"}));
  }

  // Insert Table asks for rows, columns and a header row; Cancel sends nothing, and a
  // size beyond what a topic's table may have is refused with a message.
  void insertTableAsksForRowsColumnsAndHeader() {
    TReadyWindow t;
    QVERIFY(Probe(*t.w).EditorReady());
    t.box.dialogs.tableSpecs = {TTableSpec{3, 4, true}, std::nullopt, TTableSpec{101, 2, false},
                                TTableSpec{100, 30, false}};
    for (int i = 0; i < 4; ++i) Control<QToolButton>(*t.w, "btnInsertTable")->click();
    QCOMPARE(t.UserArgs("table"), (TArgs{"3,4,header", "100,30"}));
    QCOMPARE(t.box.dialogs.messages.size(), size_t(1));
    QVERIFY(t.box.dialogs.messages[0].kind == TMessageKind::Warning);
    QCOMPARE(t.box.dialogs.messages[0].text, std::string("A table has 1 to 100 rows and 1 to 30 columns."));
    QVERIFY(t.box.dialogs.unexpected.empty());
  }

  // The link dialog opens with the address of the link at the caret and can change or
  // remove it; outside a link it starts a new one.
  void linkDialogShowsAndRemovesTheCurrentLink() {
    TReadyWindow t;
    QVERIFY(Probe(*t.w).EditorReady());
    t.box.host.Post("{\"type\":\"cursorStyle\",\"area\":\"body\",\"linkHref\":\"https:\\/\\/example.com\\/a\"}");
    t.box.dialogs.linkAnswers = {
        {TLinkAnswer::Ok, " https://example.com/b "}, {TLinkAnswer::Remove, ""}, {TLinkAnswer::Cancel, ""}};
    for (int i = 0; i < 3; ++i) Control<QToolButton>(*t.w, "btnLink")->click();
    QCOMPARE(t.box.dialogs.linkShown, (TArgs{"https://example.com/a (existing)", "https://example.com/a (existing)",
                                             "https://example.com/a (existing)"}));
    QCOMPARE(t.UserArgs("link"), (TArgs{"https://example.com/b", ""}));

    t.box.host.Post(R"({"type":"cursorStyle","area":"body","linkHref":""})");
    t.box.dialogs.linkAnswers = {{TLinkAnswer::Ok, "https://example.com/c"}};
    Control<QToolButton>(*t.w, "btnLink")->click();
    QCOMPARE(t.box.dialogs.linkShown.back(), std::string("https://"));
    QCOMPARE(t.UserArgs("link"), (TArgs{"https://example.com/b", "", "https://example.com/c"}));
    QVERIFY(t.box.dialogs.unexpected.empty());
  }

  // Image Properties opens with what the page said about the selected picture and sends
  // back what the writer set; without a picture it says what to do first.
  void imagePropertiesEditTheSelectedPicture() {
    TReadyWindow t;
    QVERIFY(Probe(*t.w).EditorReady());
    Control<QToolButton>(*t.w, "btnImageProperties")->click();
    QCOMPARE(t.box.dialogs.messages.back().text, std::string("Select a picture in the topic first."));
    QVERIFY(t.box.dialogs.imageShown.empty());

    t.box.host.Post(R"({"type":"cursorStyle","area":"body","image":{"alt":"Old","width":0,"height":0,)"
                    R"("naturalWidth":640,"naturalHeight":480,"caption":""}})");
    t.box.dialogs.imageAnswers = {std::nullopt, TImageProperties{"A chart", 320, 240, "Figure 1", 640, 480}};
    Control<QToolButton>(*t.w, "btnImageProperties")->click();
    QVERIFY(t.UserArgs("imageProperties").empty());
    Control<QToolButton>(*t.w, "btnImageProperties")->click();
    QCOMPARE(t.box.dialogs.imageShown.size(), size_t(2));
    QCOMPARE(t.box.dialogs.imageShown[0].Alt, std::string("Old"));
    QCOMPARE(t.box.dialogs.imageShown[0].NaturalWidth, 640);
    QCOMPARE(t.UserArgs("imageProperties"),
             (TArgs{R"({"alt":"A chart","width":320,"height":240,"caption":"Figure 1"})"}));
    QVERIFY(t.box.dialogs.unexpected.empty());
  }

  // Changing one side changes the other in the picture's proportions, unless unticked;
  // the original size on one side is the original size on both.
  void imagePropertiesDialogKeepsProportions() {
    TdlgImageProperties dialog(nullptr, TImageProperties{"", 0, 0, "", 640, 480});
    QVERIFY(dialog.chkKeepProportions->isChecked());
    dialog.edtWidth->setValue(320);
    QCOMPARE(dialog.edtHeight->value(), 240);
    dialog.edtHeight->setValue(120);
    QCOMPARE(dialog.edtWidth->value(), 160);
    dialog.edtWidth->setValue(0);
    QCOMPARE(dialog.edtHeight->value(), 0);
    dialog.chkKeepProportions->setChecked(false);
    dialog.edtWidth->setValue(500);
    QCOMPARE(dialog.edtHeight->value(), 0);
    dialog.edtCaption->setText("  Figure 2 ");
    const TImageProperties result = dialog.Result();
    QCOMPARE(result.Width, 500);
    QCOMPARE(result.Caption, std::string("Figure 2"));
    // A picture whose size the page does not know yet: nothing to keep.
    TdlgImageProperties unknown(nullptr, TImageProperties{"", 100, 50, "", 0, 0});
    QVERIFY(!unknown.chkKeepProportions->isEnabled());
    unknown.edtWidth->setValue(300);
    QCOMPARE(unknown.edtHeight->value(), 50);
  }
};

QTEST_MAIN(FormattingToolbarTest)
#include "FormattingToolbarTest.moc"
