#include "uTopicsMerge.h"

#include <algorithm>
#include <map>
#include <memory>
#include <unordered_map>
#include <unordered_set>

#include "uDocModel.h"
#include "uTopicsJson.h"
#include "uUtils.h"

namespace {

// The place of a topic no root reaches.
const std::string kUnplaced = "\x01";

using TIdSet = std::unordered_set<std::string>;

bool Contains(const TStringList& list, const std::string& x) {
  return std::find(list.begin(), list.end(), x) != list.end();
}

// One version of the file, with where each topic sits: the topic whose child list the tree
// walk first reaches it through, "" for the roots.
class TVersion {
 public:
  explicit TVersion(const TTopicsVersion& version) {
    std::string_view text = version.text;
    if (text.substr(0, 3) == "\xEF\xBB\xBF") text.remove_prefix(3);
    if (Trim(std::string(text)).empty()) return;
    std::string error;
    try {
      if (!ReadTopicsJson(text, version.name, "", FProject, &error)) {
        throw EFolivaneError("Cannot merge " + version.name + ": " + error);
      }
    } catch (const EFolivaneError& e) {
      const std::string message = e.what();
      if (message.find(version.name) != std::string::npos) throw;
      throw EFolivaneError("Cannot merge " + version.name + ": " + message);
    }
    TStringList path;
    FProject.WalkTopics([&](const TTopic& topic, int depth) {
      path.resize(depth);
      FPlace[topic.ID()] = depth == 0 ? std::string() : path.back();
      path.push_back(topic.ID());
      return TWalkAction::Descend;
    });
  }

  const TTopic* Find(const std::string& id) const { return FProject.HasTopic(id) ? &FProject.GetTopic(id) : nullptr; }
  // kUnplaced also for a topic this version lacks.
  const std::string& Place(const std::string& id) const {
    const auto it = FPlace.find(id);
    return it == FPlace.end() ? kUnplaced : it->second;
  }
  // The topics this version places in container, in its order.
  TStringList Members(const std::string& container) const {
    TStringList members;
    const TStringList* list = container.empty()              ? &FProject.RootTopicIDs()
                              : FProject.HasTopic(container) ? &FProject.GetTopic(container).Children()
                                                             : nullptr;
    if (!list) return members;
    for (const std::string& id : *list) {
      if (Place(id) == container && !Contains(members, id)) members.push_back(id);
    }
    return members;
  }
  std::vector<const TTopic*> Topics() const { return FProject.EveryTopicTreeFirst(); }

 private:
  TDocProject FProject;
  std::unordered_map<std::string, std::string> FPlace;
};

// The elements of side that keep the order base gives them: the longest common
// subsequence of two lists of distinct elements, found as the longest increasing run of
// base positions.
TIdSet KeptInOrder(const TStringList& base, const TStringList& side) {
  std::unordered_map<std::string, size_t> basePos;
  for (size_t i = 0; i < base.size(); ++i) basePos.emplace(base[i], i);
  std::vector<size_t> pos;
  TStringList common;
  for (const std::string& id : side) {
    const auto it = basePos.find(id);
    if (it == basePos.end()) continue;
    pos.push_back(it->second);
    common.push_back(id);
  }
  std::vector<size_t> tails;  // index into pos of the smallest tail of each run length
  std::vector<long> before(pos.size(), -1);
  for (size_t i = 0; i < pos.size(); ++i) {
    const auto at = std::lower_bound(tails.begin(), tails.end(), pos[i],
                                     [&pos](size_t index, size_t value) { return pos[index] < value; });
    if (at != tails.begin()) before[i] = static_cast<long>(*(at - 1));
    if (at == tails.end()) tails.push_back(i);
    else *at = i;
  }
  TIdSet kept;
  for (long i = tails.empty() ? -1 : static_cast<long>(tails.back()); i >= 0; i = before[i]) kept.insert(common[i]);
  return kept;
}

// Three-way choice of one value: a side that changed it wins; two different changes
// keep ours and set conflict. Without a base (both sides added it) the two must agree.
template <class T>
T Pick(const T* base, const T& ours, const T& theirs, bool& conflict) {
  if (ours == theirs) return ours;
  if (base && *base == ours) return theirs;
  if (base && *base == theirs) return ours;
  conflict = true;
  return ours;
}

// Keywords and index entries: what either side added, less what either side removed.
TStringList MergeList(const TStringList* base, const TStringList& ours, const TStringList& theirs) {
  if (base && *base == theirs) return ours;
  if (base && *base == ours) return theirs;
  TStringList merged;
  for (const std::string& x : ours) {
    const bool removedByTheirs = base && Contains(*base, x) && !Contains(theirs, x);
    if (!removedByTheirs && !Contains(merged, x)) merged.push_back(x);
  }
  for (const std::string& x : theirs) {
    if ((!base || !Contains(*base, x)) && !Contains(merged, x)) merged.push_back(x);
  }
  return merged;
}

bool SameProperties(const TTopic& a, const TTopic& b) {
  return a.Title() == b.Title() && a.Keywords() == b.Keywords() && a.IndexEntries() == b.IndexEntries() &&
         a.ExcludeWeb() == b.ExcludeWeb() && a.ExcludeChm() == b.ExcludeChm() && a.ExcludePdf() == b.ExcludePdf() &&
         a.HelpId() == b.HelpId() && a.HelpAlias() == b.HelpAlias() && a.Condition() == b.Condition();
}

struct TMergedTopic {
  TTopic topic;
  std::string place;
};

class TTopicsMerger {
 public:
  TTopicsMerger(const TVersion& base, const TVersion& ours, const TVersion& theirs)
      : FBase(base), FOurs(ours), FTheirs(theirs) {}

