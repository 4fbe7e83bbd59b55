#include "uProjectSearch.h"

#include <algorithm>

#include "uParallelPages.h"
#include "uStorage.h"
#include "uTranslation.h"
#include "uUtils.h"

namespace {

constexpr size_t kContextRadius = 40;

// A page's text: the unsaved one when there is one, else the file; nullopt when neither is.
std::optional<std::string> PageText(const std::string& path, const std::string& topicId, const TUnsavedPages* unsaved) {
  if (unsaved) {
    const auto it = unsaved->find(topicId);
    if (it != unsaved->end()) return it->second;
  }
  if (!FileExists(path)) return std::nullopt;
  return ReadTextFileUtf8(path);
}

void AddMatches(TTopicMatches& out, TSearchField field, int item, const std::string& text,
                const std::vector<TTextMatch>& matches) {
  for (const TTextMatch& m : matches) {
    TFieldMatch fm{field, item, m, std::string(), 0, text.substr(m.start, m.end - m.start)};
    fm.context = ContextLine(text, m.start, m.end, kContextRadius, &fm.contextStart);
    out.matches.push_back(std::move(fm));
  }
}

void FindInList(const TTextMatcher& matcher, const TProjectSearch& search, TSearchField field, const TStringList& list,
                TTopicMatches& out) {
  const std::string* replacement = search.replacement ? &*search.replacement : nullptr;
  for (size_t i = 0; i < list.size(); ++i)
    AddMatches(out, field, static_cast<int>(i), list[i], matcher.Find(list[i], replacement));
}

void FindInPage(const TTextMatcher& matcher, const TProjectSearch& search, TSearchField field, const std::string& html,
                TTopicMatches& out) {
  const THtmlVisibleText visible(html);
  const std::string* replacement = search.replacement ? &*search.replacement : nullptr;
  AddMatches(out, field, 0, visible.Text(), matcher.Find(visible.Text(), replacement));
}

// The plain text with the matches replaced, last first so earlier offsets hold.
std::string ReplacedPlain(std::string text, const std::vector<TTextMatch>& matches) {
  for (auto it = matches.rbegin(); it != matches.rend(); ++it) {
    text.replace(it->start, it->end - it->start, it->replacement);
  }
  return text;
}

// The matches of one field that were chosen, checked against the text as it is now.
std::vector<TTextMatch> ChosenMatches(const TTopicMatches& topic, TSearchField field, int item, const std::string& text,
                                      const TMatchChooser& chosen) {
  std::vector<TTextMatch> out;
  for (size_t i = 0; i < topic.matches.size(); ++i) {
    const TFieldMatch& m = topic.matches[i];
    if (m.field != field || m.item != item || (chosen && !chosen(topic.topicId, i))) continue;
    if (m.match.end > text.size() || text.compare(m.match.start, m.match.end - m.match.start, m.matched) != 0) {
      throw EFolivaneError(
          FormatText(TranslateText("The topic \"%s\" has changed since the search. Search again before replacing."),
                     {topic.title}));
    }
    out.push_back(m.match);
  }
  return out;
}

std::optional<std::pair<std::string, std::string>> PageChange(const TTopicMatches& topic, TSearchField field,
                                                              const std::optional<std::string>& html,
                                                              const TMatchChooser& chosen, int& count) {
  if (!html) return std::nullopt;
  const THtmlVisibleText visible(*html);
  const std::vector<TTextMatch> matches = ChosenMatches(topic, field, 0, visible.Text(), chosen);
  if (matches.empty()) return std::nullopt;
  count += static_cast<int>(matches.size());
  return std::make_pair(*html, visible.Replace(matches));
}

std::optional<std::pair<TStringList, TStringList>> ListChange(const TTopicMatches& topic, TSearchField field,
                                                              const TStringList& list, const TMatchChooser& chosen,
                                                              int& count) {
  TStringList after = list;
  bool changed = false;
  for (size_t i = 0; i < list.size(); ++i) {
    const std::vector<TTextMatch> matches = ChosenMatches(topic, field, static_cast<int>(i), list[i], chosen);
    if (matches.empty()) continue;
    count += static_cast<int>(matches.size());
    after[i] = ReplacedPlain(list[i], matches);
    changed = true;
  }
  if (!changed) return std::nullopt;
  return std::make_pair(list, after);
}

// Writes files and remembers what they held, so that a failure can put them back.
class TFileWrites {
 public:
  void Write(const std::string& path, const std::string& before, const std::string& after) {
    WriteFileAtomic(path, after);
    FDone.emplace_back(path, before);
  }
  void Undo() {
    for (auto it = FDone.rbegin(); it != FDone.rend(); ++it) {
      try {
        WriteFileAtomic(it->first, it->second);
      } catch (const std::exception&) {
        // The first failure is the one reported; the others keep what they have.
      }
    }
  }

 private:
  std::vector<std::pair<std::string, std::string>> FDone;
};

}  // namespace

bool ParseSearchFields(const std::string& list, unsigned& fields) {
  fields = 0;
  for (const std::string& raw : SplitString(list, ',')) {
    const std::string word = Trim(raw);
    if (word == "titles") fields |= sfTitles;
    else if (word == "bodies") fields |= sfBodies;
    else if (word == "headers") fields |= sfHeaders;
    else if (word == "keywords") fields |= sfKeywords;
    else return false;
  }
  return fields != 0;
}

