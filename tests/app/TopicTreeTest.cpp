// Tree commands, drag and drop by the thirds of a label, properties and style profiles.
#include <QCheckBox>
#include <QComboBox>
#include <QLabel>
#include <QLineEdit>
#include <QMenu>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QTest>
#include <fstream>

#include "AppTestSupport.h"
#include "uDlgPickTopic.h"
#include "uProjectOpen.h"
#include "uStorage.h"

namespace {

// A control of the properties panel, found by name as a writer's click finds it.
template <typename T>
T* Field(TfrmMain& w, const char* name) {
  T* field = w.findChild<T*>(name);
  if (!field) qFatal("no %s in the window", name);
  return field;
}
QCheckBox* Check(TfrmMain& w, const char* name) { return Field<QCheckBox>(w, name); }
QPlainTextEdit* Memo(TfrmMain& w, const char* name) { return Field<QPlainTextEdit>(w, name); }

QTreeWidgetItem* NodeOf(TfrmMain& w, const std::string& id) {
  for (QTreeWidgetItemIterator it(TopicTree(w)); *it; ++it) {
    if ((*it)->data(0, Qt::UserRole).toString().toStdString() == id) return *it;
  }
  return nullptr;
}

// A y inside the given third (0 upper, 1 middle, 2 lower) of the node's label.
int YInThird(TfrmMain& w, QTreeWidgetItem* node, int third) {
  const QRect r = TopicTree(w)->LabelRect(node);
  return r.top() + (third * 2 + 1) * r.height() / 6;
}

std::vector<std::string> RootTitles(TfrmMain& w) { return Titles(w.Project(), w.Project().RootTopicIDs()); }

std::string StoredTopicsJson(TfrmMain& w) { return ReadFile(TopicsJsonPath(w.Project().RootPath())); }

}  // namespace

class TopicTreeTest : public QObject {
  Q_OBJECT

  std::unique_ptr<TAppSandbox> box;
  std::unique_ptr<TfrmMain> w;
  std::string a, b, c;

 private slots:
  void init() {
    box = std::make_unique<TAppSandbox>();
    const std::string file = box->MakeProject("Tree", {"A", "B", "C"});
    w = box->NewWindow({QString::fromStdString(file)});
    w->show();
    a = w->Project().RootTopicIDs()[0];
    b = w->Project().RootTopicIDs()[1];
    c = w->Project().RootTopicIDs()[2];
  }
  void cleanup() {
    w.reset();
    box.reset();
  }

  void dragAndDropByThirds() {
    struct TCase {
      const char* dragged;
      const char* target;
      int third;
      TDropMode mode;
      std::vector<std::string> roots;
    };
    const TCase cases[] = {
        {"A", "C", 0, dmBefore, {"B", "A", "C"}},
        {"A", "B", 2, dmAfter, {"B", "A", "C"}},
        {"C", "A", 0, dmBefore, {"C", "A", "B"}},
        {"A", "C", 1, dmChild, {"B", "C"}},
    };
    for (const TCase& tc : cases) {
      cleanup();
      init();
      auto id = [&](const char* t) { return std::string(t) == "A" ? a : std::string(t) == "B" ? b : c; };
      Probe(*w).SelectTopicNode(id(tc.dragged));
      TopicPanel(*w)->StartDrag();
      QTreeWidgetItem* target = NodeOf(*w, id(tc.target));
      const int y = YInThird(*w, target, tc.third);
      QVERIFY(TopicPanel(*w)->DragOver(target, y));
      QCOMPARE(TopicPanel(*w)->DropMode(), tc.mode);
      TopicPanel(*w)->Drop(target, y);
      QCOMPARE(RootTitles(*w), tc.roots);
      QCOMPARE(Probe(*w).SelectedTopicID(), id(tc.dragged));
      QVERIFY(!w->ProjectDirty());
      if (tc.mode == dmChild) {
        QCOMPARE(w->Project().GetTopic(c).Children().back(), a);
      }
      QVERIFY(StoredTopicsJson(*w).find(id(tc.dragged)) != std::string::npos);
    }
  }

