#include "uExportChm.h"

#include <algorithm>
#include <exception>
#include <filesystem>
#include <set>
#include <unordered_set>

#include "uChmNames.h"
#include "uCodePage1251.h"
#include "uHelpContext.h"
#include "uHtmlUtils.h"
#include "uJpegOrientation.h"
#include "uParallelPages.h"
#include "uProjectSettings.h"
#include "uRegex.h"
#include "uReusableContent.h"
#include "uSettingsCss.h"
#include "uStorage.h"

namespace {

const char* const kCrLf = "\r\n";

std::string JoinLines(const std::vector<std::string>& lines) {
  std::string text;
  for (const std::string& line : lines) text += line + kCrLf;
  return text;
}

std::string PageName(const std::string& id) { return "topics/" + id + ".html"; }

bool IncludedInChm(const TDocProject& project, const std::string& id) {
  return project.HasTopic(id) && !project.GetTopic(id).ExcludeChm();
}

// A title inside a double-quoted attribute: a double quote would end the value early.
std::string SitemapValue(const std::string& title) { return ReplaceAll(title, "\"", "&quot;"); }

void AppendSitemapObject(const TTopic& topic, std::vector<std::string>& lines) {
  lines.push_back("<LI><OBJECT type=\"text/sitemap\">");
  lines.push_back("<param name=\"Name\" value=\"" + SitemapValue(topic.Title()) + "\">");
  lines.push_back("<param name=\"Local\" value=\"" + PageName(topic.ID()) + "\">");
  lines.push_back("</OBJECT>");
}

// Nested lists as the contents file wants them: a topic with children opens one.
void AppendContentsEntries(const TDocProject& project, std::vector<std::string>& lines) {
  project.WalkTopics(
      [&](const TTopic& topic, int) {
        if (topic.ExcludeChm()) return TWalkAction::SkipChildren;
        AppendSitemapObject(topic, lines);
        if (topic.Children().empty()) return TWalkAction::SkipChildren;
        lines.push_back("<UL>");
        return TWalkAction::Descend;
      },
      [&](const TTopic&, int) { lines.push_back("</UL>"); });
}

std::string PageFooter(const TProjectSettings& settings) {
  if (!settings.CopyrightEnabled || Trim(settings.CopyrightText).empty()) return "";
  return "<div class=\"zd-footer\">" + EncodeHtmlText(settings.CopyrightText) + "</div>";
}

std::string BuildPage(const std::string& pageBackground, const TPublishHeader& header, const std::string& body,
                      const std::string& footer) {
  std::string page;
  page.reserve(body.size() + header.html.size() + footer.size() + 600);
  page +=
      "<html><head><meta http-equiv=\"Content-Type\" content=\"text/html; charset=windows-1251\">"
      "<link rel=\"stylesheet\" href=\"../style.css\"><style>body{margin:0;background:";
  page += pageBackground;
  page += ";}.zd-header{padding:12px 16px;background:";
  page += header.background;
  page += ";}.zd-body{padding:16px;}";
  page += TopicBodyLayoutCss(".zd-body");
  page += ".zd-footer{padding:10px 16px;font-size:12px;color:#666;border-top:1px solid #d0d0d0;}";
  // The Help viewer's engine predates figures: made known and made blocks, a captioned
  // picture keeps its caption under it as in the other outputs.
  const bool figures = body.find("<fig") != std::string::npos;
  if (figures) page += "figure,figcaption{display:block;}";
  page += "</style>";
  if (figures) page += "<script>document.createElement('figure');document.createElement('figcaption');</script>";
  page += "</head><body><div class=\"zd-header\">";
  page += header.html;
  page += "</div><div class=\"zd-body\">";
  page += body;
  page += "</div>";
  page += footer;
  page += "</body></html>";
  return page;
}

// Everything the pages of one export share: the reusable content and the default header
// read once, the folders listed once.
class TChmPageContext {
 public:
  TChmPageContext(const TDocProject& project, const TProjectSettings& settings, TPublishGuard& guard,
                  const TChmAssetNames& assetNames)
      : FProject(project),
        FGuard(guard),
        FAssetNames(assetNames),
        FMetaNames(NamesInFolder(PathJoin(project.RootPath(), "meta"))),
        FPageNames(NamesInFolder(PathJoin(project.RootPath(), "topics"))),
        FDefaultHeader(ResolvePublishHeader(project.RootPath(), "",
                                            [&guard](const std::string& path) { return guard.MayRead(path); })),
        FTitleBlock("<div style=\"font-size:14px;\"><b>" + EncodeHtmlText(project.Title()) + "</b></div>"),
        FPageBackground(ColorToHtml(settings.DefaultPageBgColor)),
        FHeaderColour(ColorToHtml(settings.DefaultHeaderBgColor)),
        FFooter(PageFooter(settings)) {
    FStore.LoadFromProject(project);
  }

