#include "uToolbarSync.h"

#include <algorithm>
#include <charconv>
#include <chrono>
#include <cmath>
#include <cstdio>

#include "uFontNames.h"
#include "uUtils.h"

std::uint32_t SystemTickCount() {
  using namespace std::chrono;
  return static_cast<std::uint32_t>(duration_cast<milliseconds>(steady_clock::now().time_since_epoch()).count());
}

std::string FormatLineHeight(double value) {
  char buf[64];
  std::snprintf(buf, sizeof buf, "%.2f", value);
  std::string s = buf;
  std::replace(s.begin(), s.end(), ',', '.');
  if (s.find('.') != std::string::npos) {
    while (!s.empty() && s.back() == '0') s.pop_back();
    if (!s.empty() && s.back() == '.') s.pop_back();
  }
  return s;
}

TColor HtmlColorToColor(const std::string& text, TColor fallback) {
  const std::string t = Trim(text);
  if (t.empty() || SameTextAscii(t, "transparent")) return RGBColor(255, 255, 255);
  if (t.size() != 7 || t[0] != '#') return fallback;
  unsigned value = 0;
  const auto [ptr, ec] = std::from_chars(t.data() + 1, t.data() + 7, value, 16);
  if (ec != std::errc() || ptr != t.data() + 7) return fallback;
  return RGBColor((value >> 16) & 0xFF, (value >> 8) & 0xFF, value & 0xFF);
}

int FontSizeFromBoxText(const std::string& text) {
  const std::string t = Trim(text);
  int value = 0;
  const auto [ptr, ec] = std::from_chars(t.data(), t.data() + t.size(), value);
  if (ec != std::errc() || ptr != t.data() + t.size() || value <= 0) return 0;
  return std::clamp(value, 8, 200);
}

double ReadDecimal(const std::string& text) {
  const std::string t = ReplaceAll(Trim(text), ",", ".");
  double value = 0;
  const auto [ptr, ec] = std::from_chars(t.data(), t.data() + t.size(), value);
  if (ec != std::errc() || ptr != t.data() + t.size() || !std::isfinite(value)) return 0;
  return value;
}

TToolbarSync::TToolbarSync(IToolbarView& view, TTickSource ticks) : FView(view), FTicks(std::move(ticks)) {}

void TToolbarSync::NoteStyleCommand() { FIgnoreStyleSyncUntil = FTicks() + kStyleHoldMs; }

void TToolbarSync::NoteFontName(const std::string& fontName) {
  FLastAppliedFontName = fontName;
  FIgnoreFontNameSyncUntil = FTicks() + kUserHoldMs;
}

void TToolbarSync::NoteFontSize(int px) {
  FLastAppliedFontSize = px;
  FIgnoreFontSizeSyncUntil = FTicks() + kUserHoldMs;
}

void TToolbarSync::NoteTextColor(const std::string& colorHtml) {
  FLastAppliedTextColor = colorHtml;
  FIgnoreTextColorSyncUntil = FTicks() + kUserHoldMs;
}

void TToolbarSync::NoteLineHeight(const std::string& text) {
  FLastAppliedLineHeight = text;
  FIgnoreLineHeightSyncUntil = FTicks() + kUserHoldMs;
}

void TToolbarSync::NoteSettingsApplied(const TProjectSettings& settings) {
  const std::uint32_t until = FTicks() + kSettingsHoldMs;
  FLastAppliedTextColor = ColorToHtml(settings.DefaultTextColor);
  FIgnoreTextColorSyncUntil = until;
  FLastAppliedFontName = BrowserFontFamily(settings.DefaultFontName);
  FIgnoreFontNameSyncUntil = until;
  FLastAppliedFontSize = settings.FontSizeBody;
  FIgnoreFontSizeSyncUntil = until;
  FLastAppliedLineHeight = FloatToText(settings.DefaultLineSpacing);
  FIgnoreLineHeightSyncUntil = until;
}

