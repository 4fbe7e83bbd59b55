// The formatting toolbar and the Edit menu: commands to the page, and the toolbar
// following the formatting at the caret (the timing rules live in TToolbarSync).
#include <QAbstractItemView>
#include <QApplication>
#include <QComboBox>
#include <QKeyEvent>

#include <QLineEdit>
#include <QTimer>
#include <QToolButton>
#include <algorithm>
#include <functional>

#include "uColorButton.h"
#include "uEditorBridge.h"
#include "uFontNames.h"
#include "uFormattingToolbar.h"
#include "uMain.h"
#include "uQtText.h"
#include "uScopedFlag.h"
#include "uToolbarSync.h"
#include "uUserDialogs.h"

bool TfrmMain::ToolbarIdle() const { return !FUpdatingUi && !(FToolbarSync && FToolbarSync->UpdatingUi()); }

void TfrmMain::ConnectFormattingToolbar() {
  FToolbarSync = std::make_shared<TToolbarSync>(*barFormatting);
  FToolbarReplay = new QTimer(this);
  FToolbarReplay->setSingleShot(true);
  connect(FToolbarReplay, &QTimer::timeout, this, [this] {
    if (FUpdatingUi) return;
    Guard([this] { FToolbarSync->ReplayHeldReport(); });
  });
  connect(barFormatting, &TFormattingToolbar::StyleClicked, this, [this](const std::string& command) {
    Guard([this, command] {
      if (!EditorReady()) return;
      barFormatting->KeepOneListButton(command);
      FToolbarSync->NoteStyleCommand();
      FBridge->ExecCommand(command);
      RequestEditorFocus();
    });
  });
  connect(barFormatting, &TFormattingToolbar::AlignClicked, this, [this](TTextAlign align) {
    Guard([this, align] {
      if (!ToolbarIdle() || !EditorReady()) return;
      barFormatting->SetAlignButtons(align == TTextAlign::taCenter  ? "center"
                                     : align == TTextAlign::taRight ? "right"
                                                                    : "left");
      FBridge->SetAlign(align);
      RequestEditorFocus();
    });
  });
  const auto whenIdle = [this](void (TfrmMain::*handler)()) {
    return [this, handler] {
      Guard([this, handler] {
        if (ToolbarIdle() && EditorReady()) (this->*handler)();
      });
    };
  };
  connect(barFormatting, &TFormattingToolbar::HeadingChosen, this, whenIdle(&TfrmMain::ApplyHeadingFromBox));
  connect(barFormatting, &TFormattingToolbar::FontChosen, this, whenIdle(&TfrmMain::ApplyFontFromBox));
  connect(barFormatting, &TFormattingToolbar::FontSizeChosen, this, whenIdle(&TfrmMain::ApplyFontSizeFromBox));
  connect(barFormatting, &TFormattingToolbar::LineSpacingChosen, this, whenIdle(&TfrmMain::ApplyLineSpacingFromBox));
  connect(barFormatting, &TFormattingToolbar::TextColorClicked, this, whenIdle(&TfrmMain::PickTextColor));
  ConnectInsertCommands();
}

void TfrmMain::ApplyHeadingFromBox() {
  if (!ToolbarIdle() || !EditorReady() || barFormatting->HeadingIndex() < 0) return;
  static const char* const kCommands[] = {"p", "h1", "h2", "h3"};
  const int index = std::clamp(barFormatting->HeadingIndex(), 0, 3);
  const int sizes[] = {Settings().FontSizeBody, Settings().FontSizeH1, Settings().FontSizeH2, Settings().FontSizeH3};
  const int size = sizes[index];
  FBridge->ExecCommand(kCommands[index]);
  {
    const TScopedFlag updating(FUpdatingUi);
    barFormatting->ShowFontSize(std::to_string(size));
  }
  FToolbarSync->NoteFontSize(size);
  FBridge->SetFontSizePx(size);
  RequestEditorFocus();
}

void TfrmMain::ApplyFontFromBox() {
  if (!ToolbarIdle() || !EditorReady()) return;
  const std::string name = barFormatting->FontName();
  if (name.empty()) return;
  barFormatting->FillFontSizes();
  FToolbarSync->NoteFontName(name);
  FBridge->SetFontName(name);
  RequestEditorFocus();
}

void TfrmMain::ApplyFontSizeFromBox() {
  if (!EditorReady() || !FBridge) return;
  const int px = FontSizeFromBoxText(barFormatting->FontSizeText());
  if (px <= 0) return;
  FToolbarSync->NoteFontSize(px);
  FBridge->SetFontSizePx(px);
  RequestEditorFocus();
}

void TfrmMain::ApplyLineSpacingFromBox() {
  if (!EditorReady() || !FBridge) return;
  const std::string text = barFormatting->LineSpacingText();
  const double value = ReadDecimal(text);
  if (value <= 0) return;
  FToolbarSync->NoteLineHeight(text);
  FBridge->SetLineSpacing(std::max(value, 1.0));
  RequestEditorFocus();
}

void TfrmMain::PickTextColor() {
  if (!ToolbarIdle() || !EditorReady()) return;
  std::string color = ColorToHtml(barFormatting->SelectedTextColor());
  if (!FDialogs->PickColor(color)) return;
  const TColor chosen = ColorFromHtml(color, barFormatting->SelectedTextColor());
  barFormatting->SelectTextColor(chosen);
  const std::string html = ColorToHtml(chosen);
  FToolbarSync->NoteTextColor(html);
  FBridge->SetTextColor(html);
  RequestEditorFocus();
}

void TfrmMain::EditorCursorStyle(const TEditorCursorStyle& style) {
  FCaretLinkHref = style.LinkHref;
  FCaretImage = style.Image;
  if (FUpdatingUi || !FToolbarSync) return;
  FToolbarSync->ApplyCursorStyle(style);
  if (const std::uint32_t due = FToolbarSync->HeldReportDueInMs()) FToolbarReplay->start(static_cast<int>(due) + 10);
}
