// The recovery journal in the window: what is not saved is journaled shortly after each
// change, cleared by a save or by the writer's No, and offered back when the project is
// opened again after a crash.
#include <QTimer>

#include "uMain.h"
#include "uRecoveryJournal.h"
#include "uStorage.h"
#include "uTopicEditorSession.h"
#include "uTopicsJson.h"
#include "uTranslation.h"
#include "uUserDialogs.h"

namespace {

// Not restarted by later changes: steady typing is journaled every 2 s, not only after a pause.
constexpr int kJournalDelayMs = 2000;
constexpr size_t kListedTopics = 15;

}  // namespace

void TfrmMain::ScheduleRecoveryJournal() {
  if (!FJournalTimer) {
    FJournalTimer = new QTimer(this);
    FJournalTimer->setSingleShot(true);
    FJournalTimer->setInterval(kJournalDelayMs);
    connect(FJournalTimer, &QTimer::timeout, this, [this] { WriteRecoveryJournalNow(); });
  }
  if (!FJournalTimer->isActive()) FJournalTimer->start();
}

TRecoveryJournalWriter& TfrmMain::JournalWriter() {
  if (!FJournalWriter) FJournalWriter = std::make_shared<TRecoveryJournalWriter>();
  return *FJournalWriter;
}

void TfrmMain::WaitForRecoveryJournal() {
  if (FJournalWriter) FJournalWriter->Flush();
}

void TfrmMain::WriteRecoveryJournalNow() {
  if (FJournalTimer) FJournalTimer->stop();
  if (!FOpenProject.Dirty()) return;
  TRecoveryJournal journal;
  journal.projectRoot = Project().RootPath();
  journal.title = Project().Title();
  journal.styleProfile = Project().StyleProfile();
  journal.topicsJson = TopicsJsonText(Project());
  journal.texts = FOpenProject.UnsavedTopicHtml();
  // The text the page last reported for the topic shown; no wait for the page here.
  if (FSession && !FSession->CurrentTopicID().empty() && !FSession->DirtyHtml().empty()) {
    journal.texts[FSession->CurrentTopicID()] = FSession->DirtyHtml();
  }
  TRecoveryJournalWriter& writer = JournalWriter();
  // A failure of an earlier write is known only now; said once in the status line, as a
  // box every two seconds would stop the typing.
  const std::string problem = writer.TakeProblem();
  if (!problem.empty() && !FJournalProblemShown) {
    ShowStatus(TranslateText("Unsaved changes cannot be kept for recovery: ") + problem);
  }
  FJournalProblemShown = !problem.empty();
  if (!FJournalRoot.empty() &&
      ExcludeTrailingDelimiter(FJournalRoot) != ExcludeTrailingDelimiter(journal.projectRoot)) {
    writer.Clear(FJournalRoot);
  }
  FJournalRoot = journal.projectRoot;
  writer.Write(std::move(journal));
}

void TfrmMain::ClearRecoveryJournal() {
  if (FJournalTimer) FJournalTimer->stop();
  // A journal that cannot be deleted is offered again at the next opening, where the
  // writer can discard it.
  for (const std::string& root : {FJournalRoot, Project().RootPath()}) {
    if (!root.empty()) JournalWriter().Clear(root);
  }
  FJournalRoot.clear();
}

bool TfrmMain::OfferRecovery() {
  WaitForRecoveryJournal();  // a clear still on its way must not be offered back
  const std::string root = Project().RootPath();
  const TJournalRead read = ReadRecoveryJournal(root);
  if (read.state == TJournalState::None) return false;
  if (read.state != TJournalState::Found) {
    const std::string path = RecoveryJournalPath(root);
    const std::string aside = SetAsideRecoveryJournal(root);
    ShowErrorBox(*FDialogs, FormatText(TranslateText("The recovery file %s cannot be used and is ignored (%s); "
                                                     "the project stays as it was saved. The file is kept as %s"),
                                       {path, read.problem, aside.empty() ? path : aside}));
    return false;
  }
  const TRecoveryChanges changes = RecoveryChanges(read.journal, Project());
  if (changes.Empty()) {
    JournalWriter().Clear(root);
    return false;
  }
  std::string list;
  for (size_t i = 0; i < changes.topicTitles.size() && i < kListedTopics; ++i) {
    list += "\n    " + changes.topicTitles[i];
  }
  if (changes.topicTitles.size() > kListedTopics) {
    list += "\n    " +
            FormatText(TranslateText("and %s more"), {std::to_string(changes.topicTitles.size() - kListedTopics)});
  }
  if (changes.structureChanged) list += "\n    " + TranslateText("the topic tree and topic properties");
  const std::string question = TranslateText("Folivane stopped before these changes to the project were saved:") +
                               "\n" + list + "\n\n" +
                               TranslateText("Recover puts them back as unsaved changes; Discard throws them away.");
  // Only an explicit Discard throws them away.
  if (FDialogs->Ask(TMessageKind::Confirmation, question, TDialogButtons::RecoverDiscard) == TDialogAnswer::No) {
    JournalWriter().Clear(root);
    return false;
  }
  ApplyRecoveryJournal(read.journal, Project(), FOpenProject.UnsavedTopicHtml());
  FJournalRoot = root;
  FOpenProject.MarkDirty();
  ShowStatus(TranslateText("Unsaved changes recovered"));
  return true;
}

bool TfrmMain::RecoverWorkspaceProject() {
  const std::string folder = ProjectWorkspaceFolder();
  WaitForRecoveryJournal();
  if (ReadRecoveryJournal(folder).state == TJournalState::None) return false;
  FOpenProject.AdoptFolder(folder);
  ForgetProjectState();
  EditingSession();
  ApplyBaseHref();
  if (!OfferRecovery()) return false;
  ReloadProjectSettings();
  ShowProject();
  return true;
}
