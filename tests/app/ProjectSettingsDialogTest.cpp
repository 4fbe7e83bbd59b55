// The project settings dialog: validation, presets, the colour box, and what the
// window does when the dialog is confirmed or cancelled.
#include <QApplication>
#include <QCheckBox>
#include <QComboBox>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QRegularExpression>
#include <QScrollArea>
#include <QTemporaryDir>
#include <QTest>
#include <QTimer>
#include <QWheelEvent>
#include <filesystem>
#include <functional>

#include "AppTestSupport.h"
#include "uColorBox.h"
#include "uFrmProjectSettings.h"
#include "uQtText.h"
#include "uStorage.h"
#include "uTranslationFile.h"

namespace {

using TDialogStep = std::function<void(TfrmProjectSettings&)>;

std::string SettingsJson(const TProjectSettings& s) { return JsonWrite(s.ToJson()); }

std::string Field(const TProjectSettings& s, const char* key) { return JsonWrite(s.ToJson()[key]); }

// Runs the steps on the settings dialog once it is shown modally.
void WhenDialogOpens(TDialogStep step) {
  QTimer::singleShot(0, [step] {
    for (QWidget* w : QApplication::topLevelWidgets()) {
      if (auto* dialog = qobject_cast<TfrmProjectSettings*>(w); dialog && dialog->isVisible()) return step(*dialog);
    }
    qFatal("the settings dialog did not open");
  });
}

}  // namespace

class ProjectSettingsDialogTest : public QObject {
  Q_OBJECT

 private slots:
  // Each row: what the user types, and the stored value or a refusal that names the field.
  void validationTable() {
    struct TCase {
      const char* what;
      std::function<void(TfrmProjectSettings&)> edit;
      const char* key;     // for a refusal: the field's label
      const char* stored;  // null: invalid
    };
    auto text = [](QLineEdit* TfrmProjectSettings::*edit, const char* value) {
      return [edit, value](TfrmProjectSettings& d) { (d.*edit)->setText(value); };
    };
    auto size = [](const char* value) {
      return [value](TfrmProjectSettings& d) { d.cmbBodyFontSize->setEditText(value); };
    };
    const TCase cases[] = {
        {"spacing with comma", text(&TfrmProjectSettings::edLineSpacing, " 1,15 "), "DefaultLineSpacing", "1.15"},
        {"spacing below 1", text(&TfrmProjectSettings::edLineSpacing, "0.8"), "DefaultLineSpacing", "1"},
        {"spacing above 5", text(&TfrmProjectSettings::edLineSpacing, "7"), "DefaultLineSpacing", "5"},
        {"spacing not a number", text(&TfrmProjectSettings::edLineSpacing, "abc"), "Default line interval (e.g. 1.5)",
         nullptr},
        {"spacing inf", text(&TfrmProjectSettings::edLineSpacing, "inf"), "Default line interval (e.g. 1.5)", nullptr},
        {"tree size below 6", text(&TfrmProjectSettings::edTocTextSize, "3"), "TocTextSize", "6"},
        {"tree size above 36", text(&TfrmProjectSettings::edTocTextSize, "40"), "TocTextSize", "36"},
        {"border width 0", text(&TfrmProjectSettings::edTableBorderWidth, "0"), "TableBorderWidth", "1"},
        {"border width 20", text(&TfrmProjectSettings::edTableBorderWidth, "20"), "TableBorderWidth", "12"},
        {"border width 2.5", text(&TfrmProjectSettings::edTableBorderWidth, "2.5"), "Border width (px)", nullptr},
        {"border width too big", text(&TfrmProjectSettings::edTableBorderWidth, "99999999999"), "Border width (px)",
         nullptr},
        {"empty size box", size("  "), "FontSizeBody", "13"},
        {"size not in the list", size("15"), "FontSizeBody", "15"},
        {"size too small to read", size("0"), "FontSizeBody", "8"},
        {"size not a number", size("big"), "Font size", nullptr},
        {"margins as in CSS", text(&TfrmProjectSettings::edPdfMargins, " 15 20 "), "PdfMargins", "\"15 20\""},
        {"margins too wide", text(&TfrmProjectSettings::edPdfMargins, "70"), "Margins in mm (top right bottom left)",
         nullptr},
        {"margins with units", text(&TfrmProjectSettings::edPdfMargins, "1cm"), "Margins in mm (top right bottom left)",
         nullptr},
    };
    for (const TCase& c : cases) {
      TProjectSettings settings;
      settings.FontSizeBody = 13;
      const std::string before = SettingsJson(settings);
      TScriptedUserDialogs dialogs;
      TfrmProjectSettings dialog(nullptr, settings, &dialogs);
      c.edit(dialog);
      dialog.btnOkClick();
      if (c.stored) {
        QVERIFY2(dialog.result() == QDialog::Accepted, c.what);
        QVERIFY2(dialogs.messages.empty(), c.what);
        QVERIFY2(Field(settings, c.key) == c.stored, (std::string(c.what) + ": " + Field(settings, c.key)).c_str());
      } else {
        // Refused: the settings are untouched and the dialog stays for the fix.
        QVERIFY2(dialog.result() != QDialog::Accepted, c.what);
        QVERIFY2(SettingsJson(settings) == before, c.what);
        QCOMPARE(dialogs.messages.size(), size_t(1));
        QCOMPARE(dialogs.messages[0].kind, TMessageKind::Error);
        QCOMPARE(dialogs.messages[0].text, "The value of \"" + std::string(c.key) + "\" is not valid. Please fix it.");
      }
    }
  }

