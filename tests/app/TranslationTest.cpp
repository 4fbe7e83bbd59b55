// The Language menu, re-captioning, the stored choice and the shipped translation file.
#include <QAction>
#include <QDir>
#include <QMenu>
#include <QRegularExpression>
#include <QTest>
#include <QToolButton>

#include "AppTestSupport.h"
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
    QCOMPARE(w->Exit1->text(), QString("Beenden"));
    QCOMPARE(w->Save1->text(), QString("Save Project"));
    const QList<QAction*> items = w->mmLanguage->actions();
    QCOMPARE(items.size(), 2);
    QCOMPARE(items[0]->text(), QString("English"));
    QCOMPARE(items[1]->text(), QString("Deutsch"));
    QVERIFY(items[1]->isChecked() && !items[0]->isChecked());

    items[0]->trigger();
    QCOMPARE(w->Exit1->text(), QString("Exit"));
    QVERIFY(items[0]->isChecked() && !items[1]->isChecked());
    QCOMPARE(TIniFile(UserSettingsIniPath()).ReadString("UI", "CurrentLanguage", ""), std::string("en"));
    items[1]->trigger();
    QCOMPARE(w->Exit1->text(), QString("Beenden"));
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
    QVERIFY(w->mmLanguage->actions().isEmpty());
    QCOMPARE(w->File1->title(), QString("File"));
  }

  // Every caption and hint of the window has a translation in each shipped language.
  void shippedFileTranslatesEveryCaption() {
    TAppSandbox box;
    LoadTranslationsFrom(ShippedFile(), "en");
    QCOMPARE(TranslationTable().LanguageCount(), 5);
    auto w = box.NewWindow();
    QStringList english;
    for (QMenu* menu : {w->File1, w->Edit1, w->opic1, w->Publish1, w->ools1, w->Help1}) {
      english << menu->title();
      for (QAction* action : AllActions(menu)) {
        if (action->menu() != w->mmLanguage && !w->mmLanguage->actions().contains(action)) english << action->text();
      }
    }
    for (QWidget* widget : w->findChildren<QWidget*>()) {
      if (!widget->toolTip().isEmpty()) english << widget->toolTip();
    }
    const QStringList sameInEveryLanguage = {"WebHelp", "CHM", "PDF"};
    for (int column = 1; column < TranslationTable().LanguageCount(); ++column) {
      w->LanguageItemClick(column);
      for (const QString& text : english) {
        if (sameInEveryLanguage.contains(text)) continue;
        const std::string translated = TranslateText(text.toStdString());
        QVERIFY2(translated != text.toStdString(),
                 qPrintable(text + " has no " + QString::fromStdString(TranslationTable().Code(column))));
      }
    }
    QCOMPARE(w->Exit1->text(), QString::fromUtf8("Выход"));
  }

  // Each English literal the window passes to the lookup has a row in the shipped file.
  void everyTranslatedLiteralHasARow() {
    TTranslationTable table;
    QVERIFY(ParseTranslationText(ReadTextFileUtf8(ShippedFile()), table));
    const std::vector<std::string>& source = table.columns[0];
    const QRegularExpression literal(QStringLiteral("\\b(?:Tr|TranslateText)\\(\"((?:[^\"\\\\]|\\\\.)*)\"\\)"));
    QDir dir(QString(FOLIVANE_SOURCE_DIR) + "/src/app");
    int checked = 0;
    for (const QString& name : dir.entryList({"*.cpp"})) {
      const QString text = QString::fromStdString(ReadTextFileUtf8((dir.filePath(name)).toStdString()));
      for (auto it = literal.globalMatch(text); it.hasNext();) {
        const std::string english = it.next().captured(1).replace("\\\"", "\"").toStdString();
        QVERIFY2(std::find(source.begin(), source.end(), english) != source.end(),
                 qPrintable(name + ": \"" + QString::fromStdString(english) + "\" has no row"));
        ++checked;
      }
    }
    QVERIFY(checked > 20);
  }
};

QTEST_MAIN(TranslationTest)
#include "TranslationTest.moc"
