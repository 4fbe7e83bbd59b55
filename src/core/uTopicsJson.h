// meta/topics.json, the topic tree. It grows with the project, so it is streamed in
// both directions instead of going through a document in memory.
#pragma once

#include <string>
#include <string_view>

#include "uDocModel.h"

// The file's text: compact, keys in their fixed order, topics in tree order (then those no
// root reaches, by identifier), pure ASCII.
std::string TopicsJsonText(const TDocProject& project);

// Adds the roots and topics of the text to project; the topics' pages lie under folder.
// Returns false, with a reason in error, when the text is not JSON: then nothing of it
// counts. Values of the wrong kind, duplicate IDs and IDs that are not plain file names
// (letters, digits, "-" and "_") raise an error naming path.
bool ReadTopicsJson(std::string_view text, const std::string& path, const std::string& folder, TDocProject& project,
                    std::string* error);

// A copy of the project's structure (root path, title, style profile, topics) for a
// publishing run to prepare without touching the project the window edits.
void CopyProjectStructure(const TDocProject& from, TDocProject& to);
