// The JNI launch against the machine's real virtual machine (OpenJDK's
// libjvm.so) with stand-in Java classes that report what they received.
// A virtual machine can be created once per process, so every case runs
// in a process of its own (a death-test child).
#include <dlfcn.h>
#include <gtest/gtest.h>
#include <unistd.h>

#include <fstream>
#include <sstream>
#include <string>
#include <vector>

#include "core/record_ids.h"
#include "fake_system.h"
#include "launch/jvm_launch.h"
#include "launch/launch_context.h"
#include "platform/host/log_memory.h"

namespace {

std::string reportPath() { return ::testing::TempDir() + "jni_report.txt"; }

std::vector<std::string> reportLines() {
  std::ifstream in(reportPath());
  std::vector<std::string> lines;
  for (std::string line; std::getline(in, line);) lines.push_back(line);
  return lines;
}

struct Launch {
  std::vector<std::pair<int32_t, std::string>> records;
  std::vector<std::u16string> commandLine = {u"C:\\inst\\setup.exe"};
  std::vector<std::string> properties;  // extra -D options for the stand-ins
  bool firstRunMarker = false;
};

// The one launch of the calling process.
LaunchContext context;

// Runs the launch in the calling process; exit code 0 when launchJvm
// answered true, 3 when false, 100 + id when it stopped with the message
// of a configuration record.
[[noreturn]] void runLaunch(const Launch& launch) {
  fake::reset();
  std::string vmParameters = "-Dtest.report=" + reportPath() + " \"-classpath " JNI_TEST_CLASSES "\"";
  for (const std::string& p : launch.properties) vmParameters += " " + p;
  auto records = launch.records;
  records.push_back({123, vmParameters});
  context.config = fake::setConfigRecords(records);
  char kind[2];
  configString(context.config, kRecord_launcherKind, kind, sizeof kind);
  context.launcherKind = kind[0];
  copyText(context.semaphoreName, sizeof context.semaphoreName, "c:_inst_setup.exe");
  context.unextractedPosition = 1234;
  fake::setConsoleOutputCodePage(437);
  if (launch.firstRunMarker) fake::addFile("C:\\inst\\.quarrow\\firstrun");
  copyText(context.workDirectory, sizeof context.workDirectory, "C:\\work dir");
  void* library = dlopen(JNI_TEST_LIBJVM, RTLD_NOW);
  if (!library) _exit(10);
  context.createJavaVM = reinterpret_cast<CreateJavaVMFunction>(dlsym(library, "JNI_CreateJavaVM"));
  ArgumentList commandLine;
  for (const std::u16string& token : launch.commandLine) appendArgument(&commandLine, token.c_str(), token.size());
  bool launched = launchJvm(context, commandLine);
  std::ofstream(reportPath() + ".log") << capturedLog();
  if (stopped(context)) _exit(100 + failureEnd(context.failure.kind).record % 100);
  _exit(launched ? 0 : 3);
}

std::string launchLog() {
  std::ifstream in(reportPath() + ".log");
  std::stringstream text;
  text << in.rdbuf();
  return text.str();
}

class RealJvm : public ::testing::Test {
 protected:
  void SetUp() override {
    GTEST_FLAG_SET(death_test_style, "threadsafe");
    unlink(reportPath().c_str());
  }
};

std::vector<std::string> linesStartingWith(const std::string& prefix) {
  std::vector<std::string> found;
  for (const std::string& line : reportLines())
    if (line.rfind(prefix, 0) == 0) found.push_back(line.substr(prefix.size()));
  return found;
}

TEST_F(RealJvm, ReceivesThePropertiesAndTheExactArguments) {
  Launch launch;
  launch.records = {{107, "1"}, {122, "com.example.Setup"}, {124, "a 'b c'"}, {125, "1"}, {106, "1"}};
  launch.commandLine = {u"C:\\inst\\setup.exe", u"x", u"-J-Xmx256m", u"", u"with space",
                        u"quo\"te", u"\u00dcn\u00efc\u00f8d\u00e9 \u0436 \u4e2d"};
  EXPECT_EXIT(runLaunch(launch), ::testing::ExitedWithCode(0), "");

  std::vector<std::string> options = linesStartingWith("option ");
  std::vector<std::string> expected = {
      "-Dlantor.semaphoreName=c:_inst_setup.exe", "-Dlantor.moduleName=C:\\u005cinst\\u005csetup.exe",
      "-Dlantor.tempDir=C:\\u005cwork dir",       "-Dlantor.unextractedPosition=1234",
      "-Dlantor.consoleCodepage=cp437",           "-Dtest.report=" + reportPath(),
      "-Xmx256m",
  };
  ASSERT_GE(options.size(), expected.size());
  EXPECT_EQ(std::vector<std::string>(options.begin(), options.begin() + expected.size()), expected);

  EXPECT_EQ(linesStartingWith("count "), std::vector<std::string>{"13"});
  std::vector<std::string> arguments = linesStartingWith("arg ");
  std::vector<std::string> wanted = {
      "true", "com.example.Setup", "", "", "true", "C:\\u005cinst\\u005csetup.exe", "a", "b c", "x", "",
      "with space", "quo\"te", "\\u00dcn\\u00efc\\u00f8d\\u00e9 \\u0436 \\u4e2d",
  };
  EXPECT_EQ(arguments, wanted);
  std::string log = launchLog();
  EXPECT_NE(log.find("param count: 13\n"), std::string::npos);
  EXPECT_NE(log.find("calling main\nmain returned\ndest JVM\nlaunch done\n"), std::string::npos) << log;
}

TEST_F(RealJvm, AnExceptionInMainIsAFailedLaunch) {
  Launch launch;
  launch.properties = {"-Dtest.main=throw"};
  EXPECT_EXIT(runLaunch(launch), ::testing::ExitedWithCode(3), "main failed on purpose");
  std::string log = launchLog();
  EXPECT_NE(log.find("main returned\nERROR: an exception occured\nERROR: could not call main\n"), std::string::npos)
      << log;
}

TEST_F(RealJvm, TheFirstRunHookDecidesWhetherMainRuns) {
  struct {
    const char* answer;
    bool mainRuns;
  } cases[] = {{"true", true}, {"false", false}, {"throw", false}};
  for (const auto& c : cases) {
    unlink(reportPath().c_str());
    Launch launch;
    launch.records = {{2001, "installer"}};
    launch.firstRunMarker = true;
    launch.properties = {std::string("-Dtest.firstRun=") + c.answer};
    EXPECT_EXIT(runLaunch(launch), ::testing::ExitedWithCode(0), "") << c.answer;
    std::vector<std::string> lines = reportLines();
    EXPECT_EQ(std::count(lines.begin(), lines.end(), "firstRun"), 1) << c.answer;
    EXPECT_EQ(linesStartingWith("count ").size(), c.mainRuns ? 1u : 0u) << c.answer;
    EXPECT_EQ(launchLog().find("checkFirstRun stopped further execution") != std::string::npos, !c.mainRuns);
    // An installer launcher tells the Java side so.
    std::vector<std::string> options = linesStartingWith("option ");
    if (c.mainRuns) {
      EXPECT_NE(std::find(options.begin(), options.end(), "-Dlantor.isQuarrow=true"), options.end());
    }
  }
}

TEST_F(RealJvm, WithoutTheMarkerTheHookIsNotCalled) {
  Launch launch;
  launch.records = {{2001, "i"}};
  EXPECT_EXIT(runLaunch(launch), ::testing::ExitedWithCode(0), "");
  std::vector<std::string> lines = reportLines();
  EXPECT_EQ(std::count(lines.begin(), lines.end(), "firstRun"), 0);
  EXPECT_EQ(linesStartingWith("count "), std::vector<std::string>{"6"});
}

TEST_F(RealJvm, AMissingLauncherClassIsError1010) {
  Launch launch;
  launch.records = {{1010, "Couldn't load main class."}};
  launch.properties = {"\"-classpath /nonexistent\""};
  EXPECT_EXIT(runLaunch(launch), ::testing::ExitedWithCode(110), "");
  EXPECT_NE(launchLog().find("ERROR: could not find main class\n"), std::string::npos);
}

TEST(Jvm, NoCreateEntryIsAFailedCreation) {
  fake::reset();
  LaunchContext launch;
  ArgumentList commandLine;
  appendArgument(&commandLine, u"setup.exe", 9);
  clearCapturedLog();
  EXPECT_FALSE(launchJvm(launch, commandLine));
  EXPECT_FALSE(stopped(launch)) << "a failed creation is the pipeline's record 1005, not a stop of its own";
  EXPECT_NE(capturedLog().find("Creating JVM\nERROR: could not initialize JVM\n"), std::string::npos);
  freeArgumentList(&commandLine);
}

TEST(Jvm, HomeIsTheExecutablesDirectoryAndDotDot) {
  LaunchContext launch;
  setJvmHome(launch, "D:\\jre\\bin\\java.exe");
  EXPECT_STREQ(launch.jvmHome, "D:\\jre\\bin\\..");
  setJvmHome(launch, "D:\\jre\\bin\\javaw.exe");
  EXPECT_STREQ(launch.jvmHome, "D:\\jre\\bin\\..");
}

}  // namespace
