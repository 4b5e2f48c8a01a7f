// Version texts against bounds, key names, and the first line of -version.
#include <gtest/gtest.h>

#include "fake_system.h"
#include "core/version_rules.h"
#include "platform/host/log_memory.h"

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
  EXPECT_FALSE(versionAcceptable("1.7.0-ea", "", "", prereleaseAllowed(fake::config(), false)));
  EXPECT_EQ(capturedLog(), "beta vm not allowed\n");
  EXPECT_TRUE(versionAcceptable("1.7.0-ea", "", "", prereleaseAllowed(fake::config(), true)));
  fake::setConfigRecords({{130, "1"}});
  EXPECT_TRUE(versionAcceptable("1.7.0-ea", "", "", prereleaseAllowed(fake::config(), false)));
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
      {"java version \"1\n", false, ""},
      {"java version \"1", false, ""},
      {"java version \"", false, ""},
      {"java version \"1.8.0_202\"", true, "1.8.0_202"},
      {"java version \"17.0.1\" 2021-10-19 LTS\n", true, "17.0.1"},
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

TEST(VersionRules, JavaExecutableNames) {
  struct {
    const char* path;
    size_t length;
  } cases[] = {
      {"C:\\jre\\bin\\java.exe", 8}, {"C:\\jre\\bin\\javaw.exe", 9}, {"C:\\jre\\bin\\JAVA.EXE", 8},
      {"bin/javaw.exe", 9},           {"java.exe", 0},                {"C:\\jre\\bin\\xjava.exe", 0},
      {"C:\\jre\\bin\\java.ex", 0},  {"exe", 0},                     {"", 0},
  };
  for (const auto& c : cases) EXPECT_EQ(javaExecutableNameLength(c.path), c.length) << c.path;
}
