// Build profiles in the window: the manager dialog, its round trip through the files, the
// topic's condition in the properties, and publishing a profile or all of them.
#include <QCheckBox>
#include <QComboBox>
#include <QLineEdit>
#include <QTableWidget>
#include <QTest>

#include "AppTestSupport.h"
#include "uDlgBuildProfiles.h"
#include "uReusableContent.h"
#include "uStorage.h"

namespace {

void EnsureViewerTemplate(const std::string& root) {
  for (const char* name : {"app.html", "app.js", "app.css"}) {
    const std::string file = PathJoin(PathJoin(root, "internal/webhelp"), name);
    if (!FileExists(file)) WriteTextFileUtf8(file, "<html><head><title>WebHelp</title></head></html>");
  }
}

TBuildProfilesContext Context() {
  TBuildProfilesContext c;
  c.conditions = {{"Pro", true}, {"Beta", false}};
  c.variables = {{"Product", "Harbor"}};
  return c;
}

}  // namespace

class BuildProfilesTest : public QObject {
  Q_OBJECT

 private slots:
  // The dialog's widgets say what each profile sets; names are checked as the files need.
  void dialogEditsProfilesThroughItsControls() {
    TBuildProfile pro;
    pro.Name = "Pro";
    pro.Conditions = {{"Beta", true}};
    pro.Pdf["PdfSubtitle"] = "kept though not shown";
    TDlgBuildProfiles dialog(nullptr, {pro}, Context());
    auto* conditions = Control<QTableWidget>(dialog, "grdProfileConditions");
    auto* variables = Control<QTableWidget>(dialog, "grdProfileVariables");
    const auto choice = [&](int row) { return static_cast<QComboBox*>(conditions->cellWidget(row, 1)); };
    QCOMPARE(conditions->rowCount(), 2);
    QCOMPARE(choice(0)->currentIndex(), 0);  // Pro: as the project
    QCOMPARE(choice(1)->currentIndex(), 1);  // Beta: on

    QCOMPARE(dialog.AddProfile("pro"), std::string("A build profile named \"pro\" exists already."));
    QVERIFY(!dialog.AddProfile("a/b").empty());
    QCOMPARE(dialog.AddProfile("Lite"), std::string());
    choice(0)->setCurrentIndex(2);  // Pro off
    variables->item(0, 0)->setCheckState(Qt::Checked);
    variables->item(0, 1)->setText("Harbor Lite");
    Control<QCheckBox>(dialog, "chkProfileChm")->setChecked(false);
    Control<QLineEdit>(dialog, "edLeaveOutKeywords")->setText(" internal , draft,,");
    QCOMPARE(dialog.CopyProfile("Lite 2"), std::string());
    QCOMPARE(dialog.RenameProfile("Lite Two"), std::string());

    dialog.SelectProfile(0);
    QCOMPARE(choice(1)->currentIndex(), 1);  // Pro's own values are back on screen
    std::vector<TBuildProfile> edited = dialog.Profiles();
    QCOMPARE(edited.size(), size_t(3));
    QVERIFY(edited[0] == pro);
    TBuildProfile lite;
    lite.Name = "Lite";
    lite.Conditions = {{"Pro", false}};
    lite.Variables = {{"Product", "Harbor Lite"}};
    lite.Outputs = {TOutputFormat::WebHelp, TOutputFormat::Pdf};
    lite.LeaveOutKeywords = {"internal", "draft"};
    QVERIFY(edited[1] == lite);
    lite.Name = "Lite Two";
    QVERIFY(edited[2] == lite);

    dialog.SelectProfile(2);
    dialog.DeleteProfile();
    QCOMPARE(dialog.Profiles().size(), size_t(2));
  }

