// The Tools menu: project settings, build profiles, cleaning up the formatting of older
// topics, and numbering the topics for context-sensitive help.
#include <algorithm>

#include "uConditionReport.h"
#include "uFormattingCleanup.h"
#include "uHelpContext.h"
#include "uMain.h"
#include "uQtText.h"
#include "uStorage.h"
#include "uTopicPanel.h"
#include "uUserDialogs.h"

void TfrmMain::btnProjectSettingsClick() {
  if (!FDialogs->EditProjectSettings(Settings(), Project().RootPath())) return;
  SaveConfirmedSettings();
  ApplySettingsToUi();
  ApplySettingsChangeToEditor();
  ApplySpellCheck();
  ApplyHeaderBgToAllTopics(ColorToHtml(Settings().DefaultHeaderBgColor));
  MarkProjectDirty();
}

// The profiles as the dialog leaves them: files of removed (or renamed) profiles go, every
// other profile is written. A profile file that cannot be read stops the command before
// the dialog opens, so that OK cannot replace what the writer has not seen.
void TfrmMain::BuildProfilesClick() {
  if (Trim(Project().RootPath()).empty()) return;
  std::vector<std::string> warnings;
  std::vector<TBuildProfile> profiles = LoadProfiles(Project(), &warnings);
  for (const std::string& w : warnings) FDialogs->ShowMessage(TMessageKind::Warning, w);
  TReusableProjectContent store;
  store.LoadFromProject(Project());
  TBuildProfilesContext context;
  for (const TReusableCondition& c : store.Conditions()) context.conditions.emplace_back(c.Name, c.Enabled);
  for (const TReusableVariable& v : store.Variables()) context.variables.emplace_back(v.Name, v.Value);
  context.report = [this, store](const std::vector<TBuildProfile>& edited) {
    return ConditionReportText(BuildConditionReport(Project(), store, edited), !edited.empty());
  };
  std::vector<std::string> before;
  for (const TBuildProfile& p : profiles) before.push_back(p.Name);
  if (!FDialogs->EditBuildProfiles(profiles, context)) return;
  for (const std::string& name : before) {
    const bool kept =
        std::any_of(profiles.begin(), profiles.end(), [&name](const TBuildProfile& p) { return p.Name == name; });
    if (!kept) DeleteProfile(Project(), name);
  }
  for (const TBuildProfile& p : profiles) SaveProfile(Project(), p);
  ShowStatus(FormatText(TranslateText("Build profiles saved: %d"), {std::to_string(profiles.size())}));
}

void TfrmMain::SaveConfirmedSettings() {
  try {
    FOpenProject.SaveSettings();
  } catch (const std::exception& e) {
    // Save Project does not write the settings, so a silent failure would lose them.
    ShowErrorBox(*FDialogs, TranslateText("Failed to save project settings: ") + e.what());
  }
}

void TfrmMain::ApplyHeaderBgToAllTopics(const std::string& color) {
  if (Project().RootPath().empty()) return;
  const std::string meta = PathJoin(Project().RootPath(), "meta");
  if (!DirExists(meta)) return;
  const std::string defaultFile = HeaderBgPath(Project(), "");
  std::vector<std::string> files{defaultFile};
  for (const std::string& file : ListFiles(meta)) {
    const std::string name = ExtractFileName(file);
    if (file != defaultFile && StartsWith(name, "headerbg_") && EndsWith(name, ".txt")) files.push_back(file);
  }
  for (const std::string& file : files) {
    try {
      WriteTextFileUtf8(file, color);
    } catch (const std::exception&) {
      // One unwritable file keeps its colour; the others still change.
    }
  }
}

namespace {

// The preview of a cleanup: each topic with its number of changes, the longest lists cut short.
std::string CleanupPreview(const std::vector<TTopicCleanup>& plan) {
  constexpr size_t kShown = 20;
  std::string text = TranslateText(
      "These topics carry the project's default font, size, colour or line height written into their text, "
      "so later changes in Project Settings pass them by. Clean Up Formatting removes it; formatting chosen "
      "differently stays.");
  text += "\n";
  for (size_t i = 0; i < plan.size() && i < kShown; ++i) {
    text += "\n" + FormatText(TranslateText("%s: %d changes"), {plan[i].title, std::to_string(plan[i].changes)});
  }
  if (plan.size() > kShown) {
    text += "\n" + FormatText(TranslateText("... and %d more"), {std::to_string(plan.size() - kShown)});
  }
  return text + "\n\n" + FormatText(TranslateText("Clean up %d topics?"), {std::to_string(plan.size())});
}

}  // namespace

void TfrmMain::CleanUpFormattingClick() {
  if (Project().RootPath().empty()) return;
  // The cleanup reads and writes the topic files: what is typed or pending goes there first.
  if (FOpenProject.Dirty()) {
    if (FDialogs->Ask(TMessageKind::Confirmation,
                      TranslateText("The project has unsaved changes. Save them before cleaning up the formatting?"),
                      TDialogButtons::OkCancel) != TDialogAnswer::Ok)
      return;
    btnSaveClick();
    if (FOpenProject.Dirty()) return;
  }
  const std::vector<TTopicCleanup> plan = PlanFormattingCleanup(Project(), Settings());
  if (plan.empty()) {
    FDialogs->ShowMessage(TMessageKind::Information, TranslateText("No topic has formatting to clean up."));
    return;
  }
  if (FDialogs->Ask(TMessageKind::Confirmation, CleanupPreview(plan), TDialogButtons::OkCancel) != TDialogAnswer::Ok)
    return;
  try {
    ApplyFormattingCleanup(Project(), plan);
  } catch (...) {
    LoadTopicIntoEditor(CurrentTopicID());  // topics written before the failure show their new text
    throw;
  }
  LoadTopicIntoEditor(CurrentTopicID());
  ShowStatus(FormatText(TranslateText("Formatting cleaned up in %d topics"), {std::to_string(plan.size())}));
}

void TfrmMain::NumberHelpContextsClick() {
  if (Project().RootPath().empty()) return;
  THelpNumbering numbering;
  if (!FDialogs->AskHelpNumbering(numbering)) return;
  // What the panel holds belongs to its topic before numbers are handed out.
  TopicPropertiesEdited();
  THelpNumberingResult done;
  try {
    done = NumberHelpContexts(Project(), numbering);
  } catch (const std::exception& e) {
    FDialogs->ShowMessage(TMessageKind::Warning, e.what());
    return;
  }
  if (done.numbered == 0 && done.aliased == 0) {
    ShowStatus(TranslateText("Every topic already has a help ID"));
    return;
  }
  MarkProjectDirty();
  SaveProject(Project());
  if (Project().HasTopic(pnlTopics->PropertiesTopicID())) {
    pnlTopics->ShowProperties(Project().GetTopic(pnlTopics->PropertiesTopicID()));
  }
  ShowStatus(FormatText(TranslateText("Help IDs given to %d topics, aliases to %d"),
                        {std::to_string(done.numbered), std::to_string(done.aliased)}));
}
