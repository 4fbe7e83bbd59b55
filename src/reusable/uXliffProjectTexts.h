// Every translatable text of a project, cut into the pieces a translation file carries,
// each with a unit id made of where it lives and its position there ("<topic id>.body.3"),
// so that a re-export after small edits keeps the ids of the pieces around the edit.
#pragma once

#include <string>
#include <unordered_map>
#include <vector>

#include "uDocModel.h"
#include "uProjectSettings.h"
#include "uReusableContent.h"
#include "uXliffSegments.h"

// One text of the project as a whole: a page (topic body, header, snippet) or a plain text.
struct TXliffText {
  enum class TKind {
    ProjectTitle,
    Footer,
    TopicTitle,
    Keyword,
    IndexEntry,
    TopicBody,
    TopicHeader,  // the topic's own header; the project's default header has no topic
    VariableValue,
    SnippetHtml
  };
  TKind kind;
  std::string topicID;
  size_t index = 0;      // the keyword's, index entry's, variable's or snippet's position
  std::string original;  // as the project has it
  bool html = false;
  std::vector<TXliffSegment> segments;  // a plain text has one
};

// One piece, the content of one unit.
struct TXliffPiece {
  std::string unitId;
  std::string note;  // where it is, for the translator
  size_t text = 0;   // in Texts()
  size_t segment = 0;
};

class TXliffProjectTexts {
 public:
  // Reads the texts of an opened project: its model, its settings (title and footer), its
  // reusable content and the topic and header pages on disk. A page that cannot be read
  // raises EFolivaneError naming it; a missing one, or one a link takes outside the
  // project, has nothing to translate.
  TXliffProjectTexts(const TDocProject& project, const TProjectSettings& settings,
                     const TReusableProjectContent& store);
  const std::vector<TXliffText>& Texts() const { return FTexts; }
  const std::vector<TXliffPiece>& Pieces() const { return FPieces; }
  // The piece with that unit id; null when the project has none.
  const TXliffPiece* FindPiece(const std::string& unitId) const;
  const TXliffSegment& SegmentOf(const TXliffPiece& piece) const { return FTexts[piece.text].segments[piece.segment]; }

 private:
  std::vector<TXliffText> FTexts;
  std::vector<TXliffPiece> FPieces;
  std::unordered_map<std::string, size_t> FPieceByUnit;

  void AddPlain(TXliffText::TKind kind, const std::string& topicID, size_t index, const std::string& text,
                const std::string& unitId, const std::string& note);
  void AddPage(TXliffText::TKind kind, const std::string& topicID, size_t index, const std::string& html,
               const std::string& unitPrefix, const std::string& note);
};