  // The header band as LookupTopicHeader gives it in the CHM form.
  TPublishHeader Header(const std::string& id) const {
    TPublishHeader h = FDefaultHeader;
    const std::string htmlPath = HeaderHtmlPath(FProject, id);
    if (FMetaNames.count(ExtractFileName(htmlPath)) && FileExists(htmlPath) && FGuard.MayRead(htmlPath)) {
      h.html = ReadTextFileUtf8(htmlPath);
    }
    const std::string bgPath = HeaderBgPath(FProject, id);
    if (FMetaNames.count(ExtractFileName(bgPath)) && FileExists(bgPath) && FGuard.MayRead(bgPath)) {
      h.background = Trim(ReadTextFileUtf8(bgPath));
      if (h.background.empty()) h.background = "#fafafa";
    }
    if (Trim(h.html).empty()) h.html = FTitleBlock;
    return h;
  }

  // One topic's whole page, still UTF-8.
  std::string Page(const std::string& id) const {
    const std::string file = TopicFilePath(FProject, id);
    std::string html = FPageNames.count(ExtractFileName(file)) && FileExists(file) && FGuard.MayRead(file)
                           ? ReadTextFileUtf8(file)
                           : "";
    html = ExpandReusableContent(FStore, html);
    html = RewriteDocLinks(html, [this](const std::string& target) {
      return IncludedInChm(FProject, target) ? target + ".html" : std::string();
    });
    html = RewriteAssetPaths(html, TPublishForm::Chm);
    html = FAssetNames.RewritePage(html);
    html = NeutraliseWhiteBackgrounds(html, TPublishForm::Chm);
    html = ColourFirstTableRow(html, FHeaderColour);
    return StripInvisibleCharacters(BuildPage(FPageBackground, Header(id), html, FFooter));
  }

 private:
  const TDocProject& FProject;
  TPublishGuard& FGuard;
  const TChmAssetNames& FAssetNames;
  TReusableProjectContent FStore;
  std::unordered_set<std::string> FMetaNames;
  std::unordered_set<std::string> FPageNames;
  TPublishHeader FDefaultHeader;
  std::string FTitleBlock;
  std::string FPageBackground;
  std::string FHeaderColour;
  std::string FFooter;
};

// Writes the pages on the calling thread and one helper. Progress is reported, and may
// cancel, on the calling thread only; the first error stops both and is raised.
void WritePages(const TChmPageContext& context, const std::vector<const TTopic*>& topics, const std::string& out,
                const TPublishGuard& guard, const TProgressCallback& progress) {
  // An encoder keeps conversion state: one for each worker.
  TCodePage1251Encoder first(TUnmappable::NumericReference);
  TCodePage1251Encoder second(TUnmappable::NumericReference);
  TCodePage1251Encoder* encoders[kParallelWorkers] = {&first, &second};
  RunInParallel(topics.size(), progress, [&](size_t i, int worker) {
    const std::string& id = topics[i]->ID();
    WriteOutputFile(guard.Output(PathJoin(out, PageName(id))), encoders[worker]->Encode(context.Page(id)));
  });
}

// [ALIAS] names each topic's page, [MAP] gives the names their numbers through the header
// the export writes beside the project file, as developers include it in the program.
void AppendContextSections(const std::vector<THelpContextEntry>& entries, std::vector<std::string>& lines) {
  if (entries.empty()) return;
  const std::vector<std::string> symbols = HelpMapSymbols(entries);
  lines.insert(lines.end(), {"", "[ALIAS]"});
  bool anyId = false;
  for (size_t i = 0; i < entries.size(); ++i) {
    if (!symbols[i].empty()) lines.push_back(symbols[i] + "=" + entries[i].page);
    anyId = anyId || entries[i].helpId != 0;
  }
  if (anyId) lines.insert(lines.end(), {"", "[MAP]", std::string("#include ") + kChmContextHeader});
}

}  // namespace

