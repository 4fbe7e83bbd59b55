// Variables, snippets and conditions: the store in meta/reusable_content.json and the
// expansion of their tokens in published pages.
#pragma once

#include <string>
#include <string_view>
#include <vector>

#include "uDocModel.h"

struct TReusableVariable {
  std::string Name;
  std::string Value;  // plain text, HTML-escaped on expansion
};

struct TReusableSnippet {
  std::string Name;
  std::string Html;  // inserted after its own expansion
};

struct TReusableCondition {
  std::string Name;
  bool Enabled = true;
};

// meta/reusable_content.json under the project root.
std::string ReusableContentPath(const TDocProject& project);

class TReusableProjectContent {
 public:
  // The lists themselves: callers fill them directly before SaveToProject.
  std::vector<TReusableVariable>& Variables() { return FVariables; }
  const std::vector<TReusableVariable>& Variables() const { return FVariables; }
  std::vector<TReusableSnippet>& Snippets() { return FSnippets; }
  const std::vector<TReusableSnippet>& Snippets() const { return FSnippets; }
  std::vector<TReusableCondition>& Conditions() { return FConditions; }
  const std::vector<TReusableCondition>& Conditions() const { return FConditions; }

  void Clear();
  // Replaces the contents with the project's file. No root path, no file or text that is
  // not JSON leave the store empty; a top level that is not an object, or a list member
  // that is not an array, raises EFolivaneError (entries read before it stay).
  // False only for text that is not JSON, which a caller about to save must not replace.
  // The project's build choices (a profile's run) are then set over the values read.
  bool LoadFromProject(const TDocProject& project);
  // Sets the choices' condition and variable values, adding those the store lacks.
  void ApplyBuildChoices(const TBuildChoices& choices);
  // Fills the store from the text of a reusable_content.json file (same rules).
  bool LoadFromJsonText(std::string_view text, const std::string& fileNameForErrors = "");
  // Writes compact pure-ASCII JSON; entries with a blank name are not written.
  void SaveToProject(const TDocProject& project) const;
  std::string ToJsonText() const;

  // The first entry whose name equals name with ASCII letters folded; else the default.
  // The name is used exactly as given (not trimmed).
  std::string VariableValue(const std::string& name, const std::string& defaultValue) const;
  std::string SnippetHtml(const std::string& name, const std::string& defaultValue) const;
  bool ConditionEnabled(const std::string& name, bool defaultValue) const;

 private:
  std::vector<TReusableVariable> FVariables;
  std::vector<TReusableSnippet> FSnippets;
  std::vector<TReusableCondition> FConditions;
};

// Whether the store (build choices included) has a condition of that name.
bool IsConditionDefined(const TReusableProjectContent& store, const std::string& name);

// The whole expansion of one page for publishing: snippets, conditions, variables, then
// the editor's markers. An empty page or a project without root path is returned as is.
// The store is parsed once and reused while its file keeps the same bytes.
std::string ExpandReusableContent(const TDocProject& project, const std::string& html);
// Same passes with a store the caller holds (the dialog's preview, tests, benchmarks).
std::string ExpandReusableContent(const TReusableProjectContent& store, const std::string& html);

// The single passes, as the expansion runs them.
std::string ReplaceSnippetTokens(const std::string& html, const TReusableProjectContent& store);
std::string ReplaceConditionTokens(const std::string& html, const TReusableProjectContent& store);
std::string ReplaceVariableTokens(const std::string& html, const TReusableProjectContent& store);
std::string StripConditionMarkerOnlyBlocks(const std::string& html);
// One run of element text (no tags): the token replacements of the two passes above.
std::string ReplaceSnippetTokensInText(const std::string& text, const TReusableProjectContent& store);
std::string ReplaceVariableTokensInText(const std::string& text, const TReusableProjectContent& store);
// Removes the editor's token decoration: dashed/highlighted style attributes,
// contenteditable="false" and every title attribute.
std::string StripEditorMarkers(const std::string& html);

// A token as a page holds it, for checks: variables and snippets in text (never inside a
// tag), as the expansion replaces them; condition markers anywhere. The name is decoded
// and trimmed as the expansion looks it up; a plain {endcond} has none.
enum class TReusableTokenKind { Variable, Snippet, BeginCondition, EndCondition };
struct TReusableToken {
  TReusableTokenKind kind;
  std::string name;
  size_t offset;  // in html
};
// The tokens of html in the order they appear.
std::vector<TReusableToken> FindReusableTokens(const std::string& html);

// Token texts the reusable-content dialog inserts (HTML-encoded).
std::string VariableToken(const std::string& name);
std::string SnippetToken(const std::string& name);
std::string BeginConditionToken(const std::string& name);
constexpr const char* kEndConditionToken = "{endcond}";
