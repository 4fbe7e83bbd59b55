// The publishing passes over topic HTML, shared by the exporters and the link checker:
// internal links, asset paths, backgrounds, page headers and folder copies. Each is a
// textual pass; the generic text helpers they build on are in uHtmlText.
#pragma once

#include <functional>
#include <string>
#include <string_view>
#include <unordered_set>
#include <vector>

#include "uDocModel.h"
#include "uHtmlText.h"
#include "uPublishGuard.h"
#include "uStorage.h"

// The output a pass is run for, where the outputs differ in small details.
enum class TPublishForm { WebHelp, Chm, Pdf };

// Identifiers of the internal topic links (href="doc:<32 hex digits>"), in document
// order, letter case as written, duplicates kept.
std::vector<std::string> ExtractDocLinkIds(std::string_view html);

// Maps a topic identifier (as written in the page) to a link target; "" means no target.
using TDocLinkResolver = std::function<std::string(const std::string& id)>;
// Every internal link becomes href="<target>", or href="#" when the resolver gives "".
// A page without internal links comes back byte for byte.
std::string RewriteDocLinks(std::string_view html, const TDocLinkResolver& resolver);

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
TPublishHeader LookupTopicHeader(const TDocProject& project, const std::string& topicID, TPublishForm form);

// The names of the entries of a folder (files or not), read once for a whole export
// instead of a check per topic; empty when the folder cannot be read.
std::unordered_set<std::string> NamesInFolder(const std::string& dir);

// Copies every file below source to the same place below destination, overwriting.
// WebHelp and CHM forms also create empty sub-folders; the PDF form creates only the
// folders that receive files. A missing source folder copies nothing. Files and folders
// that lead outside the project through a link are left out and noted in guard; links
// that stay inside are followed. Nothing is written outside the guard's output folder (raises).
// Returns the files copied, as paths relative to destination ("images/a.png").
std::vector<std::string> CopyFolderTree(const std::string& source, const std::string& destination, TPublishForm form,
                                        TPublishGuard& guard);