  // Confirming an untouched dialog keeps every value, also those without a visible
  // control, a font that is not installed and a custom colour; only an unknown link
  // style becomes solid.
  void untouchedDialogKeepsEveryValue() {
    TProjectSettings settings;
    settings.ProjTitle = "Guide";
    settings.FontSizeH1 = 41;
    settings.FontSizeH2 = 29;
    settings.FontSizeH3 = 5;
    settings.DefaultFontName = "No Such Font Family";
    settings.DefaultTextBackColor = RGBColor(1, 2, 3);
    settings.DefaultLineSpacing = 1.15;
    settings.DefaultHeaderBgColor = RGBColor(18, 52, 86);
    settings.CopyrightEnabled = true;
    settings.CopyrightText = "(c) Us";
    settings.LinkStyle = "wavy";
    settings.TableBorderStyle = "double";
    TProjectSettings expected = settings;
    expected.LinkStyle = "solid";
    TScriptedUserDialogs dialogs;
    TfrmProjectSettings dialog(nullptr, settings, &dialogs);
    QCOMPARE(dialog.cmbLinkStyle->currentText(), QString("solid"));
    QCOMPARE(dialog.cmbFontName->currentText(), QString());
    QCOMPARE(dialog.edLineSpacing->text(), QString("1.15"));
    QCOMPARE(dialog.cbHeaderBg->currentIndex(), TColorBox::kCustomIndex);
    dialog.btnOkClick();
    QCOMPARE(dialog.result(), int(QDialog::Accepted));
    QCOMPARE(SettingsJson(settings), SettingsJson(expected));
  }

