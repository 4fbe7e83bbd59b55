#include "uBuildProfile.h"

#include <algorithm>
#include <filesystem>
#include <unordered_set>

#include "uContainment.h"
#include "uReusableContent.h"
#include "uTranslation.h"
#include "uUtils.h"

namespace {

constexpr size_t kMaxProfileNameLength = 64;
constexpr const char* kProfileExt = ".json";

[[noreturn]] void KindError(const std::string& file, const std::string& what, const std::string& expected,
                            const TJson& value) {
  throw EFolivaneError(FormatText(TranslateText("Cannot read the build profile %s: %s must be %s, not %s"),
                                  {file, what, expected, JsonKindName(value)}));
}

const TJson* Member(const TJson& doc, const char* key, bool (TJson::*isKind)() const, const char* expected,
                    const std::string& file) {
  const TJson* value = JsonFind(doc, key);
  if (value && !((*value).*isKind)()) KindError(file, "\"" + std::string(key) + "\"", expected, *value);
  return value;
}

void ReadConditions(const TJson& doc, const std::string& file, TBuildProfile& profile) {
  const TJson* conditions = Member(doc, "conditions", &TJson::is_object, "an object", file);
  if (!conditions) return;
  for (const auto& [name, value] : conditions->items()) {
    if (!value.is_boolean()) KindError(file, "the condition \"" + name + "\"", "true or false", value);
    if (!Trim(name).empty()) profile.Conditions.emplace_back(Trim(name), value.get<bool>());
  }
}

void ReadVariables(const TJson& doc, const std::string& file, TBuildProfile& profile) {
  const TJson* variables = Member(doc, "variables", &TJson::is_object, "an object", file);
  if (!variables) return;
  for (const auto& [name, value] : variables->items()) {
    if (!value.is_string()) KindError(file, "the variable \"" + name + "\"", "a string", value);
    if (!Trim(name).empty()) profile.Variables.emplace_back(Trim(name), value.get<std::string>());
  }
}

void ReadOutputs(const TJson& doc, const std::string& file, TBuildProfile& profile) {
  const TJson* outputs = Member(doc, "outputs", &TJson::is_array, "an array", file);
  if (!outputs) return;
  profile.Outputs.clear();
  for (const TJson& item : *outputs) {
    TOutputFormat format;
    if (!item.is_string() || !ParseOutputFormat(item.get<std::string>(), format)) {
      throw EFolivaneError(FormatText(TranslateText("Cannot read the build profile %s: \"%s\" is no output; the "
                                                    "outputs are webhelp, chm and pdf"),
                                      {file, JsonValueText(item)}));
    }
    if (!profile.Builds(format)) profile.Outputs.push_back(format);
  }
}

void ReadKeywords(const TJson& doc, const std::string& file, TBuildProfile& profile) {
  const TJson* keywords = Member(doc, "leaveOutKeywords", &TJson::is_array, "an array", file);
  if (!keywords) return;
  for (const TJson& item : *keywords) {
    if (!item.is_string()) KindError(file, "each of \"leaveOutKeywords\"", "a string", item);
    if (!Trim(item.get<std::string>()).empty()) profile.LeaveOutKeywords.push_back(Trim(item.get<std::string>()));
  }
}

void ReadPdf(const TJson& doc, const std::string& file, TBuildProfile& profile) {
  const TJson* pdf = Member(doc, "pdf", &TJson::is_object, "an object", file);
  if (!pdf) return;
  for (const auto& [key, value] : pdf->items()) {
    // Only the PDF's own settings: a profile cannot restyle the project through this door.
    if (!StartsWith(key, "Pdf")) {
      throw EFolivaneError(FormatText(
          TranslateText("Cannot read the build profile %s: \"%s\" is no PDF setting (their names start with Pdf)"),
          {file, key}));
    }
    profile.Pdf[key] = value;
  }
}

bool HasKeyword(const TTopic& topic, const std::vector<std::string>& keywords) {
  return std::any_of(topic.Keywords().begin(), topic.Keywords().end(), [&keywords](const std::string& k) {
    return std::any_of(keywords.begin(), keywords.end(),
                       [&k](const std::string& leftOut) { return SameTextAscii(Trim(k), leftOut); });
  });
}

// The profile's file, refused when the profiles folder or the file's folder is a link that
// takes it outside the project: a received project decides what lies where.
std::string CheckedProfilePath(const TDocProject& project, const std::string& name) {
  const std::string folder = ProfilesFolder(project);
  CheckOutputFolder(project.RootPath(), folder);
  return CheckedOutputPath(folder, ProfileFilePath(project, name));
}

std::string JoinNames(const std::vector<std::string>& names) {
  std::string out;
  for (const std::string& n : names) out += (out.empty() ? "" : ", ") + n;
  return out;
}

}  // namespace

const char* OutputFormatName(TOutputFormat format) {
  switch (format) {
    case TOutputFormat::WebHelp: return "webhelp";
    case TOutputFormat::Chm: return "chm";
    case TOutputFormat::Pdf: return "pdf";
  }
  return "";
}

