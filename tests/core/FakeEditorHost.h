// A scripted stand-in for the browser control: records what the bridge runs and lets
// a test post messages as the page would.
#pragma once

#include <string>
#include <vector>

#include "uEditorHost.h"
#include "uJson.h"

class TFakeEditorHost : public IEditorHost {
 public:
  void Navigate(const std::string& url) override { Urls.push_back(url); }
  void ExecuteScript(const std::string& script) override {
    Scripts.push_back(script);
    if (OnScript) OnScript(script);
  }
  void Post(const std::string& json) { DeliverMessage(json); }

  // The JSON commands sent so far, decoded as the page decodes them.
  std::vector<TJson> Commands() const;
  // The commands of one type ("exec" with cmd, or another type), in order.
  std::vector<TJson> CommandsNamed(const std::string& name) const;
  void Clear() { Scripts.clear(); }

  std::vector<std::string> Urls;
  std::vector<std::string> Scripts;
  std::function<void(const std::string& script)> OnScript;
};

// Reads back the JSON text inside a "window.__zd_recv(...)" script; false for other scripts.
bool DecodeRecvScript(const std::string& script, std::string& json);
