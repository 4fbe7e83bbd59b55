#include "uTopicsJson.h"

#include <algorithm>
#include <memory>
#include <unordered_set>
#include <vector>

#include "uJson.h"
#include "uStorage.h"
#include "uTranslation.h"
#include "uUtils.h"

namespace {

using TSax = nlohmann::json_sax<TJson>;

// IDs name the topic's files (topics/<id>.html, meta/header_<id>.html), so they must be
// plain file names: a received project could otherwise reach outside its folder.
constexpr size_t kMaxTopicIdLength = 128;

bool IsPlainTopicId(const std::string& id) {
  if (id.size() > kMaxTopicIdLength) return false;
  for (const char c : id) {
    const bool plain =
        (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z') || (c >= '0' && c <= '9') || c == '-' || c == '_';
    if (!plain) return false;
  }
  return true;
}

// An ID as a message shows it: shortened, control characters as "?".
std::string ShownId(const std::string& id) {
  std::string shown = id.size() > 60 ? SanitizeUtf8(id.substr(0, 60)) + "..." : SanitizeUtf8(id);
  for (char& c : shown) {
    if (static_cast<unsigned char>(c) < 0x20 || c == 0x7F) c = '?';
  }
  return shown;
}

// What the next value in the current object is for.
enum class TPending { Skip, RootIds, Topics, Text, Flag, List };

// The container being read.
enum class TFrame { Root, RootIds, Topics, Topic, List, Skip };

// Reads the tree without building a document. It follows the lenient reading rules:
// the first of repeated keys counts, values become text, flags accept "true"/"false"
// in any case. Kind errors and duplicates are kept until the text has proved to be
// JSON, so a damaged file is ignored rather than half reported.
class TTopicsReader : public TSax {
 public:
  TTopicsReader(const std::string& path, const std::string& folder) : FPath(path), FFolder(folder) {}

  std::string parseError;
  std::string loadError;
  // Kept apart from the project until the whole text has proved to be JSON.
  TStringList roots;
  std::vector<std::unique_ptr<TTopic>> topics;

  bool null() override { return Scalar("null", "null"); }
  bool boolean(bool v) override { return Scalar(v ? "true" : "false", "a boolean"); }
  bool number_integer(number_integer_t v) override { return Scalar(std::to_string(v), "a number"); }
  bool number_unsigned(number_unsigned_t v) override { return Scalar(std::to_string(v), "a number"); }
  bool number_float(number_float_t, const string_t& raw) override { return Scalar(raw, "a number"); }
  bool string(string_t& v) override { return Scalar(std::move(v), "a string"); }
  bool binary(binary_t&) override { return true; }

  bool start_object(std::size_t) override { return Open(true); }
  bool start_array(std::size_t) override { return Open(false); }
  bool end_object() override { return Close(); }
  bool end_array() override { return Close(); }

  bool key(string_t& k) override {
    if (FFrames.back() == TFrame::Skip) return true;
    auto& seen = FSeenKeys.back();
    if (std::find(seen.begin(), seen.end(), k) != seen.end()) {
      FPending = TPending::Skip;  // the first pair counts
      return true;
    }
    seen.push_back(k);
    FPendingName = k;
    FPending = FFrames.back() == TFrame::Root ? RootKey(k) : TopicKey(k);
    return true;
  }

  bool parse_error(std::size_t, const std::string&, const nlohmann::detail::exception& ex) override {
    parseError = JsonParseErrorText(ex);
    return false;
  }

 private:
  const std::string& FPath;
  const std::string& FFolder;

  std::vector<TFrame> FFrames;
  std::vector<std::vector<std::string>> FSeenKeys;  // per open object
  std::vector<TStringList*> FLists;                 // per open list frame
  TPending FPending = TPending::Skip;
  std::string FPendingName;
  std::string* FTextTarget = nullptr;
  bool* FFlagTarget = nullptr;
  TStringList* FListTarget = nullptr;

  std::unique_ptr<TTopic> FTopic;
  std::string FId, FTitle, FParentId, FHelpId, FHelpAlias, FCondition;
  bool FExcludeWeb = false, FExcludeChm = false, FExcludePdf = false;
  std::unordered_set<std::string> FIds;

  TPending RootKey(const std::string& k) {
    if (k == "rootTopicIds") return TPending::RootIds;
    if (k == "topics") return TPending::Topics;
    return TPending::Skip;
  }

  TPending TopicKey(const std::string& k) {
    if (k == "id") return Target(FId);
    if (k == "title") return Target(FTitle);
    if (k == "parentId") return Target(FParentId);
    if (k == "excludeWeb") return Flag(FExcludeWeb);
    if (k == "excludeChm") return Flag(FExcludeChm);
    if (k == "excludePdf") return Flag(FExcludePdf);
    if (k == "children") return List(FTopic->Children());
    if (k == "keywords") return List(FTopic->Keywords());
    if (k == "index") return List(FTopic->IndexEntries());
    if (k == "helpId") return Target(FHelpId);
    if (k == "helpAlias") return Target(FHelpAlias);
    if (k == "condition") return Target(FCondition);
    return TPending::Skip;
  }

  TPending Target(std::string& s) {
    FTextTarget = &s;
    return TPending::Text;
  }
  TPending Flag(bool& b) {
    FFlagTarget = &b;
    return TPending::Flag;
  }
  TPending List(TStringList& l) {
    FListTarget = &l;
    return TPending::List;
  }

  void KindError(const std::string& what, const std::string& expected, const std::string& kind) {
    if (loadError.empty()) loadError = "Cannot load " + FPath + ": " + what + " must be " + expected + ", not " + kind;
  }

  TFrame Top() const { return FFrames.empty() ? TFrame::Skip : FFrames.back(); }

  // A scalar arrives: as an element of a list, or as the value of the pending key.
  bool Scalar(std::string text, const char* kind) {
    switch (Top()) {
      case TFrame::RootIds:
      case TFrame::List: FLists.back()->push_back(std::move(text)); return true;
      case TFrame::Topics: KindError("each element of \"topics\"", "an object", kind); return true;
      case TFrame::Root:
      case TFrame::Topic: break;
      case TFrame::Skip: return FFrames.empty() ? (KindError("the file", "an object", kind), true) : true;
    }
    switch (FPending) {
      case TPending::Text: *FTextTarget = std::move(text); break;
      case TPending::Flag: {
        const std::string lower = AsciiLower(text);
        *FFlagTarget = lower == "true";  // anything but true/false gives the default, false
        break;
      }
      case TPending::RootIds:
      case TPending::Topics:
      case TPending::List: KindError("\"" + FPendingName + "\"", "an array", kind); break;
      case TPending::Skip: break;
    }
    FPending = TPending::Skip;
    return true;
  }

  void Push(TFrame frame, TStringList* list = nullptr) {
    FFrames.push_back(frame);
    if (frame == TFrame::Root || frame == TFrame::Topic) FSeenKeys.emplace_back();
    if (list) FLists.push_back(list);
  }

  bool Open(bool isObject) {
    const char* kind = isObject ? "an object" : "an array";
    const TFrame top = Top();
    if (FFrames.empty()) {
      if (isObject) Push(TFrame::Root);
      else {
        KindError("the file", "an object", kind);
        Push(TFrame::Skip);
      }
      return true;
    }
    if (top == TFrame::Skip) return Push(TFrame::Skip), true;
    if (top == TFrame::RootIds || top == TFrame::List) {
      FLists.back()->push_back("");  // a container's text is empty
      return Push(TFrame::Skip), true;
    }
    if (top == TFrame::Topics) {
      if (!isObject) {
        KindError("each element of \"topics\"", "an object", kind);
        return Push(TFrame::Skip), true;
      }
      FTopic = std::make_unique<TTopic>();
      FId.clear();
      FTitle.clear();
      FParentId.clear();
      FHelpId.clear();
      FHelpAlias.clear();
      FCondition.clear();
      FExcludeWeb = FExcludeChm = FExcludePdf = false;
      return Push(TFrame::Topic), true;
    }
    const TPending pending = FPending;
    FPending = TPending::Skip;
    if (!isObject && pending == TPending::RootIds) return Push(TFrame::RootIds, &roots), true;
    if (!isObject && pending == TPending::Topics) return Push(TFrame::Topics), true;
    if (!isObject && pending == TPending::List) return Push(TFrame::List, FListTarget), true;
    if (pending == TPending::RootIds || pending == TPending::Topics || pending == TPending::List) {
      KindError("\"" + FPendingName + "\"", "an array", kind);
    } else if (pending == TPending::Text) {
      FTextTarget->clear();
    } else if (pending == TPending::Flag) {
      *FFlagTarget = false;
    }
    return Push(TFrame::Skip), true;
  }

  bool Close() {
    const TFrame frame = FFrames.back();
    FFrames.pop_back();
    if (frame == TFrame::Root || frame == TFrame::Topic) FSeenKeys.pop_back();
    if (frame == TFrame::RootIds || frame == TFrame::List) FLists.pop_back();
    if (frame == TFrame::Topic) FinishTopic();
    return true;
  }

  // A null or empty value means none; anything else must be valid, since a program
  // opening the help relies on it.
  bool ReadHelpContext(TTopic& topic) {
    int helpId = 0;
    if (!FHelpId.empty() && FHelpId != "null" && !ParseHelpId(FHelpId, helpId)) {
      if (loadError.empty()) {
        loadError = FormatText(TranslateText("Cannot load %s: the help ID \"%s\" of the topic \"%s\" is not a whole "
                                             "number from 1 to %s"),
                               {FPath, ShownId(FHelpId), ShownId(topic.Title()), std::to_string(kMaxHelpId)});
      }
      return false;
    }
    if (FHelpAlias == "null") FHelpAlias.clear();
    if (!FHelpAlias.empty() && !IsValidHelpAlias(FHelpAlias)) {
      if (loadError.empty()) {
        loadError = FormatText(TranslateText("Cannot load %s: the help alias \"%s\" of the topic \"%s\" is not a "
                                             "name of letters, digits and _ that starts with a letter"),
                               {FPath, ShownId(FHelpAlias), ShownId(topic.Title())});
      }
      return false;
    }
    topic.SetHelpId(helpId);
    topic.SetHelpAlias(FHelpAlias);
    topic.SetCondition(Trim(FCondition));
    return true;
  }

  void FinishTopic() {
    std::unique_ptr<TTopic> topic = std::move(FTopic);
    if (FId.empty()) return;
    if (!IsPlainTopicId(FId)) {
      if (loadError.empty()) {
        loadError = FormatText(TranslateText("Cannot load %s: the topic ID \"%s\" is not a plain file name "
                                             "(letters, digits, - and _ only, at most %s characters)"),
                               {FPath, ShownId(FId), std::to_string(kMaxTopicIdLength)});
      }
      return;
    }
    topic->SetID(FId);
    topic->SetTitle(std::move(FTitle));
    topic->SetParentID(std::move(FParentId));
    topic->SetHtmlPath(TopicFilePath(FFolder, FId));
    topic->SetExcludeWeb(FExcludeWeb);
    topic->SetExcludeChm(FExcludeChm);
    topic->SetExcludePdf(FExcludePdf);
    if (!ReadHelpContext(*topic)) return;
    if (!FIds.insert(FId).second) {
      if (loadError.empty()) loadError = "Duplicates not allowed";
      return;
    }
    topics.push_back(std::move(topic));
  }
};

}  // namespace

std::string TopicsJsonText(const TDocProject& project) {
  TJsonWriter w;
  w.Reserve(project.Topics().size() * 320 + 64);
  w.BeginObject();
  w.Key("rootTopicIds");
  w.StringArray(project.RootTopicIDs());
  w.Key("topics");
  w.BeginArray();
  // Tree order, then the topics no root reaches: saving an unchanged project writes the same bytes.
  for (const TTopic* t : project.EveryTopicTreeFirst()) {
    w.BeginObject();
    w.Key("id");
    w.String(t->ID());
    w.Key("title");
    w.String(t->Title());
    w.Key("htmlPath");
    w.String("topics\\" + t->ID() + ".html");  // kept with a backslash, so projects move between systems
    w.Key("parentId");
    w.String(t->ParentID());
    w.Key("excludeWeb");
    w.Bool(t->ExcludeWeb());
    w.Key("excludeChm");
    w.Bool(t->ExcludeChm());
    w.Key("excludePdf");
    w.Bool(t->ExcludePdf());
    w.Key("children");
    w.StringArray(t->Children());
    w.Key("keywords");
    w.StringArray(t->Keywords());
    w.Key("index");
    w.StringArray(t->IndexEntries());
    // Written only when set, so that files of projects without them stay as they were.
    if (t->HelpId() != 0) {
      w.Key("helpId");
      w.Integer(t->HelpId());
    }
    if (!t->HelpAlias().empty()) {
      w.Key("helpAlias");
      w.String(t->HelpAlias());
    }
    if (!t->Condition().empty()) {
      w.Key("condition");
      w.String(t->Condition());
    }
    w.EndObject();
  }
  w.EndArray();
  w.EndObject();
  return std::move(w.Text());
}

bool ReadTopicsJson(std::string_view text, const std::string& path, const std::string& folder, TDocProject& project,
                    std::string* error) {
  TTopicsReader reader(path, folder);
  bool ok = false;
  try {
    ok = TJson::sax_parse(text, &reader, nlohmann::detail::input_format_t::json, true);
  } catch (const std::exception& ex) {
    reader.parseError = ex.what();
  }
  if (!ok) {
    if (error) *error = reader.parseError.empty() ? "invalid JSON" : reader.parseError;
    return false;
  }
  TStringList& roots = project.RootTopicIDs();
  roots.insert(roots.end(), reader.roots.begin(), reader.roots.end());
  for (auto& topic : reader.topics) project.InsertLoadedTopic(std::move(topic));
  if (!reader.loadError.empty()) throw EFolivaneError(reader.loadError);
  return true;
}

void CopyProjectStructure(const TDocProject& from, TDocProject& to) {
  to.Clear();
  to.SetRootPath(from.RootPath());
  to.SetTitle(from.Title());
  to.SetStyleProfile(from.StyleProfile());
  // The text was written by this program a moment ago: it reads back or this is a bug.
  if (!ReadTopicsJson(TopicsJsonText(from), "meta/topics.json", from.RootPath(), to, nullptr)) {
    throw EFolivaneError("Cannot copy the project's topics");
  }
}