  void dropIntoOwnSubtreeIsRefused() {
    const std::string child = w->Project().AddTopic("A1", a).ID();
    Probe(*w).RebuildTopicTree();
    Probe(*w).SelectTopicNode(a);
    TopicPanel(*w)->StartDrag();
    QTreeWidgetItem* target = NodeOf(*w, child);
    QVERIFY(!TopicPanel(*w)->DragOver(target, YInThird(*w, target, 1)));
    QVERIFY(!TopicPanel(*w)->DragOver(NodeOf(*w, a), YInThird(*w, NodeOf(*w, a), 1)));
    TopicPanel(*w)->Drop(target, YInThird(*w, target, 1));
    QCOMPARE(RootTitles(*w), (std::vector<std::string>{"A", "B", "C"}));
    QCOMPARE(w->Project().GetTopic(child).ParentID(), a);
  }

  void moveCommandsAndTheirLimits() {
    Probe(*w).SelectTopicNode(a);
    Probe(*w).MoveUpClick();  // first: nothing
    QVERIFY(!w->ProjectDirty());
    Probe(*w).SelectTopicNode(c);
    Probe(*w).MoveDownClick();  // last: nothing
    QVERIFY(!w->ProjectDirty());
    Probe(*w).MoveUpClick();
    QCOMPARE(RootTitles(*w), (std::vector<std::string>{"A", "C", "B"}));
    QVERIFY(w->ProjectDirty());
    QCOMPARE(Probe(*w).SelectedTopicID(), c);

    // Level up: a child of the second root lands right after it.
    const std::string child = w->Project().AddTopic("C1", c).ID();
    Probe(*w).RebuildTopicTree();
    Probe(*w).SelectTopicNode(child);
    Probe(*w).ChangeParentClick();
    QCOMPARE(RootTitles(*w), (std::vector<std::string>{"A", "C", "C1", "B"}));
    QVERIFY(StoredTopicsJson(*w).find("\"C1\"") != std::string::npos);
    Probe(*w).ChangeParentClick();  // a root cannot go further up
    QCOMPARE(RootTitles(*w).size(), size_t(4));
  }

  void newTopicAsChildAndAsRoot() {
    Probe(*w).SelectTopicNode(b);
    box->dialogs.inputs.push_back(std::string("Child of B"));
    Probe(*w).btnNewSubTopicClick(false);
    QCOMPARE(box->dialogs.inputPrompts.back(), std::string("New Topic|Title:|New Topic"));
    const std::string child = w->Project().GetTopic(b).Children().back();
    QCOMPARE(w->Project().GetTopic(child).Title(), std::string("Child of B"));
    QCOMPARE(Probe(*w).SelectedTopicID(), child);
    QCOMPARE(Probe(*w).CurrentTopicID(), child);
    QVERIFY(FileExists(TopicFilePath(w->Project(), child)));
    QVERIFY(w->ProjectDirty());
    box->dialogs.inputs.push_back(std::string("  "));  // an empty title is refused
    Probe(*w).btnNewSubTopicClick(true);
    QCOMPARE(box->dialogs.messages.back().text, std::string("A topic needs a title."));
    QCOMPARE(w->Project().RootTopicIDs().size(), size_t(3));
    box->dialogs.inputs.push_back(std::string("D"));
    Probe(*w).btnNewSubTopicClick(true);
    QCOMPARE(w->Project().RootTopicIDs().size(), size_t(4));
    box->dialogs.inputs.push_back(std::nullopt);  // Cancel
    Probe(*w).btnNewSubTopicClick(true);
    QCOMPARE(w->Project().RootTopicIDs().size(), size_t(4));
  }

