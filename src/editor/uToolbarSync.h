// The formatting toolbar's follow-the-caret logic: a value the user has just set is
// protected for a short time against page reports that still show the old value.
// Qt-free: the toolbar is reached through IToolbarView and time through a tick source.
#pragma once

#include <algorithm>
#include <cstdint>
#include <functional>
#include <string>

#include "uEditorBridge.h"
#include "uProjectSettings.h"

enum class TToolbarControl { Heading, FontName, FontSize, TextColor, LineSpacing };

class IToolbarView {
 public:
  virtual ~IToolbarView() = default;
  virtual bool HasFocus(TToolbarControl control) const = 0;
  virtual bool IsListOpen(TToolbarControl control) const = 0;
  virtual void SetStyleButtons(bool bold, bool italic, bool underline, bool bulletList, bool numberedList) = 0;
  virtual void SelectHeadingIndex(int index) = 0;
  // Selects the first font whose name equals fontName ignoring case; none: no change.
  virtual void SelectFontName(const std::string& fontName) = 0;
  // The size box's text, and the list entry with that text (none when absent).
  virtual void ShowFontSize(const std::string& text) = 0;
  virtual TColor SelectedTextColor() const = 0;
  virtual void SelectTextColor(TColor color) = 0;
  // "left", "center", "right" put that button down; anything else leaves all three up.
  virtual void SetAlignButtons(const std::string& align) = 0;
  // Selects the first entry whose trimmed caption equals text ignoring case (none: no
  // change) and sets the box text.
  virtual void ShowLineSpacing(const std::string& text) = 0;
};

// The millisecond tick counter (wraps at 2^32).
using TTickSource = std::function<std::uint32_t()>;
std::uint32_t SystemTickCount();

// Two decimals, "." separator, trailing zeros and a trailing "." removed (1.333 -> "1.33").
std::string FormatLineHeight(double value);
// "#rrggbb" gives that colour; empty or "transparent" white; anything else the fallback.
TColor HtmlColorToColor(const std::string& text, TColor fallback);
// The size box's text as pixels: the whole number clamped to 8..200, 0 when none.
int FontSizeFromBoxText(const std::string& text);
// A decimal number with "." or "," as separator; 0 when unreadable.
double ReadDecimal(const std::string& text);

class TToolbarSync {
 public:
  static constexpr std::uint32_t kStyleHoldMs = 350;
  static constexpr std::uint32_t kUserHoldMs = 700;
  static constexpr std::uint32_t kSettingsHoldMs = 1200;

  TToolbarSync(IToolbarView& view, TTickSource ticks = SystemTickCount);

  // While set, the toolbar's change handlers do nothing (the program changes controls).
  bool UpdatingUi() const { return FUpdatingUi; }
  void SetUpdatingUi(bool value) { FUpdatingUi = value; }

  // A user command has just been sent.
  void NoteStyleCommand();
  void NoteFontName(const std::string& fontName);
  void NoteFontSize(int px);
  void NoteTextColor(const std::string& colorHtml);
  void NoteLineHeight(const std::string& text);
  // The project defaults have just been sent.
  void NoteSettingsApplied(const TProjectSettings& settings);

  // A cursorStyle report.
  void ApplyCursorStyle(const TEditorCursorStyle& style);
  // A hold can reject the only report the page sends for a while (the first one after a
  // topic loads, say). The last report is kept: once its holds have run out it still
  // describes the caret, unless a newer one came.
  // Milliseconds until the last report can be replayed; 0 when nothing was held back.
  std::uint32_t HeldReportDueInMs() const;
  void ReplayHeldReport();

  int LastAppliedFontSize() const { return FLastAppliedFontSize; }
  const std::string& LastAppliedLineHeight() const { return FLastAppliedLineHeight; }
  const std::string& LastAppliedTextColor() const { return FLastAppliedTextColor; }
  const std::string& LastAppliedFontName() const { return FLastAppliedFontName; }
  std::uint32_t IgnoreFontSizeSyncUntil() const { return FIgnoreFontSizeSyncUntil; }
  std::uint32_t IgnoreLineHeightSyncUntil() const { return FIgnoreLineHeightSyncUntil; }

 private:
  void ApplyLineHeight(const TEditorCursorStyle& style, std::uint32_t now);
  // Notes that a value of the current report was held back until deadline.
  void Held(std::uint32_t deadline) { FHeldUntil = std::max(FHeldUntil, deadline); }
  bool Reached(std::uint32_t now, std::uint32_t deadline) const { return now >= deadline; }

  IToolbarView& FView;
  TTickSource FTicks;
  bool FUpdatingUi = false;
  int FLastAppliedFontSize = 0;
  std::uint32_t FIgnoreFontSizeSyncUntil = 0;
  std::string FLastAppliedLineHeight;
  std::uint32_t FIgnoreLineHeightSyncUntil = 0;
  std::string FLastAppliedTextColor;
  std::uint32_t FIgnoreTextColorSyncUntil = 0;
  std::uint32_t FIgnoreStyleSyncUntil = 0;
  std::string FLastAppliedFontName;
  std::uint32_t FIgnoreFontNameSyncUntil = 0;
  TEditorCursorStyle FLastReport;
  std::uint32_t FHeldUntil = 0;  // 0: the last report was applied whole
};