std::string ChmOutputFolder(const TDocProject& project) { return PathJoin(BuildFolder(project), "chm"); }

std::string ChmFilePath(const TDocProject& project) { return PathJoin(ChmOutputFolder(project), "help.chm"); }

std::string ColourFirstTableRow(std::string_view html, const std::string& colour) {
  TRegexMatch row;
  if (!CachedRegex("(<tr\\b[^>]*>)(.*?)(</tr>)", roIgnoreCase | roDotAll).Search(html, row)) return std::string(html);
  const std::string attributes = " bgcolor=\"" + colour + "\" style=\"background-color: " + colour + ";\">";
  const std::string coloured =
      CachedRegex("<(td|th)\\b([^>]*)>", roIgnoreCase).Replace(row.Group(0), [&](const TRegexMatch& m) {
        return "<" + std::string(m.Group(1)) + std::string(m.Group(2)) + attributes;
      });
  std::string out;
  out.reserve(html.size() + coloured.size() - row.Group(0).size());
  out.append(html.substr(0, row.Start()));
  out += coloured;
  out.append(html.substr(row.End()));
  return out;
}

std::string StripInvisibleCharacters(std::string_view text) {
  std::string out;
  out.reserve(text.size());
  for (size_t i = 0; i < text.size(); ++i) {
    const auto b = static_cast<unsigned char>(text[i]);
    if (b == 0xC2 && i + 1 < text.size() && static_cast<unsigned char>(text[i + 1]) == 0xAD) {
      ++i;  // soft hyphen
      continue;
    }
    if ((b == 0xE2 || b == 0xEF) && i + 2 < text.size()) {
      const std::string_view seq = text.substr(i, 3);
      if (seq == "\xEF\xBB\xBF" || seq == "\xE2\x80\x8B" || seq == "\xE2\x80\x8C" || seq == "\xE2\x80\x8D" ||
          seq == "\xE2\x81\xA0") {
        i += 2;
        continue;
      }
    }
    out += static_cast<char>(b);
  }
  return out;
}

std::string BuildChmContents(const TDocProject& project) {
  std::vector<std::string> lines{
      "<!DOCTYPE HTML PUBLIC \"-//IETF//DTD HTML//EN\">",
      "<HTML>",
      "<HEAD>",
      "<meta http-equiv=\"Content-Type\" content=\"text/html; charset=windows-1251\">",
      "</HEAD>",
      "<BODY>",
      "<OBJECT type=\"text/site properties\"></OBJECT>",
      "<UL>",
  };
  AppendContentsEntries(project, lines);
  lines.insert(lines.end(), {"</UL>", "</BODY>", "</HTML>"});
  return JoinLines(lines);
}

std::string BuildChmIndex(const TDocProject& project) {
  std::vector<std::string> lines{"<HTML><BODY><UL>"};
  for (const TTopic* topic : project.EveryTopicTreeFirst()) {
    if (!topic->ExcludeChm()) AppendSitemapObject(*topic, lines);
  }
  lines.push_back("</UL></BODY></HTML>");
  return JoinLines(lines);
}

