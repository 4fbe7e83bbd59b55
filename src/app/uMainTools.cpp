// The Tools menu: project settings, build profiles, cleaning up the formatting of older
// topics, numbering the topics for context-sensitive help, and the translation round trip.
#include <algorithm>

#include "uConditionReport.h"
#include "uFormattingCleanup.h"
#include "uHelpContext.h"
#include "uMain.h"
#include "uQtText.h"
#include "uStorage.h"
#include "uTopicPanel.h"
#include "uUserDialogs.h"
#include "uXliffExport.h"
#include "uXliffImport.h"

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

namespace {

constexpr const char* kXliffFilter = "XLIFF files (*.xlf *.xliff)|*.xlf;*.xliff";

// One row for each unit the import left out, at the topic it belongs to when it has one.
std::vector<TFindingRow> ImportRows(const TDocProject& project, const TXliffImportReport& report) {
  std::vector<TFindingRow> rows;
  const auto add = [&](const std::string& unitId, const char* kind, const std::string& detail) {
    const std::string topicID = unitId.substr(0, unitId.find('.'));
    const bool topic = project.HasTopic(topicID);
    rows.push_back({topic ? topicID : "", topic ? project.GetTopic(topicID).Title() : "", TranslateText(kind),
                    detail.empty() ? unitId : unitId + ": " + detail});
  };
  for (const std::string& id : report.changed) add(id, "Changed since the export", "");
  for (const TXliffImportNote& note : report.broken) add(note.unitId, "Damaged inline codes", note.message);
  for (const std::string& id : report.unknown) add(id, "Not in the project", "");
  for (const std::string& id : report.untranslated) add(id, "Not translated", "");
  return rows;
}

}  // namespace

bool TfrmMain::SaveBeforeTranslation() {
  if (Project().RootPath().empty() || ProjectFileName().empty()) return false;
  // The translation works on the files: what is typed or pending goes there first.
  if (FOpenProject.Dirty()) {
    if (FDialogs->Ask(TMessageKind::Confirmation,
                      TranslateText("The project has unsaved changes. Save them before the translation?"),
                      TDialogButtons::OkCancel) != TDialogAnswer::Ok)
      return false;
    btnSaveClick();
  }
  return !FOpenProject.Dirty();
}

void TfrmMain::ExportXliffClick() {
  if (!SaveBeforeTranslation()) return;
  std::string lang = "de";
  if (!FDialogs->InputBox(TranslateText("Export for Translation"),
                          TranslateText("Language of the translation (for example de or pt-BR):"), lang))
    return;
  lang = Trim(lang);
  if (!IsLanguageTag(lang))
    throw EFolivaneError(FormatText(TranslateText("Not a language code: \"%s\" (for example de or pt-BR)"), {lang}));
  const std::string path = FDialogs->SaveFile(TranslateText("Export for Translation"), TranslateText(kXliffFilter),
                                              "xlf", DefaultXliffPath(Project(), ProjectFileName(), lang));
  if (path.empty()) return;
  const size_t units =
      ExportProjectXliff(Project(), Settings(), ProjectFileName(), ProjectSourceLanguage(Settings()), lang, path);
  ShowStatus(FormatText(TranslateText("%d texts exported for translation: %s"), {std::to_string(units), path}));
}

void TfrmMain::ImportXliffClick() {
  if (!SaveBeforeTranslation()) return;
  const std::string file = FDialogs->OpenFile(TranslateText("Import Translation"), TranslateText(kXliffFilter),
                                              PathJoin(Project().RootPath(), "build/xliff"));
  if (file.empty()) return;
  const TXliffImportReport report = ImportProjectXliff(ProjectFileName(), file);
  const std::string summary = FormatText(TranslateText("Translated copy written to %s; %d texts translated."),
                                         {report.copyFile, std::to_string(report.translated)});
  const std::vector<TFindingRow> rows = ImportRows(Project(), report);
  if (rows.empty()) {
    FDialogs->ShowMessage(TMessageKind::Information, summary);
    return;
  }
  FDialogs->ShowFindings(TranslateText("Import Translation"),
                         summary + " " + TranslateText("These texts keep the project's text:"), rows,
                         [this](const std::string& topicID) { SelectTopicNode(topicID); });
}
