// The HTML a new topic starts with, built from the project settings.
#pragma once

#include <optional>
#include <string>
#include <string_view>

#include "uProjectSettings.h"

// An empty paragraph without inline typography: the project's style sheet styles it.
std::string DefaultEmptyParagraphHtml(const TProjectSettings& settings);
// The font name used in default texts: trimmed, "Segoe UI" when empty, quotes as &quot;.
std::string DefaultTextFontName(const TProjectSettings& settings);
// The header a topic starts with: its title in bold, in the project's font, size and colour.
std::string DefaultHeaderHtml(const TProjectSettings& settings, const std::string& title);

// The characters outside tags, a few entities decoded (&nbsp; and &#160; as spaces), trimmed.
std::string StripTagsToText(std::string_view html);
// True when the body shows nothing: no image, table, video or frame, and no text but blanks.
bool IsBodyEmpty(std::string_view html);
// True when the header shows only the topic's or the project's title (letter case ignored)
// and holds no image, table or link.
bool IsDefaultLikeHeader(std::string_view headerHtml, const std::string& title, const std::string& projectTitle);
// A header that shows just oldTitle (as one run of text, nothing else) with newTitle in its
// place, its formatting kept; nullopt for a header the writer has made their own.
std::optional<std::string> RetitledHeader(std::string_view headerHtml, const std::string& oldTitle,
                                          const std::string& newTitle);