  void removeTopicDeletesSubtreeAndItsPendingTexts() {
    const std::string a1 = w->Project().AddTopic("A1", a).ID();
    const std::string a2 = w->Project().AddTopic("A2", a1).ID();
    const std::string a3 = w->Project().AddTopic("A3", a).ID();
    SaveProject(w->Project());
    Probe(*w).RebuildTopicTree();
    std::vector<std::string> files;
    for (const std::string& id : {a, a1, a2, a3}) {
      Probe(*w).SelectTopicNode(id);  // the first visit writes the topic's file
      TypeIntoEditor(box->host, "<p>edit " + id + "</p>");
      files.push_back(TopicFilePath(w->Project(), id));
    }
    Probe(*w).SelectTopicNode(a);
    box->dialogs.answers.push_back(TDialogAnswer::No);
    Probe(*w).btnDeleteTopicClick();
    QCOMPARE(w->Project().RootTopicIDs().size(), size_t(3));
    box->dialogs.answers.push_back(TDialogAnswer::Yes);
    Probe(*w).btnDeleteTopicClick();
    QCOMPARE(box->dialogs.questions.back().text, std::string("Remove the topic \"A\" and its subtopics?"));
    QCOMPARE(RootTitles(*w), (std::vector<std::string>{"B", "C"}));
    Probe(*w).btnSaveClick();
    for (const std::string& file : files) QVERIFY2(!FileExists(file), file.c_str());
    QCOMPARE(Probe(*w).SelectedTopicID(), b);

    // Undo puts the branch back where it was, with what was typed into it, until the project closes.
    QVERIFY(Control<QAction>(*w, "actUndoRemoveTopic")->isEnabled());
    Control<QAction>(*w, "actUndoRemoveTopic")->trigger();
    QCOMPARE(RootTitles(*w), (std::vector<std::string>{"A", "B", "C"}));
    QCOMPARE(Titles(w->Project(), w->Project().GetTopic(a).Children()), (std::vector<std::string>{"A1", "A3"}));
    QCOMPARE(Probe(*w).SelectedTopicID(), a);
    QVERIFY(w->ProjectDirty());
    QVERIFY(!Control<QAction>(*w, "actUndoRemoveTopic")->isEnabled());
    Probe(*w).btnSaveClick();
    const std::vector<std::string> ids{a, a1, a2, a3};
    for (size_t i = 0; i < files.size(); ++i) QCOMPARE(ReadFile(files[i]), "<p>edit " + ids[i] + "</p>");
    QVERIFY(StoredTopicsJson(*w).find(a2) != std::string::npos);

    Probe(*w).SelectTopicNode(c);
    box->dialogs.answers.push_back(TDialogAnswer::Yes);
    Probe(*w).btnDeleteTopicClick();
    QCOMPARE(box->dialogs.questions.back().text, std::string("Remove the topic \"C\"?"));
    QCOMPARE(Probe(*w).SelectedTopicID(), b);  // the last one: the one before it
    QVERIFY(Control<QAction>(*w, "actUndoRemoveTopic")->isEnabled());
    w->OpenProject(w->ProjectFileName());
    QVERIFY(!Control<QAction>(*w, "actUndoRemoveTopic")->isEnabled());
    Control<QAction>(*w, "actUndoRemoveTopic")->trigger();
    QCOMPARE(RootTitles(*w), (std::vector<std::string>{"A", "B"}));
  }

