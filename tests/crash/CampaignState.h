// The project a kill campaign edits, as a pure function of a seed and a step number:
// every step's titles, texts, tree, headers, settings and reusable content, and the
// project files that hold them. Both the worker (which saves them) and the checker
// (which judges what a kill left behind) derive them from here.
#pragma once

#include <cstdint>
#include <map>
#include <string>
#include <vector>

#include "uDocModel.h"
#include "uProjectSettings.h"
#include "uReusableContent.h"

struct TCampaignTopic {
  std::string id;
  std::string title;
  std::string parentId;
  std::vector<std::string> children;
  std::vector<std::string> keywords;
  bool excludeWeb = false;
  bool excludeChm = false;
  bool excludePdf = false;
  std::string html;
  bool hasHeader = false;  // its own header files in meta/
  std::string headerHtml;
  std::string headerBg;
};

struct TCampaignState {
  int step = 0;
  std::string title;
  std::vector<std::string> roots;
  std::vector<TCampaignTopic> topics;  // in the order of the ids given
  std::string defaultHeaderHtml;
  std::string defaultHeaderBg;
  TProjectSettings settings;
  TReusableProjectContent reusable;
};

// The state after step (step 0 is the starting point). ids name the campaign's topics.
TCampaignState CampaignStateAt(std::uint64_t seed, int step, const std::vector<std::string>& ids);

// Fills project (cleared, RootPath kept) with the state's topics and tree.
void BuildCampaignModel(const TCampaignState& state, TDocProject& project);

// A project file's expected content. JSON files are compared by value (and BOM), the
// others byte for byte.
struct TExpectedFile {
  bool json = false;
  bool bom = false;
  std::string text;
};
using TExpectedFiles = std::map<std::string, TExpectedFile>;  // full path -> content

// Every project file the state determines: the .fvp, project.json, meta/topics.json,
// meta/project_settings.json, meta/reusable_content.json, topics/*.html and the header files.
TExpectedFiles ExpectedProjectFiles(const TCampaignState& state, const std::string& fvpPath);

// Whether bytes hold the expected content; why not in reason.
bool MatchesExpected(const TExpectedFile& expected, const std::string& bytes, std::string* reason = nullptr);
// Whether bytes parse as JSON (after an optional byte-order mark).
bool ParsesAsJson(const std::string& bytes);
