#include "uIniFile.h"

#include "uUtils.h"

TIniFile::TIniFile(const std::string& fileName) : FFileName(fileName) {
  if (!FileExists(fileName)) return;
  std::string text;
  try {
    text = ReadTextFileAutoBom(fileName);
  } catch (const EFolivaneError&) {
    return;
  }
  TSection* current = nullptr;
  for (std::string line : SplitString(text, '\n')) {
    line = Trim(line);
    if (line.empty() || line[0] == ';' || line[0] == '#') continue;
    if (line.front() == '[' && line.back() == ']') {
      const std::string name = Trim(line.substr(1, line.size() - 2));
      current = FindSection(name);
      if (!current) {
        FSections.push_back({name, {}});
        current = &FSections.back();
      }
      continue;
    }
    const size_t eq = line.find('=');
    if (!current || eq == std::string::npos) continue;
    current->entries.push_back({Trim(line.substr(0, eq)), Trim(line.substr(eq + 1))});
  }
}

TIniFile::TSection* TIniFile::FindSection(const std::string& name) {
  for (TSection& s : FSections) {
    if (SameTextAscii(s.name, name)) return &s;
  }
  return nullptr;
}

const TIniFile::TSection* TIniFile::FindSection(const std::string& name) const {
  return const_cast<TIniFile*>(this)->FindSection(name);
}

std::string TIniFile::ReadString(const std::string& section, const std::string& key,
                                 const std::string& defaultValue) const {
  if (const TSection* s = FindSection(section)) {
    for (const TEntry& e : s->entries) {
      if (SameTextAscii(e.key, key)) return e.value;
    }
  }
  return defaultValue;
}

void TIniFile::WriteString(const std::string& section, const std::string& key, const std::string& value) {
  // A value is one line: line breaks would split it into a key of its own.
  std::string clean = ReplaceAll(ReplaceAll(value, "\r", " "), "\n", " ");
  TSection* s = FindSection(section);
  if (!s) {
    FSections.push_back({section, {}});
    s = &FSections.back();
  }
  for (TEntry& e : s->entries) {
    if (SameTextAscii(e.key, key)) {
      e.value = clean;
      return;
    }
  }
  s->entries.push_back({key, clean});
}

void TIniFile::DeleteKey(const std::string& section, const std::string& key) {
  if (TSection* s = FindSection(section)) {
    std::erase_if(s->entries, [&](const TEntry& e) { return SameTextAscii(e.key, key); });
  }
}

void TIniFile::Save() const {
  std::string text;
  for (const TSection& s : FSections) {
    if (!text.empty()) text += "\n";
    text += "[" + s.name + "]\n";
    for (const TEntry& e : s.entries) text += e.key + "=" + e.value + "\n";
  }
  WriteTextFileUtf8(FFileName, text);
}
