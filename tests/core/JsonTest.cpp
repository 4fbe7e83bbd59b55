#include <gtest/gtest.h>

#include "uJson.h"

TEST(JsonWrite, CompactPureAscii) {
  TJson o = TJson::object();
  o["title"] = "Caf\xC3\xA9 a/b \"q\" \\ \t\n\x01";
  o["n"] = 12;
  o["f"] = 1.5;
  o["g"] = 2.0;
  o["b"] = true;
  o["list"] = {"x", "\xF0\x9F\x98\x80"};
  EXPECT_EQ(JsonWrite(o),
            "{\"title\":\"Caf\\u00E9 a\\/b \\\"q\\\" \\\\ \\t\\n\\u0001\",\"n\":12,\"f\":1.5,\"g\":2,"
            "\"b\":true,\"list\":[\"x\",\"\\uD83D\\uDE00\"]}");
}

TEST(JsonRead, FirstOfRepeatedKeysWins) {
  TJson doc;
  ASSERT_TRUE(TryParseJson("{\"a\":1,\"b\":{\"c\":[1,2]},\"a\":2,\"b\":[3]}", doc));
  EXPECT_EQ(JsonString(doc, "a", ""), "1");
  EXPECT_TRUE(doc["b"].is_object());
}

TEST(JsonRead, ReportsWhereTextIsBroken) {
  TJson doc;
  std::string error;
  EXPECT_FALSE(TryParseJson("{\"a\":", doc, &error));
  EXPECT_NE(error.find("line 1"), std::string::npos) << error;
  EXPECT_FALSE(TryParseJson("", doc));
}

TEST(JsonRead, StringAndBoolReaders) {
  TJson doc;
  ASSERT_TRUE(TryParseJson(
      "{\"s\":\"x\",\"n\":12,\"t\":true,\"nul\":null,\"arr\":[1],\"T\":\"TRUE\",\"one\":1,\"F\":\"False\"}", doc));
  EXPECT_EQ(JsonString(doc, "s", "d"), "x");
  EXPECT_EQ(JsonString(doc, "n", "d"), "12");
  EXPECT_EQ(JsonString(doc, "t", "d"), "true");
  EXPECT_EQ(JsonString(doc, "nul", "d"), "null");
  EXPECT_EQ(JsonString(doc, "arr", "d"), "");
  EXPECT_EQ(JsonString(doc, "missing", "d"), "d");
  EXPECT_EQ(JsonString(doc, "S", "d"), "d") << "names are case-sensitive";
  EXPECT_TRUE(JsonBool(doc, "T", false));
  EXPECT_TRUE(JsonBool(doc, "t", false));
  EXPECT_FALSE(JsonBool(doc, "F", true));
  EXPECT_FALSE(JsonBool(doc, "one", false));
  EXPECT_TRUE(JsonBool(doc, "one", true));
}