std::string ChmDefaultPage(const TDocProject& project) {
  // Depth first, going below a topic only while it is excluded.
  std::string page;
  project.WalkTopics([&](const TTopic& topic, int) {
    if (topic.ExcludeChm()) return TWalkAction::Descend;
    page = PageName(topic.ID());
    return TWalkAction::Stop;
  });
  return page;
}

std::string BuildChmProjectFile(const std::vector<std::string>& pageList, const std::string& defaultPage,
                                const std::string& outputFolder, const std::vector<THelpContextEntry>& contexts) {
  std::vector<std::string> lines{"[OPTIONS]", "Compiled file=help.chm", "Contents file=toc.hhc",
                                 "Index file=index.hhk"};
  if (!defaultPage.empty()) lines.push_back("Default topic=" + defaultPage);
  else if (!pageList.empty()) lines.push_back("Default topic=" + pageList.front());
  lines.insert(lines.end(), {"Full-text search=Yes", "", "[FILES]", "toc.hhc", "index.hhk"});
  lines.insert(lines.end(), pageList.begin(), pageList.end());
  lines.push_back("style.css");
  const std::string assets = PathJoin(outputFolder, "assets");
  if (DirExists(assets)) {
    for (const std::string& rel : ListFilesRecursive(assets)) {
      // The export gives every copy a name chmcmd can open; others are left from older exports.
      if (IsChmSafeName(rel)) lines.push_back("assets/" + rel);
    }
  }
  AppendContextSections(contexts, lines);
  return JoinLines(lines);
}

TChmProjectFiles WriteChmProject(const TDocProject& project, const TProgressCallback& progress) {
  TChmProjectFiles files;
  files.outputFolder = ChmOutputFolder(project);
  const std::string& out = files.outputFolder;
  CheckOutputFolder(project.RootPath(), out);
  EnsureDir(CheckedOutputPath(out, PathJoin(out, "topics")));
  TPublishGuard guard(project.RootPath(), out);
  const auto output = [&out](const std::string& name) { return CheckedOutputPath(out, PathJoin(out, name)); };
  // The pages are rewritten in place: the last run's project file would make a project
  // cut short look finished. It is written last, whole or not at all.
  DeleteFileIfExists(output("project.hhp"));
  RemoveStaleWriteTemps(out);

  TProjectSettings settings;
  settings.LoadFromFile(TProjectSettings::DefaultSettingsPathForProject(project.RootPath()));
  WriteTextFileUtf8(output("style.css"), BuildChmStyleCss(&settings));
  const std::string projectAssets = PathJoin(project.RootPath(), "assets");
  const std::string assets = PathJoin(out, "assets");
  // Copied under their own names first (the photos are turned by those), renamed below.
  const TChmAssetNames assetNames(CopyFolderTree(projectAssets, assets, TPublishForm::Chm, guard));

  std::vector<const TTopic*> topics;
  for (const TTopic* topic : project.EveryTopicTreeFirst()) {
    if (!topic->ExcludeChm()) topics.push_back(topic);
  }
  const TChmPageContext context(project, settings, guard, assetNames);
  WritePages(context, topics, out, guard, progress);
  for (const TTopic* topic : topics) files.pageList.push_back(PageName(topic->ID()));

  NormaliseJpegOrientation(project, out);
  if (assetNames.RenamesAny()) {
    assetNames.RenameCopies(assets);
    assetNames.RewriteStyleSheets(assets);
  }

  TCodePage1251Encoder listEncoder(TUnmappable::CloseCharacter);
  WriteOutputFile(output("toc.hhc"), listEncoder.Encode(BuildChmContents(project)));
  WriteOutputFile(output("index.hhk"), listEncoder.Encode(BuildChmIndex(project)));
  files.defaultPage = ChmDefaultPage(project);
  const std::vector<THelpContextEntry> contexts =
      HelpContextEntries(project, [](const TTopic& t) { return t.ExcludeChm(); });
  if (contexts.empty()) DeleteFileIfExists(output(kChmContextHeader));
  else WriteOutputFile(output(kChmContextHeader), HelpMapText(contexts, THelpMapFormat::C));
  files.projectFile = output("project.hhp");
  WriteFileAtomic(files.projectFile,
                  listEncoder.Encode(BuildChmProjectFile(files.pageList, files.defaultPage, out, contexts)));
  files.warnings = guard.Warnings();
  return files;
}

