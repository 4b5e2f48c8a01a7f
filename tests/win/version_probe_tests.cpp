// The version probe against the test runtime's java.exe in runtime trees
// laid out here, with the per-user cache in the registry, under Wine.
#include <windows.h>
#include <stdio.h>
#include <algorithm>
#include <string>
#include <vector>

#include "check.h"
#include "test_files.h"
#include "launch/version_probe.h"
#include "core/log.h"
#include "core/configuration.h"

static std::string root;
static std::string testJava;

static bool has(const std::string& text, const std::string& part) { return text.find(part) != std::string::npos; }

// A runtime directory with java.exe (and javaw.exe when asked), answering
// as the scenario lines say; its runs are counted in runs.jsonl.
static std::string runtime(const std::string& name, const std::string& scenario, bool javaw = false) {
  std::string bin = root + name + "\\bin\\";
  CreateDirectoryA((root + name).c_str(), nullptr);
  CreateDirectoryA(bin.c_str(), nullptr);
  CopyFileA(testJava.c_str(), (bin + "java.exe").c_str(), FALSE);
  if (javaw) CopyFileA(testJava.c_str(), (bin + "javaw.exe").c_str(), FALSE);
  FILE* f = fopen((bin + "scenario.txt").c_str(), "w");
  fprintf(f, "report=runs.jsonl\n%s\n", scenario.c_str());
  fclose(f);
  DeleteFileA((bin + "runs.jsonl").c_str());
  return bin + "java.exe";
}

static int runsOf(const std::string& javaExe) {
  std::string report = readAll(javaExe.substr(0, javaExe.find_last_of('\\') + 1) + "runs.jsonl");
  int n = 0;
  const std::string event = "\"event\":\"commandLine\"";
  for (size_t at = report.find(event); at != std::string::npos; at = report.find(event, at + 1)) ++n;
  return n;
}

static std::string cacheKey(const std::string& javaExe) {
  std::string key = "SOFTWARE\\orlinde\\lantor\\jvms\\" + lower(javaExe);
  for (size_t i = 30; i < key.size(); ++i)
    if (key[i] == '\\') key[i] = '/';
  return key;
}

// The launcher's temporary files in the temporary directory, sorted.
static std::vector<std::string> captureFiles() {
  char temp[MAX_PATH];
  GetTempPathA(sizeof temp, temp);
  std::vector<std::string> names;
  WIN32_FIND_DATAA found;
  HANDLE search = FindFirstFileA((std::string(temp) + "ltr*.tmp").c_str(), &found);
  if (search != INVALID_HANDLE_VALUE) {
    do names.push_back(found.cFileName);
    while (FindNextFileA(search, &found));
    FindClose(search);
  }
  std::sort(names.begin(), names.end());
  return names;
}

static void setLauncherType(const char* type) { installRecords({{107, type}}); }

static bool check(const std::string& javaExe, const char* min, bool allowBeta = true, bool useCache = true,
                  std::string* canonical = nullptr) {
  Text path;
  copyText(path, sizeof path, javaExe.c_str());
  bool ok = checkCandidate(testContext(), path, min, "", allowBeta, useCache);
  if (canonical) *canonical = path;
  return ok;
}

