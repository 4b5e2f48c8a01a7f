// Splitting the command line and configured 8-bit texts, with the stop on
// an unclosed quote.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "common/text.h"
#include "fake_system.h"
#include "media/record_ids.h"
#include "windows/arguments.h"

namespace {

using Tokens = std::vector<std::string>;

class Arguments : public ::testing::Test {
 protected:
  void SetUp() override {
    fake::reset();
    fake::setConfigRecords({{kRecord_msgWrongParameterUsage, "Wrong Parameter Usage"}});
  }
  void TearDown() override { fake::reset(); }
};

Tokens splitNarrow(const std::string& text) {
  NarrowArgumentList list;
  splitArgumentsNarrow(text.c_str(), &list);
  Tokens tokens(list.items, list.items + list.count);
  freeNarrowArgumentList(&list);
  return tokens;
}

TEST_F(Arguments, NarrowTextsSplitLikeTheCommandLine) {
  struct {
    std::string text;
    Tokens tokens;
  } cases[] = {
      {"-Xmx256m \"-Dname=a b\"", {"-Xmx256m", "-Dname=a b"}},
      {"-Dp=\"D:\\a b\"\\c", {"-Dp=D:\\a b", "\\c"}},
      {"'-Dq=\"x\"' \"-Dr='y'\"", {"-Dq=\"x\"", "-Dr='y'"}},
      {"-Dcaf\xe9=\"\xe0 \xff\"", {"-Dcaf\xe9=\xe0 \xff"}},
      {"  a\tb   c ", {"a\tb", "c"}},
      {"\"\"", {""}},
      {"", {}},
  };
  for (const auto& c : cases) EXPECT_EQ(splitNarrow(c.text), c.tokens) << c.text;
}

TEST_F(Arguments, ANarrowTextIsConvertedUpToTheBufferOnly) {
  // The unclosed quote lies beyond the converted units and goes unseen.
  std::string text(kTextCapacity - 1, 'a');
  EXPECT_EQ(splitNarrow(text + " \"x"), Tokens{text});
  EXPECT_EQ(splitNarrow(std::string(kTextCapacity - 3, 'a') + " bc"),
            (Tokens{std::string(kTextCapacity - 3, 'a'), "b"}));
}

TEST_F(Arguments, WideTokensAreAppendedToTheList) {
  ArgumentList list;
  splitArguments(u"first", &list);
  splitArguments(u"\"C:\\Program Files\\setup.exe\" -q '\u0416 x'", &list);
  std::vector<std::u16string> tokens(list.items, list.items + list.count);
  EXPECT_EQ(tokens,
            (std::vector<std::u16string>{u"first", u"C:\\Program Files\\setup.exe", u"-q", u"\u0416 x"}));
  freeArgumentList(&list);
}

TEST_F(Arguments, AnUnclosedQuoteStopsTheLauncher) {
  struct {
    std::u16string text;
  } wide[] = {{u"a \"b"}, {u"it's"}, {u"\"a\" 'b"}};
  for (const auto& c : wide) {
    ArgumentList list;
    splitArguments(u"kept", &list);
    try {
      splitArguments(c.text.c_str(), &list);
      ADD_FAILURE() << "no stop";
    } catch (const FatalConfigError& error) {
      EXPECT_EQ(error.id, kRecord_msgWrongParameterUsage);
      EXPECT_EQ(error.argument, "");
    }
    EXPECT_EQ(list.count, 0);
    EXPECT_EQ(list.items, nullptr);
  }
  const char* narrow[] = {"-Da \"-Db", "'", "-Dx='a\"b"};
  for (const char* text : narrow) {
    NarrowArgumentList list;
    try {
      splitArgumentsNarrow(text, &list);
      ADD_FAILURE() << "no stop: " << text;
    } catch (const FatalConfigError& error) {
      EXPECT_EQ(error.id, kRecord_msgWrongParameterUsage) << text;
    }
    EXPECT_EQ(list.count, 0) << text;
  }
  EXPECT_EQ(fake::shownErrors(), std::vector<std::string>(6, "Wrong Parameter Usage"));
}

}  // namespace
