#include "uStorage.h"

#include "uJson.h"
#include "uPlatform.h"
#include "uUtils.h"

namespace {

const char kDefaultBackground[] = "#fafafa";

std::string StripBom(std::string text) {
  // Editors on other systems like to add one; it is not part of the JSON.
  if (StartsWith(text, "\xEF\xBB\xBF")) text.erase(0, 3);
  return text;
}

[[noreturn]] void RaiseWrongKind(const std::string& file, const std::string& what, const std::string& expected,
                                 const TJson& value) {
  throw EFolivaneError("Cannot load " + file + ": " + what + " must be " + expected + ", not " +
                       JsonKindName(value));
}

// The array under name, or nullptr when missing; any other kind raises.
const TJson* OptionalArray(const TJson& object, const std::string& name, const std::string& file) {
  const TJson* v = JsonFind(object, name);
  if (v && !v->is_array()) RaiseWrongKind(file, "\"" + name + "\"", "an array", *v);
  return v;
}

void AppendTexts(const TJson* array, TStringList& list) {
  if (!array) return;
  for (const TJson& item : *array) list.push_back(JsonValueText(item));
}

// Reads a structure file; a missing file gives false, text that is not JSON a warning and false.
bool ReadStructureFile(const std::string& path, TJson& out, std::vector<std::string>* warnings) {
  if (!FileExists(path)) return false;
  std::string error;
  if (TryParseJson(StripBom(ReadTextFileUtf8(path)), out, &error)) return true;
  if (warnings) warnings->push_back(path + " is not valid JSON and was ignored (" + error + ")");
  return false;
}

TJson ProjectJsonObject(const TDocProject& project) {
  TJson o = TJson::object();
  o["title"] = project.Title();
  o["styleProfile"] = project.StyleProfile();
  return o;
}

TJson TopicJsonObject(const TTopic& t) {
  TJson o = TJson::object();
  o["id"] = t.ID();
  o["title"] = t.Title();
  o["htmlPath"] = "topics\\" + t.ID() + ".html";  // stored with a backslash, so projects move between systems
  o["parentId"] = t.ParentID();
  o["excludeWeb"] = t.ExcludeWeb();
  o["excludeChm"] = t.ExcludeChm();
  o["excludePdf"] = t.ExcludePdf();
  o["children"] = t.Children();
  o["keywords"] = t.Keywords();
  o["index"] = t.IndexEntries();
  return o;
}

std::string ReadTrimmedIfExists(const std::string& path, std::string& target) {
  if (FileExists(path)) target = Trim(ReadTextFileUtf8(path));
  return target;
}

}  // namespace

std::string ProjectJsonPath(const std::string& folder) { return PathJoin(folder, "project.json"); }
std::string TopicsJsonPath(const std::string& folder) { return PathJoin(PathJoin(folder, "meta"), "topics.json"); }

std::string TopicFilePath(const std::string& projectRoot, const std::string& id) {
  return IncludeTrailingDelimiter(projectRoot) + "topics/" + SafeFileName(id) + ".html";
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

  TJson topics = TJson::array();
  for (const auto& [id, topic] : project.Topics()) topics.push_back(TopicJsonObject(*topic));
  TJson root = TJson::object();
  root["rootTopicIds"] = project.RootTopicIDs();
  root["topics"] = std::move(topics);
  WriteTextFileUtf8(TopicsJsonPath(project.RootPath()), JsonWrite(root));
}