int main(int, char** argv) {
  testJava = testRuntimeDirectory(argv[0]) + "java.exe";
  root = freshScratch("version probe");
  setLauncherType("0");
  logMessage("start");
  logSince();

  // Programs planted where an unquoted command line without an application
  // name would find them first: "...\\Temp\\version.exe" and "...\\jre.exe".
  std::string unpack = testRuntimeDirectory(argv[0]) + "unpack200.exe";
  char temp[MAX_PATH];
  GetTempPathA(sizeof temp, temp);
  const std::string planted[] = {std::string(temp) + "version.exe", root + "jre.exe"};
  for (const std::string& program : planted) {
    CopyFileA(unpack.c_str(), program.c_str(), FALSE);
    DeleteFileA((program.substr(0, program.find_last_of('\\') + 1) + "report.jsonl").c_str());
  }

  // First the runtime runs; then the cache answers; without the cache it runs again.
  std::string java = runtime("jre good", "");
  RegDeleteTreeA(HKEY_CURRENT_USER, cacheKey(java).c_str());
  std::string canonical;
  CHECK(check(java, "1.5", true, true, &canonical));
  CHECK(canonical == lower(java));
  std::string log = logSince();
  CHECK(has(log, "checkJavaExe (" + java + ", [out], 1.5, , 1)\r\n"));
  CHECK(has(log, "file exists\r\nExit Code 0\r\nJava version: 1.8.0_202\r\ngot version from execution 1.8.0_202\r\n"
                 "checkJavaExe returning 1\r\n"));
  CHECK(runsOf(java) == 1);
  std::string report = readAll(java.substr(0, java.size() - 8) + "runs.jsonl");
  CHECK(has(report, "\"\\\"" + lower(java).substr(0, 2)));  // the program's path arrives quoted
  for (const std::string& program : planted) {
    CHECK(GetFileAttributesA((program.substr(0, program.find_last_of('\\') + 1) + "report.jsonl").c_str()) ==
          INVALID_FILE_ATTRIBUTES);
    DeleteFileA(program.c_str());
  }
  HKEY key;
  CHECK(RegOpenKeyExA(HKEY_CURRENT_USER, cacheKey(java).c_str(), 0, KEY_READ, &key) == ERROR_SUCCESS);
  char stored[64] = {};
  DWORD size = sizeof stored, type = 0;
  // Written without a terminator; the registry may hand one back.
  CHECK(RegQueryValueExA(key, "Version", nullptr, &type, reinterpret_cast<BYTE*>(stored), &size) == ERROR_SUCCESS &&
        type == REG_SZ && (size == 9 || (size == 10 && stored[9] == 0)) && memcmp(stored, "1.8.0_202", 9) == 0);
  size = sizeof stored;
  CHECK(RegQueryValueExA(key, "LastWriteTime", nullptr, &type, reinterpret_cast<BYTE*>(stored), &size) ==
            ERROR_SUCCESS && type == REG_BINARY && size == 8);
  RegCloseKey(key);

  CHECK(check(java, "1.5"));
  CHECK(has(logSince(), "got version from registry 1.8.0_202\r\n"));
  CHECK(runsOf(java) == 1);
  CHECK(!check(java, "1.9", true, false));
  CHECK(runsOf(java) == 2);

  // A cached time of 7 bytes is a miss: the runtime runs and the entry is rewritten.
  RegOpenKeyExA(HKEY_CURRENT_USER, cacheKey(java).c_str(), 0, KEY_ALL_ACCESS, &key);
  RegSetValueExA(key, "LastWriteTime", 0, REG_BINARY, reinterpret_cast<const BYTE*>("1234567"), 7);
  RegCloseKey(key);
  CHECK(check(java, "1.5"));
  CHECK(runsOf(java) == 3);
  CHECK(check(java, "1.5"));
  CHECK(runsOf(java) == 3);

  // A changed file is run again.
  HANDLE file = CreateFileA(java.c_str(), FILE_WRITE_ATTRIBUTES, FILE_SHARE_READ, nullptr, OPEN_EXISTING, 0, nullptr);
  FILETIME later = {0x12345678, 0x01d00000};
  SetFileTime(file, nullptr, nullptr, &later);
  CloseHandle(file);
  CHECK(check(java, "1.5"));
  CHECK(runsOf(java) == 4);

  // A failing runtime is remembered as 1.0.0 and then rejected without a run.
  std::string failing = runtime("jre failing", "versionExit=2");
  RegDeleteTreeA(HKEY_CURRENT_USER, cacheKey(failing).c_str());
  CHECK(!check(failing, "1.5"));
  CHECK(has(logSince(), "Exit Code 2\r\ncouldn't get version\r\ncheckJavaExe returning 0\r\n"));
  CHECK(!check(failing, "1.5"));
  CHECK(has(logSince(), "got version from registry 1.0.0\r\ncheckJavaExe returning 0\r\n"));
  CHECK(runsOf(failing) == 1);

  // Another vendor's banner gives no version, and nothing is cached.
  std::string other = runtime("jre other", "banner=openjdk version \"17.0.2\" 2022-01-18\\n");
  RegDeleteTreeA(HKEY_CURRENT_USER, cacheKey(other).c_str());
  CHECK(!check(other, ""));
  CHECK(!check(other, ""));
  CHECK(runsOf(other) == 2);

  // Pre-release versions are the caller's choice.
  std::string early = runtime("jre early", "banner=java version \"1.7.0-ea\"\\n");
  RegDeleteTreeA(HKEY_CURRENT_USER, cacheKey(early).c_str());
  CHECK(check(early, "1.5", true));
  CHECK(!check(early, "1.5", false));
  CHECK(has(logSince(), "beta vm not allowed\r\n"));

  // Launcher type 1 wants javaw.exe beside java.exe.
  setLauncherType("1");
  std::string onlyJava = runtime("jre console", "");
  CHECK(!check(onlyJava, "1.5"));
  std::string both = runtime("jre windowed", "", true);
  CHECK(check(both, "1.5", true, true, &canonical));
  CHECK(canonical == lower(both.substr(0, both.size() - 8)) + "javaw.exe");
  setLauncherType("0");

  // A runtime that never answers is ended after the minute, and nothing is
  // cached. One bitness is enough for a case that waits that long.
  if (sizeof(void*) == 8) {
    std::string silent = runtime("jre silent", "versionSeconds=75");
    RegDeleteTreeA(HKEY_CURRENT_USER, cacheKey(silent).c_str());
    std::vector<std::string> before = captureFiles();
    CHECK(!check(silent, ""));
    CHECK(captureFiles() == before);
    CHECK(has(logSince(), "Exit Code 259\r\nTerminating process\r\ncouldn't get version\r\n"));
    CHECK(RegOpenKeyExA(HKEY_CURRENT_USER, cacheKey(silent).c_str(), 0, KEY_READ, &key) != ERROR_SUCCESS);
  }

  CHECK(!check(root + "missing\\bin\\java.exe", ""));
  CHECK(has(logSince(), "file doesn't exist\r\ncheckJavaExe returning 0\r\n"));
  // A capture file that cannot be created ends the probe before any process starts.
  std::string unprobed = runtime("jre no capture", "");
  char savedTmp[MAX_PATH];
  DWORD kept = GetEnvironmentVariableA("TMP", savedTmp, sizeof savedTmp);
  SetEnvironmentVariableA("TMP", "C:\\no such temporary directory");
  CHECK(!check(unprobed, "1.5", true, false));
  SetEnvironmentVariableA("TMP", kept && kept < sizeof savedTmp ? savedTmp : nullptr);
  CHECK(has(logSince(), "Could not create process \"" + lower(unprobed) + "\" -version > "));
  CHECK(runsOf(unprobed) == 0);
  return checkSummary("version_probe_tests");
}