  // A click or an arrow key leaves the keyboard in the tree, so Delete and F2 act on topics;
  // Enter hands it to the editor. Removal keeps the open branches and selects a neighbour.
  void theTreeKeepsTheKeyboard() {
    const std::string a1 = w->Project().AddTopic("A1", a).ID();
    const std::string a2 = w->Project().AddTopic("A2", a).ID();
    Probe(*w).RebuildTopicTree();
    NodeOf(*w, a)->setExpanded(true);
    w->activateWindow();
    QVERIFY(QTest::qWaitForWindowActive(w.get()));
    TopicTree(*w)->setFocus();
    QTest::mouseClick(TopicTree(*w)->viewport(), Qt::LeftButton, {},
                      TopicTree(*w)->visualItemRect(NodeOf(*w, a1)).center());
    QTest::qWait(20);
    QCOMPARE(Probe(*w).CurrentTopicID(), a1);
    QVERIFY(TopicTree(*w)->hasFocus());
    QTest::keyClick(TopicTree(*w), Qt::Key_Down);
    QTest::qWait(20);
    QCOMPARE(Probe(*w).CurrentTopicID(), a2);
    QVERIFY(TopicTree(*w)->hasFocus());
    QTest::keyClick(TopicTree(*w), Qt::Key_Up);
    QTest::qWait(20);

    box->dialogs.answers.push_back(TDialogAnswer::Yes);
    QTest::keyClick(TopicTree(*w), Qt::Key_Delete);
    QCOMPARE(box->dialogs.questions.back().text, std::string("Remove the topic \"A1\"?"));
    QVERIFY(!w->Project().HasTopic(a1));
    QCOMPARE(Probe(*w).SelectedTopicID(), a2);
    QVERIFY(NodeOf(*w, a)->isExpanded());
    QTest::qWait(20);
    QCOMPARE(Probe(*w).CurrentTopicID(), a2);
    QVERIFY(TopicTree(*w)->hasFocus());

    QTest::keyClick(TopicTree(*w), Qt::Key_Return);
    QTest::qWait(20);
    QVERIFY(Control<QWidget>(*w, "Edge")->hasFocus());
    TopicTree(*w)->setFocus();
    const QPoint onA2 = TopicTree(*w)->visualItemRect(NodeOf(*w, a2)).center();
    QTest::mouseClick(TopicTree(*w)->viewport(), Qt::LeftButton, {}, onA2);
    QTest::mouseDClick(TopicTree(*w)->viewport(), Qt::LeftButton, {}, onA2);
    QTest::qWait(20);
    QVERIFY(Control<QWidget>(*w, "Edge")->hasFocus());

    // A click into a window that is not active selects first; the keyboard arrives after,
    // with the window's activation.
    Control<QWidget>(*w, "Edge")->setFocus();
    TopicTree(*w)->setCurrentItem(NodeOf(*w, b));
    TopicTree(*w)->setFocus(Qt::ActiveWindowFocusReason);
    QTest::qWait(20);
    QCOMPARE(Probe(*w).CurrentTopicID(), b);
    QVERIFY(TopicTree(*w)->hasFocus());

    // A new topic is there to be written: it takes the keyboard to the page.
    box->dialogs.inputs.push_back(std::string("Fresh"));
    Probe(*w).btnNewSubTopicClick(true);
    QTest::qWait(20);
    QVERIFY(Control<QWidget>(*w, "Edge")->hasFocus());
  }

  void theContextMenuHoldsTheTopicCommands() {
    const QPoint onB = TopicTree(*w)->visualItemRect(NodeOf(*w, b)).center();
    emit TopicTree(*w)->customContextMenuRequested(onB);
    QCOMPARE(Probe(*w).SelectedTopicID(), b);
    QVERIFY(Control<QMenu>(*w, "mnuTree")->isVisible());
    for (QAction* command : {Control<QAction>(*w, "actDuplicateTopic"), Control<QAction>(*w, "actRemoveTopic"),
                             Control<QAction>(*w, "actRename"), Control<QAction>(*w, "actUndoRemoveTopic")}) {
      QVERIFY(Control<QMenu>(*w, "mnuTree")->actions().contains(command));
    }
    Control<QMenu>(*w, "mnuTree")->close();
  }

  void duplicateCopiesTheTopicRightAfterIt() {
    const std::string b1 = w->Project().AddTopic("B1", b).ID();
    SaveProject(w->Project());
    Probe(*w).RebuildTopicTree();
    Probe(*w).SelectTopicNode(b);
    for (bool withSubtopics : {false, true}) {
      Probe(*w).SelectTopicNode(b);
      (withSubtopics ? Control<QAction>(*w, "actDuplicateBranch") : Control<QAction>(*w, "actDuplicateTopic"))
          ->trigger();
      const std::string copy = w->Project().RootTopicIDs()[2];
      QCOMPARE(RootTitles(*w)[2], std::string("B (copy)"));
      QCOMPARE(Probe(*w).SelectedTopicID(), copy);
      QCOMPARE(w->Project().GetTopic(copy).Children().size(), size_t(withSubtopics ? 1 : 0));
      QCOMPARE(ReadFile(TopicFilePath(w->Project(), copy)), std::string("<p>B</p>"));
      QVERIFY(StoredTopicsJson(*w).find(copy) != std::string::npos);
      QVERIFY(w->ProjectDirty());
    }
    QCOMPARE(w->Project().GetTopic(b).Children(), TStringList{b1});
  }

