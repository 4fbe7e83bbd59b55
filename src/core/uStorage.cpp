#include "uStorage.h"

#include "uContainment.h"
#include "uJson.h"
#include "uPlatform.h"
#include "uTopicsJson.h"
#include "uTranslation.h"
#include "uUtils.h"

namespace {

const char kDefaultBackground[] = "#fafafa";

std::string StripBom(std::string text) {
  // Editors on other systems like to add one; it is not part of the JSON.
  if (StartsWith(text, "\xEF\xBB\xBF")) text.erase(0, 3);
  return text;
}

// Opening a project whose structure file is damaged (a merge-conflict marker left in it,
// say) must fail: carrying on with defaults would replace the file on the next save.
[[noreturn]] void RaiseNotJson(const std::string& path, const std::string& error) {
  throw EFolivaneError(FormatText(TranslateText("%s is not valid JSON (%s); fix or restore the file, then open the "
                                                "project again"),
                                  {path, error}));
}

// Reads a structure file; a missing file gives false.
bool ReadStructureFile(const std::string& path, TJson& out) {
  if (!FileExists(path)) return false;
  std::string error;
  if (!TryParseJson(StripBom(ReadTextFileUtf8(path)), out, &error)) RaiseNotJson(path, error);
  return true;
}

TJson ProjectJsonObject(const TDocProject& project) {
  TJson o = TJson::object();
  o["title"] = project.Title();
  o["styleProfile"] = project.StyleProfile();
  return o;
}

std::string ReadTrimmedIfExists(const std::string& path, std::string& target) {
  if (FileExists(path)) target = Trim(ReadTextFileUtf8(path));
  return target;
}

// The temporary files that writes cut short left in the folders a save writes, and the
// project file's beside the folder. A subfolder that a link takes outside the project is
// not the project's to clean.
void RemoveInterruptedWrites(const std::string& folder) {
  const TFolderBoundary inside(folder);
  for (const char* sub : {"meta", "topics", "styles"}) {
    const std::string dir = PathJoin(folder, sub);
    if (inside.Holds(dir)) RemoveStaleWriteTemps(dir);
  }
  const std::string root = ExcludeTrailingDelimiter(folder);
  RemoveStaleWriteTemps(root);
  RemoveStaleWriteTemps(ExtractFileDir(root), kStaleWriteTempAge, ExtractFileName(root) + ".fvp");
}

}  // namespace

std::string ProjectJsonPath(const std::string& folder) { return PathJoin(folder, "project.json"); }
std::string TopicsJsonPath(const std::string& folder) { return PathJoin(PathJoin(folder, "meta"), "topics.json"); }

std::string TopicFilePath(const std::string& projectRoot, const std::string& id) {
  return TopicPagePath(projectRoot, id);
}
std::string TopicFilePath(const TDocProject& project, const std::string& id) {
  return TopicFilePath(project.RootPath(), id);
}

std::string HeaderHtmlPath(const std::string& projectRoot, const std::string& id) {
  const std::string name = id.empty() ? "header_default.html" : "header_" + SafeFileName(id) + ".html";
  return IncludeTrailingDelimiter(projectRoot) + "meta/" + name;
}
std::string HeaderHtmlPath(const TDocProject& project, const std::string& id) {
  return HeaderHtmlPath(project.RootPath(), id);
}

std::string HeaderBgPath(const std::string& projectRoot, const std::string& id) {
  const std::string name = id.empty() ? "headerbg_default.txt" : "headerbg_" + SafeFileName(id) + ".txt";
  return IncludeTrailingDelimiter(projectRoot) + "meta/" + name;
}
std::string HeaderBgPath(const TDocProject& project, const std::string& id) {
  return HeaderBgPath(project.RootPath(), id);
}

std::string EditorPagePath(const TDocProject& project) {
  return PathJoin(project.RootPath(), "internal/editor/editor.html");
}

