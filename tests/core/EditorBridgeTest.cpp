#include <gtest/gtest.h>

#include "FakeEditorHost.h"
#include "uEditorBridge.h"
#include "uPlatform.h"
#include "uUtils.h"

namespace {

std::string LastJson(const TFakeEditorHost& host) {
  std::string json;
  EXPECT_TRUE(DecodeRecvScript(host.Scripts.back(), json)) << host.Scripts.back();
  return json;
}

}  // namespace

TEST(EditorBridge, ExecCommandScriptIsTheDocumentedCall) {
  TFakeEditorHost host;
  TEditorBridge bridge(host);
  bridge.ExecCommand("bold");
  EXPECT_EQ(
      host.Scripts.back(),
      R"(window.__zd_recv && window.__zd_recv("{\"type\":\"exec\",\"cmd\":\"bold\",\"origin\":\"user\",\"seq\":1}");)");
}

TEST(EditorBridge, TypedWrappersBuildTheirMessages) {
  TFakeEditorHost host;
  TEditorBridge bridge(host);
  struct TCase {
    std::function<void()> call;
    std::string json;
  };
  const std::vector<TCase> cases = {
      {[&] { bridge.SetHtml(""); }, R"({"type":"setHtml","html":"","seq":1})"},
      {[&] { bridge.RequestHtml(); }, R"({"type":"getHtml","seq":2})"},
      {[&] { bridge.RequestHeader(); }, R"({"type":"getHeader","seq":3})"},
      {[&] { bridge.SetTextBackColor(""); }, R"({"type":"exec","cmd":"backColor","origin":"user","seq":4})"},
      {[&] { bridge.SetTextBackColor("#ff0000"); },
       R"({"type":"exec","cmd":"backColor","origin":"user","arg":"#ff0000","seq":5})"},
      {[&] { bridge.SetFontSizePx(18); }, R"({"type":"exec","cmd":"fontSizePx","origin":"user","arg":"18","seq":6})"},
      {[&] { bridge.SetLineSpacing(1.15); },
       R"({"type":"exec","cmd":"lineHeight","origin":"user","arg":"1.15","seq":7})"},
      {[&] { bridge.SetDefaultLineSpacing(2.0); },
       R"({"type":"exec","cmd":"setDefaultLineHeight","origin":"user","arg":"2","seq":8})"},
      {[&] { bridge.SetAlign(TTextAlign::taJustify); },
       R"({"type":"exec","cmd":"align","origin":"user","arg":"justify","seq":9})"},
      {[&] { bridge.InsertTable(2, 3); }, R"({"type":"exec","cmd":"table","origin":"user","arg":"2,3","seq":10})"},
      {[&] { bridge.RemoveSelectedImage(); },
       R"({"type":"exec","cmd":"removeSelectedImage","origin":"user","seq":11})"},
      {[&] { bridge.SetCssFile("/p/My Docs/e.css"); },
       R"({"type":"exec","cmd":"setCssFile","origin":"user","arg":"\/p\/My Docs\/e.css","seq":12})"},
      {[&] { bridge.SetHeaderBgColor("#fafafa"); },
       R"({"type":"exec","cmd":"setHeaderBg","origin":"user","arg":"#fafafa","seq":13})"},
      {[&] { bridge.SetTableBorderWidth(2); },
       R"({"type":"exec","cmd":"setTableBorderWidth","origin":"user","arg":"2","seq":14})"},
      {[&] { bridge.SetPageBgColor("#ffffff"); },
       R"({"type":"exec","cmd":"setPageBg","origin":"user","arg":"#ffffff","seq":15})"},
      // The natural size is the page's to know: it is not sent back.
      {[&] {
         bridge.SetImageProperties({"A \"b\"", 100, -5, "Fig. 1", 640, 480});
       },
       R"({"type":"exec","cmd":"imageProperties","origin":"user",)"
       R"("arg":"{\"alt\":\"A \\\"b\\\"\",\"width\":100,\"height\":0,\"caption\":\"Fig. 1\"}","seq":16})"},
  };
  for (const TCase& c : cases) {
    c.call();
    EXPECT_EQ(LastJson(host), c.json);
  }
  EXPECT_EQ(bridge.LastSentSeq(), static_cast<int64_t>(cases.size()));
}

// Messages say which command the page had taken last; one that says nothing counts as
// about the newest, and a number that is not one is not taken.
TEST(EditorBridge, MessagesCarryTheNumberOfTheLastCommandTaken) {
  TFakeEditorHost host;
  TEditorBridge bridge(host);
  for (int i = 0; i < 5; ++i) bridge.RequestHtml();
  struct TCase {
    const char* json;
    int64_t seq;
    bool response;
  };
  const TCase cases[] = {
      {R"({"type":"htmlResponse","html":"","seq":3})", 3, true},
      {R"({"type":"htmlChanged","html":"","user":true,"seq":4})", 4, false},
      {R"({"type":"htmlChanged","html":"","user":true})", 5, false},
      {R"({"type":"headerChanged","headerHtml":"","seq":"2"})", 5, false},
  };
  for (const TCase& c : cases) {
    host.Post(c.json);
    EXPECT_EQ(bridge.LastMessageSeq(), c.seq) << c.json;
    if (std::string(c.json).find("html\"") != std::string::npos) EXPECT_EQ(bridge.LastHtmlWasResponse(), c.response);
  }
}

TEST(EditorBridge, ProgrammaticScopeNestsAndNeverGoesBelowZero) {
  TFakeEditorHost host;
  TEditorBridge bridge(host);
  bridge.EndProgrammatic();
  EXPECT_EQ(bridge.ProgrammaticDepth(), 0);
  {
    TProgrammaticScope outer(bridge);
    {
      TProgrammaticScope inner(bridge);
      bridge.ExecCommand("p");
      EXPECT_EQ(JsonString(host.Commands().back(), "origin", ""), "program");
    }
    bridge.ExecCommand("p");
    EXPECT_EQ(JsonString(host.Commands().back(), "origin", ""), "program");
    bridge.SetHtml("<p>x</p>");  // setHtml carries no origin
    EXPECT_EQ(JsonFind(host.Commands().back(), "origin"), nullptr);
  }
  bridge.ExecCommand("p");
  EXPECT_EQ(JsonString(host.Commands().back(), "origin", ""), "user");
  try {
    TProgrammaticScope scope(bridge);
    throw EFolivaneError("boom");
  } catch (const EFolivaneError&) {
  }
  EXPECT_EQ(bridge.ProgrammaticDepth(), 0);
}

TEST(EditorBridge, HtmlReachesThePageUnchanged) {
  TFakeEditorHost host;
  TEditorBridge bridge(host);
  const std::string html = "<p>a\r\nb \"q\" c:\\x </script> \xC3\xA9 \xF0\x9F\x98\x80</p>";
  bridge.SetHtml(html);
  const std::string script = host.Scripts.back();
  for (unsigned char c : script) EXPECT_LT(c, 0x80) << "script is pure ASCII";
  EXPECT_EQ(script.find("</script>"), std::string::npos);
  EXPECT_EQ(JsonString(host.Commands().back(), "html", ""), html);
}

TEST(EditorBridge, JsStringLiteralAndBaseHref) {
  EXPECT_EQ(JsStringLiteral("a\\b\"c\r\nd'"), "\"a\\\\b\\\"c\\r\\nd'\"");
  TFakeEditorHost host;
  TEditorBridge bridge(host);
  bridge.SetBaseHref("file:///p/x y/");
  EXPECT_EQ(host.Scripts.back(), "zdSetBaseHref(\"file:///p/x y/\");");
  bridge.NavigateToEditor("/tmp/My Docs/#1/editor.html");
  EXPECT_EQ(host.Urls.back(), "file:///tmp/My%20Docs/%231/editor.html");
}

// A folder name must never read as a fragment, a query or an escape once in a URL.
TEST(FileUrl, EscapesWhatAUrlPathReserves) {
  const struct {
    const char* path;
    const char* url;
  } cases[] = {
      {"/tmp/plain/editor.html", "file:///tmp/plain/editor.html"},
      {"/tmp/My Docs/a b.html", "file:///tmp/My%20Docs/a%20b.html"},
      {"/tmp/C# notes/?draft/100%/x.html", "file:///tmp/C%23%20notes/%3Fdraft/100%25/x.html"},
      {"/tmp/\xC3\xA4rger/\xD0\xB4\xD0\xB0/", "file:///tmp/%C3%A4rger/%D0%B4%D0%B0/"},
      {"/tmp/a[1]{2}<3>|\"^`\\/", "file:///tmp/a%5B1%5D%7B2%7D%3C3%3E%7C%22%5E%60%5C/"},
      {"/tmp/keep-._~!$&'()*+,;=:@/", "file:///tmp/keep-._~!$&'()*+,;=:@/"},
  };
  for (const auto& c : cases) EXPECT_EQ(FilePathToFileUrl(c.path), c.url) << c.path;
}

TEST(EditorBridge, IncomingMessagesRaiseTheirEvents) {
  TFakeEditorHost host;
  TEditorBridge bridge(host);
  int ready = 0;
  std::vector<std::string> htmls;
  std::vector<bool> userFlags;
  std::string header, headerBg, area;
  bridge.OnReady = [&](TEditorBridge&) { ++ready; };
  bridge.OnHtmlChanged = [&](TEditorBridge& b, const std::string& html) {
    htmls.push_back(html);
    userFlags.push_back(b.LastHtmlChangeWasUser());
  };
  bridge.OnHeaderChanged = [&](TEditorBridge&, const std::string& h, const std::string& bg) {
    header = h;
    headerBg = bg;
  };
  bridge.OnAreaChanged = [&](TEditorBridge&, const std::string& a) { area = a; };

  host.Post(R"({"type":"READY"})");
  host.Post(R"("{\"type\":\"ready\"}")");  // a posted string is dropped
  host.Post("not json");
  host.Post(R"({"type":"somethingElse"})");
  host.Post(R"([1,2])");
  EXPECT_EQ(ready, 1);

  host.Post(R"({"type":"htmlChanged","html":"<p>u</p>","user":"TRUE"})");
  host.Post(R"({"type":"htmlResponse","html":"<p>r</p>","user":true})");
  host.Post(R"({"type":"htmlChanged","html":"<p>n</p>","user":false})");
  host.Post(R"({"type":"htmlChanged","html":"<p>1</p>","user":1})");
  EXPECT_EQ(htmls, (std::vector<std::string>{"<p>u</p>", "<p>r</p>", "<p>n</p>", "<p>1</p>"}));
  EXPECT_EQ(userFlags, (std::vector<bool>{true, false, false, true}));

  host.Post(R"({"type":"headerChanged","headerHtml":"<b>T</b>","headerBg":"#eeeeee"})");
  EXPECT_EQ(header, "<b>T</b>");
  EXPECT_EQ(headerBg, "#eeeeee");
  host.Post(R"({"type":"areaChanged","area":"header"})");
  EXPECT_EQ(area, "header");
}

TEST(EditorBridge, CursorStyleMembersAreReadLeniently) {
  TFakeEditorHost host;
  TEditorBridge bridge(host);
  TEditorCursorStyle last;
  bridge.OnCursorStyle = [&](TEditorBridge&, const TEditorCursorStyle& s) { last = s; };
  struct TCase {
    std::string json;
    int size;
    bool bold;
  };
  for (const TCase& c : std::vector<TCase>{{R"({"type":"cursorStyle","fontSizePx":"16","bold":1})", 16, true},
                                           {R"({"type":"cursorStyle","fontSizePx":16.5,"bold":"yes"})", 0, false},
                                           {R"({"type":"cursorStyle","fontSizePx":18,"bold":"True"})", 18, true},
                                           {R"({"type":"cursorStyle"})", 0, false}}) {
    host.Post(c.json);
    EXPECT_EQ(last.FontSizePx, c.size) << c.json;
    EXPECT_EQ(last.Bold, c.bold) << c.json;
  }
  host.Post(
      R"({"type":"cursorStyle","area":"body","fontName":"Arial","textColor":"#ff0000","backColor":"",)"
      R"("align":"center","italic":true,"underline":"false","listType":"ul","blockTag":"li","lineHeight":"24px"})");
  EXPECT_EQ(last.Area, "body");
  EXPECT_EQ(last.FontName, "Arial");
  EXPECT_EQ(last.TextColorHtml, "#ff0000");
  EXPECT_EQ(last.Align, "center");
  EXPECT_TRUE(last.Italic);
  EXPECT_FALSE(last.Underline);
  EXPECT_EQ(last.ListType, "ul");
  EXPECT_EQ(last.BlockTag, "li");
  EXPECT_EQ(last.LineHeight, "24px");
  EXPECT_EQ(last.FontSizePx, 0) << "fresh record for each message";
  EXPECT_FALSE(last.Image.has_value());

  host.Post(R"({"type":"cursorStyle","image":{"alt":"A chart","width":"120","height":-3,"caption":"Fig. 1",)"
            R"("naturalWidth":640,"naturalHeight":480}})");
  ASSERT_TRUE(last.Image.has_value());
  EXPECT_EQ(last.Image->Alt, "A chart");
  EXPECT_EQ(last.Image->Width, 120);
  EXPECT_EQ(last.Image->Height, 0);
  EXPECT_EQ(last.Image->Caption, "Fig. 1");
  EXPECT_EQ(last.Image->NaturalWidth, 640);
  EXPECT_EQ(last.Image->NaturalHeight, 480);
  host.Post(R"({"type":"cursorStyle","image":null})");
  EXPECT_FALSE(last.Image.has_value());
}

TEST(EditorBridge, UnassignedHandlersAreSkippedAndDestructionDetaches) {
  TFakeEditorHost host;
  {
    TEditorBridge bridge(host);
    host.Post(R"({"type":"ready"})");
    host.Post(R"({"type":"htmlChanged","html":"x","user":true})");
    EXPECT_TRUE(bridge.LastHtmlChangeWasUser());
  }
  host.Post(R"({"type":"ready"})");  // no bridge any more: nothing happens
}
