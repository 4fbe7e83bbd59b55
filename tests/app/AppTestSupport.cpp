#include "AppTestSupport.h"

#include "uJson.h"
#include "uPlatform.h"
#include "uProjectOpen.h"
#include "uStorage.h"
#include "uUtils.h"

TAppSandbox::TAppSandbox() : FOldAppData(qgetenv("APPDATA")) {
  qputenv("APPDATA", QByteArray::fromStdString(AppData()));
  qputenv("FOLIVANE_NO_OPEN", "1");
  SetExecutableDirForTests(FOLIVANE_BIN_DIR);
  EnsureDir(AppData());
}

TAppSandbox::~TAppSandbox() { qputenv("APPDATA", FOldAppData); }

std::string TAppSandbox::Path(const std::string& rel) const { return FDir.path().toStdString() + "/" + rel; }

std::string TAppSandbox::MakeProject(const std::string& name, const std::vector<std::string>& rootTitles,
                                     const std::string& folder) {
  const std::string file = Path((folder.empty() ? "" : folder + "/") + name + ".fvp");
  CreateProjectFile(file, name);
  TDocProject project;
  TProjectSettings settings;
  OpenProjectFile(file, project, settings);
  for (size_t i = 1; i < rootTitles.size(); ++i) {
    const TTopic& topic = project.AddTopic(rootTitles[i], "");
    WriteTextFileUtf8(TopicFilePath(project, topic.ID()), "<p>" + rootTitles[i] + "</p>");
  }
  if (!rootTitles.empty()) project.GetTopic(project.RootTopicIDs()[0]).SetTitle(rootTitles[0]);
  SaveProject(project);
  return file;
}

std::unique_ptr<TfrmMain> TAppSandbox::NewWindow(const QStringList& arguments) {
  TMainWindowServices services;
  services.dialogs = &dialogs;
  services.editorHost = &host;
  services.arguments = arguments;
  auto window = std::make_unique<TfrmMain>(services);
  window->resize(1400, 800);
  return window;
}

std::string ReadFile(const std::string& path) { return FileExists(path) ? ReadTextFileUtf8(path) : std::string(); }

std::vector<std::string> Titles(TDocProject& project, const std::vector<std::string>& ids) {
  std::vector<std::string> titles;
  for (const std::string& id : ids) titles.push_back(project.GetTopic(id).Title());
  return titles;
}

void TypeIntoEditor(TFakeEditorHost& host, const std::string& html) {
  TJson m;
  m["type"] = "htmlChanged";
  m["html"] = html;
  m["user"] = true;
  host.Post(JsonWrite(m));
}

std::vector<TJson> SentCommands(const TFakeEditorHost& host, const std::string& type) {
  const std::string prefix = "window.__zd_recv && window.__zd_recv(\"";
  std::vector<TJson> out;
  for (const std::string& script : host.scripts) {
    if (!StartsWith(script, prefix) || !EndsWith(script, "\");")) continue;
    std::string json;
    for (size_t i = prefix.size(); i + 3 < script.size(); ++i) {
      const char c = script[i];
      if (c != '\\') {
        json += c;
        continue;
      }
      const char next = script[++i];
      json += next == 'r' ? '\r' : next == 'n' ? '\n' : next;
    }
    TJson m;
    if (TryParseJson(json, m) && JsonString(m, "type", "") == type) out.push_back(m);
  }
  return out;
}

std::vector<TJson> SentExecCommands(const TFakeEditorHost& host, const std::string& cmd) {
  std::vector<TJson> out;
  for (TJson& m : SentCommands(host, "exec")) {
    if (JsonString(m, "cmd", "") == cmd) out.push_back(std::move(m));
  }
  return out;
}