std::vector<TTopicMatches> FindInProject(const TDocProject& project, const TProjectSearch& search,
                                         const TUnsavedPages* unsaved) {
  const TTextMatcher matcher(search.query);
  const std::string* replacement = search.replacement ? &*search.replacement : nullptr;
  const std::vector<const TTopic*> topics = project.EveryTopicTreeFirst();
  std::vector<TTopicMatches> perTopic(topics.size());
  // Reading and scanning the pages is most of the work, and each page is on its own.
  RunInParallel(topics.size(), nullptr, [&](size_t i, int) {
    const TTopic* topic = topics[i];
    TTopicMatches& out = perTopic[i];
    out.topicId = topic->ID();
    out.title = topic->Title();
    if (search.fields & sfTitles) {
      AddMatches(out, TSearchField::Title, 0, topic->Title(), matcher.Find(topic->Title(), replacement));
    }
    if (search.fields & sfBodies) {
      if (auto html = PageText(TopicFilePath(project, topic->ID()), topic->ID(), unsaved)) {
        FindInPage(matcher, search, TSearchField::Body, *html, out);
      }
    }
    if (search.fields & sfHeaders) {
      if (auto html = PageText(HeaderHtmlPath(project, topic->ID()), std::string(), nullptr)) {
        FindInPage(matcher, search, TSearchField::Header, *html, out);
      }
    }
    if (search.fields & sfKeywords) {
      FindInList(matcher, search, TSearchField::Keyword, topic->Keywords(), out);
      FindInList(matcher, search, TSearchField::IndexEntry, topic->IndexEntries(), out);
    }
  });
  std::vector<TTopicMatches> found;
  for (TTopicMatches& t : perTopic) {
    if (!t.matches.empty()) found.push_back(std::move(t));
  }
  return found;
}

std::vector<TTopicChange> PlanReplacement(const TDocProject& project, const std::vector<TTopicMatches>& found,
                                          const TUnsavedPages* unsaved, const TMatchChooser& chosen) {
  std::vector<TTopicChange> changes;
  for (const TTopicMatches& topicMatches : found) {
    if (!project.HasTopic(topicMatches.topicId)) continue;
    const TTopic& topic = project.GetTopic(topicMatches.topicId);
    TTopicChange change;
    change.topicId = topic.ID();
    change.title = topic.Title();
    const std::vector<TTextMatch> inTitle = ChosenMatches(topicMatches, TSearchField::Title, 0, topic.Title(), chosen);
    if (!inTitle.empty()) {
      change.titleChange = std::make_pair(topic.Title(), ReplacedPlain(topic.Title(), inTitle));
      change.count += static_cast<int>(inTitle.size());
    }
    const auto has = [&topicMatches](TSearchField field) {
      return std::any_of(topicMatches.matches.begin(), topicMatches.matches.end(),
                         [field](const TFieldMatch& m) { return m.field == field; });
    };
    if (has(TSearchField::Body)) {
      change.body = PageChange(topicMatches, TSearchField::Body,
                               PageText(TopicFilePath(project, topic.ID()), topic.ID(), unsaved), chosen, change.count);
    }
    if (has(TSearchField::Header)) {
      change.header =
          PageChange(topicMatches, TSearchField::Header,
                     PageText(HeaderHtmlPath(project, topic.ID()), std::string(), nullptr), chosen, change.count);
    }
    change.keywords = ListChange(topicMatches, TSearchField::Keyword, topic.Keywords(), chosen, change.count);
    change.indexEntries =
        ListChange(topicMatches, TSearchField::IndexEntry, topic.IndexEntries(), chosen, change.count);
    if (change.count > 0) changes.push_back(std::move(change));
  }
  return changes;
}

void ApplyTopicChanges(TDocProject& project, const std::vector<TTopicChange>& changes, bool after,
                       TUnsavedPages* unsaved) {
  // What a value is now, and what it becomes.
  const auto now = [after](const auto& change) -> const auto& { return after ? change.first : change.second; };
  const auto next = [after](const auto& change) -> const auto& { return after ? change.second : change.first; };
  TFileWrites files;
  try {
    for (const TTopicChange& change : changes) {
      if (!project.HasTopic(change.topicId)) continue;
      if (change.body) {
        const auto pending = unsaved ? unsaved->find(change.topicId) : TUnsavedPages::iterator();
        if (unsaved && pending != unsaved->end()) pending->second = next(*change.body);
        else files.Write(TopicFilePath(project, change.topicId), now(*change.body), next(*change.body));
      }
      if (change.header)
        files.Write(HeaderHtmlPath(project, change.topicId), now(*change.header), next(*change.header));
    }
  } catch (...) {
    files.Undo();
    throw;
  }
  // The model changes last: a failed write above leaves it as it was.
  for (const TTopicChange& change : changes) {
    if (!project.HasTopic(change.topicId)) continue;
    TTopic& topic = project.GetTopic(change.topicId);
    if (change.titleChange) topic.SetTitle(next(*change.titleChange));
    if (change.keywords) topic.Keywords() = next(*change.keywords);
    if (change.indexEntries) topic.IndexEntries() = next(*change.indexEntries);
  }
}

bool ChangesTopicList(const std::vector<TTopicChange>& changes) {
  return std::any_of(changes.begin(), changes.end(),
                     [](const TTopicChange& c) { return c.titleChange || c.keywords || c.indexEntries; });
}
