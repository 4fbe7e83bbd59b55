// The open project as the window holds it, without any widget: the project and its
// settings, the file it came from, whether it has changes not yet saved, and the topic
// texts waiting to be written. Opening reads through the same functions as the CLI;
// asking the writer and showing what happened stay with the window.
#pragma once

#include <map>
#include <memory>
#include <string>

#include "uDocModel.h"
#include "uProjectSettings.h"

class TProjectController {
 public:
  // An empty project in no folder, with default settings.
  TProjectController();

  TDocProject& Project() { return *FProject; }
  const TDocProject& Project() const { return *FProject; }
  TProjectSettings& Settings() { return FSettings; }
  const TProjectSettings& Settings() const { return FSettings; }
  // The project file; "" for a project that was never saved.
  const std::string& FileName() const { return FFileName; }

  bool Dirty() const { return FDirty; }
  void MarkDirty() { FDirty = true; }
  // Forgets the unsaved changes: pending texts are dropped, the project counts as saved.
  void DiscardChanges();

  // Topic ID -> page HTML not yet written to the topic's file.
  std::map<std::string, std::string>& UnsavedTopicHtml() { return FUnsavedTopicHtml; }
  // Writes the pending texts; a text whose file cannot be written stays pending and the
  // error is raised.
  void FlushPendingTexts();

  // Reads the project file, its structure and its settings completely before the open
  // project is dropped: a file that cannot be read raises EFolivaneError naming it and
  // leaves everything as it was. Returns a settings problem to show, "" when none.
  std::string Open(const std::string& fileName);
  // Takes a folder without a project file (the workspace of an earlier session) as the
  // open project, read as far as it goes: a recovery journal holds the rest.
  void AdoptFolder(const std::string& folder);
  // Starts an untitled project in folder, which must exist and be empty, with default
  // settings written there (the PDF as a book) and one topic "Welcome".
  void StartNew(const std::string& folder);
  // Reads the settings of the open project again: a file that cannot be read leaves the
  // defaults (titled as the project) and returns the problem; a missing one is written
  // with the defaults.
  std::string ReloadSettings();
  // Writes the settings file; raises when it cannot be written.
  void SaveSettings();
  // Gives a project without topics the topic "Welcome" and writes it; true when it did.
  bool EnsureFirstTopic();

  // The file name Save As proposes: the project's title, else the settings' title.
  std::string ProposedFileName() const;
  // Writes the pending texts, the structure and the project file. A project file renamed
  // by hand names another folder; the project then moves there and Save returns true.
  bool Save();
  // Writes the project under a new file name. A project file in another folder takes a
  // copy of the project folder with it; returns true when the project moved.
  bool SaveAs(const std::string& fileName);

 private:
  void Adopt(std::unique_ptr<TDocProject> project, const std::string& fileName);
  void WriteSettingsIfPossible();

  std::unique_ptr<TDocProject> FProject;
  TProjectSettings FSettings;
  std::string FFileName;
  bool FDirty = false;
  std::map<std::string, std::string> FUnsavedTopicHtml;
};
