#include "uEditorBridge.h"

#include <algorithm>
#include <charconv>
#include <cstdio>

#include "uJson.h"
#include "uPlatform.h"
#include "uUtils.h"

std::string JsStringLiteral(const std::string& s) {
  std::string out;
  out.reserve(s.size() + 2);
  out += '"';
  for (char c : s) {
    switch (c) {
      case '\\': out += "\\\\"; break;
      case '"': out += "\\\""; break;
      case '\r': out += "\\r"; break;
      case '\n': out += "\\n"; break;
      default: out += c;
    }
  }
  out += '"';
  return out;
}

std::string LineHeightText(double value) { return FloatToText(value); }

namespace {

// A member's text: strings as they are, numbers as written, true/false; absent or null gives "".
std::string MemberText(const TJson& message, const char* name) {
  const TJson* v = JsonFind(message, name);
  if (!v || v->is_null()) return "";
  return JsonValueText(*v);
}

int MemberInt(const TJson& message, const char* name) {
  const std::string text = Trim(MemberText(message, name));
  int value = 0;
  const char* begin = text.data();
  const char* end = begin + text.size();
  if (!text.empty() && text[0] == '+') ++begin;
  auto [ptr, ec] = std::from_chars(begin, end, value);
  if (ec != std::errc() || ptr != end || begin == end) return 0;
  return value;
}

bool MemberFlag(const TJson& message, const char* name) {
  const std::string text = MemberText(message, name);
  return SameTextAscii(text, "true") || text == "1";
}

std::optional<TImageProperties> ReadImage(const TJson& m) {
  const TJson* image = JsonFind(m, "image");
  if (!image || !image->is_object()) return std::nullopt;
  TImageProperties p;
  p.Alt = MemberText(*image, "alt");
  p.Width = std::max(0, MemberInt(*image, "width"));
  p.Height = std::max(0, MemberInt(*image, "height"));
  p.Caption = MemberText(*image, "caption");
  p.NaturalWidth = std::max(0, MemberInt(*image, "naturalWidth"));
  p.NaturalHeight = std::max(0, MemberInt(*image, "naturalHeight"));
  return p;
}

TEditorCursorStyle ReadCursorStyle(const TJson& m) {
  TEditorCursorStyle s;
  s.Area = MemberText(m, "area");
  s.FontName = MemberText(m, "fontName");
  s.FontSizePx = MemberInt(m, "fontSizePx");
  s.TextColorHtml = MemberText(m, "textColor");
  s.BackColorHtml = MemberText(m, "backColor");
  s.Align = MemberText(m, "align");
  s.Bold = MemberFlag(m, "bold");
  s.Italic = MemberFlag(m, "italic");
  s.Underline = MemberFlag(m, "underline");
  s.ListType = MemberText(m, "listType");
  s.BlockTag = MemberText(m, "blockTag");
  s.LineHeight = MemberText(m, "lineHeight");
  s.LinkHref = MemberText(m, "linkHref");
  s.Image = ReadImage(m);
  return s;
}

const char* AlignWord(TTextAlign align) {
  switch (align) {
    case TTextAlign::taCenter: return "center";
    case TTextAlign::taRight: return "right";
    case TTextAlign::taJustify: return "justify";
    case TTextAlign::taLeft: break;
  }
  return "left";
}

}  // namespace

TEditorBridge::TEditorBridge(IEditorHost& host) : FEdge(host) {
  FEdge.SetMessageHandler([this](const std::string& json) { HandleMessage(json); });
}

TEditorBridge::~TEditorBridge() { FEdge.SetMessageHandler(nullptr); }

void TEditorBridge::NavigateToEditor(const std::string& editorHtmlFile) {
  FEdge.Navigate(FilePathToFileUrl(editorHtmlFile));
}

void TEditorBridge::SendJson(const std::string& json) {
  // Every command is an object written by us: its number goes in before the closing brace.
  std::string numbered = json;
  numbered.insert(numbered.size() - 1, ",\"seq\":" + std::to_string(++FSentSeq));
  FEdge.ExecuteScript("window.__zd_recv && window.__zd_recv(" + JsStringLiteral(numbered) + ");");
}

void TEditorBridge::SetHtml(const std::string& html) {
  TJson m;
  m["type"] = "setHtml";
  m["html"] = SanitizeUtf8(html);
  SendJson(JsonWrite(m));
}

void TEditorBridge::RequestHtml() { SendJson(R"({"type":"getHtml"})"); }
void TEditorBridge::RequestHeader() { SendJson(R"({"type":"getHeader"})"); }

void TEditorBridge::ExecCommand(const std::string& cmd, const std::string& arg) {
  TJson m;
  m["type"] = "exec";
  m["cmd"] = SanitizeUtf8(cmd);
  m["origin"] = FProgrammaticDepth > 0 ? "program" : "user";
  if (!arg.empty()) m["arg"] = SanitizeUtf8(arg);
  SendJson(JsonWrite(m));
}

void TEditorBridge::SetBaseHref(const std::string& href) {
  FEdge.ExecuteScript("zdSetBaseHref(" + JsStringLiteral(href) + ");");
}