  TTopicsMergeResult Run() {
    for (const std::string& id : AllIds()) MergeTopic(id);
    ReattachOrphans();
    BreakCycles();
    return {WriteResult(), FConflicts};
  }

 private:
  const TVersion& FBase;
  const TVersion& FOurs;
  const TVersion& FTheirs;
  std::map<std::string, TMergedTopic> FMerged;
  std::vector<std::string> FConflicts;

  void Conflict(const TTopic& topic, const std::string& what) {
    FConflicts.push_back(FormatText("topic \"%s\" (%s): %s", {topic.Title(), topic.ID(), what}));
  }

  // Ours' tree order, then theirs', then the base's: conflicts are listed as a reader meets them.
  TStringList AllIds() const {
    TStringList ids;
    TIdSet seen;
    for (const TVersion* v : {&FOurs, &FTheirs, &FBase}) {
      for (const TTopic* t : v->Topics()) {
        if (seen.insert(t->ID()).second) ids.push_back(t->ID());
      }
    }
    return ids;
  }

  void MergeTopic(const std::string& id) {
    const TTopic* base = FBase.Find(id);
    const TTopic* ours = FOurs.Find(id);
    const TTopic* theirs = FTheirs.Find(id);
    if (ours && theirs) {
      MergeBoth(id, base, *ours, *theirs);
    } else if (ours || theirs) {
      const bool oursKept = ours != nullptr;
      const TTopic& kept = oursKept ? *ours : *theirs;
      const TVersion& keeper = oursKept ? FOurs : FTheirs;
      if (base && SameProperties(*base, kept) && FBase.Place(id) == keeper.Place(id)) return;  // deleted
      if (base) {
        Conflict(kept, oursKept ? "deleted in theirs but changed in ours; kept as changed"
                                : "deleted in ours but changed in theirs; kept as changed");
      }
      FMerged[id] = {kept, keeper.Place(id)};
    }
  }