  // The PDF section shows the stored book options, offers the project's pictures as the
  // logo (not one behind a link that leads out) and stores what the user picks.
  void pdfSectionShowsAndStoresTheBookOptions() {
    QTemporaryDir project;
    QTemporaryDir outside;
    const std::string root = FromQ(project.path());
    WriteOutputFile(root + "/assets/images/logo.png", "PNG");
    WriteOutputFile(root + "/assets/notes.txt", "T");
    WriteOutputFile(FromQ(outside.path()) + "/far.png", "PNG");
    std::filesystem::create_symlink(FromQ(outside.path()) + "/far.png", root + "/assets/far.png");
    TProjectSettings settings;
    settings.SetNewProjectPdfDefaults();
    settings.PdfContentsDepth = 4;
    settings.PdfLogo = "assets/old/gone.png";
    TScriptedUserDialogs dialogs;
    TfrmProjectSettings dialog(nullptr, settings, &dialogs, root);
    QVERIFY(dialog.chkPdfCover->isChecked() && dialog.chkPdfRunningHeads->isChecked());
    QCOMPARE(dialog.cmbPdfContentsDepth->currentText(), QString("4"));
    QCOMPARE(dialog.cmbPdfPageNumbers->currentData().toString(), QString("number-of-total"));
    QCOMPARE(dialog.cmbPdfPaper->currentText(), QString("A4"));
    QCOMPARE(dialog.cmbPdfLogo->currentText(), QString("assets/old/gone.png"));
    QStringList logos;
    for (int i = 0; i < dialog.cmbPdfLogo->count(); ++i) logos << dialog.cmbPdfLogo->itemText(i);
    QCOMPARE(logos, (QStringList{"", "assets/images/logo.png"}));

    dialog.chkPdfContents->setChecked(false);
    dialog.cmbPdfLogo->setCurrentIndex(1);
    dialog.cmbPdfPageNumbers->setCurrentIndex(1);
    dialog.cmbPdfPaper->setCurrentIndex(2);
    dialog.edPdfSubtitle->setText("  Admin guide ");
    dialog.btnOkClick();
    QCOMPARE(dialog.result(), int(QDialog::Accepted));
    QVERIFY(!settings.PdfContents);
    QCOMPARE(settings.PdfContentsDepth, 4);
    QCOMPARE(settings.PdfLogo, std::string("assets/images/logo.png"));
    QCOMPARE(settings.PdfPageNumbers, std::string("number"));
    QCOMPARE(settings.PdfPaper, std::string("Letter"));
    QCOMPARE(settings.PdfSubtitle, std::string("Admin guide"));
  }

  void colorBoxNamesAndCustomColor() {
    TColorBox box;
    box.SetSelected(RGBColor(255, 0, 0));
    QCOMPARE(box.currentText(), QString("Red"));
    box.SetSelected(RGBColor(166, 202, 240));
    QCOMPARE(box.currentText(), QString("Sky Blue"));
    const TColor window = static_cast<TColor>(0xFF000005u);
    box.SetSelected(window);
    QCOMPARE(box.currentText(), QString("Window"));
    QCOMPARE(box.Selected(), window);
    box.SetSelected(RGBColor(18, 52, 86));
    QCOMPARE(box.currentIndex(), TColorBox::kCustomIndex);
    QCOMPARE(box.currentText(), QString("Custom..."));
    QCOMPARE(ColorToHtml(box.Selected()), std::string("#123456"));

    // "Custom..." asks the picker, starting from the colour shown; a cancel keeps it.
    std::vector<std::string> offered;
    std::optional<std::string> answer;
    box.SetPicker([&](std::string& color) {
      offered.push_back(color);
      if (answer) color = *answer;
      return answer.has_value();
    });
    box.SetSelected(RGBColor(0, 0, 255));
    box.setCurrentIndex(TColorBox::kCustomIndex);
    emit box.activated(TColorBox::kCustomIndex);
    QCOMPARE(box.currentText(), QString("Blue"));
    answer = "#ABCDEF";
    box.setCurrentIndex(TColorBox::kCustomIndex);
    emit box.activated(TColorBox::kCustomIndex);
    QCOMPARE(offered, (std::vector<std::string>{"#0000ff", "#0000ff"}));
    QCOMPARE(box.currentIndex(), TColorBox::kCustomIndex);
    QCOMPARE(ColorToHtml(box.Selected()), std::string("#abcdef"));
  }

