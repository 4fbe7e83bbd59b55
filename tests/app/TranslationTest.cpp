// The Language menu, re-captioning, the stored choice and the shipped translation file.
#include <QAction>
#include <QDir>
#include <QDirIterator>
#include <QMenu>
#include <QRegularExpression>
#include <QTest>
#include <QToolButton>
#include <set>

#include "AppTestSupport.h"
#include "TranslatedTextScan.h"
#include "uIniFile.h"
#include "uPlatform.h"
#include "uTranslation.h"
#include "uTranslationFile.h"

namespace {

std::string ShippedFile() { return std::string(FOLIVANE_SOURCE_DIR) + "/resources/transl.zd"; }

std::vector<QAction*> AllActions(QMenu* menu) {
  std::vector<QAction*> result;
  for (QAction* action : menu->actions()) {
    if (action->isSeparator()) continue;
    result.push_back(action);
    if (action->menu()) {
      for (QAction* inner : AllActions(action->menu())) result.push_back(inner);
    }
  }
  return result;
}

}  // namespace

class TranslationTest : public QObject {
  Q_OBJECT

 private slots:
  void cleanup() { LoadTranslationsFrom("/nonexistent/transl.zd", "en"); }

  void twoLanguageFileRecaptionsAndRemembersChoice() {
    TAppSandbox box;
    const std::string file = box.Path("transl.zd");
    WriteTextFileUtf8(file, "2\r\nEnglish\r\nDeutsch\r\nen\r\nde\r\nExit\r\nBeenden\r\n");
    LoadTranslationsFrom(file, "DE");
    auto w = box.NewWindow();
    QCOMPARE(Control<QAction>(*w, "actExit")->text(), QString("Beenden"));
    QCOMPARE(Control<QAction>(*w, "actSave")->text(), QString("Save Project"));
    const QList<QAction*> items = Control<QMenu>(*w, "mnuLanguage")->actions();
    QCOMPARE(items.size(), 2);
    QCOMPARE(items[0]->text(), QString("English"));
    QCOMPARE(items[1]->text(), QString("Deutsch"));
    QVERIFY(items[1]->isChecked() && !items[0]->isChecked());

    items[0]->trigger();
    QCOMPARE(Control<QAction>(*w, "actExit")->text(), QString("Exit"));
    QVERIFY(items[0]->isChecked() && !items[1]->isChecked());
    QCOMPARE(TIniFile(UserSettingsIniPath()).ReadString("UI", "CurrentLanguage", ""), std::string("en"));
    items[1]->trigger();
    QCOMPARE(Control<QAction>(*w, "actExit")->text(), QString("Beenden"));
    QCOMPARE(TIniFile(UserSettingsIniPath()).ReadString("UI", "CurrentLanguage", ""), std::string("de"));
    // Qt's own dialogs (the colour picker of "Custom...") follow the choice too.
    const auto qtText = [] { return QCoreApplication::translate("QColorDialog", "&Add to Custom Colors"); };
    QVERIFY(qtText() != QString("&Add to Custom Colors"));
    items[0]->trigger();
    QCOMPARE(qtText(), QString("&Add to Custom Colors"));
  }

  void missingFileLeavesEmptyDisabledMenu() {
    TAppSandbox box;
    LoadTranslationsFrom(box.Path("none.zd"), "de");
    auto w = box.NewWindow();
    QVERIFY(Control<QMenu>(*w, "mnuLanguage")->actions().isEmpty());
    QCOMPARE(Control<QMenu>(*w, "mnuFile")->title(), QString("File"));
  }

