// Scripted answers for the window's questions: each dialog takes the next answer from
// its queue. An empty queue answers Cancel (or an empty name) and records the surprise
// in unexpected, so a test sees a question it did not plan for.
#pragma once

#include <deque>
#include <functional>
#include <optional>
#include <string>
#include <utility>
#include <vector>

#include "uUserDialogs.h"

class TScriptedUserDialogs : public IUserDialogs {
 public:
  struct TShown {
    TMessageKind kind;
    std::string text;
  };
  std::deque<TDialogAnswer> answers;
  std::deque<std::optional<std::string>> inputs;  // nullopt = Cancel
  std::deque<std::string> openFiles;
  std::deque<std::string> saveFiles;
  std::deque<std::optional<std::string>> colors;
  std::deque<std::optional<TTableSpec>> tableSpecs;          // nullopt = Cancel
  std::deque<std::optional<THelpNumbering>> helpNumberings;  // nullopt = Cancel
  std::deque<std::optional<TMatchSet>> replacementChoices;   // the matches left out; nullopt = Cancel
  std::vector<std::vector<TTopicMatches>> replacementsShown;
  std::deque<std::pair<TLinkAnswer, std::string>> linkAnswers;
  std::vector<std::string> linkShown;                               // the address each link dialog opened with
  std::deque<std::optional<TImageProperties>> imageAnswers;         // nullopt = Cancel
  std::vector<TImageProperties> imageShown;                         // what each Image Properties dialog opened with
  std::function<bool(TProjectSettings&)> settingsEditor;            // none: Cancel
  std::function<bool(std::vector<TBuildProfile>&)> profilesEditor;  // none: Cancel
  int cancelProgressAt = -1;  // the progress call (done count) that cancels; -1 never

  std::vector<TShown> messages;
  std::vector<TShown> questions;
  std::vector<std::string> inputPrompts;
  std::vector<std::string> saveProposals;
  std::vector<std::string> unexpected;
  std::vector<TFindingRow> lastFindings;
  std::function<void(const std::string&)> lastFindingActivate;
  std::vector<std::pair<int, int>> progressCalls;
  int progressShown = 0;

  void ShowMessage(TMessageKind kind, const std::string& text) override;
  TDialogAnswer Ask(TMessageKind kind, const std::string& text, TDialogButtons buttons) override;
  bool InputBox(const std::string& caption, const std::string& prompt, std::string& value) override;
  std::string OpenFile(const std::string& caption, const std::string& filter, const std::string& initialDir) override;
  std::string SaveFile(const std::string& caption, const std::string& filter, const std::string& defaultExt,
                       const std::string& proposedName) override;
  bool PickColor(std::string& htmlColor) override;
  bool AskTableSpec(TTableSpec& spec, int maxRows, int maxCols) override;
  bool AskHelpNumbering(THelpNumbering& numbering) override;
  bool ChooseReplacements(const std::vector<TTopicMatches>& found, TMatchSet& leftOut) override;
  TLinkAnswer EditLink(std::string& url, bool existing) override;
  bool EditImageProperties(TImageProperties& image) override;
  bool EditProjectSettings(TProjectSettings& settings, const std::string& projectRoot) override;
  bool EditBuildProfiles(std::vector<TBuildProfile>& profiles, const TBuildProfilesContext& context) override;
  void ShowFindings(const std::string& caption, const std::string& summary, const std::vector<TFindingRow>& rows,
                    std::function<void(const std::string& topicID)> onActivate) override;
  TProgressCallback BeginProgress(const std::string& caption) override;
  void EndProgress() override {}
};
