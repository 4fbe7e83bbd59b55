// What a writer asks before shipping variants: where each condition and variable is used,
// which are undefined, never used or never true, and what one profile shows that another
// does not.
#pragma once

#include <string>
#include <utility>
#include <vector>

#include "uBuildProfile.h"
#include "uDocModel.h"
#include "uReusableContent.h"

struct TConditionUsage {
  std::string Name;
  bool Defined = false;
  bool ProjectValue = false;                                // off when not defined
  std::vector<std::pair<std::string, bool>> ProfileValues;  // every profile's value, set or inherited
  std::vector<std::string> UsedIn;                          // topic titles and "snippet <name>", once each
  bool NeverTrue() const;  // off in the project and, when there are profiles, in each of them
};

struct TVariableUsage {
  std::string Name;
  bool Defined = false;
  std::string ProjectValue;
  std::vector<std::pair<std::string, std::string>> ProfileValues;  // only the profiles that set it
  std::vector<std::string> UsedIn;
};

struct TConditionReport {
  std::vector<TConditionUsage> Conditions;  // sorted by name, letter case ignored
  std::vector<TVariableUsage> Variables;
};

// store is the project's own (no build choices). Pages a symbolic link takes outside the
// project, and missing pages, count as empty.
TConditionReport BuildConditionReport(const TDocProject& project, const TReusableProjectContent& store,
                                      const std::vector<TBuildProfile>& profiles);
std::string ConditionReportText(const TConditionReport& report, bool hasProfiles);

// The differences of two profiles: topics one publishes and the other does not (per
// output), condition and variable values that differ with the topics they touch, and the
// outputs. "No differences." when there are none.
std::string ProfileDiffText(const TDocProject& project, const TReusableProjectContent& store, const TBuildProfile& a,
                            const TBuildProfile& b);
