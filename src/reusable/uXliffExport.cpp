#include "uXliffExport.h"

#include "uReusableContent.h"
#include "uTranslation.h"
#include "uXliffProjectTexts.h"

namespace {

void CheckLanguage(const std::string& code) {
  if (!IsLanguageTag(code))
    throw EFolivaneError(FormatText(TranslateText("Not a language code: \"%s\" (for example de or pt-BR)"), {code}));
}

// The project's reusable content; text that is not JSON would be exported as nothing.
TReusableProjectContent LoadStore(const TDocProject& project) {
  TReusableProjectContent store;
  if (!store.LoadFromProject(project))
    throw EFolivaneError(FormatText(TranslateText("%s is not valid JSON"), {ReusableContentPath(project)}));
  return store;
}

}  // namespace

TXliffDocument ProjectXliffDocument(const TDocProject& project, const TProjectSettings& settings,
                                    const std::string& original, const std::string& sourceLang,
                                    const std::string& targetLang) {
  TXliffDocument document;
  document.sourceLang = sourceLang;
  document.targetLang = targetLang;
  document.original = original;
  const TXliffProjectTexts texts(project, settings, LoadStore(project));
  for (const TXliffPiece& piece : texts.Pieces()) {
    const TXliffSegment& segment = texts.SegmentOf(piece);
    document.units.push_back({piece.unitId, piece.note, segment.content, std::nullopt, segment.codes, ""});
  }
  return document;
}

std::string ProjectSourceLanguage(const TProjectSettings& settings) {
  const std::string spelling = ReplaceAll(settings.SpellLanguage, "_", "-");
  return IsLanguageTag(spelling) ? spelling : "en";
}

std::string DefaultXliffPath(const TDocProject& project, const std::string& projectFile,
                             const std::string& targetLang) {
  return IncludeTrailingDelimiter(project.RootPath()) + "build/xliff/" + FileNameWithoutExt(projectFile) + "." +
         targetLang + ".xlf";
}

size_t ExportProjectXliff(const TDocProject& project, const TProjectSettings& settings, const std::string& projectFile,
                          const std::string& sourceLang, const std::string& targetLang, const std::string& outPath) {
  CheckLanguage(sourceLang);
  CheckLanguage(targetLang);
  const TXliffDocument document =
      ProjectXliffDocument(project, settings, ExtractFileName(projectFile), sourceLang, targetLang);
  EnsureDir(ExtractFileDir(outPath));
  WriteTextFileUtf8(outPath, WriteXliff(document));
  return document.units.size();
}
