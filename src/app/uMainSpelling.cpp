// Spell checking in the editor: the project's language and its own word list.
#include "uEditorBridge.h"
#include "uEditorHost.h"
#include "uMain.h"
#include "uSpellCheck.h"
#include "uTranslation.h"
#include "uTranslationFile.h"
#include "uUserDialogs.h"

void TfrmMain::ConnectSpellChecking() {
  FEditorHost->SetAddWordHandler([this](const std::string& word) { Guard([this, &word] { AddWordToProject(word); }); });
}

void TfrmMain::ApplySpellCheck() {
  if (!FEditorHost) return;
  FEditorHost->SetSpellLanguage(EffectiveSpellLanguage(Settings().SpellLanguage, CurrentLanguage(),
                                                       InstalledSpellLanguages(SpellDictionaryFolder())));
  if (!EditorReady() || !FBridge) return;
  std::vector<std::string> words;
  if (!Project().RootPath().empty()) {
    try {
      words = LoadProjectWords(Project().RootPath());
    } catch (const std::exception& e) {
      ShowStatus(TranslateText("The project's word list cannot be read: ") + e.what());
    }
  }
  FBridge->SetProjectWords(words);
}

void TfrmMain::AddWordToProject(const std::string& word) {
  if (Project().RootPath().empty()) return;
  if (AddProjectWord(Project().RootPath(), word)) {
    ShowStatus(FormatText(TranslateText("\"%s\" was added to the project's word list."), {Trim(word)}));
  }
  if (FBridge) FBridge->SetProjectWords(LoadProjectWords(Project().RootPath()));
}
