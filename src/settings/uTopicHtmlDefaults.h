// The HTML a new topic starts with, built from the project settings.
#pragma once

#include <string>

#include "uProjectSettings.h"

// An empty paragraph in the project's font, size, colour and line spacing.
std::string DefaultEmptyParagraphHtml(const TProjectSettings& settings);
// The font name used in default texts: trimmed, "Segoe UI" when empty, quotes as &quot;.
std::string DefaultTextFontName(const TProjectSettings& settings);