  // Every caption and hint of the window has a translation in each shipped language.
  void shippedFileTranslatesEveryCaption() {
    TAppSandbox box;
    LoadTranslationsFrom(ShippedFile(), "en");
    QCOMPARE(TranslationTable().LanguageCount(), 5);
    auto w = box.NewWindow();
    QStringList english;
    for (QMenu* menu :
         {Control<QMenu>(*w, "mnuFile"), Control<QMenu>(*w, "mnuEdit"), Control<QMenu>(*w, "mnuTopic"),
          Control<QMenu>(*w, "mnuPublish"), Control<QMenu>(*w, "mnuTools"), Control<QMenu>(*w, "mnuHelp")}) {
      english << menu->title();
      for (QAction* action : AllActions(menu)) {
        if (action->menu() != Control<QMenu>(*w, "mnuLanguage") &&
            !Control<QMenu>(*w, "mnuLanguage")->actions().contains(action))
          english << action->text();
      }
    }
    for (QWidget* widget : w->findChildren<QWidget*>()) {
      if (!widget->toolTip().isEmpty()) english << widget->toolTip();
    }
    const QStringList sameInEveryLanguage = {"WebHelp", "CHM", "PDF"};
    for (int column = 1; column < TranslationTable().LanguageCount(); ++column) {
      Probe(*w).LanguageItemClick(column);
      for (const QString& text : english) {
        if (sameInEveryLanguage.contains(text)) continue;
        const std::string translated = TranslateText(text.toStdString());
        QVERIFY2(translated != text.toStdString(),
                 qPrintable(text + " has no " + QString::fromStdString(TranslationTable().Code(column))));
      }
    }
    QCOMPARE(Control<QAction>(*w, "actExit")->text(), QString::fromUtf8("Выход"));
  }

  // The scanner behind the next test finds the texts every way the sources hand them on,
  // and names what it cannot follow rather than passing over it.
  void scannerFollowsTextsBackToTheirLiterals() {
    const std::string dir = std::string(FOLIVANE_SOURCE_DIR) + "/tests/fixtures/translated-texts/";
    const TTranslatedTextScan scan = ScanTranslatedTexts(
        {{"sample.cpp", ReadTextFileUtf8(dir + "sample.cpp")}, {"other.cpp", ReadTextFileUtf8(dir + "other.cpp")}});
    std::set<std::string> texts;
    for (const TTranslatedText& t : scan.texts) texts.insert(t.text);
    const std::set<std::string> expected = {"Plain literal",
                                            "Formatted %s of %d",
                                            "Joined across lines",
                                            "Choice yes",
                                            "Choice no",
                                            "Named constant",
                                            "Constant of another file",
                                            "First line.",
                                            "Second line.",
                                            "Table row one",
                                            "Table row two",
                                            "Button A",
                                            "Button B",
                                            "Through a parameter",
                                            "Through a lambda",
                                            "Returned one. ",
                                            "Returned two.",
                                            "Filled one.",
                                            "Filled two.",
                                            "Filled three."};
    for (const std::string& t : expected) QVERIFY2(texts.count(t), t.c_str());
    for (const std::string& t : texts) QVERIFY2(expected.count(t), t.c_str());
    QCOMPARE(scan.unresolved.size(), size_t(1));
    QCOMPARE(scan.unresolved[0].text, std::string("ComputedAtRunTime ( )"));
    QCOMPARE(scan.unresolved[0].line, 56);
  }

  // Each English text the sources pass to the lookup has a row in the shipped file, also
  // when it reaches the lookup through a constant, a table, a parameter or an out-parameter.
  void everyTranslatedTextHasARow() {
    TTranslationTable table;
    QVERIFY(ParseTranslationText(ReadTextFileUtf8(ShippedFile()), table));
    const std::vector<std::string>& source = table.columns[0];
    std::vector<TSourceFile> files;
    QDirIterator it(QString(FOLIVANE_SOURCE_DIR) + "/src", {"*.cpp", "*.h"}, QDir::Files, QDirIterator::Subdirectories);
    while (it.hasNext()) {
      const QString path = it.next();
      files.push_back(
          {QDir(FOLIVANE_SOURCE_DIR).relativeFilePath(path).toStdString(), ReadTextFileUtf8(path.toStdString())});
    }
    const TTranslatedTextScan scan = ScanTranslatedTexts(files);
    QStringList problems;
    for (const TTranslatedText& t : scan.unresolved)
      problems << QString::fromStdString(t.file + ":" + std::to_string(t.line) + ": cannot follow " + t.text +
                                         " back to its texts");
    std::set<std::string> seen;
    for (const TTranslatedText& t : scan.texts) {
      if (std::find(source.begin(), source.end(), t.text) == source.end() && seen.insert(t.text).second)
        problems << QString::fromStdString(t.file + ":" + std::to_string(t.line) + ": \"" + t.text + "\" has no row");
    }
    for (const QString& p : problems) qWarning().noquote() << p;
    QVERIFY2(problems.isEmpty(), "the lines above");
    QVERIFY(scan.texts.size() > 200);
  }
};

QTEST_MAIN(TranslationTest)
#include "TranslationTest.moc"
