#include "uConditionReport.h"

#include <algorithm>
#include <map>
#include <set>

#include "uContainment.h"
#include "uUtils.h"

namespace {

// Names compare as the expansion looks them up: ASCII letters folded.
struct TNameLess {
  bool operator()(const std::string& a, const std::string& b) const { return AsciiLower(a) < AsciiLower(b); }
};

struct TUses {
  std::map<std::string, std::vector<std::string>, TNameLess> conditions;
  std::map<std::string, std::vector<std::string>, TNameLess> variables;
};

void AddUse(std::vector<std::string>& where, const std::string& place) {
  if (std::find(where.begin(), where.end(), place) == where.end()) where.push_back(place);
}

void CollectTokens(const std::string& html, const std::string& place, TUses& uses) {
  for (const TReusableToken& t : FindReusableTokens(html)) {
    if (t.kind == TReusableTokenKind::BeginCondition) AddUse(uses.conditions[t.name], place);
    if (t.kind == TReusableTokenKind::Variable) AddUse(uses.variables[t.name], place);
  }
}

std::string PageText(const TTopic& topic, const TFolderBoundary& inside) {
  if (!FileExists(topic.HtmlPath()) || !inside.Holds(topic.HtmlPath())) return "";
  return ReadTextFileUtf8(topic.HtmlPath());
}

TUses CollectUses(const TDocProject& project, const TReusableProjectContent& store) {
  TUses uses;
  const TFolderBoundary inside(project.RootPath());
  for (const TTopic* topic : project.EveryTopicTreeFirst()) {
    if (!topic->Condition().empty()) AddUse(uses.conditions[topic->Condition()], topic->Title());
    CollectTokens(PageText(*topic, inside), topic->Title(), uses);
  }
  for (const TReusableSnippet& s : store.Snippets()) CollectTokens(s.Html, "snippet " + s.Name, uses);
  for (const TReusableCondition& c : store.Conditions()) uses.conditions[c.Name];
  for (const TReusableVariable& v : store.Variables()) uses.variables[v.Name];
  return uses;
}

const std::string* ProfileVariable(const TBuildProfile& profile, const std::string& name) {
  for (const auto& [n, value] : profile.Variables) {
    if (SameTextAscii(n, name)) return &value;
  }
  return nullptr;
}

std::string Places(const std::vector<std::string>& where) {
  if (where.empty()) return "never used";
  std::string text = "used in ";
  for (size_t i = 0; i < where.size(); ++i) text += (i ? ", " : "") + where[i];
  return text;
}

// The topics a profile publishes to one output.
std::set<std::string> PublishedTopics(const TDocProject& project, const TBuildProfile& profile, TOutputFormat format) {
  if (!profile.Builds(format)) return {};
  const std::unordered_set<std::string> leftOut = LeftOutTopics(project, &profile);
  std::set<std::string> published;
  for (const std::string& id : TopicsPublishedTo(project, format)) {
    if (!leftOut.count(id)) published.insert(id);
  }
  return published;
}

void DiffTopics(const TDocProject& project, const TBuildProfile& a, const TBuildProfile& b, std::string& out) {
  // Topic -> the outputs that publish it in one profile only.
  std::map<std::string, std::set<std::string>> inA, inB;
  for (const TOutputFormat format : kAllOutputFormats) {
    // An output only one of them builds is told apart, not topic by topic.
    if (!a.Builds(format) || !b.Builds(format)) continue;
    const std::set<std::string> pa = PublishedTopics(project, a, format);
    const std::set<std::string> pb = PublishedTopics(project, b, format);
    for (const std::string& id : pa) {
      if (!pb.count(id)) inA[id].insert(OutputFormatName(format));
    }
    for (const std::string& id : pb) {
      if (!pa.count(id)) inB[id].insert(OutputFormatName(format));
    }
  }
  const auto list = [&](const TBuildProfile& shows, const TBuildProfile& hides,
                        std::map<std::string, std::set<std::string>>& only) {
    if (only.empty()) return;
    out += "Topics " + shows.Name + " publishes and " + hides.Name + " does not:\n";
    for (const TTopic* t : project.EveryTopicTreeFirst()) {
      const auto it = only.find(t->ID());
      if (it == only.end()) continue;
      std::string formats;
      for (const TOutputFormat f : kAllOutputFormats) {
        if (it->second.count(OutputFormatName(f)))
          formats += (formats.empty() ? "" : ", ") + std::string(OutputFormatName(f));
      }
      out += "  " + t->Title() + " (" + formats + ")\n";
    }
  };
  list(a, b, inA);
  list(b, a, inB);
}

}  // namespace

