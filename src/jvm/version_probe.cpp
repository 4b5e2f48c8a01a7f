#include "jvm/version_probe.h"

#include <windows.h>
#include <stdio.h>
#include <string.h>

#include "jvm/executable_machine.h"
#include "jvm/version_rules.h"
#include "log/log.h"
#include "media/configuration.h"
#include "media/paths.h"
#include "media/record_ids.h"
#include "media/temp_directory.h"

namespace {

const char kCacheKey[] = "SOFTWARE\\orlinde\\lantor\\jvms\\";
constexpr DWORD kVersionTimeout = 60000;
constexpr DWORD kStillActive = 259;

bool cacheEnabled = true;

void cacheKeyName(Text& key, const char* javaExe) {
  copyText(key, sizeof key, kCacheKey);
  size_t start = strlen(key);
  appendText(key, sizeof key, javaExe);
  for (char* c = key + start; *c; ++c)
    if (*c == '\\') *c = '/';
}

// The file the child's error output goes to, as an inheritable handle.
HANDLE openCaptureFile(const char* name) {
  HANDLE file = CreateFileA(name, GENERIC_READ | GENERIC_WRITE, FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr,
                            CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr);
  if (file == INVALID_HANDLE_VALUE) return INVALID_HANDLE_VALUE;
  HANDLE inheritable = INVALID_HANDLE_VALUE;
  if (!DuplicateHandle(GetCurrentProcess(), file, GetCurrentProcess(), &inheritable, 0, TRUE,
                       DUPLICATE_SAME_ACCESS))
    inheritable = INVALID_HANDLE_VALUE;
  CloseHandle(file);
  return inheritable;
}

}  // namespace

bool readVersionCache(const char* javaExe, uint64_t lastWriteTime, Text& version) {
  Text keyName;
  cacheKeyName(keyName, javaExe);
  HKEY key;
  if (RegOpenKeyExA(HKEY_CURRENT_USER, keyName, 0, KEY_READ, &key) != ERROR_SUCCESS) return false;
  uint8_t stored[8];
  DWORD size = sizeof stored;
  bool same = RegQueryValueExA(key, "LastWriteTime", nullptr, nullptr, stored, &size) == ERROR_SUCCESS &&
              size == sizeof stored && memcmp(stored, &lastWriteTime, sizeof stored) == 0;
  bool found = false;
  if (same) {
    // Stored without a terminator: the length tells where the text ends.
    size = sizeof version - 1;
    found = RegQueryValueExA(key, "Version", nullptr, nullptr, reinterpret_cast<BYTE*>(version), &size) ==
            ERROR_SUCCESS;
    version[found && size < sizeof version ? size : 0] = 0;
  }
  RegCloseKey(key);
  return found;
}

void writeVersionCache(const char* javaExe, uint64_t lastWriteTime, const char* version) {
  Text keyName;
  cacheKeyName(keyName, javaExe);
  HKEY key;
  if (RegCreateKeyExA(HKEY_CURRENT_USER, keyName, 0, nullptr, REG_OPTION_NON_VOLATILE, KEY_ALL_ACCESS, nullptr,
                      &key, nullptr) != ERROR_SUCCESS)
    return;
  RegSetValueExA(key, "LastWriteTime", 0, REG_BINARY, reinterpret_cast<const BYTE*>(&lastWriteTime), 8);
  RegSetValueExA(key, "Version", 0, REG_SZ, reinterpret_cast<const BYTE*>(version),
                 static_cast<DWORD>(strlen(version)));
  RegCloseKey(key);
}