void LoadProject(const std::string& folder, TDocProject& project, std::vector<std::string>* warnings) {
  project.Clear();
  project.SetRootPath(folder);

  const std::string projectPath = ProjectJsonPath(folder);
  TJson doc;
  if (ReadStructureFile(projectPath, doc, warnings) && doc.is_object()) {
    project.SetTitle(JsonString(doc, "title", project.Title()));
    const std::string profile = JsonString(doc, "styleProfile", "default");
    project.SetStyleProfile(profile.empty() ? "default" : profile);
  }

  const std::string topicsPath = TopicsJsonPath(folder);
  if (!ReadStructureFile(topicsPath, doc, warnings)) return;
  if (!doc.is_object()) RaiseWrongKind(topicsPath, "the file", "an object", doc);
  AppendTexts(OptionalArray(doc, "rootTopicIds", topicsPath), project.RootTopicIDs());
  const TJson* topics = OptionalArray(doc, "topics", topicsPath);
  if (!topics) return;
  for (const TJson& item : *topics) {
    if (!item.is_object()) RaiseWrongKind(topicsPath, "each element of \"topics\"", "an object", item);
    const std::string id = JsonString(item, "id", "");
    if (id.empty()) continue;
    auto topic = std::make_unique<TTopic>();
    topic->SetID(id);
    topic->SetTitle(JsonString(item, "title", ""));
    topic->SetParentID(JsonString(item, "parentId", ""));
    topic->SetHtmlPath(TopicFilePath(folder, id));
    topic->SetExcludeWeb(JsonBool(item, "excludeWeb", false));
    topic->SetExcludeChm(JsonBool(item, "excludeChm", false));
    topic->SetExcludePdf(JsonBool(item, "excludePdf", false));
    AppendTexts(OptionalArray(item, "children", topicsPath), topic->Children());
    AppendTexts(OptionalArray(item, "keywords", topicsPath), topic->Keywords());
    AppendTexts(OptionalArray(item, "index", topicsPath), topic->IndexEntries());
    project.InsertLoadedTopic(std::move(topic));
  }
}

std::string ProjectFolderForFile(const std::string& fileName) {
  std::string base = FileNameWithoutExt(fileName);
  if (base.empty()) base = "Project";
  return PathJoin(ExtractFileDir(fileName), base);
}

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
  o["root"] = folder;
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
  if (info.folder.empty()) info.folder = sibling;
  if (!FileExists(ProjectJsonPath(info.folder)) && FileExists(ProjectJsonPath(sibling))) info.folder = sibling;
  return info;
}

void EnsureProjectFolders(const TDocProject& project) {
  const std::string& root = project.RootPath();
  EnsureDir(root);
  for (const char* sub : {"topics", "meta", "assets/images", "build", "styles", "internal/editor", "internal/webhelp"}) {
    EnsureDir(PathJoin(root, sub));
  }
}

void InstallAppFiles(const TDocProject& project) {
  const std::string appDir = ExecutableDir();
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
    EnsureDir(ExtractFileDir(projectProfile));
    CopyFileOverwrite(appProfile, projectProfile);
  }
}

void CopyProjectFolder(const std::string& source, const std::string& destination) {
  EnsureDir(destination);
  for (const std::string& rel : ListFilesRecursive(source)) {
    if (StartsWithText(rel, "build/") || SameTextAscii(ExtractFileExt(rel), ".fvp")) continue;
    // Plain concatenation: names on disk may hold characters PathJoin refuses.
    const std::string target = IncludeTrailingDelimiter(destination) + rel;
    EnsureDir(ExtractFileDir(target));
    CopyFileOverwrite(IncludeTrailingDelimiter(source) + rel, target);
  }
}

TPublishHeader ResolvePublishHeader(const std::string& projectRoot, const std::string& topicID) {
  TPublishHeader header{"", kDefaultBackground};
  const std::string defaultHtml = HeaderHtmlPath(projectRoot, "");
  if (FileExists(defaultHtml)) header.html = ReadTextFileUtf8(defaultHtml);
  ReadTrimmedIfExists(HeaderBgPath(projectRoot, ""), header.background);
  if (!topicID.empty()) {
    const std::string topicHtml = HeaderHtmlPath(projectRoot, topicID);
    if (FileExists(topicHtml)) header.html = ReadTextFileUtf8(topicHtml);
    ReadTrimmedIfExists(HeaderBgPath(projectRoot, topicID), header.background);
  }
  if (header.background.empty()) header.background = kDefaultBackground;
  return header;
}
