// Launcher variables and environment references in configured texts.
#include <gtest/gtest.h>
#include <string.h>

#include <string>

#include "core/text.h"
#include "fake_system.h"
#include "core/substitution.h"

namespace {

class Substitution : public ::testing::Test {
 protected:
  void SetUp() override { fake::reset(); }
  void TearDown() override { fake::reset(); }
  // The launch's directories: its work directory, and the runtime's home once known.
  std::string jvmHome_;
  std::string substitute(const std::string& text) const {
    Text buffer;
    copyText(buffer, sizeof buffer, text.c_str());
    substituteVariables(buffer, sizeof buffer, LaunchDirectories{"D:\\tmp\\w1", jvmHome_.c_str()});
    return buffer;
  }
};

TEST_F(Substitution, EveryFixedTokenHasItsValue) {
  jvmHome_ = "D:\\jre\\bin\\..";
  struct {
    const char* token;
    const char* value;
  } cases[] = {
      {"%LANTOR_EXEDIR%", "C:\\inst\\"},
      {"%QUARROW_EXEDIR%", "C:\\inst\\"},
      {"%LANTOR_TEMPDIR%", "D:\\tmp\\w1"},
      {"%QUARROW_TEMPDIR%", "D:\\tmp\\w1"},
      {"%LANTOR_PATHLIST_SEPARATOR%", ";"},
      {"%QUARROW_PATHLIST_SEPARATOR%", ";"},
      {"%LANTOR_JVM_HOME%", "D:\\jre\\bin\\.."},
      {"%QUARROW_JVM_HOME%", "D:\\jre\\bin\\.."},
      {"${LANTOR_EXEDIR}", "C:\\inst\\"},
      {"${QUARROW_EXEDIR}", "C:\\inst\\"},
      {"${LANTOR_TEMPDIR}", "D:\\tmp\\w1"},
      {"${QUARROW_TEMPDIR}", "D:\\tmp\\w1"},
      {"${LANTOR_PATHLIST_SEPARATOR}", ";"},
      {"${QUARROW_PATHLIST_SEPARATOR}", ";"},
      {"${LANTOR_JVM_HOME}", "D:\\jre\\bin\\.."},
      {"${QUARROW_JVM_HOME}", "D:\\jre\\bin\\.."},
      {"${launcher:sys.launcherDirectory}", "C:\\inst\\"},
      {"${launcher:sys.launcherTempDirectory}", "D:\\tmp\\w1"},
      {"${launcher:sys.pathlistSeparator}", ";"},
      {"${launcher:sys.jvmHome}", "D:\\jre\\bin\\.."},
  };
  for (const auto& c : cases) {
    std::string token = c.token;
    EXPECT_EQ(substitute("<" + token + ">" + token), "<" + std::string(c.value) + ">" + c.value) << token;
  }
}

TEST_F(Substitution, Texts) {
  fake::setEnvironment("HOME", "D:\\u");
  fake::setEnvironment("Path", "C:\\bin");
  struct {
    const char* text;
    const char* result;
  } cases[] = {
      {"%LANTOR_EXEDIR%lib", "C:\\inst\\lib"},
      {"-Dx=${launcher:sys.launcherTempDirectory}\\a.jar", "-Dx=D:\\tmp\\w1\\a.jar"},
      {"a${launcher:sys.pathlistSeparator}b", "a;b"},
      {"[${launcher:sys.jvmHome}]", "[]"},
      {"${HOME}/x", "D:\\u/x"},
      {"${home}", "${home}"},
      {"${Path} ${PATH} ${path}", "C:\\bin C:\\bin ${path}"},
      {"%lantor_exedir% ${launcher:sys.LauncherDirectory} %LANTOR_EXEDIR",
       "%lantor_exedir% ${launcher:sys.LauncherDirectory} %LANTOR_EXEDIR"},
      {"${UNDEFINED} %UNDEFINED%", "${UNDEFINED} %UNDEFINED%"},
      {"-Xmx256m -Dplain=C:\\x", "-Xmx256m -Dplain=C:\\x"},
      {"", ""},
      {"${HOME", "${HOME"},
  };
  for (const auto& c : cases) EXPECT_EQ(substitute(c.text), c.result) << c.text;
}

TEST_F(Substitution, BothLauncherDirectoryTokensEndWithABackslash) {
  fake::setLauncherPath("C:\\a\\\\b\\setup.exe");
  EXPECT_EQ(substitute("%LANTOR_EXEDIR%"), "C:\\a\\b\\");
  EXPECT_EQ(substitute("${launcher:sys.launcherDirectory}"), "C:\\a\\b\\");
}

TEST_F(Substitution, EnvironmentEntriesApplyInTheOrderOfTheBlock) {
  fake::setEnvironment("A", "${B}");
  fake::setEnvironment("B", "b");
  fake::setEnvironment("C", "${A}");
  EXPECT_EQ(substitute("${A} ${C}"), "b ${A}");
}

TEST_F(Substitution, EntriesWithoutANameDefineNoToken) {
  fake::addRawEnvironmentEntry("=C:=C:\\dir");
  fake::addRawEnvironmentEntry("NOVALUE");
  fake::setEnvironment("EMPTY", "");
  EXPECT_EQ(substitute("${} ${=C:} ${NOVALUE} [${EMPTY}]"), "${} ${=C:} ${NOVALUE} []");
}

TEST_F(Substitution, ValuesFromOneStepAreSeenByTheLaterSteps) {
  SubstitutionValues values = {"%LANTOR_TEMPDIR%", "D:\\w", ""};
  const char block[] = "Y=${X}\0X=${LANTOR_EXEDIR}\0";
  Text text;
  copyText(text, sizeof text, "%LANTOR_EXEDIR% ${Y}");
  substituteWith(text, sizeof text, values, block);
  EXPECT_STREQ(text, "D:\\w ${LANTOR_EXEDIR}");
  copyText(text, sizeof text, "${HOME}");
  substituteWith(text, sizeof text, values, nullptr);
  EXPECT_STREQ(text, "${HOME}");
}

TEST_F(Substitution, AValueThatHoldsItsTokenIsNotExpandedAgain) {
  SubstitutionValues values = {"C:\\%LANTOR_EXEDIR%\\", "", ""};
  Text text;
  copyText(text, sizeof text, "%LANTOR_EXEDIR%|%LANTOR_EXEDIR%");
  substituteWith(text, sizeof text, values, "SELF=${SELF}!\0");
  EXPECT_STREQ(text, "C:\\%LANTOR_EXEDIR%\\|C:\\%LANTOR_EXEDIR%\\");
  copyText(text, sizeof text, "${SELF}${SELF}");
  substituteWith(text, sizeof text, values, "SELF=${SELF}!\0");
  EXPECT_STREQ(text, "${SELF}!${SELF}!");
}

TEST(ReplaceAll, CutsAtTheCapacity) {
  struct {
    const char* text;
    size_t capacity;
    const char* token;
    const char* value;
    const char* result;
  } cases[] = {
      {"aXb", 16, "X", "123", "a123b"},     {"XXX", 16, "X", "ab", "ababab"},
      {"aXbX", 16, "X", "[X]", "a[X]b[X]"}, {"XXX", 16, "XX", "Y", "YX"},
      {"aXXXXb", 16, "XX", "", "ab"},       {"aXb", 16, "", "v", "aXb"},
      {"aXb", 4, "X", "123", "a12"},        {"aXcd", 5, "X", "12", "a12c"},
      {"XaX", 4, "X", "12", "12a"},         {"abc", 4, "abc", "", ""},
  };
  for (const auto& c : cases) {
    char buffer[16];
    copyText(buffer, sizeof buffer, c.text);
    memset(buffer + strlen(buffer) + 1, '#', sizeof buffer - strlen(buffer) - 1);
    replaceAll(buffer, c.capacity, c.token, c.value);
    EXPECT_STREQ(buffer, c.result) << c.text << " / " << c.capacity;
    for (size_t i = c.capacity; i < sizeof buffer; ++i) EXPECT_EQ(buffer[i], '#') << c.text;
  }
}

TEST(ReplaceAll, LeavesATextWithoutTerminatorInItsCapacityAlone) {
  char buffer[4] = {'a', 'X', 'b', 0};
  replaceAll(buffer, 2, "X", "long");
  EXPECT_STREQ(buffer, "aXb");
}

TEST_F(Substitution, ResultsAreCutAtTheBuffer) {
  std::string directory = "C:\\" + std::string(100, 'd') + "\\";
  fake::setLauncherPath(directory + "setup.exe");
  std::string many;
  for (int i = 0; i < 500; ++i) many += "%LANTOR_EXEDIR%";
  std::string expected;
  for (int i = 0; i < 500; ++i) expected += directory;
  EXPECT_EQ(substitute(many), expected.substr(0, kTextCapacity - 1));

  fake::setEnvironment("BIG", std::string(9000, 'x'));
  EXPECT_EQ(substitute("${BIG}tail"), std::string(kTextCapacity - 1, 'x'));
  EXPECT_EQ(substitute("head${BIG}"), "head" + std::string(kTextCapacity - 5, 'x'));
}

}  // namespace