bool runJavaVersion(const char* javaExe, uint64_t lastWriteTime, Text& version) {
  // The program goes by its full path as the application name and quoted in
  // the command line: a path with a blank must not start "C:\Program.exe".
  Text commandLine;
  copyText(commandLine, sizeof commandLine, "\"");
  appendText(commandLine, sizeof commandLine, javaExe);
  appendText(commandLine, sizeof commandLine, "\" -version");
  Text capture;
  createTempFileName(capture);
  HANDLE output = openCaptureFile(capture);
  if (output == INVALID_HANDLE_VALUE) {
    logMessage("Could not create process %s > %s (error %d)", commandLine, capture, static_cast<int>(GetLastError()));
    DeleteFileA(capture);
    return false;
  }

  STARTUPINFOA startup = {};
  startup.cb = sizeof startup;
  startup.dwFlags = STARTF_USESHOWWINDOW | STARTF_USESTDHANDLES;
  startup.wShowWindow = SW_HIDE;
  startup.hStdError = output;
  PROCESS_INFORMATION process = {};
  if (!CreateProcessA(javaExe, commandLine, nullptr, nullptr, TRUE, NORMAL_PRIORITY_CLASS, nullptr, nullptr,
                      &startup, &process)) {
    logMessage("Could not create process %s > %s (error %d)", commandLine, capture, static_cast<int>(GetLastError()));
    CloseHandle(output);
    DeleteFileA(capture);
    return false;
  }
  WaitForSingleObject(process.hProcess, kVersionTimeout);
  DWORD code = 0;
  GetExitCodeProcess(process.hProcess, &code);
  logMessage("Exit Code %d", static_cast<int>(code));
  if (code == kStillActive) {
    logMessage("Terminating process");
    TerminateProcess(process.hProcess, 1);
  } else if (code != 0) {
    writeVersionCache(javaExe, lastWriteTime, "1.0.0");
  }
  CloseHandle(process.hProcess);
  CloseHandle(process.hThread);
  CloseHandle(output);

  bool found = false;
  if (code == 0) {
    if (FILE* file = fopen(capture, "rt")) {
      char line[100];
      if (fgets(line, sizeof line, file) && parseVersionBanner(line, version, sizeof version)) {
        logMessage("Java version: %s", version);
        found = true;
      }
      fclose(file);
    }
  }
  DeleteFileA(capture);
  return found;
}

bool checkJavaExe(Text& javaExe, Text& version, const char* min, const char* max, bool allowBeta) {
  logMessage("checkJavaExe (%s, [out], %s, %s, %d)", javaExe, min, max, allowBeta ? 1 : 0);
  Text canonical;
  fullPath(canonical, javaExe, false);
  copyText(javaExe, sizeof javaExe, canonical);

  bool result = false;
  uint64_t lastWriteTime = 0;
  if (!findFile(javaExe, &lastWriteTime)) {
    logMessage("file doesn't exist");
  } else {
    logMessage("file exists");
    version[0] = 0;
    if (!hasOwnMachineType(javaExe)) {
      logMessage("%s is not a %s-bit program", javaExe, sizeof(void*) == 8 ? "64" : "32");
    } else if (cacheEnabled && readVersionCache(javaExe, lastWriteTime, version)) {
      logMessage("got version from registry %s", version);
      result = versionAcceptable(version, min, max, allowBeta);
    } else if (runJavaVersion(javaExe, lastWriteTime, version)) {
      logMessage("got version from execution %s", version);
      writeVersionCache(javaExe, lastWriteTime, version);
      result = versionAcceptable(version, min, max, allowBeta);
    } else {
      logMessage("couldn't get version");
    }
  }
  if (result && configInt(kRecord_launcherType) == 1) {
    // "java.exe" becomes "javaw.exe"; a path that names neither qualifies not.
    size_t length = strlen(javaExe);
    size_t name = javaExecutableNameLength(javaExe);
    if (name == 8 && length + 1 < sizeof javaExe) {
      memmove(javaExe + length - 3, javaExe + length - 4, 5);
      javaExe[length - 4] = 'w';
    } else if (name != 9) {
      return false;
    }
    return pathExists(javaExe);
  }
  logMessage("checkJavaExe returning %d", result ? 1 : 0);
  return result;
}

bool checkCandidate(Text& javaExe, const char* min, const char* max, bool allowBeta, bool useCache) {
  Text version;
  cacheEnabled = useCache;
  bool result = checkJavaExe(javaExe, version, min, max, allowBeta);
  cacheEnabled = true;
  return result;
}