namespace {

// The compiler writes a file of another name, renamed to help.chm once it has finished:
// compilers write the named file in place, and a compile cut short (the program killed,
// the session ended) would leave a help.chm that looks like a result.
const char kPartialChm[] = ".help.chm.partial";

// Runs the compiler on a copy of the project file that names the partial file (partial, in
// the output folder); returns what it printed. The copy is removed again.
TProcessResult CompileToPartialFile(const TChmProjectFiles& files, const std::string& partial,
                                    IChmCompilerQuestions* questions) {
  const std::string compileProject =
      CheckedOutputPath(files.outputFolder, PathJoin(files.outputFolder, ".compile.hhp"));
  DeleteFileIfExists(partial);
  WriteOutputFile(compileProject, ReplaceAll(ReadBinaryFile(files.projectFile), "Compiled file=help.chm",
                                             std::string("Compiled file=") + kPartialChm));
  try {
    const TProcessResult run = RunHtmlHelpCompiler(compileProject, files.outputFolder, questions);
    DeleteFileIfExists(compileProject);
    return run;
  } catch (...) {
    DeleteFileIfExists(compileProject);
    throw;
  }
}

}  // namespace

std::string ExportChm(const TDocProject& project, IChmCompilerQuestions* questions, const TProgressCallback& progress,
                      std::vector<std::string>* warnings) {
  const TChmProjectFiles files = WriteChmProject(project, progress);
  if (warnings) warnings->insert(warnings->end(), files.warnings.begin(), files.warnings.end());
  const std::string chm = CheckedOutputPath(files.outputFolder, PathJoin(files.outputFolder, "help.chm"));
  // An old file would make a failed compile look like a success.
  DeleteFileIfExists(chm);
  const std::string partial = CheckedOutputPath(files.outputFolder, PathJoin(files.outputFolder, kPartialChm));
  const TProcessResult run = CompileToPartialFile(files, partial, questions);
  std::error_code ec;
  if (!FileExists(partial) || std::filesystem::file_size(partial, ec) == 0 || ec) {
    DeleteFileIfExists(partial);
    std::string message = "The HTML Help compiler did not create help.chm.";
    const std::string printed = Trim(run.output);
    if (!printed.empty()) message += "\n" + printed;
    throw EFolivaneError(message);
  }
  std::filesystem::rename(partial, chm, ec);
  if (ec) throw EFolivaneError("Cannot write file " + chm + ": " + ec.message());
  return ExpandFileName(chm);
}

TChmCommandResult RunChmCommand(const TDocProject& project, IChmCompilerQuestions* questions,
                                const TProgressCallback& progress) {
  TChmCommandResult result;
  try {
    CheckOutputFolder(project.RootPath(), ChmOutputFolder(project));
    EnsureDir(ChmOutputFolder(project));
    // Windows ends running help viewers here (they lock the file); Linux replaces an open file freely.
    result.chmPath = ExportChm(project, questions, progress, &result.warnings);
    result.outcome = TChmCommandResult::Done;
    result.message = "CHM exported: " + result.chmPath;
  } catch (const EAbort&) {
    result.outcome = TChmCommandResult::Cancelled;
    result.message = "CHM export cancelled";
  } catch (const std::exception& e) {
    result.outcome = TChmCommandResult::Failed;
    result.message = std::string("CHM export failed: ") + e.what();
  }
  return result;
}
