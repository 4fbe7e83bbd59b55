#include "uHelpContext.h"

#include <set>
#include <unordered_map>
#include <unordered_set>

#include "uChmNames.h"
#include "uJson.h"
#include "uTranslation.h"
#include "uUtils.h"

namespace {

constexpr size_t kMaxAliasLength = 128;

std::string PageOf(const std::string& topicId) { return "topics/" + topicId + ".html"; }

// A CSV field as spreadsheets read it: quoted when it holds a separator, quote or line break.
std::string CsvField(const std::string& text) {
  if (text.find_first_of(",\"\r\n") == std::string::npos) return text;
  return "\"" + ReplaceAll(text, "\"", "\"\"") + "\"";
}

std::string JsonMap(const std::vector<THelpContextEntry>& entries) {
  TJson topics = TJson::array();
  for (const THelpContextEntry& e : entries) {
    TJson entry = TJson::object();
    entry["helpId"] = e.helpId != 0 ? TJson(e.helpId) : TJson(nullptr);
    entry["alias"] = e.alias.empty() ? TJson(nullptr) : TJson(e.alias);
    entry["topicId"] = e.topicId;
    entry["title"] = e.title;
    entry["page"] = e.page;
    topics.push_back(std::move(entry));
  }
  TJson root = TJson::object();
  root["topics"] = std::move(topics);
  return JsonWrite(root) + "\n";
}

// The HTML Help compiler reads this file too: one comment line first, then plain #define
// lines (it drops a #define that has a comment after it).
std::string CHeaderMap(const std::vector<THelpContextEntry>& entries) {
  std::string text = "/* Help context IDs, written by Folivane. */\n";
  const std::vector<std::string> symbols = HelpMapSymbols(entries);
  for (size_t i = 0; i < entries.size(); ++i) {
    if (entries[i].helpId != 0) text += "#define " + symbols[i] + " " + std::to_string(entries[i].helpId) + "\n";
  }
  return text;
}

std::string CsvMap(const std::vector<THelpContextEntry>& entries) {
  std::string text = "helpId,alias,topicId,title,page\r\n";
  for (const THelpContextEntry& e : entries) {
    text += (e.helpId != 0 ? std::to_string(e.helpId) : std::string()) + "," + CsvField(e.alias) + "," + e.topicId +
            "," + CsvField(e.title) + "," + e.page + "\r\n";
  }
  return text;
}

const TTopic* TopicWithHelpId(const TDocProject& project, const std::string& except, int id) {
  for (const auto& [topicId, topic] : project.Topics()) {
    if (topicId != except && topic->HelpId() == id) return topic.get();
  }
  return nullptr;
}

// Aliases are told apart without regard to case: the HTML Help compiler and readers
// typing a URL do not keep "IDH_Print" and "IDH_PRINT" apart.
const TTopic* TopicWithHelpAlias(const TDocProject& project, const std::string& except, const std::string& alias) {
  for (const auto& [topicId, topic] : project.Topics()) {
    if (topicId != except && SameTextAscii(topic->HelpAlias(), alias)) return topic.get();
  }
  return nullptr;
}

std::string Unique(const std::string& base, const std::unordered_set<std::string>& takenUpper) {
  if (!takenUpper.count(AsciiUpper(base))) return base;
  for (int n = 2;; ++n) {
    const std::string candidate = base + "_" + std::to_string(n);
    if (!takenUpper.count(AsciiUpper(candidate))) return candidate;
  }
}

std::string ContextLabel(const TTopic& topic) {
  if (topic.HelpId() != 0 && !topic.HelpAlias().empty()) {
    return std::to_string(topic.HelpId()) + " (" + topic.HelpAlias() + ")";
  }
  return topic.HelpId() != 0 ? std::to_string(topic.HelpId()) : topic.HelpAlias();
}

}  // namespace

std::vector<THelpContextEntry> HelpContextEntries(const TDocProject& project,
                                                  const std::function<bool(const TTopic&)>& leftOut) {
  std::vector<THelpContextEntry> entries;
  for (const TTopic* topic : project.EveryTopicTreeFirst()) {
    if (topic->HelpId() == 0 && topic->HelpAlias().empty()) continue;
    if (leftOut && leftOut(*topic)) continue;
    entries.push_back({topic->HelpId(), topic->HelpAlias(), topic->ID(), topic->Title(), PageOf(topic->ID())});
  }
  return entries;
}

bool ParseHelpMapFormat(const std::string& name, THelpMapFormat& format) {
  if (name == "json") format = THelpMapFormat::Json;
  else if (name == "c") format = THelpMapFormat::C;
  else if (name == "csv") format = THelpMapFormat::Csv;
  else return false;
  return true;
}

std::string HelpMapText(const std::vector<THelpContextEntry>& entries, THelpMapFormat format) {
  switch (format) {
    case THelpMapFormat::Json: return JsonMap(entries);
    case THelpMapFormat::C: return CHeaderMap(entries);
    case THelpMapFormat::Csv: return CsvMap(entries);
  }
  return std::string();
}

std::vector<std::string> HelpMapSymbols(const std::vector<THelpContextEntry>& entries) {
  std::unordered_set<std::string> taken;
  for (const THelpContextEntry& e : entries) {
    if (!e.alias.empty()) taken.insert(AsciiUpper(e.alias));
  }
  std::vector<std::string> symbols;
  for (const THelpContextEntry& e : entries) {
    if (!e.alias.empty() || e.helpId == 0) {
      symbols.push_back(e.alias);
      continue;
    }
    symbols.push_back(Unique("IDH_" + std::to_string(e.helpId), taken));
    taken.insert(AsciiUpper(symbols.back()));
  }
  return symbols;
}

