// The Publish menu on a small project: outputs, status texts, what is opened.
#include <QTest>

#include <unistd.h>

#include "AppTestSupport.h"
#include "uExportPdf.h"
#include "uPlatform.h"
#include "uStorage.h"

namespace {

// The viewer template comes with the web build; a plain stand-in keeps these tests
// independent of it.
void EnsureViewerTemplate(const std::string& root) {
  const std::string dir = PathJoin(root, "internal/webhelp");
  for (const char* name : {"app.html", "app.js", "app.css"}) {
    const std::string file = PathJoin(dir, name);
    if (!FileExists(file))
      WriteTextFileUtf8(file, std::string(name) == std::string("app.html")
                                  ? "<html><head><title>WebHelp</title></head></html>"
                                  : "/* viewer */");
  }
}

bool Opened(const std::string& target) {
  for (const std::string& t : RecordedOpens()) {
    if (t == target) return true;
  }
  return false;
}

}  // namespace

class PublishTest : public QObject {
  Q_OBJECT

 private slots:
  void webHelpFlushesPendingTextAndOpensSite() {
    TAppSandbox box;
    const std::string file = box.MakeProject("Guide", {"Intro", "Second"});
    auto w = box.NewWindow({QString::fromStdString(file)});
    EnsureViewerTemplate(w->Project().RootPath());
    TypeIntoEditor(box.host, "<p>fresh words</p>");
    Probe(*w).btnExportWebClick();
    const std::string root = w->Project().RootPath();
    const std::string index = PathJoin(root, "build/webhelp/index.html");
    QCOMPARE(Probe(*w).StatusText().toStdString(), "WebHelp exported: " + index);
    QVERIFY(FileExists(index));
    const std::string intro = w->Project().RootTopicIDs()[0];
    QVERIFY(ReadFile(TopicFilePath(w->Project(), intro)).find("fresh words") != std::string::npos);
    QVERIFY(ReadFile(PathJoin(root, "build/webhelp/topics/" + intro + ".html")).find("fresh words") !=
            std::string::npos);
    QVERIFY(w->ProjectDirty());  // the flush is not a save
    QVERIFY(Opened(index));
    QCOMPARE(box.dialogs.progressShown, 1);
    QVERIFY(!box.dialogs.progressCalls.empty());

    Probe(*w).OpenOutputFolderClick();
    QVERIFY(Opened(PathJoin(root, "build")));
  }

  void webHelpCancelledBetweenTopicsIsSilent() {
    TAppSandbox box;
    const std::string file = box.MakeProject("Guide", {"A", "B", "C"});
    auto w = box.NewWindow({QString::fromStdString(file)});
    EnsureViewerTemplate(w->Project().RootPath());
    box.dialogs.cancelProgressAt = 1;
    Probe(*w).Guard([&] { Probe(*w).btnExportWebClick(); });
    QVERIFY(box.dialogs.messages.empty());
    QVERIFY(!Probe(*w).StatusText().startsWith("WebHelp exported"));
  }

  void chmIsCompiledAndOpened() {
    if (FindOnPath("chmcmd").empty()) QSKIP("chmcmd (fp-utils) is not installed");
    TAppSandbox box;
    const std::string file = box.MakeProject("Guide", {"Intro", "Second"});
    auto w = box.NewWindow({QString::fromStdString(file)});
    TypeIntoEditor(box.host, "<p>compiled words</p>");
    Probe(*w).btnExportChmClick();
    const std::string chm = PathJoin(w->Project().RootPath(), "build/chm/help.chm");
    QCOMPARE(Probe(*w).StatusText().toStdString(), "CHM exported: " + chm);
    QVERIFY(FileExists(chm));
    QVERIFY(Opened(chm));
    QVERIFY(!w->ProjectDirty());  // the command saves first
    QVERIFY(box.dialogs.messages.empty());
  }

  // A received project may link to files elsewhere: the commands publish none of them
  // and say which they left out.
  void publishingNamesFilesLeftOut() {
    TAppSandbox box;
    const std::string file = box.MakeProject("Guide", {"Intro"});
    auto w = box.NewWindow({QString::fromStdString(file)});
    const std::string root = w->Project().RootPath();
    EnsureViewerTemplate(root);
    const std::string outside = PathJoin(ExtractFileDir(ExcludeTrailingDelimiter(root)), "outside.png");
    WriteTextFileUtf8(outside, "not the project's");
    EnsureDir(PathJoin(root, "assets/images"));
    QCOMPARE(::symlink(outside.c_str(), PathJoin(root, "assets/images/out.png").c_str()), 0);
    const std::string expected =
        "Some files of the project were not published:\nSkipped assets/images/out.png: a symbolic link that leads "
        "outside the project";

    Probe(*w).btnExportWebClick();
    QVERIFY(Probe(*w).StatusText().startsWith("WebHelp exported"));
    QCOMPARE(box.dialogs.messages.size(), size_t(1));
    QVERIFY(box.dialogs.messages.back().kind == TMessageKind::Warning);
    QCOMPARE(box.dialogs.messages.back().text, expected);
    QVERIFY(!FileExists(PathJoin(root, "build/webhelp/assets/images/out.png")));

    if (FindOnPath("chmcmd").empty()) return;
    Probe(*w).btnExportChmClick();
    QVERIFY(Probe(*w).StatusText().startsWith("CHM exported"));
    QCOMPARE(box.dialogs.messages.size(), size_t(2));
    QCOMPARE(box.dialogs.messages.back().text, expected);
  }