  // What the manager returns is written to profiles/, and the next opening shows it again.
  void managerRoundTripThroughTheFiles() {
    TAppSandbox box;
    const std::string file = box.MakeProject("Guide", {"Intro"});
    auto w = box.NewWindow({QString::fromStdString(file)});
    std::vector<TBuildProfile> shown;
    TBuildProfile made;
    made.Name = "Admin guide";
    made.Conditions = {{"Admin", true}};
    made.Variables = {{"Audience", "administrators"}};
    made.Outputs = {TOutputFormat::Pdf};
    box.dialogs.profilesEditor = [&](std::vector<TBuildProfile>& profiles) {
      shown = profiles;
      profiles = {made};
      return true;
    };
    Probe(*w).BuildProfilesClick();
    QVERIFY(shown.empty());
    QVERIFY(FileExists(PathJoin(w->Project().RootPath(), "profiles/Admin guide.json")));

    box.dialogs.profilesEditor = [&](std::vector<TBuildProfile>& profiles) {
      shown = profiles;
      profiles[0].Name = "Admins";
      return true;
    };
    Probe(*w).BuildProfilesClick();
    QCOMPARE(shown.size(), size_t(1));
    QVERIFY(shown[0] == made);
    QCOMPARE(ListProfileNames(w->Project()), std::vector<std::string>{"Admins"});

    // Cancel writes nothing.
    box.dialogs.profilesEditor = [](std::vector<TBuildProfile>& profiles) {
      profiles.clear();
      return false;
    };
    Probe(*w).BuildProfilesClick();
    QCOMPARE(ListProfileNames(w->Project()), std::vector<std::string>{"Admins"});
  }

  // A topic under a condition the chosen profile turns off is left out of its output, which
  // goes to the profile's folder; the project being edited keeps its flags.
  void publishesTheChosenProfileIntoItsFolder() {
    TAppSandbox box;
    const std::string file = box.MakeProject("Guide", {"Intro", "Pro features"});
    auto w = box.NewWindow({QString::fromStdString(file)});
    const std::string root = w->Project().RootPath();
    EnsureViewerTemplate(root);
    TReusableProjectContent store;
    store.Conditions() = {{"Pro", true}};
    store.SaveToProject(w->Project());
    const std::string proTopic = w->Project().RootTopicIDs()[1];

    Probe(*w).SelectTopicNode(proTopic);
    auto* condition = Control<QComboBox>(*w, "cbTopicCondition");
    QCOMPARE(condition->count(), 1);  // the project's conditions are offered
    condition->setFocus();
    condition->setEditText("Pro");
    QTest::keyClick(condition, Qt::Key_Return);
    QCOMPARE(w->Project().GetTopic(proTopic).Condition(), std::string("Pro"));

    TBuildProfile lite;
    lite.Name = "Lite";
    lite.Conditions = {{"Pro", false}};
    lite.Outputs = {TOutputFormat::WebHelp};
    SaveProfile(w->Project(), lite);
    TBuildProfile full;
    full.Name = "Full";
    full.Outputs = {TOutputFormat::WebHelp};
    SaveProfile(w->Project(), full);

    // The editor greys what the chosen profile leaves out.
    box.host.Post(R"({"type":"ready"})");
    QTRY_VERIFY(Probe(*w).EditorReady());
    Probe(*w).SelectBuildProfile("Lite");
    QVERIFY(!SentCommands(box.host, "setLeftOut").empty());
    TJson shading = SentCommands(box.host, "setLeftOut").back();
    QCOMPARE(shading.at("active").get<bool>(), true);
    QVERIFY(shading.at("on").empty());
    Probe(*w).SelectBuildProfile("Full");
    QVERIFY(SentCommands(box.host, "setLeftOut").back().at("on") == TJson::array({"Pro"}));

    Probe(*w).SelectBuildProfile("Lite");
    Probe(*w).btnExportWebClick();
    const std::string liteSite = PathJoin(root, "build/Lite/webhelp");
    QCOMPARE(Probe(*w).StatusText().toStdString(), "WebHelp exported: " + PathJoin(liteSite, "index.html"));
    QVERIFY(!FileExists(PathJoin(liteSite, "topics/" + proTopic + ".html")));
    QVERIFY(!w->Project().GetTopic(proTopic).ExcludeWeb());

    Probe(*w).PublishAllProfilesClick();
    QCOMPARE(box.dialogs.messages.back().kind, TMessageKind::Information);
    QVERIFY(box.dialogs.messages.back().text.find("Outputs published: 2") == 0);
    QVERIFY(FileExists(PathJoin(root, "build/Full/webhelp/topics/" + proTopic + ".html")));
    QVERIFY(!DirExists(PathJoin(root, "build/webhelp")));
  }
};

QTEST_MAIN(BuildProfilesTest)
#include "BuildProfilesTest.moc"
