#include "uXliffProjectTexts.h"

#include "uContainment.h"
#include "uStorage.h"
#include "uTranslation.h"

namespace {

// A page a link takes outside the project counts as missing: its text is not the project's
// to hand to a translator.
std::string ReadPageIfExists(const TFolderBoundary& project, const std::string& path) {
  return FileExists(path) && project.Holds(path) ? ReadTextFileUtf8(path) : "";
}

std::string Note(const char* english, const std::string& name) { return FormatText(TranslateText(english), {name}); }

}  // namespace

TXliffProjectTexts::TXliffProjectTexts(const TDocProject& project, const TProjectSettings& settings,
                                       const TReusableProjectContent& store) {
  using K = TXliffText::TKind;
  const TFolderBoundary inside(project.RootPath());
  AddPlain(K::ProjectTitle, "", 0, settings.ProjTitle, "project.title", TranslateText("Project title"));
  AddPlain(K::Footer, "", 0, settings.CopyrightText, "project.footer", TranslateText("Footer text"));
  AddPage(K::TopicHeader, "", 0, ReadPageIfExists(inside, HeaderHtmlPath(project, "")), "header",
          TranslateText("Default header"));
  for (const TTopic* topic : project.EveryTopicTreeFirst()) {
    const std::string& id = topic->ID();
    const std::string& title = topic->Title();
    AddPlain(K::TopicTitle, id, 0, title, id + ".title", Note("Title of the topic \"%s\"", title));
    AddPage(K::TopicBody, id, 0, ReadPageIfExists(inside, TopicFilePath(project, id)), id + ".body",
            Note("Text of the topic \"%s\"", title));
    AddPage(K::TopicHeader, id, 0, ReadPageIfExists(inside, HeaderHtmlPath(project, id)), id + ".header",
            Note("Header of the topic \"%s\"", title));
    for (size_t i = 0; i < topic->Keywords().size(); ++i) {
      AddPlain(K::Keyword, id, i, topic->Keywords()[i], id + ".keyword." + std::to_string(i + 1),
               Note("Keyword of the topic \"%s\"", title));
    }
    for (size_t i = 0; i < topic->IndexEntries().size(); ++i) {
      AddPlain(K::IndexEntry, id, i, topic->IndexEntries()[i], id + ".index." + std::to_string(i + 1),
               Note("Index entry of the topic \"%s\"", title));
    }
  }
  for (size_t i = 0; i < store.Variables().size(); ++i) {
    const TReusableVariable& variable = store.Variables()[i];
    AddPlain(K::VariableValue, "", i, variable.Value, "variable." + std::to_string(i + 1),
             Note("Value of the variable \"%s\"", variable.Name));
  }
  for (size_t i = 0; i < store.Snippets().size(); ++i) {
    const TReusableSnippet& snippet = store.Snippets()[i];
    AddPage(K::SnippetHtml, "", i, snippet.Html, "snippet." + std::to_string(i + 1),
            Note("Snippet \"%s\"", snippet.Name));
  }
}

const TXliffPiece* TXliffProjectTexts::FindPiece(const std::string& unitId) const {
  const auto it = FPieceByUnit.find(unitId);
  return it == FPieceByUnit.end() ? nullptr : &FPieces[it->second];
}

void TXliffProjectTexts::AddPlain(TXliffText::TKind kind, const std::string& topicID, size_t index,
                                  const std::string& text, const std::string& unitId, const std::string& note) {
  TXliffSegment segment = SegmentPlainText(text);
  if (!HasTranslatableText(segment.content)) return;
  FTexts.push_back({kind, topicID, index, text, false, {std::move(segment)}});
  FPieceByUnit[unitId] = FPieces.size();
  FPieces.push_back({unitId, note, FTexts.size() - 1, 0});
}

void TXliffProjectTexts::AddPage(TXliffText::TKind kind, const std::string& topicID, size_t index,
                                 const std::string& html, const std::string& unitPrefix, const std::string& note) {
  std::vector<TXliffSegment> segments = SegmentHtml(html);
  if (segments.empty()) return;
  FTexts.push_back({kind, topicID, index, html, true, std::move(segments)});
  for (size_t s = 0; s < FTexts.back().segments.size(); ++s) {
    const std::string unitId = unitPrefix + "." + std::to_string(s + 1);
    FPieceByUnit[unitId] = FPieces.size();
    FPieces.push_back({unitId, note, FTexts.size() - 1, s});
  }
}