  void MergeBoth(const std::string& id, const TTopic* base, const TTopic& ours, const TTopic& theirs) {
    TTopic merged = ours;
    bool conflict = false;
    merged.SetTitle(Pick(base ? &base->Title() : nullptr, ours.Title(), theirs.Title(), conflict));
    if (conflict) {
      merged.SetTitle(ours.Title() + " | " + theirs.Title());
      Conflict(ours, FormatText("renamed to \"%s\" in ours and \"%s\" in theirs; the title keeps both",
                                {ours.Title(), theirs.Title()}));
    }
    merged.Keywords() = MergeList(base ? &base->Keywords() : nullptr, ours.Keywords(), theirs.Keywords());
    merged.IndexEntries() =
        MergeList(base ? &base->IndexEntries() : nullptr, ours.IndexEntries(), theirs.IndexEntries());

    bool flags = false;
    const auto flag = [&](bool (TTopic::*get)() const) {
      const bool b = base ? (base->*get)() : false;
      return Pick(base ? &b : nullptr, (ours.*get)(), (theirs.*get)(), flags);
    };
    merged.SetExcludeWeb(flag(&TTopic::ExcludeWeb));
    merged.SetExcludeChm(flag(&TTopic::ExcludeChm));
    merged.SetExcludePdf(flag(&TTopic::ExcludePdf));
    if (flags) Conflict(ours, "excluded from different outputs in ours and theirs; ours kept");

    conflict = false;
    const int baseHelpId = base ? base->HelpId() : 0;
    merged.SetHelpId(Pick(base ? &baseHelpId : nullptr, ours.HelpId(), theirs.HelpId(), conflict));
    if (conflict) {
      Conflict(ours, FormatText("help ID %s in ours and %s in theirs; ours kept",
                                {std::to_string(ours.HelpId()), std::to_string(theirs.HelpId())}));
    }
    conflict = false;
    merged.SetHelpAlias(Pick(base ? &base->HelpAlias() : nullptr, ours.HelpAlias(), theirs.HelpAlias(), conflict));
    if (conflict) {
      Conflict(ours, FormatText("help alias \"%s\" in ours and \"%s\" in theirs; ours kept",
                                {ours.HelpAlias(), theirs.HelpAlias()}));
    }
    conflict = false;
    merged.SetCondition(Pick(base ? &base->Condition() : nullptr, ours.Condition(), theirs.Condition(), conflict));
    if (conflict) {
      Conflict(ours, FormatText("published under condition \"%s\" in ours and \"%s\" in theirs; ours kept",
                                {ours.Condition(), theirs.Condition()}));
    }

    conflict = false;
    const std::string place = Pick(base ? &FBase.Place(id) : nullptr, FOurs.Place(id), FTheirs.Place(id), conflict);
    if (conflict) Conflict(ours, "moved to different places in ours and theirs; kept where ours has it");
    FMerged[id] = {std::move(merged), place};
  }

  // Where a version puts id's container, trying ours, theirs, then the base.
  const std::string& PlaceOf(const std::string& id) const {
    for (const TVersion* v : {&FOurs, &FTheirs, &FBase}) {
      if (v->Find(id)) return v->Place(id);
    }
    return kUnplaced;
  }

  bool IsContainer(const std::string& place) const { return place.empty() || FMerged.count(place) != 0; }

  // A topic kept under a parent the merge removed goes under the nearest ancestor that stays.
  void ReattachOrphans() {
    for (auto& [id, merged] : FMerged) {
      if (merged.place == kUnplaced || IsContainer(merged.place)) continue;
      std::string place = merged.place;
      for (size_t steps = 0; !IsContainer(place) && place != kUnplaced && steps <= FMerged.size() + 2; ++steps) {
        place = PlaceOf(place);
      }
      if (!IsContainer(place)) place.clear();
      merged.place = place;
      Conflict(merged.topic, place.empty() ? "its parent was deleted; moved to the top level"
                                           : FormatText("its parent was deleted; moved under \"%s\"",
                                                        {FMerged.at(place).topic.Title()}));
    }
  }

  // Two moves that are fine alone can put two topics under each other: ours' place wins.
  // Each pass follows every chain of parents once; a pass that breaks a cycle is repeated.
  void BreakCycles() {
    for (bool broke = true; broke;) {
      broke = false;
      std::unordered_map<std::string, bool> onPath;  // false once a chain is finished
      for (const auto& [start, unused] : FMerged) {
        TStringList path;
        std::string at = start;
        while (FMerged.count(at) && !onPath.count(at)) {
          onPath[at] = true;
          path.push_back(at);
          at = FMerged.at(at).place;
        }
        if (FMerged.count(at) && onPath.at(at))
          broke |= BreakCycle(TStringList(std::find(path.begin(), path.end(), at), path.end()));
        for (const std::string& id : path) onPath[id] = false;
      }
    }
  }