bool TConditionUsage::NeverTrue() const {
  if (ProfileValues.empty()) return !ProjectValue;
  return std::none_of(ProfileValues.begin(), ProfileValues.end(), [](const auto& p) { return p.second; });
}

TConditionReport BuildConditionReport(const TDocProject& project, const TReusableProjectContent& store,
                                      const std::vector<TBuildProfile>& profiles) {
  const TUses uses = CollectUses(project, store);
  TConditionReport report;
  for (const auto& [name, where] : uses.conditions) {
    TConditionUsage row{name, IsConditionDefined(store, name), store.ConditionEnabled(name, false), {}, where};
    for (const TBuildProfile& profile : profiles) {
      TReusableProjectContent chosen = store;
      chosen.ApplyBuildChoices(ProfileChoices(&profile));
      row.ProfileValues.emplace_back(profile.Name, chosen.ConditionEnabled(name, false));
    }
    report.Conditions.push_back(std::move(row));
  }
  for (const auto& [name, where] : uses.variables) {
    const auto& all = store.Variables();
    const bool defined = std::any_of(
        all.begin(), all.end(), [&name = name](const TReusableVariable& v) { return SameTextAscii(v.Name, name); });
    TVariableUsage row{name, defined, store.VariableValue(name, ""), {}, where};
    for (const TBuildProfile& profile : profiles) {
      if (const std::string* value = ProfileVariable(profile, name))
        row.ProfileValues.emplace_back(profile.Name, *value);
    }
    report.Variables.push_back(std::move(row));
  }
  return report;
}

std::string ConditionReportText(const TConditionReport& report, bool hasProfiles) {
  std::string out = "Conditions:\n";
  if (report.Conditions.empty()) out += "  none\n";
  for (const TConditionUsage& c : report.Conditions) {
    out += "  " + c.Name + ": ";
    out += c.Defined ? (c.ProjectValue ? "on in the project" : "off in the project") : "NOT DEFINED";
    for (const auto& [profile, value] : c.ProfileValues) out += "; " + profile + (value ? " on" : " off");
    if (c.NeverTrue()) out += hasProfiles ? "; NEVER TRUE in any profile" : "; NEVER TRUE";
    out += "; " + Places(c.UsedIn) + "\n";
  }
  out += "Variables:\n";
  if (report.Variables.empty()) out += "  none\n";
  for (const TVariableUsage& v : report.Variables) {
    out += "  " + v.Name + ": " + (v.Defined ? "\"" + v.ProjectValue + "\" in the project" : "NOT DEFINED");
    for (const auto& [profile, value] : v.ProfileValues) out += "; \"" + value + "\" in " + profile;
    out += "; " + Places(v.UsedIn) + "\n";
  }
  return out;
}

std::string ProfileDiffText(const TDocProject& project, const TReusableProjectContent& store, const TBuildProfile& a,
                            const TBuildProfile& b) {
  std::string out;
  DiffTopics(project, a, b, out);
  const TConditionReport report = BuildConditionReport(project, store, {a, b});
  for (const TConditionUsage& c : report.Conditions) {
    const bool va = c.ProfileValues[0].second, vb = c.ProfileValues[1].second;
    if (va == vb) continue;
    out += "Condition " + c.Name + ": " + (va ? "on" : "off") + " in " + a.Name + ", " + (vb ? "on" : "off") + " in " +
           b.Name + "; " + Places(c.UsedIn) + "\n";
  }
  for (const TVariableUsage& v : report.Variables) {
    const std::string* pa = ProfileVariable(a, v.Name);
    const std::string* pb = ProfileVariable(b, v.Name);
    const std::string va = pa ? *pa : v.ProjectValue, vb = pb ? *pb : v.ProjectValue;
    if (va == vb) continue;
    out += "Variable " + v.Name + ": \"" + va + "\" in " + a.Name + ", \"" + vb + "\" in " + b.Name + "; " +
           Places(v.UsedIn) + "\n";
  }
  if (a.Outputs != b.Outputs) {
    const auto names = [](const TBuildProfile& p) {
      std::string s;
      for (const TOutputFormat f : p.Outputs) s += (s.empty() ? "" : ", ") + std::string(OutputFormatName(f));
      return s.empty() ? std::string("none") : s;
    };
    out += "Outputs: " + names(a) + " in " + a.Name + ", " + names(b) + " in " + b.Name + "\n";
  }
  return out.empty() ? "No differences.\n" : out;
}