  // Tab walks the rows from the top down.
  void tabFollowsTheRows() {
    TProjectSettings settings;
    TScriptedUserDialogs dialogs;
    TfrmProjectSettings dialog(nullptr, settings, &dialogs);
    dialog.show();
    QApplication::setActiveWindow(&dialog);
    QVERIFY(QTest::qWaitForWindowActive(&dialog));
    const std::vector<QWidget*> rows = {dialog.edProjTitle,
                                        dialog.cmbFontName,
                                        dialog.cmbBodyFontSize,
                                        dialog.cbTextColor,
                                        dialog.edLineSpacing,
                                        dialog.cbPageBg,
                                        dialog.cbHeaderBg,
                                        dialog.cbTocTextColor,
                                        dialog.edTocTextSize,
                                        dialog.chkCopyright,
                                        dialog.edCopyrightText,
                                        dialog.cbLinkColor,
                                        dialog.cmbLinkStyle,
                                        dialog.cmbTableBorderStyle,
                                        dialog.edTableBorderWidth,
                                        dialog.cbTableBorderColor,
                                        dialog.cmbSpellLanguage,
                                        dialog.chkPdfCover,
                                        dialog.edPdfSubtitle,
                                        dialog.edPdfVersionLine,
                                        dialog.cmbPdfLogo,
                                        dialog.chkPdfContents,
                                        dialog.cmbPdfContentsDepth,
                                        dialog.cmbPdfPageNumbers,
                                        dialog.chkPdfRunningHeads,
                                        dialog.chkPdfChapterBreaks,
                                        dialog.cmbPdfPaper,
                                        dialog.edPdfMargins,
                                        dialog.btnOk};
    dialog.edProjTitle->setFocus();
    for (size_t i = 1; i < rows.size(); ++i) {
      QTest::keyClick(QApplication::focusWidget(), Qt::Key_Tab);
      QWidget* focused = QApplication::focusWidget();
      // An editable list's line edit stands for the list.
      for (QComboBox* editable : {dialog.cmbBodyFontSize, dialog.cmbPdfLogo}) {
        if (focused && focused->parentWidget() == editable) focused = editable;
      }
      QVERIFY2(focused == rows[i],
               qPrintable(QString("step %1: %2").arg(i).arg(focused ? focused->metaObject()->className() : "none")));
    }
  }

  // Wheeling over the rows scrolls them; a list changes only once the user has focused it.
  void wheelTurnsOnlyAFocusedList() {
    TProjectSettings settings;
    TScriptedUserDialogs dialogs;
    TfrmProjectSettings dialog(nullptr, settings, &dialogs);
    dialog.show();
    QApplication::setActiveWindow(&dialog);
    QVERIFY(QTest::qWaitForWindowActive(&dialog));
    const auto wheel = [](QComboBox* combo) {
      QWheelEvent event(QPointF(5, 5), combo->mapToGlobal(QPointF(5, 5)), QPoint(), QPoint(0, -120), Qt::NoButton,
                        Qt::NoModifier, Qt::NoScrollPhase, false);
      QApplication::sendEvent(combo, &event);
    };
    for (QComboBox* combo : std::initializer_list<QComboBox*>{dialog.cmbLinkStyle, dialog.cbLinkColor,
                                                              dialog.cmbFontName, dialog.cmbBodyFontSize}) {
      const int before = combo->currentIndex();
      wheel(combo);
      QCOMPARE(combo->currentIndex(), before);
    }
    dialog.cmbLinkStyle->setFocus();
    wheel(dialog.cmbLinkStyle);
    QCOMPARE(dialog.cmbLinkStyle->currentText(), QString("dashed"));
    dialog.btnOkClick();
    QCOMPARE(settings.LinkStyle, std::string("dashed"));
    QCOMPARE(ColorToHtml(settings.LinkColor), std::string("#0000ff"));
  }

  // Save, change, load: the controls show the preset again; the caller's settings
  // change only on OK, so Cancel after loading leaves them as they were.
  void presetRoundTripWorksOnTheDialogsValues() {
    TAppSandbox box;
    const std::string preset = box.Path("presets/look.json");
    EnsureDir(box.Path("presets"));
    TProjectSettings settings;
    settings.ProjTitle = "Original";
    const std::string before = SettingsJson(settings);
    TScriptedUserDialogs& dialogs = box.dialogs;
    TfrmProjectSettings dialog(nullptr, settings, &dialogs);
    QVERIFY(dialog.btnSavePreset->isVisibleTo(&dialog) && dialog.btnLoadPreset->isVisibleTo(&dialog));

    dialog.edProjTitle->setText("Preset title");
    dialog.edLineSpacing->setText("2");
    dialog.cmbLinkStyle->setCurrentText("dotted");
    dialog.cbLinkColor->SetSelected(RGBColor(128, 0, 0));
    dialogs.saveFiles.push_back(preset);
    dialog.btnSavePresetClick();
    QCOMPARE(dialogs.messages.back().text, std::string("Preset saved."));
    QCOMPARE(SettingsJson(settings), before);
    QVERIFY(ReadFile(preset).find("\"ProjTitle\":\"Preset title\"") != std::string::npos);

    dialog.edProjTitle->setText("Changed");
    dialog.edLineSpacing->setText("3");
    dialog.cmbLinkStyle->setCurrentText("none");
    dialog.cbLinkColor->SetSelected(RGBColor(0, 0, 0));
    dialogs.openFiles.push_back(preset);
    dialog.btnLoadPresetClick();
    QCOMPARE(dialogs.messages.back().text, std::string("Preset loaded."));
    QCOMPARE(dialog.edProjTitle->text(), QString("Preset title"));
    QCOMPARE(dialog.edLineSpacing->text(), QString("2"));
    QCOMPARE(dialog.cmbLinkStyle->currentText(), QString("dotted"));
    QCOMPARE(dialog.cbLinkColor->currentText(), QString("Maroon"));
    dialog.btnCancel->click();
    QCOMPARE(SettingsJson(settings), before);
    QVERIFY(dialogs.unexpected.empty());
  }

