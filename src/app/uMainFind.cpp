// Find and replace: in the current topic (the find bar over the page) and across the
// project (the Find in Project panel, Replace with its preview, Undo Replace).
#include <QDockWidget>
#include <QPointer>
#include <QTimer>

#include "uFindBar.h"
#include "uMain.h"
#include "uProjectFindPanel.h"
#include "uQtText.h"
#include "uStorage.h"
#include "uTopicPanel.h"
#include "uUserDialogs.h"

void TfrmMain::CreateFindControls() {
  connect(barFind, &TFindBar::FindRequested, this,
          [this](bool backward) { Guard([this, backward] { FindNextClick(backward); }); });
  connect(barFind, &TFindBar::Closed, this, [this] {
    FEditorHost->FindText("", false, false, nullptr);  // the marks go with the bar
    RequestEditorFocus();
  });
  dockProjectFind = new QDockWidget(this);
  dockProjectFind->setObjectName("dockProjectFind");
  dockProjectFind->setAllowedAreas(Qt::BottomDockWidgetArea | Qt::RightDockWidgetArea);
  pnlProjectFind = new TProjectFindPanel(dockProjectFind);
  dockProjectFind->setWidget(pnlProjectFind);
  addDockWidget(Qt::BottomDockWidgetArea, dockProjectFind);
  dockProjectFind->hide();
  connect(pnlProjectFind, &TProjectFindPanel::FindRequested, this, [this] { Guard([this] { ProjectFindRun(); }); });
  connect(pnlProjectFind, &TProjectFindPanel::ReplaceRequested, this,
          [this] { Guard([this] { ProjectReplaceRun(); }); });
  connect(pnlProjectFind, &TProjectFindPanel::MatchChosen, this,
          [this](const std::string& id, const std::string& matched, bool inPage) {
            Guard([this, id, matched, inPage] { ProjectMatchChosen(id, matched, inPage); });
          });
}

void TfrmMain::FindInTopicClick() { barFind->Open(); }

void TfrmMain::FindNextClick(bool backward) {
  if (barFind->Text().isEmpty()) {
    barFind->Open();
    return;
  }
  barFind->show();
  FEditorHost->FindText(FromQ(barFind->Text()), backward, barFind->MatchCase(),
                        [bar = QPointer<TFindBar>(barFind)](int active, int total) {
                          if (bar) bar->ShowResult(active, total);
                        });
}

void TfrmMain::FindInProjectClick() {
  dockProjectFind->show();
  dockProjectFind->raise();
  pnlProjectFind->FocusText();
}

void TfrmMain::ProjectFindRun() {
  if (Project().RootPath().empty()) return;
  // The text in the page takes part as it is, saved or not.
  CaptureEditorTexts();
  try {
    pnlProjectFind->ShowResults(
        FindInProject(Project(), pnlProjectFind->Search(false), &FOpenProject.UnsavedTopicHtml()));
  } catch (const EFolivaneError& e) {
    pnlProjectFind->ShowResults({});
    pnlProjectFind->ShowMessage(ToQ(e.what()));
  }
}

void TfrmMain::ProjectReplaceRun() {
  if (Project().RootPath().empty()) return;
  CaptureEditorTexts();
  TUnsavedPages& unsaved = FOpenProject.UnsavedTopicHtml();
  std::vector<TTopicMatches> found;
  try {
    found = FindInProject(Project(), pnlProjectFind->Search(true), &unsaved);
  } catch (const EFolivaneError& e) {
    pnlProjectFind->ShowMessage(ToQ(e.what()));
    return;
  }
  pnlProjectFind->ShowResults(found);
  if (found.empty()) return;
  IUserDialogs::TMatchSet leftOut;
  if (!FDialogs->ChooseReplacements(found, leftOut)) return;
  const std::vector<TTopicChange> changes =
      PlanReplacement(Project(), found, &unsaved, [&leftOut](const std::string& id, size_t i) {
        return !leftOut.count({id, i});
      });
  if (changes.empty()) return;
  ApplyTopicChanges(Project(), changes, true, &unsaved);
  FLastReplacement = changes;
  actUndoReplace->setEnabled(true);
  ShowReplacedTexts(changes);
  int count = 0;
  for (const TTopicChange& c : changes) count += c.count;
  const std::string summary = FormatText(TranslateText("Replaced %d matches in %d topics"),
                                         {std::to_string(count), std::to_string(changes.size())});
  // The list shows what is left: the matches left out.
  pnlProjectFind->ShowResults(FindInProject(Project(), pnlProjectFind->Search(false), &unsaved));
  pnlProjectFind->ShowMessage(ToQ(summary));
  ShowStatus(summary);
}

void TfrmMain::UndoReplaceClick() {
  if (FLastReplacement.empty()) return;
  // The page shown may hold edits made since: they are part of what goes back.
  CaptureEditorTexts();
  ApplyTopicChanges(Project(), FLastReplacement, false, &FOpenProject.UnsavedTopicHtml());
  const std::vector<TTopicChange> undone = std::move(FLastReplacement);
  FLastReplacement.clear();
  actUndoReplace->setEnabled(false);
  ShowReplacedTexts(undone);
  ShowStatus(TranslateText("Replacement undone"));
}

void TfrmMain::ShowReplacedTexts(const std::vector<TTopicChange>& changes) {
  MarkProjectDirty();
  // Titles, keywords and index entries are saved with the pages already written.
  if (ChangesTopicList(changes)) SaveProject(Project());
  RebuildAndSelect(CurrentTopicID());
  LoadTopicIntoEditor(CurrentTopicID());
}

void TfrmMain::ProjectMatchChosen(const std::string& topicId, const std::string& matched, bool inPage) {
  if (!Project().HasTopic(topicId)) return;
  const bool switching = topicId != CurrentTopicID();
  if (switching) SelectTopicNode(topicId);
  if (!inPage) return;
  barFind->Open();
  barFind->SetText(ToQ(matched));
  // A topic just chosen is still arriving in the page: the search waits for it.
  QTimer::singleShot(switching ? 400 : 0, this, [this] { Guard([this] { FindNextClick(false); }); });
}