void SaveProject(const TDocProject& project) {
  EnsureDir(project.RootPath());
  EnsureDir(PathJoin(project.RootPath(), "meta"));
  WriteTextFileUtf8(ProjectJsonPath(project.RootPath()), JsonWrite(ProjectJsonObject(project)));

  WriteTextFileUtf8(TopicsJsonPath(project.RootPath()), TopicsJsonText(project));
}

void LoadProject(const std::string& folder, TDocProject& project) {
  project.Clear();
  project.SetRootPath(folder);
  RemoveInterruptedWrites(folder);

  const std::string projectPath = ProjectJsonPath(folder);
  TJson doc;
  if (ReadStructureFile(projectPath, doc) && doc.is_object()) {
    project.SetTitle(JsonString(doc, "title", project.Title()));
    const std::string profile = JsonString(doc, "styleProfile", "default");
    project.SetStyleProfile(profile.empty() ? "default" : profile);
  }

  const std::string topicsPath = TopicsJsonPath(folder);
  if (!FileExists(topicsPath)) return;
  std::string error;
  if (!ReadTopicsJson(StripBom(ReadTextFileUtf8(topicsPath)), topicsPath, folder, project, &error)) {
    RaiseNotJson(topicsPath, error);
  }
}

std::string ProjectFolderForFile(const std::string& fileName) {
  std::string base = FileNameWithoutExt(fileName);
  if (base.empty()) base = "Project";
  return PathJoin(ExtractFileDir(fileName), base);
}

namespace {

// True when the project file exists and its root is the empty string.
bool RecordsEmptyRoot(const std::string& fileName) {
  TJson doc;
  if (!FileExists(fileName) || !TryParseJson(ReadTextFileAutoBom(fileName), doc) || !doc.is_object()) return false;
  const TJson* root = JsonFind(doc, "root");
  return root && root->is_string() && root->get<std::string>().empty();
}

}  // namespace

bool SaveProjectFile(const std::string& fileName, TDocProject& project) {
  EnsureDir(ExtractFileDir(fileName));
  const std::string folder = ProjectFolderForFile(fileName);
  EnsureDir(folder);

  // A project file that was renamed still points at its old folder. Writing only the
  // structure into the new folder would leave the topics behind, so the project moves.
  const std::string current = ExcludeTrailingDelimiter(project.RootPath());
  const bool moves = !current.empty() && DirExists(current) && ExpandFileName(current) != ExpandFileName(folder);
  if (moves) CopyProjectFolder(current, folder);

  TJson o = TJson::object();
  o["version"] = "1.0";
  o["title"] = project.Title();
  // An empty root already means the folder beside the file; a project kept in git keeps it
  // empty, so that saving on another machine does not write that machine's path.
  o["root"] = RecordsEmptyRoot(fileName) ? std::string() : folder;
  WriteTextFileUtf8Bom(fileName, JsonWrite(o));

  const std::string remembered = project.RootPath();
  project.SetRootPath(IncludeTrailingDelimiter(folder));
  try {
    SaveProject(project);
  } catch (...) {
    if (!moves) project.SetRootPath(remembered);
    throw;
  }
  if (!moves) project.SetRootPath(remembered);
  return moves;
}

TProjectFileInfo ReadProjectFile(const std::string& fileName) {
  if (!FileExists(fileName)) throw EFolivaneError("Project file not found: " + fileName);
  TJson doc;
  if (!TryParseJson(ReadTextFileAutoBom(fileName), doc) || !doc.is_object()) {
    throw EFolivaneError("Invalid project file: " + fileName);
  }
  TProjectFileInfo info;
  for (const char* key : {"title", "root"}) {
    const TJson* v = JsonFind(doc, key);
    if (!v) throw EFolivaneError(FormatText("Value '%s' not found", {key}));
    (std::string(key) == "title" ? info.title : info.folder) = JsonValueText(*v);
  }
  const std::string sibling = ProjectFolderForFile(fileName);
  // A root written on another system ("D:\Docs\Guide") would be taken relative to the
  // working folder; like an empty root, it means the folder beside the file.
  if (!IsRootedPath(info.folder)) info.folder = sibling;
  if (!FileExists(ProjectJsonPath(info.folder)) && FileExists(ProjectJsonPath(sibling))) info.folder = sibling;
  return info;
}