  void emptyTitlesAreRefusedAndTheOldOneComesBack() {
    Probe(*w).SelectTopicNode(c);
    TopicTree(*w)->currentItem()->setText(0, "   ");
    QCOMPARE(box->dialogs.messages.back().text, std::string("A topic needs a title."));
    QCOMPARE(w->Project().GetTopic(c).Title(), std::string("C"));
    QCOMPARE(TopicTree(*w)->currentItem()->text(0), QString("C"));
    QVERIFY(!w->ProjectDirty());
    box->dialogs.inputs.push_back(std::string(""));
    Probe(*w).RenameClick();
    QCOMPARE(w->Project().GetTopic(c).Title(), std::string("C"));
    QCOMPARE(TopicTree(*w)->currentItem()->text(0), QString("C"));
  }

  // A header that still shows the topic's title follows a rename; one the writer changed stays.
  void renamingRetitlesADefaultHeader() {
    const std::string bHeader = HeaderHtmlPath(w->Project(), b);
    const std::string cHeader = HeaderHtmlPath(w->Project(), c);
    EnsureDir(ExtractFileDir(cHeader));
    WriteTextFileUtf8(cHeader, "<p style=\"font-size: 20px;\"><b>C</b></p>");
    Probe(*w).SelectTopicNode(b);
    Probe(*w).SelectTopicNode(c);
    WriteTextFileUtf8(bHeader, "<p>B and more</p>");
    TopicTree(*w)->currentItem()->setText(0, "Sea & Sky");
    QVERIFY(ReadFile(cHeader).find("<b>Sea &amp; Sky</b>") != std::string::npos);
    Probe(*w).SelectTopicNode(b);
    TopicTree(*w)->currentItem()->setText(0, "Bee");
    QCOMPARE(ReadFile(bHeader), std::string("<p>B and more</p>"));
  }

  void excludedTopicsLookExcluded() {
    Probe(*w).SelectTopicNode(a);
    Check(*w, "chkExcludePdf")->setChecked(true);
    Check(*w, "chkExcludeWeb")->setChecked(true);
    QVERIFY(NodeOf(*w, a)->font(0).italic());
    QCOMPARE(NodeOf(*w, a)->toolTip(0), QString("Excluded from: WebHelp, PDF"));
    QVERIFY(!NodeOf(*w, b)->font(0).italic());
    Probe(*w).RebuildTopicTree();
    QVERIFY(NodeOf(*w, a)->font(0).italic());
    Check(*w, "chkExcludePdf")->setChecked(false);
    Check(*w, "chkExcludeWeb")->setChecked(false);
    QVERIFY(!NodeOf(*w, a)->font(0).italic());
    QVERIFY(NodeOf(*w, a)->toolTip(0).isEmpty());
  }

  // What is typed into the panel reaches the topic without Apply, and marks the project.
  void propertiesApplyThemselves() {
    Probe(*w).SelectTopicNode(a);
    Check(*w, "chkExcludeChm")->setChecked(true);
    Memo(*w, "memKeywords")->setPlainText("alpha\n beta ");
    Memo(*w, "memIndex")->setPlainText("entry");
    QVERIFY(w->ProjectDirty());
    Probe(*w).SelectTopicNode(b);
    QVERIFY(Memo(*w, "memKeywords")->toPlainText().isEmpty());
    QCOMPARE(w->Project().GetTopic(a).Keywords(), (TStringList{"alpha", "beta"}));
    QCOMPARE(w->Project().GetTopic(a).IndexEntries(), (TStringList{"entry"}));
    QVERIFY(w->Project().GetTopic(a).ExcludeChm());
    QVERIFY(w->Project().GetTopic(b).Keywords().empty());
    Probe(*w).btnSaveClick();
    QVERIFY(StoredTopicsJson(*w).find("alpha") != std::string::npos);
    QVERIFY(!w->ProjectDirty());
    Probe(*w).SelectTopicNode(a);  // showing a topic's properties changes nothing
    QVERIFY(!w->ProjectDirty());
  }