std::string OutputFormatCaption(TOutputFormat format) {
  switch (format) {
    case TOutputFormat::WebHelp: return "WebHelp";
    case TOutputFormat::Chm: return "CHM";
    case TOutputFormat::Pdf: return "PDF";
  }
  return "";
}

bool ParseOutputFormat(const std::string& name, TOutputFormat& format) {
  for (const TOutputFormat f : kAllOutputFormats) {
    if (SameTextAscii(name, OutputFormatName(f))) {
      format = f;
      return true;
    }
  }
  return false;
}

bool TBuildProfile::Builds(TOutputFormat format) const {
  return std::find(Outputs.begin(), Outputs.end(), format) != Outputs.end();
}

bool TBuildProfile::operator==(const TBuildProfile& other) const {
  return Name == other.Name && Conditions == other.Conditions && Variables == other.Variables &&
         Outputs == other.Outputs && LeaveOutKeywords == other.LeaveOutKeywords && Pdf == other.Pdf;
}

std::string ProfileNameProblem(const std::string& name) {
  if (Trim(name).empty()) return TranslateText("A build profile needs a name.");
  if (name.size() > kMaxProfileNameLength) return TranslateText("A build profile's name has at most 64 characters.");
  const bool badChar = std::any_of(name.begin(), name.end(), [](char c) {
    return static_cast<unsigned char>(c) < 0x20 || std::string_view("/\\:*?\"<>|").find(c) != std::string_view::npos;
  });
  if (badChar) return TranslateText("A build profile's name cannot hold / \\ : * ? \" < > | or control characters.");
  if (name.front() == '.' || name.front() == ' ' || name.back() == '.' || name.back() == ' ') {
    return TranslateText("A build profile's name cannot start with a dot or a space, nor end with one.");
  }
  return "";
}

bool IsValidProfileName(const std::string& name) { return ProfileNameProblem(name).empty(); }

std::string ProfilesFolder(const TDocProject& project) { return PathJoin(project.RootPath(), "profiles"); }

std::string ProfileFilePath(const TDocProject& project, const std::string& name) {
  return PathJoin(ProfilesFolder(project), name + kProfileExt);
}

std::string ProfileToJsonText(const TBuildProfile& profile) {
  TJson doc = TJson::object();
  doc["conditions"] = TJson::object();
  for (const auto& [name, enabled] : profile.Conditions) doc["conditions"][name] = enabled;
  doc["variables"] = TJson::object();
  for (const auto& [name, value] : profile.Variables) doc["variables"][name] = value;
  doc["outputs"] = TJson::array();
  for (const TOutputFormat format : profile.Outputs) doc["outputs"].push_back(OutputFormatName(format));
  doc["leaveOutKeywords"] = profile.LeaveOutKeywords;
  doc["pdf"] = profile.Pdf;
  // Pretty-printed, one choice a line: a change in review or in a merge is one line.
  return doc.dump(2, ' ', true) + "\n";
}

TBuildProfile ProfileFromJsonText(const std::string& name, std::string_view text, const std::string& fileForErrors) {
  TJson doc;
  std::string error;
  if (!TryParseJson(text, doc, &error)) {
    throw EFolivaneError(FormatText(TranslateText("Cannot read the build profile %s: %s"), {fileForErrors, error}));
  }
  if (!doc.is_object()) KindError(fileForErrors, TranslateText("the file"), "an object", doc);
  TBuildProfile profile;
  profile.Name = name;
  ReadConditions(doc, fileForErrors, profile);
  ReadVariables(doc, fileForErrors, profile);
  ReadOutputs(doc, fileForErrors, profile);
  ReadKeywords(doc, fileForErrors, profile);
  ReadPdf(doc, fileForErrors, profile);
  return profile;
}

std::vector<std::string> ListProfileNames(const TDocProject& project, std::vector<std::string>* warnings) {
  std::vector<std::string> names;
  const std::string folder = ProfilesFolder(project);
  if (!DirExists(folder)) return names;
  const TFolderBoundary boundary(project.RootPath());
  for (const std::string& path : ListFiles(folder)) {
    const std::string file = ExtractFileName(path);
    if (!EndsWith(file, kProfileExt) || IsAtomicWriteTempName(file)) continue;
    const std::string name = file.substr(0, file.size() - std::string_view(kProfileExt).size());
    std::string problem = ProfileNameProblem(name);
    if (problem.empty() && !boundary.Holds(path)) problem = TranslateText("it leads outside the project");
    if (!problem.empty()) {
      if (warnings) warnings->push_back(FormatText(TranslateText("Build profile %s skipped: %s"), {path, problem}));
      continue;
    }
    names.push_back(name);
  }
  std::sort(names.begin(), names.end());
  return names;
}

TBuildProfile LoadProfile(const TDocProject& project, const std::string& name) {
  const std::vector<std::string> names = ListProfileNames(project);
  if (std::find(names.begin(), names.end(), name) == names.end()) {
    const std::string known = names.empty() ? TranslateText("the project has none") : JoinNames(names);
    throw EFolivaneError(FormatText(TranslateText("No build profile named \"%s\" (profiles: %s)"), {name, known}));
  }
  const std::string path = ProfileFilePath(project, name);
  return ProfileFromJsonText(name, ReadTextFileUtf8(path), path);
}

