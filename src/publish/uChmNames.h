// ASCII names for the CHM copy of the assets. chmcmd looks up the names of project.hhp and of
// the pages' references as bytes, while the disk holds UTF-8 names: a picture named
// "café.png" or "схема.png" is not found and the compile fails. The copies in build/chm get
// readable ASCII names instead (transliterated), unique within their folder, and the pages
// and copied style sheets refer to them by those names.
#pragma once

#include <map>
#include <string>
#include <vector>

// text in Latin letters, then printable ASCII, with "_" for what has no such form
// ("схема" -> "shema").
std::string AsciiTransliteration(const std::string& text);

// Whether chmcmd can open a file of this name: printable ASCII only.
bool IsChmSafeName(const std::string& name);

// The ASCII form of one file or folder name: transliterated to Latin letters, what remains
// outside printable ASCII as "_", the extension kept, at most 200 bytes. A safe name is
// returned as it is.
std::string ChmAsciiName(const std::string& name);

// The CHM names of the copied asset files, by their paths relative to the assets folder
// ("images/café.png" -> "images/cafe.png"). Safe names keep theirs; a folded name that
// another name in the same folder already has (letter case ignored) gets "_2", "_3", ...
class TChmAssetNames {
 public:
  explicit TChmAssetNames(const std::vector<std::string>& files);
  bool RenamesAny() const { return !FRenamed.empty(); }
  // The CHM name of a file (relative to the assets folder); "" for a file not in the list.
  std::string NameOf(const std::string& file) const;

  // Gives the copies below assetsDir their CHM names (a copy already of that name is
  // replaced); folders left empty are removed.
  void RenameCopies(const std::string& assetsDir) const;
  // Rewrites the url() and @import references of the copied style sheets below assetsDir
  // that name a renamed file. Call after RenameCopies.
  void RewriteStyleSheets(const std::string& assetsDir) const;
  // Rewrites the src and href values of a page in topics/ ("../assets/...") that name a
  // renamed file; a query or fragment stays.
  std::string RewritePage(const std::string& html) const;

 private:
  std::string FolderName(const std::string& folder);
  std::string Assign(const std::string& parentMapped, const std::string& name);

  std::map<std::string, std::string> FNames;               // file -> CHM name, for every file
  std::map<std::string, std::string> FRenamed;             // only those that change
  std::map<std::string, std::string> FMapped;              // every file and folder -> its CHM path
  std::map<std::string, std::vector<std::string>> FTaken;  // CHM folder -> lower-case names in it
};
