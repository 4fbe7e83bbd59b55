// The "Project settings overrides" style sheet and the style sheet file of each output.
#pragma once

#include <string>

#include "uDocModel.h"
#include "uProjectSettings.h"

enum class TSettingsCssForm {
  Standard,  // WebHelp, PDF and the editor
  Chm,       // link underlines as bottom borders, shorthand table borders, thead cells
};

// CR LF lines, starting with an empty line. Without settings the text is empty.
std::string BuildSettingsCss(const TProjectSettings* settings, TSettingsCssForm form);
std::string BuildSettingsCss(const TProjectSettings& settings, TSettingsCssForm form);

// The body rule used where no style profile is found.
extern const char* const kDefaultBodyCssRule;

// The spacing of the blocks of a topic's body, one set of rules for the editor and every
// output: paragraphs, headings and list items without margins, lists indented by 1.5em.
// scope selects the element holding the body (".zd-page-body"); empty for the whole page.
// headingFilter follows each heading selector (":not(.title)" leaves such headings alone).
std::string TopicBodyLayoutCss(const std::string& scope, const std::string& headingFilter = "");

// The class of the heading the PDF manual puts above each topic.
extern const char* const kPdfTopicTitleClass;

// styles/<profile>.css in the project folder.
std::string StyleProfilePath(const TDocProject& project);

// The text of each output's style.css. Each reads the project's style profile (a missing
// file is no error, one that leads outside the project through a link counts as missing;
// an unreadable one raises) and appends BuildSettingsCss.
std::string BuildWebHelpStyleCss(const TDocProject& project, const TProjectSettings* settings);
std::string BuildChmStyleCss(const TProjectSettings* settings);
std::string BuildPdfStyleCss(const TDocProject& project, const TProjectSettings* settings);
// The editor's style sheet: profile, else the project's styles/default.css, else the
// default body rule; CR LF; the body layout for ".zd-body"; the standard overrides.
std::string BuildEditorStyleCss(const TDocProject& project, const TProjectSettings* settings);

// internal/editor/editor_effective.css in the project folder.
std::string EditorEffectiveCssPath(const TDocProject& project);
// Writes the editor's style sheet (creating its folder) and returns its full path.
std::string WriteEditorEffectiveCss(const TProjectSettings& settings, const TDocProject& project);
