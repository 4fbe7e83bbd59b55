// Reading is not writing: the real window with the real editor page, every topic selected
// in turn (one without a page, one with a header of its own), and no file of the project
// changes, the project is not modified, and the published pages are the same as before.
#include <sys/stat.h>
#include <QTest>
#include <QToolButton>
#include <map>

#include "AppTestSupport.h"
#include "uEditorHostQt.h"
#include "uExportWebHelp.h"
#include "uStorage.h"

namespace {

struct TFileState {
  std::string bytes;
  int64_t mtimeNs = 0;
  bool operator==(const TFileState&) const = default;
};

// Every file below dir but the published output, with its bytes and modification time.
std::map<std::string, TFileState> Snapshot(const std::string& dir) {
  std::map<std::string, TFileState> files;
  for (const std::string& rel : ListFilesRecursive(dir)) {
    if (StartsWith(rel, "build/")) continue;
    struct stat st {};
    const std::string path = dir + "/" + rel;
    ::stat(path.c_str(), &st);
    files[rel] = {ReadBinaryFile(path), int64_t(st.st_mtim.tv_sec) * 1000000000 + st.st_mtim.tv_nsec};
  }
  return files;
}

std::map<std::string, std::string> Published(const std::string& root, const std::string& out) {
  TDocProject project;
  LoadProject(root, project);
  ExportWebHelp(project, out);
  std::map<std::string, std::string> files;
  for (const std::string& rel : ListFilesRecursive(out)) files[rel] = ReadBinaryFile(out + "/" + rel);
  return files;
}

}  // namespace

class TopicBrowsingTest : public QObject {
  Q_OBJECT

 private slots:
  void selectingEveryTopicWritesNothing() {
    TAppSandbox box;
    const std::string file = box.MakeProject("Guide", {"Welcome", "Second", "Third"});
    const std::string root = ProjectFolderForFile(file);
    {
      TDocProject project;
      LoadProject(root, project);
      project.AddTopic("No page yet", "");
      SaveProject(project);
      WriteTextFileUtf8(HeaderHtmlPath(project, project.RootTopicIDs()[1]), "<h1>Own header</h1>");
    }

    auto* page = new TEditorHostQt;
    TMainWindowServices services;
    services.dialogs = &box.dialogs;
    services.editorHost = page;
    services.editorView = page;
    services.arguments = {QString::fromStdString(file)};
    TfrmMain window(services);
    window.resize(1400, 800);
    window.show();
    QVERIFY(QTest::qWaitForWindowExposed(&window));
    QTRY_VERIFY_WITH_TIMEOUT(Probe(window).EditorReady(), 60000);
    QTest::qWait(1500);  // the first topic's reports have come in
    const auto before = Snapshot(root);
    const auto publishedBefore = Published(root, box.Path("out-before"));

    const std::vector<std::string> ids = window.Project().RootTopicIDs();
    for (int round = 0; round < 2; ++round) {
      for (const std::string& id : ids) {
        Probe(window).SelectTopicNode(id);
        QTRY_COMPARE_WITH_TIMEOUT(Probe(window).CurrentTopicID(), id, 20000);
        QTest::qWait(700);  // the page's reports of the topic shown
      }
    }
    Probe(window).SelectTopicNode(ids[0]);
    QTest::qWait(1500);

    QVERIFY(!Control<QToolButton>(window, "btnSave")->isEnabled());
    const auto after = Snapshot(root);
    for (const auto& [rel, state] : after) {
      const auto old = before.find(rel);
      QVERIFY2(old != before.end(), ("a new file: " + rel).c_str());
      QVERIFY2(old->second == state, ("a changed file: " + rel).c_str());
    }
    QCOMPARE(after.size(), before.size());
    QVERIFY(Published(root, box.Path("out-after")) == publishedBefore);
    QVERIFY(box.dialogs.messages.empty());
  }
};

QTEST_MAIN(TopicBrowsingTest)
#include "TopicBrowsingTest.moc"
