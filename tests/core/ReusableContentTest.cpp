#include <gtest/gtest.h>

#include <string>

#include "TestHelpers.h"
#include "uReusableContent.h"
#include "uUtils.h"

namespace {

class ReusableProject {
 public:
  ReusableProject() { FProject.SetRootPath(IncludeTrailingDelimiter(FDir.Path())); }
  TDocProject& Project() { return FProject; }
  std::string FilePath() const { return FDir / "meta/reusable_content.json"; }
  void WriteFile(const std::string& json) { WriteFixtureFile(FilePath(), json); }

 private:
  TTempDir FDir;
  TDocProject FProject;
};

TEST(ReusableStore, SavesCompactAsciiInFixedOrder) {
  ReusableProject rp;
  TReusableProjectContent store;
  store.SaveToProject(rp.Project());
  EXPECT_EQ(ReadTextFileUtf8(rp.FilePath()), "{\"variables\":[],\"snippets\":[],\"conditions\":[]}");

  store.Conditions().push_back({"ProEdition", false});
  store.Snippets().push_back({"Note", "<p>See also</p>"});
  store.Variables().push_back({" Version ", " 4.2 caf\xC3\xA9\t\"q\"\\"});
  store.Variables().push_back({" \t", "blank names are not written"});
  store.SaveToProject(rp.Project());
  EXPECT_EQ(ReadTextFileUtf8(rp.FilePath()),
            "{\"variables\":[{\"name\":\"Version\",\"value\":\" 4.2 caf\\u00E9\\t\\\"q\\\"\\\\\"}],"
            "\"snippets\":[{\"name\":\"Note\",\"html\":\"<p>See also<\\/p>\"}],"
            "\"conditions\":[{\"name\":\"ProEdition\",\"enabled\":false}]}");

  TReusableProjectContent back;
  back.LoadFromProject(rp.Project());
  ASSERT_EQ(back.Variables().size(), 1u);
  EXPECT_EQ(back.Variables()[0].Name, "Version");
  EXPECT_EQ(back.Variables()[0].Value, " 4.2 caf\xC3\xA9\t\"q\"\\");
  EXPECT_EQ(back.SnippetHtml("note", "?"), "<p>See also</p>");
  EXPECT_FALSE(back.ConditionEnabled("PROEDITION", true));
}

TEST(ReusableStore, ReadsLeniently) {
  ReusableProject rp;
  rp.WriteFile(R"({"variables":[{"name":"  Product ","value":"  A  "},{"name":"PRODUCT","value":"second"},
      {"name":"n","value":42},{"name":"b","value":true},{"name":"   ","value":"x"},{"value":"no name"},"text",7],
    "snippets":[{"name":"S"},{"name":"T","html":" <b>t</b> "}],
    "conditions":[{"name":"a","enabled":false},{"name":"b","enabled":" FALSE "},{"name":"c","enabled":"0"},
      {"name":"d","enabled":"yes"},{"name":"e","enabled":"on"},{"name":"f","enabled":"no"},{"name":"g"},
      {"name":"h","enabled":1},{"name":"i","enabled":0},{"name":"j","enabled":"True"}]})");
  TReusableProjectContent store;
  store.LoadFromProject(rp.Project());
  ASSERT_EQ(store.Variables().size(), 4u);
  EXPECT_EQ(store.Variables()[0].Name, "Product");
  EXPECT_EQ(store.VariableValue("product", "?"), "  A  ");
  EXPECT_EQ(store.VariableValue("n", "?"), "42");
  EXPECT_EQ(store.VariableValue("B", "?"), "true");
  EXPECT_EQ(store.VariableValue(" Product", "default"), "default");  // lookups do not trim
  EXPECT_EQ(store.SnippetHtml("s", "?"), "");
  EXPECT_EQ(store.SnippetHtml("t", "?"), " <b>t</b> ");
  const std::string enabled = "defghj", disabled = "abci";
  for (char c : enabled) EXPECT_TRUE(store.ConditionEnabled(std::string(1, c), false)) << c;
  for (char c : disabled) EXPECT_FALSE(store.ConditionEnabled(std::string(1, c), true)) << c;
  EXPECT_TRUE(store.ConditionEnabled("missing", true));
}