std::string HelpIdFormRefusal(const std::string& text) {
  int id = 0;
  if (Trim(text).empty() || ParseHelpId(text, id)) return std::string();
  return FormatText(TranslateText("The help ID must be a whole number from 1 to %s."), {std::to_string(kMaxHelpId)});
}

std::string HelpAliasFormRefusal(const std::string& alias) {
  if (alias.empty() || IsValidHelpAlias(alias)) return std::string();
  return TranslateText("The help alias must start with a letter and hold only letters, digits and _.");
}

std::string HelpIdRefusal(const TDocProject& project, const std::string& topicId, const std::string& text, int& id) {
  if (Trim(text).empty()) {
    id = 0;
    return std::string();
  }
  const std::string form = HelpIdFormRefusal(text);
  if (!form.empty()) return form;
  ParseHelpId(text, id);
  if (const TTopic* other = TopicWithHelpId(project, topicId, id)) {
    return FormatText(TranslateText("The help ID %s is already used by the topic \"%s\"."),
                      {std::to_string(id), other->Title()});
  }
  return std::string();
}

std::string HelpAliasRefusal(const TDocProject& project, const std::string& topicId, const std::string& alias) {
  if (alias.empty()) return std::string();
  const std::string form = HelpAliasFormRefusal(alias);
  if (!form.empty()) return form;
  if (const TTopic* other = TopicWithHelpAlias(project, topicId, alias)) {
    return FormatText(TranslateText("The help alias %s is already used by the topic \"%s\"."), {alias, other->Title()});
  }
  return std::string();
}

std::string HelpAliasFromTitle(const std::string& title) {
  std::string alias = "IDH";
  bool gap = true;
  for (const char c : AsciiUpper(AsciiTransliteration(title))) {
    const bool word = (c >= 'A' && c <= 'Z') || (c >= '0' && c <= '9');
    if (!word) {
      gap = true;
      continue;
    }
    if (gap) alias += '_';
    alias += c;
    gap = false;
  }
  if (alias == "IDH") alias = "IDH_TOPIC";
  if (alias.size() > kMaxAliasLength - 8) alias.resize(kMaxAliasLength - 8);  // room for a "_<n>" suffix
  return alias;
}

THelpNumberingResult NumberHelpContexts(TDocProject& project, const THelpNumbering& numbering) {
  if (numbering.start < 1 || numbering.step < 1) {
    throw EFolivaneError(TranslateText("The first help ID and the step must be whole numbers of at least 1."));
  }
  std::set<long long> usedIds;
  std::unordered_set<std::string> usedAliases;
  for (const auto& [id, topic] : project.Topics()) {
    if (topic->HelpId() != 0) usedIds.insert(topic->HelpId());
    if (!topic->HelpAlias().empty()) usedAliases.insert(AsciiUpper(topic->HelpAlias()));
  }
  // Planned whole first: a run that cannot finish changes nothing.
  std::vector<std::pair<TTopic*, int>> ids;
  std::vector<std::pair<TTopic*, std::string>> aliases;
  long long next = numbering.start;
  for (const TTopic* listed : project.EveryTopicTreeFirst()) {
    TTopic& topic = project.GetTopic(listed->ID());
    if (topic.ExcludeWeb() && topic.ExcludeChm()) continue;  // no output would open it by either
    if (topic.HelpId() == 0) {
      while (usedIds.count(next)) next += numbering.step;
      if (next > kMaxHelpId) {
        throw EFolivaneError(
            FormatText(TranslateText("The help IDs would run past %s; choose a smaller start or step."),
                       {std::to_string(kMaxHelpId)}));
      }
      ids.emplace_back(&topic, static_cast<int>(next));
      usedIds.insert(next);
      next += numbering.step;
    }
    if (numbering.deriveAliases && topic.HelpAlias().empty()) {
      aliases.emplace_back(&topic, Unique(HelpAliasFromTitle(topic.Title()), usedAliases));
      usedAliases.insert(AsciiUpper(aliases.back().second));
    }
  }
  for (auto& [topic, id] : ids) topic->SetHelpId(id);
  for (auto& [topic, alias] : aliases) topic->SetHelpAlias(alias);
  return {static_cast<int>(ids.size()), static_cast<int>(aliases.size())};
}

std::vector<THelpContextIssue> HelpContextIssues(const TDocProject& project) {
  std::vector<THelpContextIssue> issues;
  std::unordered_map<int, const TTopic*> byId;
  std::unordered_map<std::string, const TTopic*> byAlias;
  for (const TTopic* topic : project.EveryTopicTreeFirst()) {
    const auto add = [&](const std::string& text) { issues.push_back({topic, text}); };
    if (topic->HelpId() != 0) {
      const auto [it, first] = byId.emplace(topic->HelpId(), topic);
      if (!first) {
        add(FormatText(TranslateText("Duplicate help ID %s: also used by \"%s\""),
                       {std::to_string(topic->HelpId()), it->second->Title()}));
      }
    }
    if (!topic->HelpAlias().empty()) {
      const auto [it, first] = byAlias.emplace(AsciiUpper(topic->HelpAlias()), topic);
      if (!first) {
        add(FormatText(TranslateText("Duplicate help alias %s: also used by \"%s\""),
                       {topic->HelpAlias(), it->second->Title()}));
      }
    }
    if (topic->HelpId() == 0 && topic->HelpAlias().empty()) continue;
    if (topic->ExcludeWeb()) {
      add(FormatText(TranslateText("Help context %s names a topic left out of %s"), {ContextLabel(*topic), "WebHelp"}));
    }
    if (topic->ExcludeChm()) {
      add(FormatText(TranslateText("Help context %s names a topic left out of %s"), {ContextLabel(*topic), "CHM"}));
    }
  }
  return issues;
}