void TEditorBridge::SetCssFile(const std::string& p) { ExecCommand("setCssFile", p); }
void TEditorBridge::SetFontName(const std::string& n) { ExecCommand("fontName", n); }
void TEditorBridge::SetFontSizePx(int px) { ExecCommand("fontSizePx", std::to_string(px)); }
void TEditorBridge::SetTextColor(const std::string& c) { ExecCommand("foreColor", c); }
void TEditorBridge::SetTextBackColor(const std::string& c) { ExecCommand("backColor", c); }
void TEditorBridge::SetDefaultFontName(const std::string& n) { ExecCommand("setDefaultFontName", n); }
void TEditorBridge::SetDefaultFontSizePx(int px) { ExecCommand("setDefaultFontSizePx", std::to_string(px)); }
void TEditorBridge::SetDefaultTextColor(const std::string& c) { ExecCommand("setDefaultTextColor", c); }
void TEditorBridge::SetDefaultLineSpacing(double h) { ExecCommand("setDefaultLineHeight", LineHeightText(h)); }
void TEditorBridge::SetAlign(TTextAlign align) { ExecCommand("align", AlignWord(align)); }
void TEditorBridge::InsertTable(int rows, int cols, bool headerRow) {
  ExecCommand("table", std::to_string(rows) + "," + std::to_string(cols) + (headerRow ? ",header" : ""));
}
void TEditorBridge::SetLineSpacing(double h) { ExecCommand("lineHeight", LineHeightText(h)); }
void TEditorBridge::RemoveSelectedImage() { ExecCommand("removeSelectedImage"); }
void TEditorBridge::ReplaceSelectedImage(const std::string& src) { ExecCommand("replaceSelectedImage", src); }
void TEditorBridge::SetImageProperties(const TImageProperties& image) {
  TJson props;
  props["alt"] = SanitizeUtf8(image.Alt);
  props["width"] = std::max(0, image.Width);
  props["height"] = std::max(0, image.Height);
  props["caption"] = SanitizeUtf8(image.Caption);
  ExecCommand("imageProperties", JsonWrite(props));
}
void TEditorBridge::SetHeaderHtml(const std::string& h) { ExecCommand("setHeaderHtml", h); }
void TEditorBridge::SetHeaderBgColor(const std::string& c) { ExecCommand("setHeaderBg", c); }
void TEditorBridge::SetTableBorderStyle(const std::string& s) { ExecCommand("setTableBorderStyle", s); }
void TEditorBridge::SetTableBorderWidth(int px) { ExecCommand("setTableBorderWidth", std::to_string(px)); }
void TEditorBridge::SetTableBorderColor(const std::string& c) { ExecCommand("setTableBorderColor", c); }
void TEditorBridge::SetPageBgColor(const std::string& c) { ExecCommand("setPageBg", c); }

void TEditorBridge::SetProjectWords(const std::vector<std::string>& words) {
  TJson m;
  m["type"] = "setWords";
  m["words"] = TJson::array();
  for (const std::string& w : words) m["words"].push_back(w);
  SendJson(JsonWrite(m));
}

void TEditorBridge::SetLeftOutConditions(bool active, const std::vector<std::string>& onConditions) {
  TJson m;
  m["type"] = "setLeftOut";
  m["active"] = active;
  m["on"] = TJson::array();
  for (const std::string& name : onConditions) m["on"].push_back(name);
  SendJson(JsonWrite(m));
}

void TEditorBridge::BeginProgrammatic() { ++FProgrammaticDepth; }
void TEditorBridge::EndProgrammatic() {
  if (FProgrammaticDepth > 0) --FProgrammaticDepth;
}

void TEditorBridge::HandleMessage(const std::string& json) {
  TJson m;
  if (!TryParseJson(json, m) || !m.is_object()) return;
  const std::string type = MemberText(m, "type");
  const TJson* seq = JsonFind(m, "seq");
  FMessageSeq = seq && seq->is_number_integer() ? seq->get<int64_t>() : FSentSeq;
  if (SameTextAscii(type, "ready")) {
    if (OnReady) OnReady(*this);
  } else if (SameTextAscii(type, "htmlChanged")) {
    FLastHtmlChangeWasUser = MemberFlag(m, "user");
    FLastHtmlWasResponse = false;
    if (OnHtmlChanged) OnHtmlChanged(*this, MemberText(m, "html"));
  } else if (SameTextAscii(type, "htmlResponse")) {
    FLastHtmlChangeWasUser = false;
    FLastHtmlWasResponse = true;
    if (OnHtmlChanged) OnHtmlChanged(*this, MemberText(m, "html"));
  } else if (SameTextAscii(type, "cursorStyle")) {
    if (OnCursorStyle) OnCursorStyle(*this, ReadCursorStyle(m));
  } else if (SameTextAscii(type, "headerChanged")) {
    if (OnHeaderChanged) OnHeaderChanged(*this, MemberText(m, "headerHtml"), MemberText(m, "headerBg"));
  } else if (SameTextAscii(type, "areaChanged")) {
    if (OnAreaChanged) OnAreaChanged(*this, MemberText(m, "area"));
  }
}