  // Refusals leave the controls as they are: invalid values are not saved, and a
  // broken preset does not half-load.
  void presetFailuresChangeNothing() {
    TAppSandbox box;
    TProjectSettings settings;
    TScriptedUserDialogs& dialogs = box.dialogs;
    TfrmProjectSettings dialog(nullptr, settings, &dialogs);
    dialog.edTocTextSize->setText("x");
    dialog.btnSavePresetClick();
    QCOMPARE(dialogs.messages.back().text, std::string("The value of \"Tree text size\" is not valid. Please fix it."));
    QVERIFY(dialogs.saveProposals.empty());
    dialog.edTocTextSize->setText("12");

    const std::string notJson = box.Path("broken.json");
    WriteTextFileUtf8(notJson, "{\"ProjTitle\":");
    // The title is read before the fractional size fails the load.
    const std::string fractional = box.Path("fraction.json");
    WriteTextFileUtf8(fractional, "{\"ProjTitle\":\"Half\",\"FontSizeH1\":1.5}");
    dialog.edProjTitle->setText("Mine");
    dialogs.openFiles = {notJson, fractional};
    dialog.btnLoadPresetClick();
    QCOMPARE(dialogs.messages.back().kind, TMessageKind::Error);
    QCOMPARE(dialogs.messages.back().text, std::string("Preset file is invalid."));
    dialog.btnLoadPresetClick();
    QVERIFY(StartsWith(dialogs.messages.back().text, "Failed to load preset: "));
    QCOMPARE(dialog.edProjTitle->text(), QString("Mine"));
    dialog.btnOkClick();
    QCOMPARE(settings.ProjTitle, std::string("Mine"));
    QCOMPARE(settings.FontSizeH1, 32);
  }

