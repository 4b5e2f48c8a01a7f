// Splitting command lines and option texts into arguments.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "core/split_arguments.h"

namespace {

std::vector<std::u16string> split(const std::u16string& text, bool* complete = nullptr) {
  ArgumentList list;
  bool ok = splitArgumentTokens(text.c_str(), &list);
  if (complete) *complete = ok;
  std::vector<std::u16string> tokens(list.items, list.items + list.count);
  freeArgumentList(&list);
  return tokens;
}

using Tokens = std::vector<std::u16string>;

TEST(SplitArguments, Cases) {
  struct {
    std::u16string text;
    Tokens tokens;
  } cases[] = {
      {u"-Xmx256m \"-Dname=a b\"", {u"-Xmx256m", u"-Dname=a b"}},
      {u"-Dp=\"D:\\a b\"\\c", {u"-Dp=D:\\a b", u"\\c"}},
      {u"'say \"hi\"' \"it's\"", {u"say \"hi\"", u"it's"}},
      {u"  a   b  ", {u"a", u"b"}},
      {u"a\tb c", {u"a\tb", u"c"}},
      {u"\"\" x", {u"", u"x"}},
      {u"\"-q\"", {u"-q"}},
      {u"", {}},
      {u"x\"y z\"w", {u"xy z", u"w"}},
      // An apostrophe without a partner is a letter; where they pair up they group.
      {u"it's", {u"it's"}},
      {u"C:\\Users\\O'Brien\\setup.exe __qrw_lang_restart", {u"C:\\Users\\O'Brien\\setup.exe", u"__qrw_lang_restart"}},
      {u"'a b' O'Neil.txt", {u"a b", u"O'Neil.txt"}},
      {u"\"it's\" x'", {u"it's", u"x'"}},
      {u"'", {u"'"}},
      {u"d'a 'b c'", {u"da ", u"b", u"c'"}},
  };
  for (const auto& c : cases) {
    bool complete = false;
    EXPECT_EQ(split(c.text, &complete), c.tokens);
    EXPECT_TRUE(complete);
  }
}

TEST(SplitArguments, UnterminatedQuoteKeepsTheTokensBeforeIt) {
  bool complete = true;
  EXPECT_EQ(split(u"a b \"c d", &complete), (Tokens{u"a", u"b"}));
  EXPECT_FALSE(complete);
  EXPECT_EQ(split(u"x \"it's", &complete), Tokens{u"x"}) << "a double quote still has to be closed";
  EXPECT_FALSE(complete);
}

}  // namespace
