#include "FakeEditorHost.h"

#include "uUtils.h"

bool DecodeRecvScript(const std::string& script, std::string& json) {
  const std::string prefix = "window.__zd_recv && window.__zd_recv(\"";
  if (!StartsWith(script, prefix) || !EndsWith(script, "\");")) return false;
  const std::string body = script.substr(prefix.size(), script.size() - prefix.size() - 3);
  json.clear();
  for (size_t i = 0; i < body.size(); ++i) {
    if (body[i] != '\\' || i + 1 == body.size()) {
      json += body[i];
      continue;
    }
    const char next = body[++i];
    json += next == 'r' ? '\r' : next == 'n' ? '\n' : next;
  }
  return true;
}

std::vector<TJson> TFakeEditorHost::Commands() const {
  std::vector<TJson> out;
  for (const std::string& script : Scripts) {
    std::string json;
    TJson value;
    if (DecodeRecvScript(script, json) && TryParseJson(json, value)) out.push_back(value);
  }
  return out;
}

std::vector<TJson> TFakeEditorHost::CommandsNamed(const std::string& name) const {
  std::vector<TJson> out;
  for (const TJson& c : Commands()) {
    const std::string type = JsonString(c, "type", "");
    if (type == name || (type == "exec" && JsonString(c, "cmd", "") == name)) out.push_back(c);
  }
  return out;
}
