// UTF-8 names of archive entries.
#include <gtest/gtest.h>

#include <string>

#include "core/utf8.h"

TEST(Utf8, DecodesWellFormedTextAndRefusesTheRest) {
  struct {
    const char* what;
    std::string text;
    std::u16string wide;
    bool valid;
  } cases[] = {
      {"ASCII", "bin/java.exe", u"bin/java.exe", true},
      {"two bytes", "Gr\xC3\xBC\xC3\x9F" "e", u"Grüße", true},
      {"three bytes", "\xE6\x9D\xB1\xE4\xBA\xAC", u"東京", true},
      {"four bytes: a surrogate pair", "\xF0\x9F\x98\x80", u"\U0001F600", true},
      {"the largest value", "\xF4\x8F\xBF\xBF", u"\U0010FFFF", true},
      {"Latin-1", "Gr\xFC\xDF" "e", u"", false},
      {"a lone continuation byte", "a\x80", u"", false},
      {"cut short", "\xE6\x9D", u"", false},
      {"overlong slash", "\xC0\xAF", u"", false},
      {"overlong three bytes", "\xE0\x80\xAF", u"", false},
      {"a surrogate", "\xED\xA0\x80", u"", false},
      {"past U+10FFFF", "\xF4\x90\x80\x80", u"", false},
      {"five bytes", "\xF8\x88\x80\x80\x80", u"", false},
  };
  for (const auto& c : cases) {
    char16_t buffer[64];
    EXPECT_EQ(decodeUtf8(c.text.c_str(), buffer, 64), c.valid) << c.what;
    if (c.valid) {
      EXPECT_EQ(std::u16string(buffer), c.wide) << c.what;
    }
  }
  EXPECT_TRUE(isAscii("plain/name.txt"));
  EXPECT_FALSE(isAscii("Gr\xC3\xBC\xC3\x9F" "e"));
}

TEST(Utf8, RefusesWhatDoesNotFit) {
  char16_t buffer[3];
  EXPECT_TRUE(decodeUtf8("ab", buffer, 3));
  EXPECT_FALSE(decodeUtf8("abc", buffer, 3)) << "no room for the terminator";
  EXPECT_FALSE(decodeUtf8("a\xF0\x9F\x98\x80", buffer, 3)) << "no room for both halves of a pair";
}
