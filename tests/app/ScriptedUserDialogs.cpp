#include "ScriptedUserDialogs.h"

#include "uProjectSettings.h"

namespace {

template <typename T>
T PopFront(std::deque<T>& queue, T fallback, std::vector<std::string>& unexpected, const char* what) {
  if (queue.empty()) {
    unexpected.push_back(what);
    return fallback;
  }
  T value = std::move(queue.front());
  queue.pop_front();
  return value;
}

}  // namespace

void TScriptedUserDialogs::ShowMessage(TMessageKind kind, const std::string& text) { messages.push_back({kind, text}); }

TDialogAnswer TScriptedUserDialogs::Ask(TMessageKind kind, const std::string& text, TDialogButtons) {
  questions.push_back({kind, text});
  return PopFront(answers, TDialogAnswer::Cancel, unexpected, "answer");
}

bool TScriptedUserDialogs::InputBox(const std::string& caption, const std::string& prompt, std::string& value) {
  inputPrompts.push_back(caption + "|" + prompt + "|" + value);
  const std::optional<std::string> answer = PopFront(inputs, std::optional<std::string>(), unexpected, "input");
  if (!answer) return false;
  value = *answer;
  return true;
}

std::string TScriptedUserDialogs::OpenFile(const std::string&, const std::string&, const std::string&) {
  return PopFront(openFiles, std::string(), unexpected, "open file");
}

std::string TScriptedUserDialogs::SaveFile(const std::string&, const std::string&, const std::string&,
                                           const std::string& proposedName) {
  saveProposals.push_back(proposedName);
  return PopFront(saveFiles, std::string(), unexpected, "save file");
}

bool TScriptedUserDialogs::AskTableSpec(TTableSpec& spec, int, int) {
  const std::optional<TTableSpec> answer = PopFront(tableSpecs, std::optional<TTableSpec>(), unexpected, "table");
  if (!answer) return false;
  spec = *answer;
  return true;
}

bool TScriptedUserDialogs::AskHelpNumbering(THelpNumbering& numbering) {
  const auto answer = PopFront(helpNumberings, std::optional<THelpNumbering>(), unexpected, "help numbering");
  if (!answer) return false;
  numbering = *answer;
  return true;
}

bool TScriptedUserDialogs::ChooseReplacements(const std::vector<TTopicMatches>& found, TMatchSet& leftOut) {
  replacementsShown.push_back(found);
  const auto answer = PopFront(replacementChoices, std::optional<TMatchSet>(), unexpected, "replacements");
  if (!answer) return false;
  leftOut = *answer;
  return true;
}

TLinkAnswer TScriptedUserDialogs::EditLink(std::string& url, bool existing) {
  linkShown.push_back(url + (existing ? " (existing)" : ""));
  const auto answer = PopFront(linkAnswers, std::make_pair(TLinkAnswer::Cancel, std::string()), unexpected, "link");
  if (answer.first == TLinkAnswer::Ok) url = answer.second;
  return answer.first;
}

bool TScriptedUserDialogs::EditImageProperties(TImageProperties& image) {
  imageShown.push_back(image);
  const auto answer = PopFront(imageAnswers, std::optional<TImageProperties>(), unexpected, "image properties");
  if (!answer) return false;
  image = *answer;
  return true;
}

bool TScriptedUserDialogs::PickColor(std::string& htmlColor) {
  const std::optional<std::string> answer = PopFront(colors, std::optional<std::string>(), unexpected, "color");
  if (!answer) return false;
  htmlColor = *answer;
  return true;
}

bool TScriptedUserDialogs::EditProjectSettings(TProjectSettings& settings, const std::string&) {
  return settingsEditor ? settingsEditor(settings) : false;
}

bool TScriptedUserDialogs::EditBuildProfiles(std::vector<TBuildProfile>& profiles, const TBuildProfilesContext&) {
  return profilesEditor ? profilesEditor(profiles) : false;
}

void TScriptedUserDialogs::ShowFindings(const std::string&, const std::string& summary,
                                        const std::vector<TFindingRow>& rows,
                                        std::function<void(const std::string& topicID)> onActivate) {
  messages.push_back({TMessageKind::Information, summary});
  lastFindings = rows;
  lastFindingActivate = std::move(onActivate);
}

TProgressCallback TScriptedUserDialogs::BeginProgress(const std::string&) {
  ++progressShown;
  return [this](int done, int total) {
    progressCalls.emplace_back(done, total);
    if (cancelProgressAt >= 0 && done >= cancelProgressAt) throw EAbort();
  };
}