  bool BreakCycle(const TStringList& cycle) {
    for (const std::string& id : cycle) {
      TMergedTopic& merged = FMerged.at(id);
      const std::string& oursPlace = FOurs.Place(id);
      if (merged.place == oursPlace) continue;
      merged.place = IsContainer(oursPlace) ? oursPlace : std::string();
      Conflict(merged.topic, "the two sides' moves put it below itself; kept where ours has it");
      return true;
    }
    return false;  // ours alone has no cycle, so this is not reached
  }

  // Members of container that side moved there or reordered: those outside the run that keeps the base order.
  TIdSet MovedBy(const TStringList& base, const TStringList& side) const {
    const TIdSet kept = KeptInOrder(base, side);
    TIdSet moved;
    for (const std::string& id : side) {
      if (!kept.count(id)) moved.insert(id);
    }
    return moved;
  }

  // The base order of what neither side moved, then each side's moved topics after the
  // topic they follow on that side, ours first.
  TStringList OrderMembers(const std::string& container, const TIdSet& members) const {
    const TStringList base = FBase.Members(container);
    const TStringList ours = FOurs.Members(container);
    const TStringList theirs = FTheirs.Members(container);
    const TIdSet movedByOurs = MovedBy(base, ours);
    const TIdSet movedByTheirs = MovedBy(base, theirs);
    TStringList order;
    TIdSet placed;
    for (const std::string& id : base) {
      if (members.count(id) && !movedByOurs.count(id) && !movedByTheirs.count(id) && placed.insert(id).second) {
        order.push_back(id);
      }
    }
    TIdSet insertedForOurs;
    for (const auto& [side, moved] : {std::pair{&ours, &movedByOurs}, std::pair{&theirs, &movedByTheirs}}) {
      const bool oursSide = side == &ours;
      for (size_t i = 0; i < side->size(); ++i) {
        const std::string& id = (*side)[i];
        if (!moved->count(id) || !members.count(id) || placed.count(id)) continue;
        auto at = order.begin();
        // The topic it follows on this side; one the other side moved is no landmark here.
        for (size_t j = i; j-- > 0;) {
          if (!placed.count((*side)[j]) || (!oursSide && insertedForOurs.count((*side)[j]))) continue;
          at = std::find(order.begin(), order.end(), (*side)[j]) + 1;
          break;
        }
        // Both sides put something after the same topic: ours comes first, as git shows conflicts.
        while (!oursSide && at != order.end() && insertedForOurs.count(*at)) ++at;
        order.insert(at, id);
        placed.insert(id);
        if (oursSide) insertedForOurs.insert(id);
      }
    }
    // What neither side lists here (a topic reattached to this parent): at the end, by identifier.
    TStringList rest;
    for (const std::string& id : members) {
      if (!placed.count(id)) rest.push_back(id);
    }
    std::sort(rest.begin(), rest.end());
    order.insert(order.end(), rest.begin(), rest.end());
    return order;
  }

  std::string WriteResult() const {
    std::map<std::string, TIdSet> members;
    for (const auto& [id, merged] : FMerged) {
      if (merged.place != kUnplaced) members[merged.place].insert(id);
    }
    TDocProject project;
    for (const auto& [id, merged] : FMerged) {
      auto topic = std::make_unique<TTopic>(merged.topic);
      const auto list = members.find(id);
      topic->Children() = list == members.end() ? TStringList() : OrderMembers(id, list->second);
      if (merged.place != kUnplaced) topic->SetParentID(merged.place);
      project.InsertLoadedTopic(std::move(topic));
    }
    const auto roots = members.find("");
    if (roots != members.end()) project.RootTopicIDs() = OrderMembers("", roots->second);
    return TopicsJsonText(project);
  }
};

}  // namespace

TTopicsMergeResult MergeTopicsJson(const TTopicsVersion& base, const TTopicsVersion& ours,
                                   const TTopicsVersion& theirs) {
  const TVersion b(base), o(ours), t(theirs);
  return TTopicsMerger(b, o, t).Run();
}