TEST(ReusableStore, MatchesOnlyAsciiLettersWithoutCase) {
  TReusableProjectContent store;
  store.Variables().push_back({"\xC3\x96l", "upper"});  // Ö
  store.Variables().push_back({"\xC3\xB6l", "lower"});  // ö
  EXPECT_EQ(store.VariableValue("\xC3\xB6L", "none"), "lower");
  EXPECT_EQ(store.VariableValue("\xC3\x96L", "none"), "upper");
}

TEST(ReusableStore, FilesThatAreNotStoresLoadEmptyOrFail) {
  const struct {
    const char* text;
    bool raises;
  } cases[] = {
      {"{}", false},
      {"{\"variables\":[", false},
      {"not json", false},
      {"", false},
      {"[]", true},
      {"\"text\"", true},
      {"{\"variables\":null}", true},
      {"{\"variables\":[],\"snippets\":{}}", true},
  };
  for (const auto& c : cases) {
    ReusableProject rp;
    rp.WriteFile(c.text);
    TReusableProjectContent store;
    store.Variables().push_back({"stale", "x"});
    if (c.raises) {
      EXPECT_THROW(store.LoadFromProject(rp.Project()), EFolivaneError) << c.text;
    } else {
      store.LoadFromProject(rp.Project());
      EXPECT_TRUE(store.Variables().empty() && store.Snippets().empty() && store.Conditions().empty()) << c.text;
    }
  }
  ReusableProject rp;
  rp.WriteFile(R"({"variables":[{"name":"kept","value":"1"}],"snippets":5})");
  TReusableProjectContent store;
  EXPECT_THROW(store.LoadFromProject(rp.Project()), EFolivaneError);
  EXPECT_EQ(store.VariableValue("kept", ""), "1");

  TDocProject noRoot;
  store.LoadFromProject(noRoot);
  EXPECT_TRUE(store.Variables().empty());
}

// The store of the expansion examples: Product = "A&B <x>", Pro enabled, Lite disabled.
class Expansion : public ::testing::Test {
 protected:
  void SetUp() override {
    TReusableProjectContent store;
    store.Variables() = {{"Product", "A&B <x>"}, {"Version", "4.2"}};
    store.Conditions() = {{"Pro", true}, {"Lite", false}};
    store.Snippets() = {{"Note", "<b>{var:Version}</b>{begincond:Lite}lite{endcond}{begincond:Pro}pro{endcond}"},
                        {"OpenOnly", "{begincond:Pro}"},
                        {"Empty", ""},
                        {"Self", "[{snip:self}]"},
                        {"Ping", "ping({snip:Pong})"},
                        {"Pong", "pong({snip:Ping})"},
                        {"Marked", "<span contenteditable=\"false\" title=\"t\">m</span>"}};
    store.SaveToProject(FRp.Project());
  }
  std::string Expand(const std::string& html) { return ExpandReusableContent(FRp.Project(), html); }
  ReusableProject FRp;
};

