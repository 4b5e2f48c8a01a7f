// Version texts against bounds, key names, and the first line of -version.
#include <gtest/gtest.h>

#include "fake_system.h"
#include "jvm/version_rules.h"
#include "log/log_memory.h"

TEST(VersionRules, BoundsCompareAsTextOverTheirLength) {
  fake::reset();
  struct {
    const char* version;
    const char* min;
    const char* max;
    bool allowBeta;
    bool accepted;
  } cases[] = {
      {"1.5.0_11", "1.5", "", false, true}, {"1.6.0", "1.5", "", false, true},
      {"1.4.2", "1.5", "", false, false},   {"1.6.0_13", "", "1.6", false, true},
      {"1.7.0", "", "1.6", false, false},   {"1.10.0", "1.5", "", false, false},
      {"1.6", "1.6.0", "", false, false},   {"", "", "", false, true},
      {"1.6.0_10-rc", "", "", false, false}, {"1.7.0-ea", "", "", false, false},
      {"1.6.0_10-rc", "", "", true, true},  {"1.5.0-beta2", "1.5", "", true, true},
      {"\xe9", "1", "", false, true},
  };
  for (const auto& c : cases)
    EXPECT_EQ(versionAcceptable(c.version, c.min, c.max, c.allowBeta), c.accepted) << c.version << " " << c.min;
}

TEST(VersionRules, PrereleaseVersionsPassEverywhereWithRecord130) {
  fake::reset();
  clearCapturedLog();
  EXPECT_FALSE(versionAcceptable("1.7.0-ea", "", "", false));
  EXPECT_EQ(capturedLog(), "beta vm not allowed\n");
  fake::setConfigRecords({{130, "1"}});
  EXPECT_TRUE(versionAcceptable("1.7.0-ea", "", "", false));
}

TEST(VersionRules, KeyNamesCompareOverTheShorterText) {
  EXPECT_TRUE(versionKeyInRange("1.5", "1.5.0_11", ""));
  EXPECT_TRUE(versionKeyInRange("1", "1.6", "1.8"));
  EXPECT_FALSE(versionKeyInRange("1.4", "1.5", ""));
  EXPECT_FALSE(versionKeyInRange("1.9", "", "1.8"));
  EXPECT_TRUE(versionKeyInRange("1.8.0_201", "1.8", "1.8"));
}

TEST(VersionRules, TheBannerGivesTheVersionBetweenTheQuotes) {
  struct {
    const char* line;
    bool found;
    const char* version;
  } cases[] = {
      {"java version \"1.6.0_13\"\n", true, "1.6.0_13"},
      {"java version \"1.8.0_392\"\n", true, "1.8.0_392"},
      {"openjdk version \"17.0.15\" 2025-04-15\n", false, ""},
      {"Picked up _JAVA_OPTIONS: -Xmx1g\n", false, ""},
      {"java version \"1\n", true, ""},
      {"java version \"\"\n", true, ""},
      {"java version", false, ""},
  };
  for (const auto& c : cases) {
    char version[32] = "unchanged";
    EXPECT_EQ(parseVersionBanner(c.line, version, sizeof version), c.found) << c.line;
    if (c.found) {
      EXPECT_STREQ(version, c.version) << c.line;
    }
  }
  char small[4];
  EXPECT_TRUE(parseVersionBanner("java version \"1.6.0_13\"\n", small, sizeof small));
  EXPECT_STREQ(small, "1.6");
}
