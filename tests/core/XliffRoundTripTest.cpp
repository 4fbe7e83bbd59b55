#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>
#include <regex>

#include "TestHelpers.h"
#include "uProjectOpen.h"
#include "uReusableContent.h"
#include "uStorage.h"
#include "uXliffExport.h"
#include "uXliffImport.h"

namespace {

const std::string kRepo = std::string(FOLIVANE_FIXTURES_DIR) + "/../..";

// A copy of a project (its .fvp and folder) in tmp; returns the copy's .fvp.
std::string CopyProject(const TTempDir& tmp, const std::string& folder, const std::string& fvp) {
  const std::string name = FileNameWithoutExt(fvp);
  CopyProjectFolder(kRepo + "/" + folder + "/" + name, tmp / name);
  CopyFileOverwrite(kRepo + "/" + folder + "/" + fvp, tmp / fvp);
  return tmp / fvp;
}

// The project's XLIFF file, read back.
TXliffDocument Exported(const std::string& projectFile) {
  TDocProject project;
  TProjectSettings settings;
  OpenProjectFile(projectFile, project, settings);
  const std::string path = DefaultXliffPath(project, projectFile, "de");
  ExportProjectXliff(project, settings, projectFile, "en", "de", path);
  return ReadXliff(ReadBinaryFile(path), path);
}

std::string WriteDocument(const TTempDir& tmp, const TXliffDocument& document) {
  WriteFixtureFile(tmp / "translated.xlf", WriteXliff(document));
  return tmp / "translated.xlf";
}

// Letters changed and the text bracketed, so that even "4.2" changes; codes kept.
TXliffContent Pseudo(const TXliffContent& source) {
  TXliffContent target = {{TXliffRun::TKind::Text, "\xE2\x9F\xA6"}};
  for (TXliffRun run : source) {
    if (run.kind == TXliffRun::TKind::Text) {
      std::string changed;
      for (const char c : run.value) {
        if (c == 'a') changed += "\xC3\xA4";
        else if (c == 'o') changed += "\xC3\xB6";
        else if (std::isalpha(static_cast<unsigned char>(c))) changed += static_cast<char>(c ^ 0x20);
        else changed += c;
      }
      run.value = changed;
    }
    target.push_back(run);
  }
  target.push_back({TXliffRun::TKind::Text, "\xE2\x9F\xA7"});
  return target;
}

// Every file of the project's folder that the copy must have the same, by path.
std::vector<std::string> ProjectFiles(const std::string& folder) {
  std::vector<std::string> files;
  for (const std::string& rel : ListFilesRecursive(folder)) {
    if (!StartsWith(rel, "build/") && !StartsWith(rel, "internal/")) files.push_back(rel);
  }
  return files;
}

// The tags and tokens of a page in order: what a translation must not touch.
std::vector<std::string> Markup(const std::string& html) {
  static const std::regex kMarkup("<[^>]*>|\\{[^}]*\\}");
  std::vector<std::string> markup;
  for (auto it = std::sregex_iterator(html.begin(), html.end(), kMarkup); it != std::sregex_iterator(); ++it)
    markup.push_back(it->str());
  return markup;
}

TEST(XliffRoundTrip, IdentityTranslationGivesTheSameFilesByteForByte) {
  const struct {
    const char* folder;
    const char* fvp;
  } projects[] = {{"examples/Sample", "Sample.fvp"}, {"docs/manual", "Folivane.fvp"}};
  for (const auto& p : projects) {
    TTempDir tmp;
    const std::string fvp = CopyProject(tmp, p.folder, p.fvp);
    TXliffDocument document = Exported(fvp);
    for (TXliffUnit& unit : document.units) unit.target = unit.source;
    const TXliffImportReport report = ImportProjectXliff(fvp, WriteDocument(tmp, document));
    EXPECT_EQ(report.translated, document.units.size()) << p.folder;
    EXPECT_TRUE(report.untranslated.empty() && report.changed.empty() && report.broken.empty() &&
                report.unknown.empty())
        << p.folder;
    const std::string name = FileNameWithoutExt(p.fvp);
    EXPECT_EQ(report.copyFile, tmp / (name + ".de.fvp"));
    const std::string original = tmp / name;
    const std::string copy = tmp / (name + ".de");
    ASSERT_EQ(ProjectFiles(copy), ProjectFiles(original)) << p.folder;
    for (const std::string& rel : ProjectFiles(original))
      EXPECT_EQ(ReadBinaryFile(copy + "/" + rel), ReadBinaryFile(original + "/" + rel)) << rel;
  }
}

TEST(XliffRoundTrip, PseudoTranslationChangesEveryTextAndNoTag) {
  TTempDir tmp;
  const std::string fvp = CopyProject(tmp, "examples/Sample", "Sample.fvp");
  TXliffDocument document = Exported(fvp);
  for (TXliffUnit& unit : document.units) unit.target = Pseudo(unit.source);
  const TXliffImportReport report = ImportProjectXliff(fvp, WriteDocument(tmp, document));
  EXPECT_EQ(report.translated, document.units.size());

  TDocProject original, copy;
  TProjectSettings originalSettings, copySettings;
  OpenProjectFile(fvp, original, originalSettings);
  OpenProjectFile(report.copyFile, copy, copySettings);
  EXPECT_NE(copySettings.ProjTitle, originalSettings.ProjTitle);
  EXPECT_NE(copySettings.CopyrightText, originalSettings.CopyrightText);
  EXPECT_EQ(copy.Title(), copySettings.ProjTitle);
  EXPECT_EQ(copy.RootTopicIDs(), original.RootTopicIDs());
  for (const TTopic* topic : original.EveryTopicTreeFirst()) {
    const TTopic& translated = copy.GetTopic(topic->ID());
    EXPECT_NE(translated.Title(), topic->Title());
    EXPECT_EQ(translated.Children(), topic->Children());
    for (size_t k = 0; k < topic->Keywords().size(); ++k) EXPECT_NE(translated.Keywords()[k], topic->Keywords()[k]);
    for (const auto& page : {TopicFilePath(original, topic->ID()), HeaderHtmlPath(original, topic->ID())}) {
      if (!FileExists(page)) continue;
      const std::string before = ReadTextFileUtf8(page);
      const std::string after =
          ReadTextFileUtf8(IncludeTrailingDelimiter(copy.RootPath()) + page.substr(original.RootPath().size()));
      EXPECT_EQ(Markup(after), Markup(before)) << page;
      const auto beforeSegments = SegmentHtml(before);
      const auto afterSegments = SegmentHtml(after);
      ASSERT_EQ(afterSegments.size(), beforeSegments.size()) << page;
      for (size_t s = 0; s < beforeSegments.size(); ++s)
        EXPECT_NE(ContentText(afterSegments[s].content), ContentText(beforeSegments[s].content)) << page;
    }
  }
  TReusableProjectContent before, after;
  before.LoadFromProject(original);
  after.LoadFromProject(copy);
  for (size_t v = 0; v < before.Variables().size(); ++v) {
    EXPECT_EQ(after.Variables()[v].Name, before.Variables()[v].Name);
    EXPECT_NE(after.Variables()[v].Value, before.Variables()[v].Value);
  }
  for (size_t s = 0; s < before.Snippets().size(); ++s)
    EXPECT_EQ(Markup(after.Snippets()[s].Html), Markup(before.Snippets()[s].Html));
}

// A project edited after the export, a translation with a damaged code, one without
// translation and one for a text the project does not have: each is listed and keeps the
// project's text. Importing again replaces the copy and keeps its published output.
TEST(XliffRoundTrip, UnitsThatCannotBeUsedAreListedAndKeepTheProjectsText) {
  TTempDir tmp;
  const std::string fvp = CopyProject(tmp, "examples/Sample", "Sample.fvp");
  const std::string welcome = "5A3D1E0C7B9F4E21A6C8000000001005";
  const std::string firstBackup = "5A3D1E0C7B9F4E21A6C8000000001002";
  TXliffDocument document = Exported(fvp);
  for (TXliffUnit& unit : document.units) unit.target = Pseudo(unit.source);

  const auto unit = [&](const std::string& id) -> TXliffUnit& {
    return *std::find_if(document.units.begin(), document.units.end(), [&](const TXliffUnit& u) { return u.id == id; });
  };
  auto& damaged = *unit(firstBackup + ".body.2").target;  // {var:ProductName} is code 1, <b> code 2
  damaged.erase(std::find_if(damaged.begin(), damaged.end(),
                             [](const TXliffRun& r) { return r.kind == TXliffRun::TKind::Placeholder; }));
  unit(firstBackup + ".title").target.reset();
  unit(welcome + ".title").target = TXliffContent{};  // an empty target is no translation either
  document.units.push_back({"0000.body.1", "", {{TXliffRun::TKind::Text, "x"}}, TXliffContent{}, {}, ""});

  const std::string welcomePage = tmp / ("Sample/topics/" + welcome + ".html");
  const std::string edited = ReplaceAll(ReadTextFileUtf8(welcomePage), "Faster scanning", "Much faster scanning");
  WriteFixtureFile(welcomePage, edited);

  const std::string xlf = WriteDocument(tmp, document);
  const TXliffImportReport report = ImportProjectXliff(fvp, xlf);
  EXPECT_EQ(report.changed, std::vector<std::string>{welcome + ".body.5"});
  ASSERT_EQ(report.broken.size(), 1u);
  EXPECT_EQ(report.broken[0].unitId, firstBackup + ".body.2");
  EXPECT_EQ(report.broken[0].message, "Inline code 1 is missing");
  EXPECT_EQ(report.untranslated, (std::vector<std::string>{welcome + ".title", firstBackup + ".title"}));
  EXPECT_EQ(report.unknown, std::vector<std::string>{"0000.body.1"});

  const std::string copyRoot = tmp / "Sample.de";
  const std::string welcomeCopy = ReadTextFileUtf8(copyRoot + "/topics/" + welcome + ".html");
  EXPECT_NE(welcomeCopy.find("<li>Much faster scanning of large folders</li>"), std::string::npos);
  EXPECT_EQ(welcomeCopy.find("Welcome to"), std::string::npos);  // the other pieces are translated
  const std::string backupCopy = ReadTextFileUtf8(copyRoot + "/topics/" + firstBackup + ".html");
  EXPECT_NE(backupCopy.find("<p>When {var:ProductName} starts for the first time"), std::string::npos);

  // Again, with the identity: the copy is the project once more, its build folder kept.
  WriteFixtureFile(copyRoot + "/build/webhelp/index.html", "published");
  for (TXliffUnit& u : document.units) u.target = u.source;
  const TXliffImportReport again = ImportProjectXliff(fvp, WriteDocument(tmp, document));
  EXPECT_EQ(again.changed, report.changed);  // the file still has the old source
  EXPECT_TRUE(again.broken.empty());
  EXPECT_EQ(ReadBinaryFile(copyRoot + "/topics/" + welcome + ".html"), edited);
  EXPECT_EQ(ReadBinaryFile(copyRoot + "/build/webhelp/index.html"), "published");
  EXPECT_FALSE(DirExists(copyRoot + ".importing") || DirExists(copyRoot + ".replaced"));
}

TEST(XliffRoundTrip, SourceLanguageIsTheProjectsSpellingLanguage) {
  const std::pair<const char*, const char*> cases[] = {
      {"", "en"}, {"de-DE", "de-DE"}, {"pt_BR", "pt-BR"}, {"not a code", "en"}};
  for (const auto& [spelling, language] : cases) {
    TProjectSettings settings;
    settings.SpellLanguage = spelling;
    EXPECT_EQ(ProjectSourceLanguage(settings), language) << spelling;
  }
}

TEST(XliffRoundTrip, RefusesACopyInPlaceOfTheOriginalOrOfOtherFiles) {
  TTempDir tmp;
  const std::string fvp = CopyProject(tmp, "examples/Sample", "Sample.fvp");
  TXliffDocument document = Exported(fvp);
  const std::string xlf = WriteDocument(tmp, document);
  WriteFixtureFile(tmp / "Notes/keep.txt", "mine");
  const std::string pageBefore = ReadBinaryFile(tmp / "Sample/topics/5A3D1E0C7B9F4E21A6C8000000001005.html");
  const struct {
    std::string into;
    std::string error;
  } cases[] = {
      {fvp, "The translated copy would replace the original project: " + fvp},
      {tmp / "Sample/inner.fvp", "The translated copy would replace the original project: " + tmp / "Sample/inner.fvp"},
      {tmp / "Notes.fvp", tmp / "Notes" + " exists and is not a project folder: it is left as it is"},
  };
  for (const auto& c : cases) EXPECT_EQ(ErrorMessage([&] { ImportProjectXliff(fvp, xlf, c.into); }), c.error);
  EXPECT_EQ(ReadBinaryFile(tmp / "Notes/keep.txt"), "mine");
  EXPECT_EQ(ReadBinaryFile(tmp / "Sample/topics/5A3D1E0C7B9F4E21A6C8000000001005.html"), pageBefore);
}

// A received project may link a topic page to any file of the machine: the translator gets
// nothing of it.
TEST(XliffRoundTrip, APageLinkedOutsideTheProjectIsNotExported) {
  TTempDir tmp;
  const std::string fvp = CopyProject(tmp, "examples/Sample", "Sample.fvp");
  TDocProject project;
  TProjectSettings settings;
  OpenProjectFile(fvp, project, settings);
  const std::string page = TopicFilePath(project, project.RootTopicIDs().at(0));
  WriteFixtureFile(tmp / "secret.html", "<p>Secret of the machine</p>");
  std::filesystem::remove(page);
  std::filesystem::create_symlink(tmp / "secret.html", page);
  for (const TXliffUnit& unit : Exported(fvp).units) {
    for (const TXliffRun& run : unit.source) EXPECT_EQ(run.value.find("Secret"), std::string::npos) << unit.id;
  }
}

}  // namespace