  void renameKeepsTitleAfterSaveAndReopen() {
    Probe(*w).SelectTopicNode(b);
    box->dialogs.inputs.push_back(std::string("  Renamed "));
    Probe(*w).RenameClick();
    QCOMPARE(TopicTree(*w)->currentItem()->text(0), QString("  Renamed "));
    QVERIFY(w->ProjectDirty());
    QVERIFY(StoredTopicsJson(*w).find("Renamed") == std::string::npos);  // waits for the save
    Probe(*w).btnSaveClick();
    const std::string file = w->ProjectFileName();
    w.reset();
    auto again = box->NewWindow({QString::fromStdString(file)});
    QCOMPARE(again->Project().GetTopic(b).Title(), std::string("  Renamed "));
  }

  void inPlaceEditRenamesSelectedTopic() {
    Probe(*w).SelectTopicNode(c);
    TopicTree(*w)->currentItem()->setText(0, "Edited");  // what the label editor does
    QCOMPARE(w->Project().GetTopic(c).Title(), std::string("Edited"));
    QVERIFY(w->ProjectDirty());
  }

  void propertiesAreShownAndApplied() {
    Probe(*w).SelectTopicNode(a);
    Memo(*w, "memKeywords")->setPlainText("  alpha  \n\n beta\n   ");
    Memo(*w, "memIndex")->setPlainText("index one\nindex one");
    Check(*w, "chkExcludePdf")->setChecked(true);
    Field<QPushButton>(*w, "btnApplyProps")->click();
    QCOMPARE(Probe(*w).StatusText(), QString("Properties saved"));
    const TTopic& topic = w->Project().GetTopic(a);
    QCOMPARE(topic.Keywords(), (TStringList{"alpha", "beta"}));
    QCOMPARE(topic.IndexEntries(), (TStringList{"index one", "index one"}));
    QVERIFY(topic.ExcludePdf() && !topic.ExcludeWeb() && !topic.ExcludeChm());
    QVERIFY(StoredTopicsJson(*w).find("alpha") != std::string::npos);

    Probe(*w).SelectTopicNode(b);
    QVERIFY(Memo(*w, "memKeywords")->toPlainText().isEmpty());
    QVERIFY(!Check(*w, "chkExcludePdf")->isChecked());
    Probe(*w).SelectTopicNode(a);
    QCOMPARE(Memo(*w, "memKeywords")->toPlainText(), QString("alpha\nbeta"));
    QVERIFY(Check(*w, "chkExcludePdf")->isChecked());
  }

  // Help IDs and aliases: checked as typed, stored when the field is left, refused with a
  // reason when another topic has them, and handed out by Number Help Contexts.
  void helpContextsAreEditedCheckedAndNumbered() {
    auto* helpId = Field<QLineEdit>(*w, "edHelpId");
    auto* alias = Field<QLineEdit>(*w, "edHelpAlias");
    auto* problem = Field<QLabel>(*w, "lblHelpContextProblem");
    const auto typeInto = [](QLineEdit* field, const char* text) {
      field->setFocus();
      field->selectAll();
      QTest::keyClicks(field, text);
      QTest::keyClick(field, Qt::Key_Return);
    };
    Probe(*w).SelectTopicNode(a);
    helpId->setFocus();
    QTest::keyClicks(helpId, "10");
    QCOMPARE(w->Project().GetTopic(a).HelpId(), 0);  // not while typing
    QTest::keyClicks(helpId, "x");
    QCOMPARE(problem->text(), QString("The help ID must be a whole number from 1 to 2147483647."));
    QTest::keyClick(helpId, Qt::Key_Backspace);
    QVERIFY(problem->isHidden());
    QTest::keyClicks(helpId, "01");
    QTest::keyClick(helpId, Qt::Key_Return);
    typeInto(alias, "IDH_A");
    QCOMPARE(w->Project().GetTopic(a).HelpId(), 1001);
    QCOMPARE(w->Project().GetTopic(a).HelpAlias(), std::string("IDH_A"));
    QVERIFY(w->ProjectDirty());

    Probe(*w).SelectTopicNode(b);
    QVERIFY(helpId->text().isEmpty());
    typeInto(helpId, "1001");
    QCOMPARE(problem->text(), QString("The help ID 1001 is already used by the topic \"A\"."));
    QVERIFY(!problem->isHidden());
    typeInto(alias, "idh_a");
    QCOMPARE(w->Project().GetTopic(b).HelpId(), 0);
    QCOMPARE(w->Project().GetTopic(b).HelpAlias(), std::string());
    Probe(*w).SelectTopicNode(a);
    QVERIFY(problem->isHidden());
    QCOMPARE(helpId->text(), QString("1001"));

    box->dialogs.helpNumberings.push_back(THelpNumbering{1000, 5, true});
    Probe(*w).NumberHelpContextsClick();
    QCOMPARE(w->Project().GetTopic(a).HelpId(), 1001);
    QCOMPARE(w->Project().GetTopic(b).HelpId(), 1000);
    QCOMPARE(w->Project().GetTopic(c).HelpId(), 1005);
    QCOMPARE(w->Project().GetTopic(c).HelpAlias(), std::string("IDH_C"));
    QCOMPARE(Probe(*w).StatusText(), QString("Help IDs given to 2 topics, aliases to 2"));
    QVERIFY(StoredTopicsJson(*w).find("\"helpId\":1005,\"helpAlias\":\"IDH_C\"") != std::string::npos);
    box->dialogs.helpNumberings.push_back(std::nullopt);
    Probe(*w).NumberHelpContextsClick();  // Cancel changes nothing
    QCOMPARE(w->Project().GetTopic(c).HelpId(), 1005);
    QVERIFY(box->dialogs.unexpected.empty());
  }

