// Bounded copies, appends and the "{0}" placeholder.
#include <gtest/gtest.h>

#include <string>

#include "core/code_page.h"
#include "core/text.h"

TEST(Text, CopyAndAppendStopAtTheCapacity) {
  char small[6] = "zzzzz";
  EXPECT_EQ(copyText(small, sizeof small, "abcdefgh"), 5u);
  EXPECT_STREQ(small, "abcde");
  copyText(small, sizeof small, "ab");
  EXPECT_EQ(appendText(small, sizeof small, "cdefg"), 5u);
  EXPECT_STREQ(small, "abcde");
  EXPECT_EQ(appendText(small, sizeof small, "x"), 5u);
  EXPECT_STREQ(small, "abcde");
  copyText(small, sizeof small, nullptr);
  EXPECT_STREQ(small, "");

  char16_t wide[4];
  copyWideText(wide, 4, u"abcdef");
  EXPECT_EQ(std::u16string(wide), u"abc");
}

TEST(Text, OnlyTheFirstPlaceholderIsReplaced) {
  struct {
    const char* text;
    const char* argument;
    const char* result;
  } cases[] = {
      {"An internal error occurred (error code: {0})", "7", "An internal error occurred (error code: 7)"},
      {"{0} and {0}", "x", "x and {0}"},
      {"no placeholder", "x", "no placeholder"},
      {"{0}", "", ""},
      {"a{0}b", "{0}", "a{0}b"},
  };
  for (const auto& c : cases) {
    Text text;
    copyText(text, sizeof text, c.text);
    replaceFirstPlaceholder(text, sizeof text, c.argument);
    EXPECT_STREQ(text, c.result) << c.text;
  }
}

TEST(Text, PlaceholderReplacementIsCutAtTheCapacity) {
  Text text;
  copyText(text, sizeof text, "{0}tail");
  std::string argument(kTextCapacity + 100, 'a');
  replaceFirstPlaceholder(text, sizeof text, argument.c_str());
  EXPECT_EQ(strlen(text), kTextCapacity - 1);
  EXPECT_EQ(text[kTextCapacity - 2], 'a');
}

TEST(CodePages, UtfEightTakesNoDefaultCharacter) {
  EXPECT_FALSE(takesDefaultCharacter(65001));
  EXPECT_FALSE(takesDefaultCharacter(65000));
  for (unsigned codePage : {1252u, 1251u, 437u, 932u, 936u}) EXPECT_TRUE(takesDefaultCharacter(codePage)) << codePage;
}
