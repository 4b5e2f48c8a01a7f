// The runtime question's text: the bitness, "%%", and the version bounds.
#include <gtest/gtest.h>

#include <string>

#include "core/question_text.h"
#include "core/text.h"
#include "fake_system.h"

namespace {

const std::u16string kBits = sizeof(void*) == 8 ? u"64" : u"32";

std::u16string question(const char16_t* format, const char* min = "", const char* max = "",
                        size_t capacity = kTextCapacity) {
  fake::reset();
  WideText text;
  buildQuestionText(format, u"at least", min, u"at most", max, text, capacity);
  return text;
}

TEST(QuestionText, FormatsAndBounds) {
  struct {
    const char16_t* format;
    const char* min;
    const char* max;
    std::u16string text;
  } cases[] = {
      {u"No %S-bit Java found.", "", "", u"No " + kBits + u"-bit Java found."},
      {u"%S and %S", "", "", kBits + u" and %S"},
      {u"100%% sure, %S bits", "", "", u"100% sure, " + kBits + u" bits"},
      {u"%%S stays", "", "", u"%S stays"},
      {u"50% off", "", "", u"50% off"},
      {u"Java", "1.8", "", u"Java (at least 1.8)"},
      {u"Java", "", "11", u"Java (at most 11)"},
      {u"Java", "1.8", "17", u"Java (at least 1.8, at most 17)"},
      {u"Java", "caf\xe9", "", u"Java (at least caf\u00e9)"},
  };
  for (const auto& c : cases) EXPECT_EQ(question(c.format, c.min, c.max), c.text);
}

TEST(QuestionText, CutAtTheCapacity) {
  EXPECT_EQ(question(u"abc%Sdef", "", "", 5), u"abc" + kBits.substr(0, 1));
  EXPECT_EQ(question(u"abc", "1.8", "", 6), u"abc (");
}

}  // namespace
