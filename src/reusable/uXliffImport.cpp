#include "uXliffImport.h"

#include <algorithm>
#include <filesystem>
#include <map>
#include <optional>
#include <set>

#include "uJson.h"
#include "uProjectOpen.h"
#include "uReusableContent.h"
#include "uStorage.h"
#include "uTranslation.h"
#include "uXliffFile.h"
#include "uXliffProjectTexts.h"

namespace fs = std::filesystem;

namespace {

// No codes and no text but white space: what tools write for a text not translated yet.
bool IsBlank(const TXliffContent& content) {
  return std::all_of(content.begin(), content.end(),
                     [](const TXliffRun& run) { return run.kind == TXliffRun::TKind::Text; }) &&
         !HasTranslatableText(content);
}

// The translations that passed, by text and segment.
using TReplacements = std::map<size_t, std::map<size_t, std::string>>;

TReplacements MatchUnits(const TXliffDocument& document, const TXliffProjectTexts& texts, TXliffImportReport& report) {
  TReplacements replacements;
  std::set<std::string> seen;
  for (const TXliffUnit& unit : document.units) {
    const TXliffPiece* piece = texts.FindPiece(unit.id);
    if (!piece) {
      report.unknown.push_back(unit.id);
      continue;
    }
    seen.insert(unit.id);
    const TXliffSegment& segment = texts.SegmentOf(*piece);
    if (!unit.problem.empty()) {
      report.broken.push_back({unit.id, unit.problem});
    } else if (unit.source != segment.content) {
      report.changed.push_back(unit.id);
    } else if (!unit.target || IsBlank(*unit.target)) {
      // Tools write an empty target for a text not translated yet: it must not blank the text.
      report.untranslated.push_back(unit.id);
    } else {
      const bool html = texts.Texts()[piece->text].html;
      try {
        replacements[piece->text][piece->segment] =
            html ? RebuildHtml(segment, *unit.target) : RebuildPlainText(segment, *unit.target);
        ++report.translated;
      } catch (const EXliffCodes& e) {
        report.broken.push_back({unit.id, e.what()});
      }
    }
  }
  for (const TXliffPiece& piece : texts.Pieces()) {
    if (!seen.count(piece.unitId)) report.untranslated.push_back(piece.unitId);
  }
  return replacements;
}

std::string TranslatedText(const TXliffText& text, const std::map<size_t, std::string>& bySegment) {
  if (!text.html) return bySegment.begin()->second;
  std::vector<const std::string*> replacements(text.segments.size(), nullptr);
  for (const auto& [s, html] : bySegment) replacements[s] = &html;
  return ReplaceSegments(text.original, text.segments, replacements);
}

// What the copy changes beyond its pages.
struct TCopyChanges {
  bool structure = false;
  bool settings = false;
  bool store = false;
  std::map<std::string, std::string> pages;  // path in the copy -> text
};

TCopyChanges ApplyTranslations(const TXliffProjectTexts& texts, const TReplacements& replacements,
                               const std::string& copyRoot, TDocProject& project, TProjectSettings& settings,
                               TReusableProjectContent& store) {
  using K = TXliffText::TKind;
  TCopyChanges changes;
  for (const auto& [t, bySegment] : replacements) {
    const TXliffText& text = texts.Texts()[t];
    const std::string translated = TranslatedText(text, bySegment);
    if (translated == text.original) continue;
    switch (text.kind) {
      case K::ProjectTitle:
        settings.ProjTitle = translated;
        project.SetTitle(translated);
        changes.settings = changes.structure = true;
        break;
      case K::Footer:
        settings.CopyrightText = translated;
        changes.settings = true;
        break;
      case K::TopicTitle:
        project.GetTopic(text.topicID).SetTitle(translated);
        changes.structure = true;
        break;
      case K::Keyword:
        project.GetTopic(text.topicID).Keywords()[text.index] = translated;
        changes.structure = true;
        break;
      case K::IndexEntry:
        project.GetTopic(text.topicID).IndexEntries()[text.index] = translated;
        changes.structure = true;
        break;
      case K::TopicBody: changes.pages[TopicFilePath(copyRoot, text.topicID)] = translated; break;
      case K::TopicHeader: changes.pages[HeaderHtmlPath(copyRoot, text.topicID)] = translated; break;
      case K::VariableValue:
        store.Variables()[text.index].Value = translated;
        changes.store = true;
        break;
      case K::SnippetHtml:
        store.Snippets()[text.index].Html = translated;
        changes.store = true;
        break;
    }
  }
  return changes;
}

bool Inside(const std::string& path, const std::string& folder) {
  return StartsWith(IncludeTrailingDelimiter(path), IncludeTrailingDelimiter(folder));
}

// Refuses a copy that would land on or in the original, or replace a folder that is not a project.
void CheckCopyPlace(const std::string& projectFile, const std::string& originalRoot, const std::string& copyFile,
                    const std::string& copyFolder) {
  if (ExpandFileName(copyFile) == ExpandFileName(projectFile) || Inside(copyFolder, originalRoot) ||
      Inside(originalRoot, copyFolder))
    throw EFolivaneError(
        FormatText(TranslateText("The translated copy would replace the original project: %s"), {copyFile}));
  if (DirExists(copyFolder) && !FileExists(ProjectJsonPath(copyFolder)) && !ListFilesRecursive(copyFolder).empty())
    throw EFolivaneError(
        FormatText(TranslateText("%s exists and is not a project folder: it is left as it is"), {copyFolder}));
}

void WriteCopy(const std::string& originalRoot, const std::string& stage, const TCopyChanges& changes,
               TDocProject& project, const TProjectSettings& settings, const TReusableProjectContent& store) {
  CopyProjectFolder(originalRoot, stage);
  for (const auto& [path, text] : changes.pages) WriteTextFileUtf8(path, text);
  project.SetRootPath(IncludeTrailingDelimiter(stage));
  if (changes.store) store.SaveToProject(project);
  if (changes.settings) settings.SaveToFile(TProjectSettings::DefaultSettingsPathForProject(project.RootPath()));
  if (changes.structure) SaveProject(project);
}

// Puts the staged copy in place of the previous one, keeping the previous copy's published output.
void ReplaceCopy(const std::string& stage, const std::string& copyFolder) {
  if (DirExists(copyFolder)) {
    const std::string oldBuild = PathJoin(copyFolder, "build");
    if (DirExists(oldBuild)) {
      DeleteFolderTree(PathJoin(stage, "build"));
      fs::rename(oldBuild, PathJoin(stage, "build"));
    }
    const std::string replaced = copyFolder + ".replaced";
    DeleteFolderTree(replaced);
    fs::rename(copyFolder, replaced);
    fs::rename(stage, copyFolder);
    DeleteFolderTree(replaced);
  } else {
    fs::rename(stage, copyFolder);
  }
}

}  // namespace