TEST_F(Expansion, ReplacesTokensAsTheExamplesShow) {
  const struct {
    const char* html;
    const char* expanded;
  } cases[] = {
      {"x {var:Product} y", "x A&amp;B &lt;x&gt; y"},
      {"x { VAR : product } y", "x A&amp;B &lt;x&gt; y"},
      {"{var:\nProduct\n}", "A&amp;B &lt;x&gt;"},
      {"<a href=\"{var:Product}\">{var:Product}</a>", "<a href=\"{var:Product}\">A&amp;B &lt;x&gt;</a>"},
      {"a{var:Nope}b{snip:Nope}c{snip:Empty}d", "abcd"},
      {"<b>{var:</b>Product}", "<b>{var:</b>Product}"},
      {"{var:&#80;roduct} {var:&#x50;roduct &amp;}", "A&amp;B &lt;x&gt; "},
      {"{begincond:Lite}hidden{endcond}shown", "shown"},
      {"{begincond:Undefined}hidden{endcond}shown", "shown"},
      {"{begincond:Pro}kept{endcond}", "kept"},
      {"<p>{begincond:Lite}</p><p>t</p><p>{endcond}</p><p>after</p>", "<p>after</p>"},
      {"<P class=\"x\"> {begincond:Pro} </P><p>t</p><div>{endcond:Pro}</div>", "<p>t</p>"},
      {"{begincond:Pro}1{begincond:Lite}2{endcond}3{endcond}", "1"},
      {"{begincond:Lite}1{begincond:Pro}2{endcond}3{endcond}", "3"},
      {"{begincond:Pro}1{begincond:Lite}2{endcond:Lite}3{endcond:Pro}", "123"},
      {"{begincond:Lite}x{endcond:Pro}y", "xy"},
      {"{BeginCond : pro }a{ENDCOND: PRO}b", "ab"},
      {"a{endcond}b{begincond:Pro}c", "abc"},
      {"a{endcond:Lite}b", "ab"},
      {"<div>{begincond:Pro}</div>", ""},
      {"[{snip:Note}]", "[<b>4.2</b>pro]"},
      {"{snip:OpenOnly}x{endcond}", "x"},
      {"{begincond:Lite}{snip:Note}{endcond}", ""},
      {"<span contenteditable=\"false\" style=\"border:1px dashed #999\" title=\"t\">v</span>", "<span>v</span>"},
      {"<img src=\"a.png\" title=\"pic\"><span style=\"background: #EEF5FF\">s</span>",
       "<img src=\"a.png\"><span>s</span>"},
      {"<p style=\"color:red\">keep</p>", "<p style=\"color:red\">keep</p>"},
      {"<i \xC5\xBFtyle=\"border: 1px  dashed\">v</i>", "<i>v</i>"},
      {"{snip:Marked}", "<span>m</span>"},
  };
  for (const auto& c : cases) EXPECT_EQ(Expand(c.html), c.expanded) << c.html;
}

TEST_F(Expansion, SnippetsThatContainThemselvesEnd) {
  EXPECT_EQ(Expand("{snip:Self}"), "[]");
  EXPECT_EQ(Expand("{snip:Ping}"), "ping(pong())");
  EXPECT_EQ(Expand("{snip:Pong}|{snip:Ping}"), "pong(ping())|ping(pong())");
}

TEST(SnippetExpansion, SnippetsThatMultiplyWithoutEndAreRefused) {
  TReusableProjectContent store;
  std::string s1Many, s2Many;
  for (int i = 0; i < 1000; ++i) s1Many += "{snip:S1}", s2Many += "{snip:S2}";
  store.Snippets() = {{"S0", s1Many}, {"S1", s2Many}, {"S2", std::string(100000, 'x')}};
  EXPECT_THROW(ExpandReusableContent(store, "{snip:S0}"), EFolivaneError);
}

TEST_F(Expansion, LeavesEmptyPagesAndRootlessProjectsAlone) {
  EXPECT_EQ(Expand(""), "");
  TDocProject rootless;
  const std::string marked = "<span title=\"t\">{var:Product}</span>";
  EXPECT_EQ(ExpandReusableContent(rootless, marked), marked);
}

TEST_F(Expansion, FollowsChangesOfTheStoreFile) {
  EXPECT_EQ(Expand("{var:Version}"), "4.2");
  TReusableProjectContent store;
  store.LoadFromProject(FRp.Project());
  store.Variables()[1].Value = "5.0";
  store.SaveToProject(FRp.Project());
  EXPECT_EQ(Expand("{var:Version}"), "5.0");
  FRp.WriteFile("[]");
  EXPECT_THROW(Expand("{var:Version}"), EFolivaneError);
  DeleteFileIfExists(FRp.FilePath());
  EXPECT_EQ(Expand("a{var:Version}{begincond:Pro}b{endcond}"), "a");
}

TEST(TokenBuilders, EncodeTheirText) {
  EXPECT_EQ(VariableToken("A&B"), "{var:A&amp;B}");
  EXPECT_EQ(SnippetToken("<x>"), "{snip:&lt;x&gt;}");
  EXPECT_EQ(BeginConditionToken("it's \"q\""), "{begincond:it's &quot;q&quot;}");
  EXPECT_STREQ(kEndConditionToken, "{endcond}");
}

TEST(TokenBuilders, TokensOfAwkwardNamesExpandToTheirEntries) {
  TReusableProjectContent store;
  store.Variables() = {{"R&D <1>", "rd"}};
  store.Snippets() = {{"Tom's \"best\"", "<i>s</i>"}};
  EXPECT_EQ(ExpandReusableContent(store, VariableToken("R&D <1>") + SnippetToken("Tom's \"best\"")), "rd<i>s</i>");
}

}  // namespace
