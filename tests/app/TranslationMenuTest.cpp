// Tools > Translation: exporting the project's texts to XLIFF and importing a translation
// into a translated copy, through the menu commands.
#include <QAction>
#include <QTest>

#include "AppTestSupport.h"
#include "uStorage.h"
#include "uXliffFile.h"

namespace {

void Trigger(const QObject& window, const char* action) { Control<QAction>(window, action)->trigger(); }

}  // namespace

class TranslationMenuTest : public QObject {
  Q_OBJECT

 private slots:
  void exportSavesFirstAndImportMakesTheTranslatedCopy() {
    TAppSandbox box;
    const std::string file = box.MakeProject("Guide", {"Intro", "Second"});
    auto w = box.NewWindow({QString::fromStdString(file)});
    const std::string intro = w->Project().RootTopicIDs()[0];
    const std::string second = w->Project().RootTopicIDs()[1];
    TypeIntoEditor(box.host, "<p>Hello <b>world</b></p>");
    Probe(*w).Settings().SpellLanguage = "en_GB";

    const std::string xlf = box.Path("Guide.fr.xlf");
    box.dialogs.answers.push_back(TDialogAnswer::Ok);  // save first
    box.dialogs.inputs.push_back(std::string("fr"));
    box.dialogs.saveFiles.push_back(xlf);
    Trigger(*w, "actExportXliff");
    QVERIFY(box.dialogs.messages.empty());
    QVERIFY(!w->ProjectDirty());
    QCOMPARE(box.dialogs.saveProposals.back(), PathJoin(w->Project().RootPath(), "build/xliff/Guide.fr.xlf"));
    TXliffDocument document = ReadXliff(ReadFile(xlf), xlf);
    QCOMPARE(document.sourceLang, std::string("en-GB"));
    QCOMPARE(document.targetLang, std::string("fr"));
    QCOMPARE(Probe(*w).StatusText().toStdString(),
             std::to_string(document.units.size()) + " texts exported for translation: " + xlf);

    using K = TXliffRun::TKind;
    for (TXliffUnit& unit : document.units) {
      if (unit.id == intro + ".body.1")
        unit.target = TXliffContent{{K::Text, "Bonjour "}, {K::Open, "1"}, {K::Text, "monde"}, {K::Close, "1"}};
      else if (unit.id != second + ".title") unit.target = unit.source;
    }
    WriteTextFileUtf8(xlf, WriteXliff(document));
    box.dialogs.openFiles.push_back(xlf);
    Trigger(*w, "actImportXliff");
    const std::string copy = box.Path("Guide.fr.fvp");
    QCOMPARE(box.dialogs.messages.back().text, "Translated copy written to " + copy + "; " +
                                                   std::to_string(document.units.size() - 1) +
                                                   " texts translated. These texts keep the project's text:");
    QCOMPARE(box.dialogs.lastFindings.size(), size_t(1));
    QCOMPARE(box.dialogs.lastFindings[0].topicID, second);
    QCOMPARE(box.dialogs.lastFindings[0].kind, std::string("Not translated"));
    QCOMPARE(box.dialogs.lastFindings[0].detail, second + ".title");
    box.dialogs.lastFindingActivate(second);
    QCOMPARE(Probe(*w).SelectedTopicID(), second);
    QCOMPARE(ReadFile(TopicFilePath(ProjectFolderForFile(copy), intro)), std::string("<p>Bonjour <b>monde</b></p>"));

    // Cancelling the file dialog, or a file that is not XLIFF, leaves the copy as it is.
    Trigger(*w, "actImportXliff");
    WriteTextFileUtf8(box.Path("notes.xlf"), "<notes/>");
    box.dialogs.openFiles.push_back(box.Path("notes.xlf"));
    Trigger(*w, "actImportXliff");
    QCOMPARE(box.dialogs.messages.back().text, box.Path("notes.xlf") + " is not an XLIFF 2 file.");
    QCOMPARE(ReadFile(TopicFilePath(ProjectFolderForFile(copy), intro)), std::string("<p>Bonjour <b>monde</b></p>"));
    box.dialogs.unexpected.erase(box.dialogs.unexpected.begin());  // the cancelled file dialog
    QVERIFY(box.dialogs.unexpected.empty());
  }

  void exportRefusesALanguageThatIsNoLanguageCode() {
    TAppSandbox box;
    const std::string file = box.MakeProject("Guide");
    auto w = box.NewWindow({QString::fromStdString(file)});
    box.dialogs.inputs.push_back(std::string("../fr"));
    Trigger(*w, "actExportXliff");
    QCOMPARE(box.dialogs.messages.size(), size_t(1));
    QCOMPARE(QString::fromStdString(box.dialogs.messages[0].text),
             QString("Not a language code: \"../fr\" (for example de or pt-BR)"));
    QVERIFY(box.dialogs.saveProposals.empty());
  }
};

QTEST_MAIN(TranslationMenuTest)
#include "TranslationMenuTest.moc"
