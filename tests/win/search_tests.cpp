// LoadDLL and the search sequence over runtime trees laid out here with the
// test runtime's java.exe and jvm.dll, under Wine.
#include <windows.h>
#include <stdio.h>
#include <string>
#include <vector>

#include "check.h"
#include "test_files.h"
#include "launch/search_sequence.h"
#include "core/log.h"
#include "core/configuration.h"
#include "launch/jvm_launch.h"
#include "launch/process_environment.h"

static std::string root;
static std::string runtimeDir;

static bool inOrder(const std::string& log, const std::vector<std::string>& lines) {
  size_t at = 0;
  for (const std::string& line : lines) {
    at = log.find(line + "\r\n", at);
    if (at == std::string::npos) {
      printf("missing in order: %s\n", line.c_str());
      return false;
    }
    at += line.size();
  }
  return true;
}

// A runtime home with bin\java.exe answering with version, and a loadable
// bin\client\jvm.dll unless noLibrary.
static std::string runtime(const std::string& name, const std::string& version, bool noLibrary = false) {
  std::string home = root + name;
  write(home + "\\bin\\scenario.txt", "report=runs.jsonl\nbanner=java version \"" + version + "\"\\n\n");
  CopyFileA((runtimeDir + "java.exe").c_str(), (home + "\\bin\\java.exe").c_str(), FALSE);
  if (!noLibrary) {
    CreateDirectoryA((home + "\\bin\\client").c_str(), nullptr);
    CopyFileA((runtimeDir + "jvm.dll").c_str(), (home + "\\bin\\client\\jvm.dll").c_str(), FALSE);
  }
  return home;
}

// Location files go below the scratch directory (record 10003).
static void configure(std::vector<std::pair<int, std::string>> records) {
  records.push_back({10003, root});
  installRecords(records);
  determineLauncherKind(testContext());
}

