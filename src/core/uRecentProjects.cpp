#include "uRecentProjects.h"

#include <algorithm>

#include "uIniFile.h"

namespace {

const char kSection[] = "RecentProjects";

std::string KeyOf(size_t i) { return "File" + std::to_string(i + 1); }

void WriteRecentProjects(const std::string& iniPath, const std::vector<std::string>& list) {
  TIniFile ini(iniPath);
  for (size_t i = 0; i < kMaxRecentProjects; ++i) {
    if (i < list.size()) ini.WriteString(kSection, KeyOf(i), list[i]);
    else ini.DeleteKey(kSection, KeyOf(i));
  }
  ini.Save();
}

}  // namespace

std::vector<std::string> ReadRecentProjects(const std::string& iniPath) {
  const TIniFile ini(iniPath);
  std::vector<std::string> list;
  for (size_t i = 0; i < kMaxRecentProjects; ++i) {
    const std::string path = ini.ReadString(kSection, KeyOf(i), "");
    if (!path.empty() && std::find(list.begin(), list.end(), path) == list.end()) list.push_back(path);
  }
  return list;
}

void AddRecentProject(const std::string& iniPath, const std::string& path) {
  std::vector<std::string> list = ReadRecentProjects(iniPath);
  list.erase(std::remove(list.begin(), list.end(), path), list.end());
  list.insert(list.begin(), path);
  if (list.size() > kMaxRecentProjects) list.resize(kMaxRecentProjects);
  WriteRecentProjects(iniPath, list);
}

void RemoveRecentProject(const std::string& iniPath, const std::string& path) {
  std::vector<std::string> list = ReadRecentProjects(iniPath);
  list.erase(std::remove(list.begin(), list.end(), path), list.end());
  WriteRecentProjects(iniPath, list);
}
