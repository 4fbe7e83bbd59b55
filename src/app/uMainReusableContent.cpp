// Tools > Variables, Snippets, Conditions: the dialog over the project's reusable
// content, and the token it may insert at the editor's caret.
#include "uEditorBridge.h"
#include "uFrmReusableContent.h"
#include "uMain.h"
#include "uTranslation.h"
#include "uUserDialogs.h"

namespace {

constexpr int kHtmlBeforeDialogMs = 500;
constexpr int kHtmlAfterSaveMs = 600;

}  // namespace

void TfrmMain::btnVariablesConditionsSnippetsClick() {
  if (Trim(Project().RootPath()).empty()) return;
  // A file that does not parse reads as empty lists, and saving them would replace
  // every entry it still holds (a merge conflict left in it, say).
  TReusableProjectContent store;
  if (!store.LoadFromProject(Project())) {
    throw EFolivaneError(TranslateText("The file of variables, snippets and conditions is damaged (not valid JSON); "
                                       "fix or remove it first: ") +
                         ReusableContentPath(Project()));
  }
  if (EditorReady() && !CurrentTopicID().empty()) RequestHtmlAndWait(kHtmlBeforeDialogMs);

  TfrmReusableContent dialog(this, store);
  dialog.FillGrids();
  dialog.SetSaveHandler([this, &store] {
    bool saved = false;
    Guard([&] {
      store.SaveToProject(Project());
      saved = true;
    });
    if (saved) MarkProjectDirty();
    return saved;
  });
  const int result = dialog.exec();
  if (result == rrCancel) return;

  // The tokens stay as typed in the editor; only publishing expands them.
  if (EditorReady() && !CurrentTopicID().empty()) RequestHtmlAndWait(kHtmlAfterSaveMs);
  std::string missingName;
  const std::string token = dialog.TokenForResult(result, missingName);
  if (!missingName.empty()) {
    FDialogs->ShowMessage(TMessageKind::Information, TranslateText(missingName));
    return;
  }
  InsertReusableToken(token);
}

void TfrmMain::InsertReusableToken(const std::string& token) {
  if (token.empty() || !EditorReady() || !FBridge) return;
  FBridge->ExecCommand("insertHTML", token);
  RequestEditorFocus();
}
