// Text-level HTML helpers shared by the exporters, the link checker and the editor.
// Nothing here builds a document tree: every routine is a textual pass.
#pragma once

#include <functional>
#include <string>
#include <string_view>
#include <vector>

#include "uDocModel.h"
#include "uPublishGuard.h"
#include "uStorage.h"

// The output a pass is run for, where the outputs differ in small details.
enum class TPublishForm { WebHelp, Chm, Pdf };

// Where s holds lowerWord at or after from, ASCII letter case ignored (lowerWord must be
// lower case); npos when it does not. A skip-table search: quick on whole pages.
size_t FindTextNoCase(std::string_view s, std::string_view lowerWord, size_t from = 0);

// Whether s holds U+017F or U+212A, which a case-ignoring pattern takes for "s" and "k":
// quick ASCII pre-checks must then leave the decision to the pattern.
bool HasFoldingToAscii(std::string_view s);

// Plain text for the search index: scripts and styles dropped, tags as spaces, the
// common entities decoded, white space folded, trimmed.
std::string HtmlToPlainText(std::string_view html);

// Identifiers of the internal topic links (href="doc:<32 hex digits>"), in document
// order, letter case as written, duplicates kept.
std::vector<std::string> ExtractDocLinkIds(std::string_view html);

// Maps a topic identifier (as written in the page) to a link target; "" means no target.
using TDocLinkResolver = std::function<std::string(const std::string& id)>;
// Every internal link becomes href="<target>", or href="#" when the resolver gives "".
// A page without internal links comes back byte for byte.
std::string RewriteDocLinks(std::string_view html, const TDocLinkResolver& resolver);

// Escapes & < > " and ' (as &#39;).
std::string HtmlEscape(std::string_view text);
// Escapes & < > and "; keeps the apostrophe.
std::string EncodeHtmlText(std::string_view text);

// Explicit white backgrounds become transparent: twelve textual rules for WebHelp,
// the first eight for CHM; the PDF form leaves the page unchanged.
std::string NeutraliseWhiteBackgrounds(std::string_view html, TPublishForm form);

// Makes "assets/..." references relative to a page in the output's topics folder.
// WebHelp: src="assets/ and href="assets/ (exact case). CHM: src="assets/ and
// src="/assets/ (any case). PDF: unchanged.
std::string RewriteAssetPaths(std::string_view html, TPublishForm form);

// The header band of a published topic page: the project's default header files, then
// the topic's own, "#fafafa" for an empty background, and a title block in bold for a
// blank header (the CHM form HTML-encodes the title; WebHelp inserts it as it is).
TPublishHeader LookupTopicHeader(const TDocProject& project, const std::string& topicID,
                                 TPublishForm form);

// Copies every file below source to the same place below destination, overwriting.
// WebHelp and CHM forms also create empty sub-folders; the PDF form creates only the
// folders that receive files. A missing source folder copies nothing. Files and folders
// that lead outside the project through a link are left out and noted in guard; links
// that stay inside are followed. Nothing is written outside the guard's output folder (raises).
// Returns the files copied, as paths relative to destination ("images/a.png").
std::vector<std::string> CopyFolderTree(const std::string& source, const std::string& destination, TPublishForm form,
                                        TPublishGuard& guard);
