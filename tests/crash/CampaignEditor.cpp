#include "CampaignEditor.h"

#include <unordered_map>

#include "uExportChm.h"
#include "uExportPdf.h"
#include "uExportWebHelp.h"
#include "uJson.h"
#include "uProjectOpen.h"
#include "uStorage.h"
#include "uUtils.h"

TCampaignEditor::TCampaignEditor(const std::string& fvpPath) : FFvpPath(fvpPath) {
  std::vector<std::string> warnings;
  OpenProjectFile(fvpPath, FProject, FSettings, &warnings);
  if (!warnings.empty()) throw EFolivaneError("Opening the project warned: " + warnings.front());
  const std::string settingsPath = TProjectSettings::DefaultSettingsPathForProject(FProject.RootPath());
  TProjectSettings check;
  if (!check.LoadFromFile(settingsPath)) throw EFolivaneError("Settings not readable: " + settingsPath);
  if (!FReusable.LoadFromProject(FProject)) throw EFolivaneError("Reusable content not readable");

  ReadTextIfPresent(HeaderHtmlPath(FProject, ""));
  ReadTextIfPresent(HeaderBgPath(FProject, ""));
  for (const auto& [id, topic] : FProject.Topics()) {
    ReadTextIfPresent(TopicFilePath(FProject, id));
    ReadTextIfPresent(HeaderHtmlPath(FProject, id));
    ReadTextIfPresent(HeaderBgPath(FProject, id));
  }
}

void TCampaignEditor::ReadTextIfPresent(const std::string& path) {
  if (FileExists(path)) FOnDisk[path] = ReadBinaryFile(path);
}

void TCampaignEditor::WriteTextIfChanged(const std::string& path, const std::string& text) {
  const auto it = FOnDisk.find(path);
  if (it != FOnDisk.end() && it->second == text) return;
  EnsureDir(ExtractFileDir(path));
  WriteTextFileUtf8(path, text);
  FOnDisk[path] = text;
}

// Moves the topics into place in the target's tree order: each parent is in place
// before its children move under it, so no move can form a cycle.
void TCampaignEditor::PlaceChildren(const TCampaignState& state, const std::string& parentId,
                                    const std::vector<std::string>& ids) {
  for (size_t j = 0; j < ids.size(); ++j) {
    FProject.MoveTopic(ids[j], parentId, static_cast<int>(j));
    for (const TCampaignTopic& t : state.topics) {
      if (t.id == ids[j]) PlaceChildren(state, t.id, t.children);
    }
  }
}

void TCampaignEditor::Save(const TCampaignState& state) {
  for (const TCampaignTopic& t : state.topics) {
    TTopic& topic = FProject.GetTopic(t.id);
    topic.SetTitle(t.title);
    topic.Keywords() = t.keywords;
    topic.SetExcludeWeb(t.excludeWeb);
    topic.SetExcludeChm(t.excludeChm);
    topic.SetExcludePdf(t.excludePdf);
    WriteTextIfChanged(TopicFilePath(FProject, t.id), t.html);
    if (t.hasHeader) {
      WriteTextIfChanged(HeaderHtmlPath(FProject, t.id), t.headerHtml);
      WriteTextIfChanged(HeaderBgPath(FProject, t.id), t.headerBg);
    }
  }
  WriteTextIfChanged(HeaderHtmlPath(FProject, ""), state.defaultHeaderHtml);
  WriteTextIfChanged(HeaderBgPath(FProject, ""), state.defaultHeaderBg);
  PlaceChildren(state, "", state.roots);
  FProject.SetTitle(state.title);

  SaveProject(FProject);
  SaveProjectFile(FFvpPath, FProject);

  if (JsonWrite(FSettings.ToJson()) != JsonWrite(state.settings.ToJson())) {
    FSettings = state.settings;
    FSettings.SaveToFile(TProjectSettings::DefaultSettingsPathForProject(FProject.RootPath()));
  }
  if (FReusable.ToJsonText() != state.reusable.ToJsonText()) {
    FReusable = state.reusable;
    FReusable.SaveToProject(FProject);
  }
}

void TCampaignEditor::PublishWebHelp() { ::PublishWebHelp(FProject, &FSettings); }

void TCampaignEditor::PublishChm(bool compile) {
  if (compile) ExportChm(FProject);
  else WriteChmProject(FProject);
}

void TCampaignEditor::WritePdfManual() {
  WritePdfManualFiles(FProject, PathJoin(PathJoin(FProject.RootPath(), "build"), "pdf"));
}
