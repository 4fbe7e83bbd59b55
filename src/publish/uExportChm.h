// The CHM export: an HTML Help project in build/chm of the project folder (pages,
// style sheet, assets, contents, index, project file), compiled into help.chm.
#pragma once

#include <string>
#include <string_view>
#include <vector>

#include "uChmCompiler.h"
#include "uDocModel.h"
#include "uHelpContext.h"
#include "uUtils.h"

// build/chm of the project folder, and the compiled file in it.
std::string ChmOutputFolder(const TDocProject& project);
std::string ChmFilePath(const TDocProject& project);

struct TChmProjectFiles {
  std::string outputFolder;
  std::string projectFile;            // project.hhp
  std::vector<std::string> pageList;  // "topics/<id>.html", in the order written
  std::string defaultPage;            // "" when there is none
  std::vector<std::string> warnings;  // one line for each project file left out
};

// Writes the HTML Help project without compiling it; project.hhp is deleted first and
// written last, so it exists only beside a finished project; stale temporary files of
// writes cut short are deleted from the folder. The copies of the assets get names chmcmd
// can open (see uChmNames), and the pages refer to them by those. progress gets (pages
// done, pages) and may cancel between pages by throwing EAbort. Project files that lead
// outside the project through a symbolic link are left out (see warnings); nothing is
// written outside the output folder (raises).
TChmProjectFiles WriteChmProject(const TDocProject& project, const TProgressCallback& progress = {});

// Writes the HTML Help project and compiles it; returns the full path of help.chm.
// An old help.chm is deleted first, and a compiler that leaves none (or an empty one)
// fails the export with what it printed. The compiler writes under another name, renamed
// to help.chm when it has finished, so a compile cut short leaves none. EAbort when the
// user declines to pick a compiler. The lines of files left out are appended to warnings
// when given.
std::string ExportChm(const TDocProject& project, IChmCompilerQuestions* questions = nullptr,
                      const TProgressCallback& progress = {}, std::vector<std::string>* warnings = nullptr);

// The CHM command after Save: export and compile, turned into what the window reports.
// The window shows `message` on its status line (Done, Cancelled) or in an error box
// (Failed), and opens chmPath when Done.
struct TChmCommandResult {
  enum TOutcome { Done, Cancelled, Failed } outcome = Done;
  std::string chmPath;
  std::string message;                // "CHM exported: <path>", "CHM export cancelled", "CHM export failed: <error>"
  std::vector<std::string> warnings;  // project files left out, when Done
};
TChmCommandResult RunChmCommand(const TDocProject& project, IChmCompilerQuestions* questions,
                                const TProgressCallback& progress = {});

// Gives the first row of the first table the header colour as bgcolor and style
// attributes on each of its td/th cells (the HTML Help viewer ignores the style sheet rule).
std::string ColourFirstTableRow(std::string_view html, const std::string& colour);
// Removes U+FEFF, U+200B, U+200C, U+200D, U+2060 and U+00AD.
std::string StripInvisibleCharacters(std::string_view text);

// The files of the HTML Help project, as UTF-8 text with CR LF line ends.
std::string BuildChmContents(const TDocProject& project);
std::string BuildChmIndex(const TDocProject& project);
// The default page: the first root that resolves ("topics/<id>.html" of a topic not
// excluded, else the first of its children that resolves, depth first); "" for none.
std::string ChmDefaultPage(const TDocProject& project);
// The header of help context IDs the project file includes, written beside it.
constexpr const char* kChmContextHeader = "context.h";

// The file list holds the pages, style.css and the files below assets/ in the output folder
// whose names chmcmd can open; the topics of contexts follow in [ALIAS] and [MAP].
std::string BuildChmProjectFile(const std::vector<std::string>& pageList, const std::string& defaultPage,
                                const std::string& outputFolder, const std::vector<THelpContextEntry>& contexts = {});
