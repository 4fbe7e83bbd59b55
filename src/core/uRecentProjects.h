// The projects opened last, newest first, kept in the per-user settings.ini (section
// RecentProjects, keys File1 to File10).
#pragma once

#include <string>
#include <vector>

constexpr size_t kMaxRecentProjects = 10;

// The stored list; a missing or unreadable settings.ini gives an empty one.
std::vector<std::string> ReadRecentProjects(const std::string& iniPath);
// Puts path first (dropping an earlier mention of it), keeps the newest ten and saves.
// Raises EFolivaneError when settings.ini cannot be written.
void AddRecentProject(const std::string& iniPath, const std::string& path);
// Drops path from the list and saves; raises as AddRecentProject.
void RemoveRecentProject(const std::string& iniPath, const std::string& path);
