// The configuration accessors: integers, bounded copies, separate id spaces.
#include <gtest/gtest.h>

#include "core/configuration.h"
#include "payload_bytes.h"

namespace {

class Configuration : public ::testing::Test {
 protected:
  void install(const PayloadBytes& payload) {
    MemoryMedia media = payload.media();
    PayloadLocation location;
    ReadError error;
    ASSERT_TRUE(locatePayload(&media, &location, &error));
    ASSERT_TRUE(readConfigTables(&media, &tables_, &error));
  }
  void TearDown() override { freeConfigTables(&tables_); }
  ConfigTables tables_;
};

TEST_F(Configuration, IntegersReadLikeDecimalText) {
  struct {
    const char* text;
    int32_t value;
  } cases[] = {
      {"5", 5},           {"   12abc", 12}, {"\t-7", -7},        {"+3", 3},
      {"abc", 0},         {"", 0},         {"1 2", 1},           {"2147483647", INT32_MAX},
      {"99999999999", INT32_MAX},          {"-99999999999", INT32_MIN},
  };
  for (const auto& c : cases) EXPECT_EQ(parseConfigInt(c.text), c.value) << c.text;
  EXPECT_EQ(parseConfigInt(nullptr), 0);
}

TEST_F(Configuration, AccessorsCutAtTheCapacityAndKeepTheIdSpacesApart) {
  std::string longText(10000, 'x');
  std::u16string longWide(9000, u'\x416');
  install(PayloadBytes()
              .magic()
              .int32(3)
              .record(2001, "installer")
              .record(107, " 5 ")
              .record(123, longText)
              .int32(2)
              .wideRecord(2001, u"wide")
              .wideRecord(20013, longWide));

  char kind[2];
  configString(tables_, 2001, kind, sizeof kind);
  EXPECT_STREQ(kind, "i");
  EXPECT_EQ(configInt(tables_, 107), 5);
  EXPECT_EQ(configInt(tables_, 108), 0);

  Text text;
  configString(tables_, 123, text, sizeof text);
  EXPECT_EQ(strlen(text), kTextCapacity - 1);
  configString(tables_, 999, text, sizeof text);
  EXPECT_STREQ(text, "");

  WideText wide;
  configWString(tables_, 20013, wide);
  EXPECT_EQ(wideLength(wide), kTextCapacity - 1);
  EXPECT_EQ(wide[0], u'\x416');
  configWString(tables_, 2001, wide);
  EXPECT_EQ(std::u16string(wide), u"wide");
  configWString(tables_, 107, wide);
  EXPECT_EQ(std::u16string(wide), u"");
}

}  // namespace
