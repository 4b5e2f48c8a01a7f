// Splitting the command line and configured 8-bit texts, with the stop on
// an unclosed quote.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "core/text.h"
#include "fake_system.h"
#include "core/record_ids.h"
#include "core/arguments.h"

namespace {

using Tokens = std::vector<std::string>;

class Arguments : public ::testing::Test {
 protected:
  void SetUp() override { fake::reset(); }
  void TearDown() override { fake::reset(); }
};

// The message the user is shown for a failure.
std::string messageOf(const Failure& failure) {
  Text message;
  failureMessage(fake::setConfigRecords({{kRecord_msgWrongParameterUsage, "Wrong Parameter Usage"}}), failure, message);
  return message;
}

Tokens splitNarrow(const std::string& text) {
  NarrowArgumentList list;
  Failure failure;
  EXPECT_TRUE(splitArgumentsNarrow(text.c_str(), &list, failure)) << text;
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
  Failure failure;
  EXPECT_TRUE(splitArguments(u"first", &list, failure));
  EXPECT_TRUE(splitArguments(u"\"C:\\Program Files\\setup.exe\" -q '\u0416 x'", &list, failure));
  std::vector<std::u16string> tokens(list.items, list.items + list.count);
  EXPECT_EQ(tokens,
            (std::vector<std::u16string>{u"first", u"C:\\Program Files\\setup.exe", u"-q", u"\u0416 x"}));
  freeArgumentList(&list);
}

TEST_F(Arguments, AnUnclosedQuoteStopsTheLauncher) {
  struct {
    std::u16string text;
  } wide[] = {{u"a \"b"}, {u"it's \"b"}, {u"\"a\" '\"b"}};
  for (const auto& c : wide) {
    ArgumentList list;
    Failure failure;
    EXPECT_TRUE(splitArguments(u"kept", &list, failure));
    EXPECT_FALSE(splitArguments(c.text.c_str(), &list, failure));
    EXPECT_EQ(failure.kind, FailureKind::wrongParameterUsage);
    EXPECT_STREQ(failure.about, "");
    EXPECT_EQ(messageOf(failure), "Wrong Parameter Usage");
    EXPECT_EQ(list.count, 0);
    EXPECT_EQ(list.items, nullptr);
  }
  const char* narrow[] = {"-Da \"-Db", "'\"", "-Dx='a\"b"};
  for (const char* text : narrow) {
    NarrowArgumentList list;
    Failure failure;
    EXPECT_FALSE(splitArgumentsNarrow(text, &list, failure)) << text;
    EXPECT_EQ(failure.kind, FailureKind::wrongParameterUsage) << text;
    EXPECT_EQ(messageOf(failure), "Wrong Parameter Usage") << text;
    EXPECT_EQ(list.count, 0) << text;
  }
}

}  // namespace
