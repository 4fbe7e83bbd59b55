// A small INI reader and writer: [Section] headers and Key=Value lines.
#pragma once

#include <string>
#include <vector>

class TIniFile {
 public:
  // Reads the file when it exists; a missing or unreadable file is an empty profile.
  explicit TIniFile(const std::string& fileName);

  // Section and key names ignore letter case.
  std::string ReadString(const std::string& section, const std::string& key, const std::string& defaultValue) const;
  void WriteString(const std::string& section, const std::string& key, const std::string& value);
  void DeleteKey(const std::string& section, const std::string& key);
  // Writes the whole profile back (atomically), creating its folder.
  void Save() const;
  const std::string& FileName() const { return FFileName; }

 private:
  struct TEntry {
    std::string key;
    std::string value;
  };
  struct TSection {
    std::string name;
    std::vector<TEntry> entries;
  };
  std::string FFileName;
  std::vector<TSection> FSections;

  TSection* FindSection(const std::string& name);
  const TSection* FindSection(const std::string& name) const;
};
