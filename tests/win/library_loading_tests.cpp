// Loading the virtual machine library from runtime trees laid out here
// with the test runtime's jvm.dll, under Wine.
#include <windows.h>
#include <stdio.h>
#include <string>

#include "check.h"
#include "test_files.h"
#include "launch/library_loading_win.h"
#include "core/log.h"
#include "core/configuration.h"

static std::string root;      // the scratch directory, with a trailing backslash
static std::string ownJvm;    // the test runtime of this program's bitness
static std::string otherJvm;  // the one of the other bitness

static void put(const std::string& source, const std::string& relative) {
  std::string target = root + relative;
  for (size_t slash = target.find('\\', 3); slash != std::string::npos; slash = target.find('\\', slash + 1))
    CreateDirectoryA(target.substr(0, slash).c_str(), nullptr);
  CopyFileA(source.c_str(), target.c_str(), FALSE);
}

static std::string path() {
  static char value[32768];
  DWORD n = GetEnvironmentVariableA("PATH", value, sizeof value);
  return n < sizeof value ? value : "";
}

static void setPreferredVariant(const char* variant) {
  if (variant[0])
    installRecords({{152, variant}});
  else
    installRecords({});
}

static bool loadedFrom(HMODULE handle, const std::string& relative) {
  char name[MAX_PATH];
  if (!handle || !GetModuleFileNameA(handle, name, sizeof name)) return false;
  return _stricmp(name, (root + relative).c_str()) == 0;
}

int main(int, char** argv) {
  char here[MAX_PATH];
  GetFullPathNameA(argv[0], sizeof here, here, nullptr);
  std::string build = here;
  build = build.substr(0, build.find_last_of('\\'));  // build\winNN
  bool wide = sizeof(void*) == 8;
  ownJvm = build + "\\runtime\\jvm.dll";
  otherJvm = build.substr(0, build.size() - 2) + (wide ? "32" : "64") + "\\runtime\\jvm.dll";
  char temp[MAX_PATH];
  GetTempPathA(sizeof temp, temp);
  root = std::string(temp) + "library_loading_" + (wide ? "64" : "32") + "\\";
  removeTree(root.substr(0, root.size() - 1));
  CreateDirectoryA(root.c_str(), nullptr);
  logMessage("start");
  logSince();

  // Only bin\client: hotspot is tried first, then client loads; PATH ends with the bin directory.
  put(ownJvm, "jre1\\bin\\client\\jvm.dll");
  setPreferredVariant("");
  std::string before = path();
  HMODULE client = loadJvmDll(testContext(), (root + "jre1\\bin\\java.exe").c_str());
  CHECK(loadedFrom(client, "jre1\\bin\\client\\jvm.dll"));
  CHECK(path() == before + ";" + root + "jre1\\bin");
  std::string log = logSince();
  CHECK(log.find("Setting PATH " + before + ";" + root + "jre1\\bin\r\n") != std::string::npos);
  CHECK(log.find("Trying " + root + "jre1\\bin\\hotspot\\jvm.dll (exists 0)\r\nTrying " + root +
                 "jre1\\bin\\client\\jvm.dll (exists 1)\r\n") != std::string::npos);
  CHECK(resolveCreateJavaVM(testContext(), client));

  // The configured variant comes first; javaw.exe gives the same bin directory.
  put(ownJvm, "jre2\\bin\\client\\jvm.dll");
  put(ownJvm, "jre2\\bin\\server\\jvm.dll");
  setPreferredVariant("server");
  CHECK(loadedFrom(loadJvmDll(testContext(), (root + "jre2\\bin\\javaw.exe").c_str()), "jre2\\bin\\server\\jvm.dll"));

  // A JDK's own bin holds no library: PATH goes back, then jre\bin below the JDK loads.
  put(ownJvm, "jdk\\jre\\bin\\server\\jvm.dll");
  setPreferredVariant("");
  before = path();
  HMODULE jdk = loadJvmDll(testContext(), (root + "jdk\\bin\\java.exe").c_str());
  CHECK(loadedFrom(jdk, "jdk\\jre\\bin\\server\\jvm.dll"));
  CHECK(path() == before + ";" + root + "jdk\\bin\\..\\jre\\bin");
  log = logSince();
  CHECK(log.find("Setting PATH " + before + "\r\n") != std::string::npos);

  // A library of the other bitness and one without the entry.
  put(otherJvm, "jre3\\bin\\client\\jvm.dll");
  before = path();
  CHECK(loadJvmDll(testContext(), (root + "jre3\\bin\\java.exe").c_str()) == nullptr);
  CHECK(path() == before);
  log = logSince();
  CHECK(log.find("Trying " + root + "jre3\\bin\\client\\jvm.dll (exists 1)") != std::string::npos);
  char system[MAX_PATH];
  GetSystemDirectoryA(system, sizeof system);
  put(std::string(system) + "\\version.dll", "jre4\\bin\\hotspot\\jvm.dll");
  HMODULE noEntry = loadJvmDll(testContext(), (root + "jre4\\bin\\java.exe").c_str());
  CHECK(noEntry != nullptr);
  CHECK(!resolveCreateJavaVM(testContext(), noEntry));
  CHECK(!resolveCreateJavaVM(testContext(), nullptr));

  // Without any PATH, a failed load leaves it unset: it never puts back the
  // PATH of an earlier call.
  std::string kept = path();
  CHECK(loadJvmDll(testContext(), (root + "none\\bin\\java.exe").c_str()) == nullptr);
  SetEnvironmentVariableA("PATH", nullptr);
  CHECK(loadJvmDll(testContext(), (root + "none\\bin\\java.exe").c_str()) == nullptr);
  char unset[8];
  CHECK(GetEnvironmentVariableA("PATH", unset, sizeof unset) == 0);
  SetEnvironmentVariableA("PATH", kept.c_str());

  // A PATH longer than 16 KB still gets the bin directory behind it.
  std::string longPath = "C:\\windows;C:\\" + std::string(20000, 'p');
  SetEnvironmentVariableA("PATH", longPath.c_str());
  CHECK(loadedFrom(loadJvmDll(testContext(), (root + "jre1\\bin\\java.exe").c_str()), "jre1\\bin\\client\\jvm.dll"));
  CHECK(path() == longPath + ";" + root + "jre1\\bin");
  SetEnvironmentVariableA("PATH", kept.c_str());

  // A path that does not end with the java executable's name loads nothing.
  CHECK(loadJvmDll(testContext(), (root + "jre1\\bin\\java").c_str()) == nullptr);
  CHECK(logSince().find("ERROR: Not a java executable: " + root + "jre1\\bin\\java\r\n") != std::string::npos);
  return checkSummary("library_loading_tests");
}
