// The checks of a project's pages that a writer must act on before publishing, beyond its
// links: reusable-content tokens nothing defines or closes, pictures without alternative
// text, empty topics and headings that skip a level. It changes nothing.
#pragma once

#include <string>
#include <vector>

#include "uDocModel.h"
#include "uReusableContent.h"
#include "uUtils.h"

struct TProjectFinding {
  std::string file;  // relative to the project folder, "/" between folders
  std::string topicId;
  std::string topicTitle;  // for a snippet, "snippet " + its name
  std::string message;
};

// The findings of one page against the store, in the order they appear.
std::vector<std::string> CheckPageHtml(const std::string& html, const TReusableProjectContent& store);
// The same for a snippet's HTML, which may be empty and need not hold a heading.
std::vector<std::string> CheckSnippetHtml(const std::string& html, const TReusableProjectContent& store);

// Reads every topic page (tree order, topics outside the tree last by identifier), then
// the store's snippets. Topics whose page is missing are skipped: the link check reports
// them. A page that exists but cannot be read raises. progress gets (topics done, total).
std::vector<TProjectFinding> CheckProjectPages(const TDocProject& project, const TReusableProjectContent& store,
                                               const TProgressCallback& progress = nullptr);