std::vector<TBuildProfile> LoadProfiles(const TDocProject& project, std::vector<std::string>* warnings) {
  std::vector<TBuildProfile> profiles;
  for (const std::string& name : ListProfileNames(project, warnings)) {
    const std::string path = ProfileFilePath(project, name);
    profiles.push_back(ProfileFromJsonText(name, ReadTextFileUtf8(path), path));
  }
  return profiles;
}

void SaveProfile(const TDocProject& project, const TBuildProfile& profile) {
  const std::string problem = ProfileNameProblem(profile.Name);
  if (!problem.empty()) throw EFolivaneError(problem);
  EnsureDir(ProfilesFolder(project));
  WriteFileAtomic(CheckedProfilePath(project, profile.Name), ProfileToJsonText(profile));
}

void DeleteProfile(const TDocProject& project, const std::string& name) {
  if (!IsValidProfileName(name)) return;
  DeleteFileIfExists(CheckedProfilePath(project, name));
}

void RenameProfile(const TDocProject& project, const std::string& oldName, const std::string& newName) {
  const std::string problem = ProfileNameProblem(newName);
  if (!problem.empty()) throw EFolivaneError(problem);
  if (oldName == newName) return;
  const std::vector<std::string> names = ListProfileNames(project);
  const bool taken =
      std::any_of(names.begin(), names.end(), [&newName](const std::string& n) { return SameTextAscii(n, newName); });
  // A name differing only in letter case is the same file on some systems and the same
  // build folder for a writer: refused as well, unless it is this profile's own.
  if (taken && !SameTextAscii(oldName, newName)) {
    throw EFolivaneError(FormatText(TranslateText("A build profile named \"%s\" exists already."), {newName}));
  }
  TBuildProfile profile = LoadProfile(project, oldName);
  profile.Name = newName;
  if (SameTextAscii(oldName, newName)) {
    // Only the letter case changes: on a system that ignores case both names are one file.
    std::filesystem::rename(CheckedProfilePath(project, oldName), CheckedProfilePath(project, newName));
    return;
  }
  SaveProfile(project, profile);
  DeleteFileIfExists(CheckedProfilePath(project, oldName));
}

TBuildChoices ProfileChoices(const TBuildProfile* profile) {
  if (!profile) return {};
  return {profile->Name, profile->Conditions, profile->Variables};
}

std::unordered_set<std::string> LeftOutTopics(const TDocProject& project, const TBuildProfile* profile) {
  TReusableProjectContent store;
  store.LoadFromProject(project);
  store.ApplyBuildChoices(ProfileChoices(profile));
  const std::vector<std::string> noKeywords;
  const std::vector<std::string>& keywords = profile ? profile->LeaveOutKeywords : noKeywords;
  std::unordered_set<std::string> leftOut;
  for (const TTopic* topic : project.EveryTopicTreeFirst()) {
    if (leftOut.count(topic->ID())) continue;
    // A condition nothing defines is off, as it is for text.
    const bool conditionOff = !topic->Condition().empty() && !store.ConditionEnabled(topic->Condition(), false);
    if (!conditionOff && !HasKeyword(*topic, keywords)) continue;
    for (const std::string& id : project.SubtreeIDs(topic->ID())) leftOut.insert(id);
  }
  return leftOut;
}

std::unordered_set<std::string> TopicsPublishedTo(const TDocProject& project, TOutputFormat format) {
  std::unordered_set<std::string> published;
  const auto excluded = [format](const TTopic& t) {
    return format == TOutputFormat::WebHelp ? t.ExcludeWeb()
           : format == TOutputFormat::Chm   ? t.ExcludeChm()
                                            : t.ExcludePdf();
  };
  if (format == TOutputFormat::Pdf) {
    project.WalkTopics([&](const TTopic& t, int) {
      if (excluded(t)) return TWalkAction::SkipChildren;
      published.insert(t.ID());
      return TWalkAction::Descend;
    });
    return published;
  }
  for (const TTopic* t : project.EveryTopicTreeFirst()) {
    if (!excluded(*t)) published.insert(t->ID());
  }
  return published;
}

void ApplyBuildProfile(TDocProject& project, const TBuildProfile* profile) {
  const std::unordered_set<std::string> leftOut = LeftOutTopics(project, profile);
  project.SetBuildChoices(ProfileChoices(profile));
  for (const std::string& id : leftOut) {
    TTopic& topic = project.GetTopic(id);
    topic.SetExcludeWeb(true);
    topic.SetExcludeChm(true);
    topic.SetExcludePdf(true);
  }
}

TProjectSettings ProfileSettings(const TProjectSettings& settings, const TBuildProfile* profile) {
  TProjectSettings chosen = settings;
  if (profile && !profile->Pdf.empty()) chosen.FromJson(profile->Pdf);
  return chosen;
}