void TToolbarSync::ApplyCursorStyle(const TEditorCursorStyle& style) {
  if (FUpdatingUi) return;
  FUpdatingUi = true;
  struct TReset {
    bool& flag;
    ~TReset() { flag = false; }
  } reset{FUpdatingUi};
  const std::uint32_t now = FTicks();
  FLastReport = style;
  FHeldUntil = 0;

  if (Reached(now, FIgnoreStyleSyncUntil))
    FView.SetStyleButtons(style.Bold, style.Italic, style.Underline, SameTextAscii(style.ListType, "ul"),
                          SameTextAscii(style.ListType, "ol"));
  else Held(FIgnoreStyleSyncUntil);

  if (!FView.HasFocus(TToolbarControl::Heading)) {
    int index = 0;
    if (SameTextAscii(style.BlockTag, "h1")) index = 1;
    else if (SameTextAscii(style.BlockTag, "h2")) index = 2;
    else if (SameTextAscii(style.BlockTag, "h3")) index = 3;
    FView.SelectHeadingIndex(index);
  }

  if (!FView.HasFocus(TToolbarControl::FontName) && !FView.IsListOpen(TToolbarControl::FontName)) {
    const bool accept = Reached(now, FIgnoreFontNameSyncUntil) || SameTextAscii(style.FontName, FLastAppliedFontName);
    if (accept && !style.FontName.empty()) FView.SelectFontName(style.FontName);
    if (!accept && !style.FontName.empty()) Held(FIgnoreFontNameSyncUntil);
  }

  if (!FView.HasFocus(TToolbarControl::FontSize) && style.FontSizePx > 0) {
    if (Reached(now, FIgnoreFontSizeSyncUntil) || FLastAppliedFontSize <= 0 ||
        style.FontSizePx == FLastAppliedFontSize) {
      // The page has confirmed the size: the filter ends early.
      if (FLastAppliedFontSize > 0 && FLastAppliedFontSize == style.FontSizePx) FIgnoreFontSizeSyncUntil = 0;
      FView.ShowFontSize(std::to_string(style.FontSizePx));
    } else {
      Held(FIgnoreFontSizeSyncUntil);
    }
  }

  if (!FView.HasFocus(TToolbarControl::TextColor) && !FView.IsListOpen(TToolbarControl::TextColor)) {
    const bool accept =
        Reached(now, FIgnoreTextColorSyncUntil) || SameTextAscii(style.TextColorHtml, FLastAppliedTextColor);
    if (accept && !style.TextColorHtml.empty())
      FView.SelectTextColor(HtmlColorToColor(style.TextColorHtml, FView.SelectedTextColor()));
    if (!accept && !style.TextColorHtml.empty()) Held(FIgnoreTextColorSyncUntil);
  }

  if (SameTextAscii(style.Align, "left") || style.Align.empty()) FView.SetAlignButtons("left");
  else if (SameTextAscii(style.Align, "center")) FView.SetAlignButtons("center");
  else if (SameTextAscii(style.Align, "right")) FView.SetAlignButtons("right");
  else FView.SetAlignButtons("");

  if (!FView.HasFocus(TToolbarControl::LineSpacing)) ApplyLineHeight(style, now);
}

void TToolbarSync::ApplyLineHeight(const TEditorCursorStyle& style, std::uint32_t now) {
  std::string h = Trim(style.LineHeight);
  if (AsciiLower(h).find("px") != std::string::npos && style.FontSizePx > 0) {
    h = ReplaceAll(AsciiLower(h), "px", "");
    const double px = ReadDecimal(h);
    if (px > 0) h = FormatLineHeight(std::max(px / style.FontSizePx, 1.0));
  }
  // The box says "2.0" where the page says 2: the same spacing.
  const double value = ReadDecimal(h);
  const bool confirmed =
      !FLastAppliedLineHeight.empty() &&
      (SameTextAscii(h, FLastAppliedLineHeight) || (value > 0 && value == ReadDecimal(FLastAppliedLineHeight)));
  if (!Reached(now, FIgnoreLineHeightSyncUntil) && !FLastAppliedLineHeight.empty() && !confirmed) {
    if (!h.empty()) Held(FIgnoreLineHeightSyncUntil);
    return;
  }
  if (confirmed) FIgnoreLineHeightSyncUntil = 0;
  if (!h.empty()) FView.ShowLineSpacing(h);
}

std::uint32_t TToolbarSync::HeldReportDueInMs() const {
  if (FHeldUntil == 0) return 0;
  const std::uint32_t now = FTicks();
  return Reached(now, FHeldUntil) ? 1 : FHeldUntil - now;
}

void TToolbarSync::ReplayHeldReport() {
  if (FHeldUntil == 0) return;
  const TEditorCursorStyle report = FLastReport;
  ApplyCursorStyle(report);
}