void EnsureProjectFolders(const TDocProject& project) {
  const std::string& root = project.RootPath();
  EnsureDir(root);
  for (const char* sub :
       {"topics", "meta", "assets/images", "build", "styles", "internal/editor", "internal/webhelp"}) {
    EnsureDir(PathJoin(root, sub));
  }
}

void InstallAppFiles(const TDocProject& project) {
  const std::string appDir = AppDataDir();
  const std::string& root = project.RootPath();

  const std::string editorDir = EnsureDir(PathJoin(root, "internal/editor"));
  const std::string editorPage = PathJoin(appDir, "AppFiles/editor/editor.html");
  if (FileExists(editorPage)) CopyFileOverwrite(editorPage, PathJoin(editorDir, "editor.html"));

  const std::string webhelpDir = EnsureDir(PathJoin(root, "internal/webhelp"));
  const std::string appWebhelp = PathJoin(appDir, "AppFiles/webhelp");
  if (DirExists(appWebhelp)) {
    for (const std::string& file : ListFiles(appWebhelp)) {
      CopyFileOverwrite(file, PathJoin(webhelpDir, ExtractFileName(file)));
    }
  }

  const std::string appProfile = PathJoin(appDir, "styles/default.css");
  const std::string projectProfile = PathJoin(root, "styles/default.css");
  if (FileExists(appProfile) && !FileExists(projectProfile)) {
    // Copied only while missing: a copy cut short would be kept half-written for good.
    WriteFileAtomic(projectProfile, ReadBinaryFile(appProfile));
  }
}

void CopyProjectFolder(const std::string& source, const std::string& destination) {
  EnsureDir(destination);
  const TFolderBoundary inside(source);  // a link to a file elsewhere is not the project's to copy
  for (const std::string& rel : ListFilesRecursive(source)) {
    if (StartsWithText(rel, "build/") || SameTextAscii(ExtractFileExt(rel), ".fvp")) continue;
    if (!inside.Holds(IncludeTrailingDelimiter(source) + rel)) continue;
    // Plain concatenation: names on disk may hold characters PathJoin refuses.
    const std::string target = IncludeTrailingDelimiter(destination) + rel;
    EnsureDir(ExtractFileDir(target));
    CopyFileOverwrite(IncludeTrailingDelimiter(source) + rel, target);
  }
}

TPublishHeader ResolvePublishHeader(const std::string& projectRoot, const std::string& topicID,
                                    const std::function<bool(const std::string&)>& mayRead) {
  const auto readable = [&mayRead](const std::string& path) { return !mayRead || mayRead(path); };
  TPublishHeader header{"", kDefaultBackground};
  const std::string defaultHtml = HeaderHtmlPath(projectRoot, "");
  if (FileExists(defaultHtml) && readable(defaultHtml)) header.html = ReadTextFileUtf8(defaultHtml);
  if (readable(HeaderBgPath(projectRoot, ""))) ReadTrimmedIfExists(HeaderBgPath(projectRoot, ""), header.background);
  if (!topicID.empty()) {
    const std::string topicHtml = HeaderHtmlPath(projectRoot, topicID);
    if (FileExists(topicHtml) && readable(topicHtml)) header.html = ReadTextFileUtf8(topicHtml);
    if (readable(HeaderBgPath(projectRoot, topicID)))
      ReadTrimmedIfExists(HeaderBgPath(projectRoot, topicID), header.background);
  }
  if (header.background.empty()) header.background = kDefaultBackground;
  return header;
}
