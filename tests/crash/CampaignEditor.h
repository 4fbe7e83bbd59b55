// The campaign's stand-in for the window: opens the project as the CLI does, saves a
// state through the calls the window's Save uses, and publishes it.
#pragma once

#include <map>
#include <string>

#include "CampaignState.h"
#include "uDocModel.h"
#include "uProjectSettings.h"
#include "uReusableContent.h"

class TCampaignEditor {
 public:
  // Opens fvpPath with OpenProjectFile and reads the topic and header texts. Raises
  // EFolivaneError when the open reports a warning (a structure file that is not JSON)
  // or the settings or reusable content cannot be read: a kill must never cause that.
  explicit TCampaignEditor(const std::string& fvpPath);

  // Brings the project to state: topic and header texts that differ from the disk
  // (WriteTextFileUtf8), the model (titles, keywords, exclusions, tree through
  // MoveTopic), SaveProject and SaveProjectFile as the window's Save calls them, then the
  // settings (SaveToFile) and the reusable content (SaveToProject) when they changed.
  void Save(const TCampaignState& state);

  // PublishWebHelp into build/webhelp.
  void PublishWebHelp();
  // The CHM project in build/chm, compiled into help.chm when compile is set.
  void PublishChm(bool compile);
  // build/pdf/manual.html and its files, without printing.
  void WritePdfManual();

  const TDocProject& Project() const { return FProject; }

 private:
  std::string FFvpPath;
  TDocProject FProject;
  TProjectSettings FSettings;
  TReusableProjectContent FReusable;
  std::map<std::string, std::string> FOnDisk;  // texts as last read or written

  void ReadTextIfPresent(const std::string& path);
  void WriteTextIfChanged(const std::string& path, const std::string& text);
  void PlaceChildren(const TCampaignState& state, const std::string& parentId, const std::vector<std::string>& ids);
};
