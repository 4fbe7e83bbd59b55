// Insert commands: links, topic links, images, tables and their rows and columns, and
// HTML pages. Files are placed by the core (uAssetImport, uHtmlImport).
#include <QMenu>
#include <QToolButton>

#include "uAssetImport.h"
#include "uDlgPickTopic.h"
#include "uEditorBridge.h"
#include "uFormattingToolbar.h"
#include "uHtmlImport.h"
#include "uJson.h"
#include "uMain.h"
#include "uQtText.h"
#include "uUserDialogs.h"

namespace {

const char* const kImageFilter = "Images (*.png *.jpg *.jpeg *.gif *.bmp *.webp)|*.png;*.jpg;*.jpeg;*.gif;*.bmp;*.webp";
const char* const kHtmlFilter = "HTML files (*.html *.htm)|*.html;*.htm|All files (*)|*.*";

}  // namespace

void TfrmMain::ConnectInsertCommands() {
  const std::pair<void (TFormattingToolbar::*)(), void (TfrmMain::*)()> commands[] = {
      {&TFormattingToolbar::LinkClicked, &TfrmMain::btnLinkClick},
      {&TFormattingToolbar::TopicLinkClicked, &TfrmMain::btnTopicLinkClick},
      {&TFormattingToolbar::ImageClicked, &TfrmMain::btnImageClick},
      {&TFormattingToolbar::ReplaceImageClicked, &TfrmMain::btnReplaceImageClick},
      {&TFormattingToolbar::ImagePropertiesClicked, &TfrmMain::btnImagePropertiesClick},
      {&TFormattingToolbar::RemoveImageClicked, &TfrmMain::btnRemoveImageClick},
      {&TFormattingToolbar::TableClicked, &TfrmMain::btnInsertTableClick},
      {&TFormattingToolbar::TableMenuClicked, &TfrmMain::btnTableDropdownMenuClick},
      {&TFormattingToolbar::ImportHtmlClicked, &TfrmMain::btnImportHTMLClick}};
  for (const auto& [signal, handler] : commands) {
    connect(barFormatting, signal, this, [this, handler] { Guard([this, handler] { (this->*handler)(); }); });
  }
}

// Opens with the address of the link at the caret, which it changes or removes.
void TfrmMain::btnLinkClick() {
  const bool existing = !FCaretLinkHref.empty();
  std::string url = existing ? FCaretLinkHref : "https://";
  switch (FDialogs->EditLink(url, existing)) {
    case TLinkAnswer::Cancel: return;
    case TLinkAnswer::Remove:
      if (FBridge) FBridge->ExecCommand("link", "");
      break;
    case TLinkAnswer::Ok:
      // An emptied address removes the link as well.
      if (FBridge) FBridge->ExecCommand("link", Trim(url));
      break;
  }
  RequestEditorFocus();
}

void TfrmMain::btnTopicLinkClick() {
  std::string id;
  if (!TfrmPickTopic::Execute(this, &Project(), id) || id.empty() || !Project().HasTopic(id)) return;
  TJson link;
  link["href"] = "doc:" + id;
  link["text"] = Project().GetTopic(id).Title();
  if (FBridge) FBridge->ExecCommand("topicLink", JsonWrite(link));
}

void TfrmMain::InsertImage(bool replace) {
  if (!EditorReady() || !FBridge) return;
  const std::string file = FDialogs->OpenFile(TranslateText(replace ? "Replace Image" : "Add Image"), kImageFilter, "");
  if (file.empty()) return;
  const std::string url = ImportImageAsset(Project().RootPath(), file);
  if (replace) FBridge->ReplaceSelectedImage(url);
  else FBridge->ExecCommand("image", url);
  RequestEditorFocus();
}

void TfrmMain::btnImageClick() { InsertImage(false); }

void TfrmMain::btnReplaceImageClick() { InsertImage(true); }

// Opens with what the page last said about the selected picture.
void TfrmMain::btnImagePropertiesClick() {
  if (!EditorReady() || !FBridge) return;
  if (!FCaretImage) {
    FDialogs->ShowMessage(TMessageKind::Information, TranslateText("Select a picture in the topic first."));
    return;
  }
  TImageProperties image = *FCaretImage;
  if (!FDialogs->EditImageProperties(image)) return;
  FBridge->SetImageProperties(image);
  RequestEditorFocus();
}

void TfrmMain::btnRemoveImageClick() {
  if (!EditorReady() || !FBridge) return;
  FBridge->RemoveSelectedImage();
  RequestEditorFocus();
}

void TfrmMain::btnInsertTableClick() {
  if (!EditorReady() || !FBridge) return;
  TTableSpec spec;
  if (!FDialogs->AskTableSpec(spec, kMaxTableRows, kMaxTableColumns)) return;
  if (spec.rows < 1 || spec.cols < 1 || spec.rows > kMaxTableRows || spec.cols > kMaxTableColumns) {
    FDialogs->ShowMessage(TMessageKind::Warning,
                          FormatText(TranslateText("A table has 1 to %d rows and 1 to %d columns."),
                                     {std::to_string(kMaxTableRows), std::to_string(kMaxTableColumns)}));
    return;
  }
  FBridge->InsertTable(spec.rows, spec.cols, spec.headerRow);
  RequestEditorFocus();
}

void TfrmMain::btnTableDropdownMenuClick() {
  mnuTable->clear();
  const std::pair<const char*, int> items[] = {
      {"Insert Row", 1}, {"Remove Row", 2}, {"Insert Column", 3}, {"Remove Column", 4}};
  for (const auto& [caption, tag] : items) {
    QAction* action = mnuTable->addAction(Tr(caption));
    connect(action, &QAction::triggered, this,
            [this, tag = tag] { Guard([this, tag] { TableDropdownMenuItemClick(tag); }); });
  }
  mnuTable->popup(barFormatting->TableMenuPosition());
}

void TfrmMain::TableDropdownMenuItemClick(int tag) {
  if (!EditorReady() || !FBridge) return;
  static const char* const kCommands[] = {"insertTableRowAfter", "removeTableRow", "insertTableColumnAfter",
                                          "removeTableColumn"};
  if (tag < 1 || tag > 4) return;
  FBridge->ExecCommand(kCommands[tag - 1]);
  RequestEditorFocus();
}

void TfrmMain::btnImportHTMLClick() {
  if (Trim(Project().RootPath()).empty() || CurrentTopicID().empty()) {
    FDialogs->ShowMessage(TMessageKind::Information,
                          TranslateText("Please open or create a project and select a topic first."));
    return;
  }
  if (!EditorReady() || !FBridge) {
    FDialogs->ShowMessage(TMessageKind::Information, TranslateText("The editor is not ready yet."));
    return;
  }
  const std::string file = FDialogs->OpenFile(TranslateText("Add HTML"), kHtmlFilter, "");
  if (file.empty()) return;
  const std::string fragment = ImportHtmlFragment(Project().RootPath(), file);
  if (Trim(fragment).empty()) {
    FDialogs->ShowMessage(TMessageKind::Information,
                          TranslateText("The selected HTML file does not contain importable body content."));
    return;
  }
  FBridge->ExecCommand("insertHTML", fragment);
  MarkProjectDirty();
  ShowStatus(TranslateText("Inserted HTML: ") + ExtractFileName(file));
  RequestEditorFocus();
}