  // OK through the window: settings saved and shown, every header background
  // rewritten (a custom colour from the picker), the caption shows the new title.
  void confirmingRewritesHeaderBackgroundsAndCaption() {
    TAppSandbox box;
    const std::string file = box.MakeProject("Guide", {"One", "Two"});
    auto w = box.NewWindow({QString::fromStdString(file)});
    TDocProject& project = w->Project();
    const std::vector<std::string> ids = project.RootTopicIDs();
    for (const std::string& id : ids) WriteTextFileUtf8(HeaderBgPath(project, id), "#111111");
    const std::string other = PathJoin(project.RootPath(), "meta/topics.json");
    const std::string otherBefore = ReadFile(other);

    box.dialogs.colors.push_back("#c0ffee");
    box.dialogs.settingsEditor = [&w](TProjectSettings& settings) {
      WhenDialogOpens([](TfrmProjectSettings& d) {
        d.edProjTitle->setText("  Renamed Guide ");
        d.edLineSpacing->setText("2");
        d.edTocTextSize->setText("17");
        d.cbPageBg->SetSelected(RGBColor(255, 255, 0));
        d.cbHeaderBg->setCurrentIndex(TColorBox::kCustomIndex);
        emit d.cbHeaderBg->activated(TColorBox::kCustomIndex);
        d.btnOk->click();
      });
      return TfrmProjectSettings::Execute(w.get(), settings, &Probe(*w).Dialogs());
    };
    Probe(*w).btnProjectSettingsClick();

    QVERIFY(box.dialogs.unexpected.empty());
    QCOMPARE(Probe(*w).Settings().ProjTitle, std::string("Renamed Guide"));
    QCOMPARE(w->windowTitle(), QString::fromStdString("Folivane* - Renamed Guide [" + file + "]"));
    QVERIFY(w->ProjectDirty());
    QCOMPARE(Control<QComboBox>(*w, "cmbLineSpacing")->currentText(), QString("2.0"));
    QCOMPARE(TopicTree(*w)->font().pointSize(), 17);
    QCOMPARE(Control<QWidget>(*w, "pnlLeft")->palette().color(QPalette::Window), QColor(255, 255, 0));
    for (const std::string& id : std::vector<std::string>{"", ids[0], ids[1]}) {
      QCOMPARE(ReadFile(HeaderBgPath(project, id)), std::string("#c0ffee"));
    }
    QCOMPARE(ReadFile(other), otherBefore);
    TProjectSettings saved;
    QVERIFY(saved.LoadFromFile(TProjectSettings::DefaultSettingsPathForProject(project.RootPath())));
    QCOMPARE(SettingsJson(saved), SettingsJson(Probe(*w).Settings()));
  }

  void cancelTouchesNothing() {
    TAppSandbox box;
    const std::string file = box.MakeProject("Guide");
    auto w = box.NewWindow({QString::fromStdString(file)});
    const std::string root = w->Project().RootPath();
    const std::string settingsFile = TProjectSettings::DefaultSettingsPathForProject(root);
    WriteTextFileUtf8(HeaderBgPath(w->Project(), ""), "#111111");
    const std::string before = SettingsJson(Probe(*w).Settings());
    const std::string fileBefore = ReadFile(settingsFile);
    const QString caption = w->windowTitle();

    box.dialogs.settingsEditor = [&w](TProjectSettings& settings) {
      WhenDialogOpens([](TfrmProjectSettings& d) {
        d.edProjTitle->setText("Other");
        d.cbHeaderBg->SetSelected(RGBColor(255, 0, 0));
        d.btnCancel->click();
      });
      return TfrmProjectSettings::Execute(w.get(), settings, &Probe(*w).Dialogs());
    };
    Probe(*w).btnProjectSettingsClick();
    QCOMPARE(SettingsJson(Probe(*w).Settings()), before);
    QCOMPARE(ReadFile(settingsFile), fileBefore);
    QCOMPARE(ReadFile(HeaderBgPath(w->Project(), "")), std::string("#111111"));
    QCOMPARE(w->windowTitle(), caption);
    QVERIFY(!w->ProjectDirty());
  }

  // New opens the dialog once; OK gives the new project its look without marking it
  // modified, and the welcome topic's empty paragraph follows the new size.
  void newProjectOpensTheDialog() {
    TAppSandbox box;
    auto w = box.NewWindow();
    int opened = 0;
    box.dialogs.settingsEditor = [&w, &opened](TProjectSettings& settings) {
      ++opened;
      WhenDialogOpens([](TfrmProjectSettings& d) {
        d.edProjTitle->setText("Manual");
        d.cmbBodyFontSize->setEditText("20");
        d.btnOk->click();
      });
      return TfrmProjectSettings::Execute(w.get(), settings, &Probe(*w).Dialogs());
    };
    Probe(*w).btnNewProjectClick();
    QCOMPARE(opened, 1);
    QCOMPARE(w->windowTitle(), QString("Folivane - Manual"));
    QVERIFY(!w->ProjectDirty());
    TProjectSettings saved;
    QVERIFY(saved.LoadFromFile(TProjectSettings::DefaultSettingsPathForProject(w->Project().RootPath())));
    QCOMPARE(saved.FontSizeBody, 20);
    const std::string welcome = TopicFilePath(w->Project(), w->Project().RootTopicIDs()[0]);
    // The size reaches the page through the style sheet, not written into the topic.
    QVERIFY(ReadFile(welcome).find("font-size") == std::string::npos);
  }

