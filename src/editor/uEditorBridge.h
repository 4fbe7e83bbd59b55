// The one link to the editor page: typed commands become JSON messages run in the
// page as a script call, and the page's posted messages become typed events.
#pragma once

#include <cstdint>
#include <functional>
#include <optional>
#include <string>
#include <vector>

#include "uEditorHost.h"

// A picture's alternative text, shown size and caption. A size of 0 is the picture's
// own; an empty caption means no figure around it.
struct TImageProperties {
  std::string Alt;
  int Width = 0;
  int Height = 0;
  std::string Caption;
  int NaturalWidth = 0;  // as the page reports it; 0 while unknown
  int NaturalHeight = 0;
};

// The formatting at the caret, filled afresh for each cursorStyle message.
struct TEditorCursorStyle {
  std::string Area;
  std::string FontName;
  int FontSizePx = 0;
  std::string TextColorHtml;
  std::string BackColorHtml;
  std::string Align;
  bool Bold = false;
  bool Italic = false;
  bool Underline = false;
  std::string ListType;
  std::string BlockTag;
  std::string LineHeight;
  std::string LinkHref;                   // the address of the link at the caret; "" outside links
  std::optional<TImageProperties> Image;  // the selected picture, if one is
};

enum class TTextAlign { taLeft, taCenter, taRight, taJustify };

// The largest table Insert Table makes. Wider than 30 columns leaves a column a few
// millimetres of a printed page; beyond 100 rows a table is data to link, not a topic's
// table; and the page builds every cell at once, which a huge size would freeze.
// The editor page holds the same limits.
constexpr int kMaxTableRows = 100;
constexpr int kMaxTableColumns = 30;

class TEditorBridge;
using TEditorNotifyEvent = std::function<void(TEditorBridge& sender)>;
using TEditorHtmlEvent = std::function<void(TEditorBridge& sender, const std::string& html)>;
using TEditorCursorStyleEvent = std::function<void(TEditorBridge& sender, const TEditorCursorStyle& style)>;
using TEditorHeaderChangedEvent =
    std::function<void(TEditorBridge& sender, const std::string& headerHtml, const std::string& headerBgHtml)>;
using TEditorAreaChangedEvent = std::function<void(TEditorBridge& sender, const std::string& area)>;

// "\" "\"" CR and LF escaped, wrapped in double quotes; nothing else changes.
std::string JsStringLiteral(const std::string& s);
// Shortest decimal text that reads back as the same value, "." whatever the locale.
std::string LineHeightText(double value);

class TEditorBridge {
 public:
  // Installs itself as the host's message handler, replacing any previous one.
  explicit TEditorBridge(IEditorHost& host);
  ~TEditorBridge();
  TEditorBridge(const TEditorBridge&) = delete;
  TEditorBridge& operator=(const TEditorBridge&) = delete;

  void NavigateToEditor(const std::string& editorHtmlFile);

  void SetHtml(const std::string& html);
  void RequestHtml();
  void RequestHeader();
  void ExecCommand(const std::string& cmd, const std::string& arg = "");
  void SetBaseHref(const std::string& href);

  void SetCssFile(const std::string& cssFilePath);
  void SetFontName(const std::string& fontName);
  void SetFontSizePx(int px);
  void SetTextColor(const std::string& colorHtml);
  void SetTextBackColor(const std::string& colorHtml);  // empty removes the background
  void SetDefaultFontName(const std::string& fontName);
  void SetDefaultFontSizePx(int px);
  void SetDefaultTextColor(const std::string& colorHtml);
  void SetDefaultLineSpacing(double lineHeight);
  void SetAlign(TTextAlign align);
  // headerRow makes the first row one of header cells.
  void InsertTable(int rows, int cols, bool headerRow = false);
  void SetLineSpacing(double lineHeight);
  void RemoveSelectedImage();
  void ReplaceSelectedImage(const std::string& src);
  // Changes the selected picture; the page does nothing when none is selected.
  void SetImageProperties(const TImageProperties& image);
  void SetHeaderHtml(const std::string& headerHtml);
  void SetHeaderBgColor(const std::string& colorHtml);
  void SetTableBorderStyle(const std::string& borderStyle);
  void SetTableBorderWidth(int px);
  void SetTableBorderColor(const std::string& colorHtml);
  void SetPageBgColor(const std::string& colorHtml);
  // The project's word list: the page keeps the spell checker off these words.
  void SetProjectWords(const std::vector<std::string>& words);
  // Greys the text under conditions not in onConditions, as a build profile leaves it out;
  // active false shows the page plain. The topic's HTML is not changed.
  void SetLeftOutConditions(bool active, const std::vector<std::string>& onConditions);

  // While the depth is above 0, exec commands carry origin "program".
  void BeginProgrammatic();
  void EndProgrammatic();
  int ProgrammaticDepth() const { return FProgrammaticDepth; }

  // Decodes one posted message (its JSON text) and raises its event.
  void HandleMessage(const std::string& json);

  TEditorHtmlEvent OnHtmlChanged;
  TEditorNotifyEvent OnReady;
  TEditorCursorStyleEvent OnCursorStyle;
  TEditorHeaderChangedEvent OnHeaderChanged;
  TEditorAreaChangedEvent OnAreaChanged;
  bool LastHtmlChangeWasUser() const { return FLastHtmlChangeWasUser; }
  // Whether the last HTML event answered getHtml (htmlResponse) rather than reporting a change.
  bool LastHtmlWasResponse() const { return FLastHtmlWasResponse; }

  // Every command sent carries a number, one more than the last; every message the page
  // posts carries the number of the last command it had taken. So a message that arrives
  // after the next topic was sent is still known to describe the previous one.
  int64_t LastSentSeq() const { return FSentSeq; }
  // The number the last message carried; one without a number counts as about the newest.
  int64_t LastMessageSeq() const { return FMessageSeq; }

 private:
  void SendJson(const std::string& json);

  IEditorHost& FEdge;
  int FProgrammaticDepth = 0;
  bool FLastHtmlChangeWasUser = false;
  bool FLastHtmlWasResponse = false;
  int64_t FSentSeq = 0;
  int64_t FMessageSeq = 0;
};

// Pairs BeginProgrammatic with an EndProgrammatic that runs also when an error passes.
class TProgrammaticScope {
 public:
  explicit TProgrammaticScope(TEditorBridge& bridge) : FBridge(bridge) { FBridge.BeginProgrammatic(); }
  ~TProgrammaticScope() { FBridge.EndProgrammatic(); }
  TProgrammaticScope(const TProgrammaticScope&) = delete;
  TProgrammaticScope& operator=(const TProgrammaticScope&) = delete;

 private:
  TEditorBridge& FBridge;
};
