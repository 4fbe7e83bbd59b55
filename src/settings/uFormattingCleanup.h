// Clean Up Formatting: removes the inline typography that topics made by earlier versions
// carry on every paragraph (the project's font, size, colour and line height written into
// each one), so the project's style sheet governs that text again.
#pragma once

#include <string>
#include <string_view>
#include <vector>

#include "uDocModel.h"
#include "uProjectSettings.h"

struct TFormattingCleanup {
  std::string html;  // the page after the cleanup (the input when nothing changed)
  int changes = 0;   // style declarations and empty spans removed
};

// Removes from the style attributes of a topic's HTML:
// - the typography of the default paragraph earlier versions wrote into new topics,
//   recognised by its font list "<font>, Arial, sans-serif": its font, size and colour,
//   whatever the settings were then (the formatting commands put these on spans, never
//   on a block), and its line height where it is the project's;
// - anywhere else, a font, size, colour or line height equal to the project's own (for
//   text in a first- to third-level heading, the heading's size counts as well).
// A style attribute left empty is dropped, and so is a span left without attributes
// (its content stays). Formatting with any other value stays as it is.
TFormattingCleanup CleanUpTopicFormatting(std::string_view html, const TProjectSettings& settings);

struct TTopicCleanup {
  std::string id;
  std::string title;
  int changes = 0;
  std::string html;  // the cleaned page
};

// Every topic whose page the cleanup would change, in tree order. A missing page is
// skipped; an unreadable one raises EFolivaneError.
std::vector<TTopicCleanup> PlanFormattingCleanup(const TDocProject& project, const TProjectSettings& settings);

// Writes each cleaned page, replacing the file atomically. Raises EFolivaneError naming
// the topic when one cannot be written; pages written before it keep their new text.
void ApplyFormattingCleanup(const TDocProject& project, const std::vector<TTopicCleanup>& plan);
