// Shared pieces of the window tests: a scripted editor page, a per-test user folder
// and a window built on scripted dialogs.
#pragma once

#include <QTemporaryDir>
#include <QtGlobal>
#include <memory>
#include <string>
#include <vector>

#include "MainWindowProbe.h"
#include "ScriptedUserDialogs.h"
#include "uEditorHost.h"
#include "uJson.h"
#include "uMain.h"
#include "uTopicPanel.h"
#include "uTopicTree.h"
#include "uUserDialogs.h"

class TFakeEditorHost : public IEditorHost {
 public:
  void Navigate(const std::string& url) override { navigations.push_back(url); }
  void ExecuteScript(const std::string& script) override { scripts.push_back(script); }
  // The page posting a message.
  void Post(const std::string& json) { DeliverMessage(json); }
  std::vector<std::string> navigations;
  std::vector<std::string> scripts;
};

// A fresh per-user folder (APPDATA) and scratch folder for one test.
class TAppSandbox {
 public:
  TAppSandbox();
  ~TAppSandbox();
  std::string Path(const std::string& rel) const;
  std::string AppData() const { return Path("appdata"); }
  // A saved project with the given topic titles as roots, in the sandbox or a folder of
  // it; returns the project file.
  std::string MakeProject(const std::string& name, const std::vector<std::string>& rootTitles = {"Welcome"},
                          const std::string& folder = "");
  std::unique_ptr<TfrmMain> NewWindow(const QStringList& arguments = {});

  TScriptedUserDialogs dialogs;
  TFakeEditorHost host;

 private:
  QTemporaryDir FDir;
  QByteArray FOldAppData;
};

std::string ReadFile(const std::string& path);
// The IDs of the root topics, or of a topic's children.
std::vector<std::string> Titles(TDocProject& project, const std::vector<std::string>& ids);

// The commands of one type ("setLeftOut") that the window sent the page, in order.
std::vector<TJson> SentCommands(const TFakeEditorHost& host, const std::string& type);
// The exec commands named cmd that the window sent the page, in order, as the page decodes them.
std::vector<TJson> SentExecCommands(const TFakeEditorHost& host, const std::string& cmd);

// The page reporting that the user typed html into the current topic.
void TypeIntoEditor(TFakeEditorHost& host, const std::string& html);

// A control of the window by its object name (the window names each control after its
// member); the test run stops when there is none, naming it.
template <class T>
T* Control(const QObject& window, const char* name) {
  T* control = window.findChild<T*>(QString::fromLatin1(name));
  if (!control) qFatal("The window has no %s named %s", T::staticMetaObject.className(), name);
  return control;
}
inline TTopicPanel* TopicPanel(const QObject& window) { return Control<TTopicPanel>(window, "pnlTopics"); }
inline TTopicTree* TopicTree(const QObject& window) { return Control<TTopicTree>(window, "tvToc"); }