  void chmCancelledShowsStatus() {
    TAppSandbox box;
    const std::string file = box.MakeProject("Guide", {"A", "B"});
    auto w = box.NewWindow({QString::fromStdString(file)});
    box.dialogs.cancelProgressAt = 0;
    Probe(*w).btnExportChmClick();
    QCOMPARE(Probe(*w).StatusText(), QString("CHM export cancelled"));
  }

  void pdfWritesManualAndOpensIt() {
    try {
      FindPdfBrowser();
    } catch (const std::exception&) {
      QSKIP("no Chromium-family browser");
    }
    TAppSandbox box;
    const std::string file = box.MakeProject("Guide", {"Intro", "Second"});
    auto w = box.NewWindow({QString::fromStdString(file)});
    Probe(*w).btnExportPdfClick();
    const std::string out = PathJoin(w->Project().RootPath(), "build/pdf");
    QCOMPARE(Probe(*w).StatusText().toStdString(), "PDF exported: " + PathJoin(out, "manual.pdf"));
    QVERIFY(FileExists(PathJoin(out, "manual.pdf")));
    QVERIFY(Opened(PathJoin(out, "manual.pdf")));
    QVERIFY(!Opened(PathJoin(out, "manual.html")));
  }

  // A project never saved lives in a hidden per-user folder: publishing asks where to
  // save it first, publishes nothing when that is cancelled, and into the chosen
  // project's folder when it is not.
  void publishingAProjectNeverSavedAsksWhereToSaveIt() {
    TAppSandbox box;
    auto w = box.NewWindow();
    QVERIFY(w->ProjectFileName().empty());
    const std::string hidden = w->Project().RootPath();
    const auto outputs = [&hidden] { return ListFilesRecursive(PathJoin(hidden, "build")); };
    const std::vector<std::string> before = outputs();
    for (void (TMainWindowProbe::*command)() :
         {&TMainWindowProbe::btnExportWebClick, &TMainWindowProbe::btnExportChmClick,
          &TMainWindowProbe::btnExportPdfClick}) {
      box.dialogs.saveFiles.push_back("");
      TMainWindowProbe probe(*w);
      (probe.*command)();
      QVERIFY(box.dialogs.unexpected.empty());
      QVERIFY(outputs() == before);
      QVERIFY(w->ProjectFileName().empty());
    }
    const std::string chosen = box.Path("Manual.fvp");
    box.dialogs.saveFiles.push_back(chosen);
    EnsureViewerTemplate(hidden);
    Probe(*w).btnExportWebClick();
    QCOMPARE(w->ProjectFileName(), chosen);
    QVERIFY(Probe(*w).StatusText().startsWith("WebHelp exported: " +
                                              QString::fromStdString(box.Path("Manual/build/webhelp"))));
    QVERIFY(outputs() == before);
  }

  void checkLinksListsFindingsAndSelectsTopic() {
    TAppSandbox box;
    const std::string file = box.MakeProject("Guide", {"Intro", "Broken"});
    auto w = box.NewWindow({QString::fromStdString(file)});
    Probe(*w).btnCheckLinksClick();
    QCOMPARE(box.dialogs.messages.back().text, std::string("No link issues found."));

    const std::string broken = w->Project().RootTopicIDs()[1];
    WriteTextFileUtf8(TopicFilePath(w->Project(), broken),
                      "<p><a href=\"doc:0123456789ABCDEF0123456789ABCDEF\">x</a><img src=\"missing.png\"></p>");
    Probe(*w).btnCheckLinksClick();
    QCOMPARE(box.dialogs.lastFindings.size(), size_t(2));
    QCOMPARE(box.dialogs.lastFindings[0].topicTitle, std::string("Broken"));
    QVERIFY(!box.dialogs.lastFindings[0].kind.empty());
    QVERIFY(box.dialogs.lastFindings[1].detail.find("missing.png") != std::string::npos);
    QCOMPARE(Probe(*w).SelectedTopicID(), w->Project().RootTopicIDs()[0]);
    box.dialogs.lastFindingActivate(broken);
    QCOMPARE(Probe(*w).SelectedTopicID(), broken);
  }
};

QTEST_MAIN(PublishTest)
#include "PublishTest.moc"
