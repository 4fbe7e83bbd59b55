// Turns an external HTML page into one fragment for the editor: scripts and document
// structure go, linked style sheets and referenced files are copied into the project's
// assets folders with their references rewritten, HTML5 sectioning becomes div/span and
// flex/grid layouts become block layout. Everything is a textual pass.
#pragma once

#include <map>
#include <string>
#include <string_view>

// True for references that are never files: empty, http:, https:, data:, mailto:, doc:,
// "//", "#", javascript:, tel:, cid:.
bool IsNonLocalUrl(std::string_view url);
// Trimmed, cut at the first "#", then at the first "?".
std::string StripQueryAndFragment(std::string_view url);
// %XX escapes as UTF-8 bytes, "+" as a space. A "%" that starts no valid escape stays
// as it is, as browsers read it, so one odd reference cannot spoil a whole import.
std::string PercentDecodeUrl(std::string_view text);
// The value of the first name=... attribute in a tag (double-, single- or unquoted), or "".
std::string GetAttr(std::string_view tag, const std::string& name);
// True when one of the space-separated words of rel is "stylesheet".
bool IsStylesheetRel(std::string_view rel);
// display: flex / inline-flex / grid / inline-grid become "display: block".
std::string FlattenLayouts(std::string_view css);
// "<div" + class, style, lang and dir of the page's body element + ">", or "". Values
// holding entities are read as text first, so they come out escaped once.
std::string BodyAttributesDiv(std::string_view text);
// The body's content without scripts, titles, styles, links and meta elements, trimmed.
std::string ExtractImportableBody(std::string_view text);
// HTML5 sectioning elements become div, inline ones span; picture and template go.
std::string ReplaceHtml5Elements(std::string_view body);
// "\" becomes "/", then '"' becomes '\"'.
std::string CssUrlEscape(std::string_view s);
// A page or style sheet read as UTF-8, or as Windows-1252 when it is not valid UTF-8.
std::string ReadTextUtf8OrAnsi(const std::string& path);
// True for a file the import never copies: its name, or a folder's name on its way
// below baseFolder (or anywhere when it lies outside baseFolder), starts with ".".
bool IsHiddenImportPath(const std::string& path, const std::string& baseFolder);

// One import of one page into one project. The maps make each style sheet and each body
// file be copied once per import.
class THtmlImporter {
 public:
  THtmlImporter(std::string projectFolder, const std::string& htmlFile);

  // The fragment to insert: the style-sheet links and style elements, then the body
  // (wrapped in the body's attributes). Empty (after trimming) when there is nothing.
  std::string BuildFragment();

  // The steps, usable one by one.
  std::string CollectStyleSheets(std::string_view text);
  std::string LocalizeBodyAssets(std::string_view body);
  void LocalizeStyleSheet(const std::string& source, const std::string& target);
  std::string ResolveLocalPath(std::string_view url) const;
  std::string ResolveCssPath(std::string_view url, const std::string& folder) const;

 private:
  std::string LocalizeAssetUrl(const std::string& url);
  std::string LocalizeSrcset(const std::string& value);
  // The project URL of a local style sheet, processing it on first sight; "" when it
  // cannot be placed.
  std::string StyleSheetUrl(const std::string& path);
  bool IsCopyable(const std::string& path) const;

  std::string FProjectFolder;
  std::string FHtmlFile;
  std::string FBaseFolder;
  std::map<std::string, std::string> FStyleSheets;
  std::map<std::string, std::string> FBodyAssets;
};

// Reads the page and returns the fragment (see THtmlImporter::BuildFragment).
std::string ImportHtmlFragment(const std::string& projectFolder, const std::string& htmlFile);