int main(int, char** argv) {
  runtimeDir = testRuntimeDirectory(argv[0]);
  root = freshScratch("search");
  testContext().guiErrors = false;
  logMessage("start");
  logSince();

  std::string good = runtime("good", "1.8.0_202");
  std::string old = runtime("old", "1.4.2");
  std::string noLibrary = runtime("no library", "1.8.0_202", true);
  SetEnvironmentVariableA("QUARROW_JAVA_HOME", nullptr);
  DeleteFileA((root + ".quarrow\\pref_jre.cfg").c_str());
  DeleteFileA((root + ".quarrow\\inst_jre.cfg").c_str());

  // The frame around an empty sequence, and nothing found.
  configure({{126, "1.5"}});
  CHECK(!LoadDLL(testContext(), nullptr, false, nullptr));
  CHECK(inOrder(logSince(), {"LoadDLL (0, (none), 0)", "Searching for a JVM", "Search sequence finished",
                             "ERROR: No JVM found"}));

  // Unknown and lower-case letters are logged and skipped; an old runtime
  // fails the first pass and a B entry takes it in the relative pass.
  configure({{126, "1.5"}, {128, "Xfoo;yfoo;B" + old + ";"}});
  CHECK(LoadDLL(testContext(), nullptr, false, nullptr));
  CHECK(inOrder(logSince(), {"Testing location foo (type X)", "Testing location foo (type y)",
                             "Testing location " + old + " (type B)", "checkJavaExe returning 0",
                             "Search sequence finished", "Testing relative location " + old,
                             lower(old) + "\\bin\\java.exe exists", "Loading of JVM-DLL successful"}));
  CHECK(std::string(testContext().jvmHome) == lower(old) + "\\bin\\..");

  // An A entry with an absolute argument is not tried again without checks.
  configure({{126, "1.5"}, {128, "A" + old}});
  CHECK(!LoadDLL(testContext(), nullptr, false, nullptr));
  CHECK(logSince().find("Testing relative location") == std::string::npos);

  // A preferred location that fails does not stop the search; a variable
  // written with slashes is read with backslashes.
  write(root + ".quarrow\\pref_jre.cfg", old + "\r\n");
  std::string slashed = good;
  for (char& c : slashed)
    if (c == '\\') c = '/';
  SetEnvironmentVariableA("LTR_TEST_HOME", slashed.c_str());
  configure({{126, "1.5"}, {128, "ELTR_TEST_HOME"}});
  CHECK(LoadDLL(testContext(), nullptr, false, nullptr));
  CHECK(inOrder(logSince(), {"Has preferred location " + old, "Testing location LTR_TEST_HOME (type E)",
                             "checkJavaExe (" + good + "\\bin\\java.exe, [out], 1.5, , 0)", "checkJavaExe returning 1",
                             "Loading of JVM-DLL successful"}));
  DeleteFileA((root + ".quarrow\\pref_jre.cfg").c_str());

  // An installer launcher looks at QUARROW_JAVA_HOME after the sequence,
  // then at the installer location file.
  SetEnvironmentVariableA("QUARROW_JAVA_HOME", good.c_str());
  configure({{126, "1.5"}, {2001, "i"}});
  CHECK(LoadDLL(testContext(), nullptr, false, nullptr));
  CHECK(inOrder(logSince(), {"Search sequence finished", "checkJavaExe (" + good + "\\bin\\java.exe, [out], 1.5, , 0)",
                             "Loading of JVM-DLL successful"}));
  SetEnvironmentVariableA("QUARROW_JAVA_HOME", nullptr);
  write(root + ".quarrow\\inst_jre.cfg", good + "\n");
  CHECK(LoadDLL(testContext(), nullptr, false, nullptr));
  CHECK(inOrder(logSince(), {"Has installer location " + good, "Using installer location"}));
  DeleteFileA((root + ".quarrow\\inst_jre.cfg").c_str());

  // A given directory is taken without checks; one whose library does not
  // load is reported with record 1020 naming it.
  configure({{126, "1.5"}, {1020, "The JVM found at {0} is damaged."}});
  CHECK(LoadDLL(testContext(), good.c_str(), false, nullptr));
  CHECK(!LoadDLL(testContext(), noLibrary.c_str(), false, nullptr));
  CHECK(inOrder(logSince(), {"LoadDLL (0, " + noLibrary + ", 0)", "Got JRE location " + noLibrary + " (java exe: 0)",
                             "MinVersion: 1.5, MaxVersion: ", "ERROR: Could not get DLL-Handle.",
                             "ERROR: Could not load functions"}));
  // A library without the entry does not stay loaded.
  std::string noEntry = runtime("no entry", "1.8.0_202", true);
  std::string noEntryLibrary = noEntry + "\\bin\\client\\jvm.dll";
  CreateDirectoryA((noEntry + "\\bin\\client").c_str(), nullptr);
  CopyFileA((runtimeDir + "planted\\ltrdep.dll").c_str(), noEntryLibrary.c_str(), FALSE);
  CHECK(!LoadDLL(testContext(), noEntry.c_str(), false, nullptr));
  CHECK(GetModuleHandleA(noEntryLibrary.c_str()) == nullptr);
  RuntimeMessage message;
  CHECK(!LoadDLL(testContext(), noLibrary.c_str(), false, &message));
  CHECK(message.record == 1020 && message.hasArgument && std::string(message.argument) == noLibrary);
  logSince();

  // A given java executable below the minimum is unusable, and no search follows.
  CHECK(!LoadDLL(testContext(), (old + "\\bin\\java.exe").c_str(), true, nullptr));
  std::string log = logSince();
  CHECK(inOrder(log, {"ERROR: Provided JVM unusable"}));
  CHECK(log.find("Searching for a JVM") == std::string::npos);

  // A JDK is required: only a home with lib\tools.jar qualifies, through jre\bin.
  std::string jdk = root + "jdk";
  runtime("jdk\\jre", "1.8.0_202");
  configure({{126, "1.5"}, {131, "1"}, {128, "A" + good + ";A" + jdk}});
  CHECK(!LoadDLL(testContext(), nullptr, false, nullptr));
  write(jdk + "\\lib\\tools.jar", "");
  CHECK(LoadDLL(testContext(), nullptr, false, nullptr));
  CHECK(std::string(testContext().jvmHome) == lower(jdk) + "\\jre\\bin\\..");
  return checkSummary("search_tests");
}
