// Build profiles: named variants of one project (the Lite and the Pro edition, the user and
// the administrator guide), each a small file profiles/<name>.json that sets conditions and
// variables, chooses the outputs and leaves out topics.
#pragma once

#include <string>
#include <unordered_set>
#include <utility>
#include <vector>

#include "uDocModel.h"
#include "uJson.h"
#include "uProjectSettings.h"

enum class TOutputFormat { WebHelp, Chm, Pdf };

// "webhelp", "chm", "pdf": the names in profile files, on the command line and under build/.
const char* OutputFormatName(TOutputFormat format);
// The caption of an output in messages: "WebHelp", "CHM", "PDF".
std::string OutputFormatCaption(TOutputFormat format);
// False for any other name.
bool ParseOutputFormat(const std::string& name, TOutputFormat& format);
constexpr TOutputFormat kAllOutputFormats[] = {TOutputFormat::WebHelp, TOutputFormat::Chm, TOutputFormat::Pdf};

struct TBuildProfile {
  std::string Name;
  std::vector<std::pair<std::string, bool>> Conditions;
  std::vector<std::pair<std::string, std::string>> Variables;
  std::vector<TOutputFormat> Outputs = {TOutputFormat::WebHelp, TOutputFormat::Chm, TOutputFormat::Pdf};
  // Topics with one of these keywords are left out, with their subtopics.
  std::vector<std::string> LeaveOutKeywords;
  // Settings keys of the PDF ("PdfSubtitle": "Pro edition") set over the project's.
  TJson Pdf = TJson::object();

  bool Builds(TOutputFormat format) const;
  bool operator==(const TBuildProfile& other) const;
};

// A profile's name is its file name and its folder under build/: 1 to 64 characters, no
// path or control characters, not starting with "." and not ending with a space or ".".
bool IsValidProfileName(const std::string& name);
// The reason a name is refused, for the writer; "" for a valid name.
std::string ProfileNameProblem(const std::string& name);

// profiles/ in the project folder.
std::string ProfilesFolder(const TDocProject& project);
std::string ProfileFilePath(const TDocProject& project, const std::string& name);

// The file's text: pretty-printed JSON, keys in a fixed order, pure ASCII.
std::string ProfileToJsonText(const TBuildProfile& profile);
// Reads a profile's file text; raises EFolivaneError naming fileForErrors and the key
// for text that is not JSON or a value of the wrong kind.
TBuildProfile ProfileFromJsonText(const std::string& name, std::string_view text, const std::string& fileForErrors);

// The names of the project's profiles, sorted. Files whose name is no valid profile name,
// and files a symbolic link takes outside the project, are skipped with a line in warnings.
std::vector<std::string> ListProfileNames(const TDocProject& project, std::vector<std::string>* warnings = nullptr);
// Reads one profile; raises EFolivaneError for a name the project has no profile of
// (listing those it has) and for a damaged file.
TBuildProfile LoadProfile(const TDocProject& project, const std::string& name);
// Every profile, sorted by name (warnings as for ListProfileNames).
std::vector<TBuildProfile> LoadProfiles(const TDocProject& project, std::vector<std::string>* warnings = nullptr);
// Writes the profile's file atomically; raises for an invalid name.
void SaveProfile(const TDocProject& project, const TBuildProfile& profile);
void DeleteProfile(const TDocProject& project, const std::string& name);
// Raises when newName is invalid or taken; the file keeps its content.
void RenameProfile(const TDocProject& project, const std::string& oldName, const std::string& newName);

// The choices a build of profile sets on the project (none for nullptr).
TBuildChoices ProfileChoices(const TBuildProfile* profile);
// The topics a build of profile leaves out (nullptr: the project as it is): those whose own
// condition is off or that carry one of the profile's keywords, each with its subtopics.
// The project must carry no build choices yet.
std::unordered_set<std::string> LeftOutTopics(const TDocProject& project, const TBuildProfile* profile);

// The topics whose page an output publishes, by the exclusion flags: WebHelp and CHM
// publish every page not excluded itself (a page below an excluded topic is left out of
// the contents only), the PDF leaves out an excluded topic's whole subtree.
std::unordered_set<std::string> TopicsPublishedTo(const TDocProject& project, TOutputFormat format);

// Prepares a project opened for publishing: the profile's choices (none for the project as
// it is), then every topic left out by its own condition or by the profile's keywords gets
// all three exclusion flags, with its subtopics. The project must not be saved afterwards.
void ApplyBuildProfile(TDocProject& project, const TBuildProfile* profile);
// The project's settings with the profile's PDF keys over them.
TProjectSettings ProfileSettings(const TProjectSettings& settings, const TBuildProfile* profile);
