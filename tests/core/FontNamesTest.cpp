#include <gtest/gtest.h>

#include "uFontNames.h"

TEST(FontNames, FamiliesAsBrowsersNameThem) {
  const struct {
    const char* qt;
    const char* browser;
  } cases[] = {
      {"Nimbus Sans [URW ]", "Nimbus Sans"},
      {"Nimbus Sans [UKWN]", "Nimbus Sans"},
      {"  DejaVu Sans  ", "DejaVu Sans"},
      {"Odd [Name] Font", "Odd [Name] Font"},
      {"[x]", "[x]"},
      {"", ""},
  };
  for (const auto& c : cases) EXPECT_EQ(BrowserFontFamily(c.qt), c.browser) << c.qt;

  EXPECT_EQ(BrowserFontFamilies({"Nimbus Sans [URW ]", "arial", "Nimbus Sans [UKWN]", "Arial", "Cantarell", " "}),
            (std::vector<std::string>{"arial", "Cantarell", "Nimbus Sans"}));
}

TEST(FontNames, ProjectFontStackEndsInSansSerif) {
  const struct {
    const char* stored;
    const char* stack;
  } cases[] = {
      {"Segoe UI", R"("Segoe UI", Arial, "Liberation Sans", "Nimbus Sans", Helvetica, sans-serif)"},
      {"", R"("Segoe UI", Arial, "Liberation Sans", "Nimbus Sans", Helvetica, sans-serif)"},
      {"Nimbus Sans [URW ]", R"("Nimbus Sans", Arial, "Liberation Sans", Helvetica, sans-serif)"},
      {"arial", R"("arial", "Liberation Sans", "Nimbus Sans", Helvetica, sans-serif)"},
      {"My \"Font\"", R"("My \"Font\"", Arial, "Liberation Sans", "Nimbus Sans", Helvetica, sans-serif)"},
  };
  for (const auto& c : cases) EXPECT_EQ(ProjectFontStack(c.stored), c.stack) << c.stored;
}