  // A hand-edited topics.json whose child lists loop back and repeat: the tree and the
  // topic picker show each topic once, and removing the loop's top removes it all.
  void childListsThatLoopBackAreShownOnceAndRemovedWhole() {
    const std::string file = w->ProjectFileName();
    w.reset();
    {
      TDocProject stored;
      TProjectSettings settings;
      OpenProjectFile(file, stored, settings);
      stored.GetTopic(a).Children() = {b, a, b};
      stored.GetTopic(b).Children() = {a, b};
      SaveProject(stored);
    }
    w = box->NewWindow({QString::fromStdString(file)});
    QCOMPARE(w->Project().GetTopic(a).Children().size(), size_t(3));
    QCOMPARE(TopicTree(*w)->topLevelItemCount(), 2);  // B is shown where it is first listed, under A
    QCOMPARE(NodeOf(*w, a)->childCount(), 1);
    QCOMPARE(NodeOf(*w, b)->parent(), NodeOf(*w, a));

    TfrmPickTopic picker(w.get());
    picker.SetProject(&w->Project());
    picker.FillTree();
    int items = 0;
    for (QTreeWidgetItemIterator it(picker.tvPick); *it; ++it) ++items;
    QCOMPARE(items, 3);

    Probe(*w).SelectTopicNode(a);
    box->dialogs.answers.push_back(TDialogAnswer::Yes);
    Probe(*w).btnDeleteTopicClick();
    QCOMPARE(RootTitles(*w), (std::vector<std::string>{"C"}));
    QVERIFY(StoredTopicsJson(*w).find(b) == std::string::npos);
  }

  void styleProfilesListCssFilesAndDefault() {
    const std::string styles = PathJoin(w->Project().RootPath(), "styles");
    WriteTextFileUtf8(PathJoin(styles, "print.css"), "p{}");
    WriteTextFileUtf8(PathJoin(styles, "notes.txt"), "x");
    std::ofstream(styles + "/print?.css") << "p{}";  // a name the outputs cannot carry
    TopicPanel(*w)->FillStyleProfiles();
    QCOMPARE(Control<QComboBox>(*w, "cbStyle")->count(), 2);
    Control<QComboBox>(*w, "cbStyle")->setCurrentText("print");
    QCOMPARE(w->Project().StyleProfile(), std::string("print"));
    QCOMPARE(Probe(*w).StatusText(), QString("Style set: print"));
    QVERIFY(ReadFile(ProjectJsonPath(w->Project().RootPath())).find("print") != std::string::npos);
    QVERIFY(!w->ProjectDirty());

    DeleteFolderTree(styles);
    TopicPanel(*w)->FillStyleProfiles();
    QCOMPARE(Control<QComboBox>(*w, "cbStyle")->count(), 1);
    QCOMPARE(Control<QComboBox>(*w, "cbStyle")->itemText(0), QString("default"));
  }
};

QTEST_MAIN(TopicTreeTest)
#include "TopicTreeTest.moc"