  // A settings file that cannot be written is reported; the new settings stay in use.
  void unsavableSettingsAreReported() {
    TAppSandbox box;
    const std::string file = box.MakeProject("Guide");
    auto w = box.NewWindow({QString::fromStdString(file)});
    const std::string settingsFile = TProjectSettings::DefaultSettingsPathForProject(w->Project().RootPath());
    DeleteFileIfExists(settingsFile);
    EnsureDir(settingsFile);  // a folder where the file should be
    box.dialogs.settingsEditor = [](TProjectSettings& settings) {
      settings.ProjTitle = "Kept";
      return true;
    };
    Probe(*w).btnProjectSettingsClick();
    QCOMPARE(box.dialogs.messages.size(), size_t(1));
    QVERIFY(StartsWith(box.dialogs.messages[0].text, "Failed to save project settings: "));
    QVERIFY(w->windowTitle().contains("Kept"));
  }

  // Every caption of the dialog and every colour name has a row in the shipped file.
  void everyTextHasATranslationRow() {
    TTranslationTable table;
    QVERIFY(ParseTranslationText(ReadTextFileUtf8(std::string(FOLIVANE_SOURCE_DIR) + "/resources/transl.zd"), table));
    const std::vector<std::string>& english = table.columns[0];
    TProjectSettings settings;
    TfrmProjectSettings dialog(nullptr, settings);
    QStringList texts{dialog.windowTitle()};
    for (QLabel* label : dialog.findChildren<QLabel*>()) texts << label->text();
    for (QAbstractButton* button : dialog.findChildren<QAbstractButton*>()) texts << button->text();
    for (int i = 0; i < dialog.cbTextColor->count(); ++i) {
      if (!dialog.cbTextColor->itemText(i).isEmpty()) texts << dialog.cbTextColor->itemText(i);
    }
    const QString source =
        QString::fromStdString(ReadTextFileUtf8(std::string(FOLIVANE_SOURCE_DIR) + "/src/app/uFrmProjectSettings.cpp"));
    const QRegularExpression literal(QStringLiteral("TranslateText\\(\"([^\"]*)\"\\)|kPresetFilter = \"([^\"]*)\""));
    for (auto it = literal.globalMatch(source); it.hasNext();) {
      const QRegularExpressionMatch m = it.next();
      texts << (m.captured(1).isEmpty() ? m.captured(2) : m.captured(1));
    }
    QVERIFY(texts.size() > 60);
    for (const QString& text : texts) {
      QVERIFY2(std::find(english.begin(), english.end(), text.toStdString()) != english.end(),
               qPrintable(text + " has no row"));
    }
  }

  // Every label and check box shows its whole text in every shipped language, and no
  // control covers its label.
  void labelsFitInEveryLanguage() {
    for (const char* language : {"de", "fr", "es", "ru"}) {
      LoadTranslationsFrom(FOLIVANE_SOURCE_DIR "/resources/transl.zd", language);
      TProjectSettings settings;
      TScriptedUserDialogs dialogs;
      TfrmProjectSettings dialog(nullptr, settings, &dialogs);
      for (QLabel* label : dialog.findChildren<QLabel*>()) {
        if (!label->isVisibleTo(&dialog) || label->text().isEmpty()) continue;
        const QString what = QString(language) + ": " + label->text();
        QVERIFY2(label->fontMetrics().horizontalAdvance(label->text()) <= label->width(), qPrintable(what));
        if (QWidget* buddy = label->buddy()) QVERIFY2(buddy->x() > label->geometry().right(), qPrintable(what));
      }
      for (QCheckBox* box : dialog.findChildren<QCheckBox*>())
        QVERIFY2(box->sizeHint().width() <= box->width(), qPrintable(QString(language) + ": " + box->text()));
      // The widest row fits the dialog without scrolling sideways.
      QVERIFY(dialog.width() >= dialog.findChild<QScrollArea*>()->widget()->minimumWidth());
    }
    LoadTranslationsFrom("/nonexistent/transl.zd", "en");
  }
};

QTEST_MAIN(ProjectSettingsDialogTest)
#include "ProjectSettingsDialogTest.moc"
