// Every question and dialog the main window shows goes through IUserDialogs, so the
// window can be driven by tests with scripted answers (tests/app/ScriptedUserDialogs).
#pragma once

#include <functional>
#include <optional>
#include <set>
#include <string>
#include <vector>

#include "uDlgBuildProfiles.h"
#include "uEditorBridge.h"
#include "uHelpContext.h"
#include "uProjectSearch.h"
#include "uUtils.h"

class QWidget;
class TProjectSettings;

enum class TMessageKind { Information, Warning, Error, Confirmation };
enum class TDialogAnswer { Ok, Yes, No, Cancel };
// RecoverDiscard: Recover answers Yes, Discard answers No.
enum class TDialogButtons { Ok, YesNo, YesNoCancel, OkCancel, RecoverDiscard };

// One line of a findings list (for example a broken link); topicID may be empty.
struct TFindingRow {
  std::string topicID;
  std::string topicTitle;
  std::string kind;
  std::string detail;
};

// The Insert Table question's answer.
struct TTableSpec {
  int rows = 2;
  int cols = 2;
  bool headerRow = false;
};

enum class TLinkAnswer { Ok, Remove, Cancel };

class IUserDialogs {
 public:
  virtual ~IUserDialogs() = default;
  virtual void ShowMessage(TMessageKind kind, const std::string& text) = 0;
  virtual TDialogAnswer Ask(TMessageKind kind, const std::string& text, TDialogButtons buttons) = 0;
  // False when cancelled; value holds the default on entry.
  virtual bool InputBox(const std::string& caption, const std::string& prompt, std::string& value) = 0;
  // filter as "Label (*.ext)|*.ext"; "" when cancelled.
  virtual std::string OpenFile(const std::string& caption, const std::string& filter,
                               const std::string& initialDir) = 0;
  // Asks before overwriting; proposedName may carry a folder. "" when cancelled.
  virtual std::string SaveFile(const std::string& caption, const std::string& filter, const std::string& defaultExt,
                               const std::string& proposedName) = 0;
  virtual bool PickColor(std::string& htmlColor) = 0;
  // Rows and columns in number boxes (1 to the maximum) and a header-row choice; spec
  // holds the defaults on entry. False when cancelled.
  virtual bool AskTableSpec(TTableSpec& spec, int maxRows, int maxCols) = 0;
  // Number Help Contexts: the first ID, the step and whether to derive aliases; false on Cancel.
  virtual bool AskHelpNumbering(THelpNumbering& numbering) = 0;
  // Replace in Project: every match with its replacement, each with a box to leave it out.
  // False on Cancel; leftOut gets (topic ID, index in its matches) of each box cleared.
  using TMatchSet = std::set<std::pair<std::string, size_t>>;
  virtual bool ChooseReplacements(const std::vector<TTopicMatches>& found, TMatchSet& leftOut) = 0;
  // The link's address (url holds the current one on entry); Remove is offered only for
  // an existing link.
  virtual TLinkAnswer EditLink(std::string& url, bool existing) = 0;
  // The selected picture's alternative text, size and caption; true when confirmed
  // (image changed in place).
  virtual bool EditImageProperties(TImageProperties& image) = 0;
  // The project settings dialog; true when closed with OK (settings changed in place).
  virtual bool EditProjectSettings(TProjectSettings& settings, const std::string& projectRoot) = 0;
  // Tools > Build Profiles; true when closed with OK (profiles changed in place).
  virtual bool EditBuildProfiles(std::vector<TBuildProfile>& profiles, const TBuildProfilesContext& context) = 0;
  // A list of findings; activating a row with a topic calls onActivate with its ID.
  virtual void ShowFindings(const std::string& caption, const std::string& summary,
                            const std::vector<TFindingRow>& rows,
                            std::function<void(const std::string& topicID)> onActivate) = 0;
  // Long work: a progress display whose callback throws EAbort once the user cancels.
  virtual TProgressCallback BeginProgress(const std::string& caption) = 0;
  virtual void EndProgress() = 0;
};

// The real dialogs, parented to a window.
class TQtUserDialogs : public IUserDialogs {
 public:
  explicit TQtUserDialogs(QWidget* parent = nullptr) : FParent(parent) {}
  ~TQtUserDialogs() override;
  void SetParent(QWidget* parent) { FParent = parent; }
  // The settings dialog is another window; it is plugged in where it exists.
  using TSettingsEditor = std::function<bool(QWidget*, TProjectSettings&, const std::string&)>;
  static void SetSettingsEditor(TSettingsEditor editor);

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
  void EndProgress() override;

 private:
  QWidget* FParent;
  class QProgressDialog* FProgress = nullptr;
};

// The text of an error box: the message with a full stop unless it already ends in one
// or in a character that sorts below it.
std::string ErrorBoxText(const std::string& message);