std::string DefaultTranslatedProjectFile(const std::string& projectFile, const std::string& targetLang) {
  return PathJoin(ExtractFileDir(projectFile), FileNameWithoutExt(projectFile) + "." + targetLang + ".fvp");
}

TXliffImportReport ImportProjectXliff(const std::string& projectFile, const std::string& xliffFile,
                                      const std::string& intoFile) {
  if (!FileExists(xliffFile)) throw EFolivaneError(FormatText(TranslateText("File not found: %s"), {xliffFile}));
  const TXliffDocument document = ReadXliff(ReadBinaryFile(xliffFile), xliffFile);
  TXliffImportReport report;
  report.targetLang = document.targetLang;
  std::string copyFile = intoFile;
  if (copyFile.empty()) {
    if (!IsLanguageTag(document.targetLang))
      throw EFolivaneError(FormatText(
          TranslateText("%s names no target language: give the file name of the translated copy"), {xliffFile}));
    copyFile = DefaultTranslatedProjectFile(projectFile, document.targetLang);
  }
  copyFile = ExpandFileName(copyFile);
  report.copyFile = copyFile;

  TDocProject project;
  TProjectSettings settings;
  OpenProjectFile(projectFile, project, settings, &report.warnings);
  TReusableProjectContent store;
  if (!store.LoadFromProject(project))
    throw EFolivaneError(FormatText(TranslateText("%s is not valid JSON"), {ReusableContentPath(project)}));
  const std::string originalRoot = ExpandFileName(ExcludeTrailingDelimiter(project.RootPath()));
  const std::string copyFolder = ExpandFileName(ProjectFolderForFile(copyFile));
  CheckCopyPlace(projectFile, originalRoot, copyFile, copyFolder);

  const TXliffProjectTexts texts(project, settings, store);
  const TReplacements replacements = MatchUnits(document, texts, report);
  // The copy is made aside and swapped in whole: a failure leaves the previous copy as it was.
  const std::string stage = copyFolder + ".importing";
  const TCopyChanges changes = ApplyTranslations(texts, replacements, stage, project, settings, store);
  DeleteFolderTree(stage);
  try {
    WriteCopy(originalRoot, stage, changes, project, settings, store);
    ReplaceCopy(stage, copyFolder);
  } catch (...) {
    DeleteFolderTree(stage);
    throw;
  }
  TJson file = TJson::object();
  file["version"] = "1.0";
  file["title"] = project.Title();
  file["root"] = "";  // the folder beside the file
  WriteTextFileUtf8Bom(copyFile, JsonWrite(file));
  return report;
}
