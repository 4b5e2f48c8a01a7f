#include "launch/version_probe.h"

#include <windows.h>
#include <stdio.h>
#include <string.h>

#include "core/configuration.h"
#include "core/log.h"
#include "core/path_builder.h"
#include "core/paths.h"
#include "core/record_ids.h"
#include "core/version_rules.h"
#include "launch/temp_directory.h"
#include "platform/executable_machine_win.h"
#include "platform/owned_win.h"
#include "platform/process_win.h"

namespace {

const char kCacheKey[] = "SOFTWARE\\orlinde\\lantor\\jvms\\";
constexpr DWORD kVersionTimeout = 60000;
constexpr DWORD kStillActive = 259;
constexpr DWORD kTerminationWait = 10000;

void cacheKeyName(Text& key, const char* javaExe) {
  copyText(key, sizeof key, kCacheKey);
  size_t start = strlen(key);
  appendText(key, sizeof key, javaExe);
  for (char* c = key + start; *c; ++c)
    if (*c == '\\') *c = '/';
}

// The file the child's error output goes to, as an inheritable handle.
FileHandle openCaptureFile(const char* name) {
  FileHandle file(CreateFileA(name, GENERIC_READ | GENERIC_WRITE, FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr,
                              CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr));
  FileHandle inheritable;
  if (file.valid() && !DuplicateHandle(GetCurrentProcess(), file.get(), GetCurrentProcess(), inheritable.receive(),
                                       0, TRUE, DUPLICATE_SAME_ACCESS))
    inheritable.release();
  return inheritable;
}

}  // namespace

static bool readVersionCache(const char* javaExe, uint64_t lastWriteTime, Text& version) {
  Text keyName;
  cacheKeyName(keyName, javaExe);
  RegistryKey key;
  if (RegOpenKeyExA(HKEY_CURRENT_USER, keyName, 0, KEY_READ, key.receive()) != ERROR_SUCCESS) return false;
  uint8_t stored[8];
  DWORD size = sizeof stored;
  bool same = RegQueryValueExA(key.get(), "LastWriteTime", nullptr, nullptr, stored, &size) == ERROR_SUCCESS &&
              size == sizeof stored && memcmp(stored, &lastWriteTime, sizeof stored) == 0;
  if (!same) return false;
  // Stored without a terminator: the length tells where the text ends.
  size = sizeof version - 1;
  bool found = RegQueryValueExA(key.get(), "Version", nullptr, nullptr, reinterpret_cast<BYTE*>(version), &size) ==
               ERROR_SUCCESS;
  version[found && size < sizeof version ? size : 0] = 0;
  return found;
}

static void writeVersionCache(const char* javaExe, uint64_t lastWriteTime, const char* version) {
  Text keyName;
  cacheKeyName(keyName, javaExe);
  RegistryKey key;
  if (RegCreateKeyExA(HKEY_CURRENT_USER, keyName, 0, nullptr, REG_OPTION_NON_VOLATILE, KEY_ALL_ACCESS, nullptr,
                      key.receive(), nullptr) != ERROR_SUCCESS)
    return;
  RegSetValueExA(key.get(), "LastWriteTime", 0, REG_BINARY, reinterpret_cast<const BYTE*>(&lastWriteTime), 8);
  RegSetValueExA(key.get(), "Version", 0, REG_SZ, reinterpret_cast<const BYTE*>(version),
                 static_cast<DWORD>(strlen(version)));
}

// Waits for the child up to the time-out; false at once when the user cancels.
static bool waitUnlessCanceled(HANDLE process, const LaunchContext& context) {
  constexpr DWORD kSlice = 100;
  for (DWORD waited = 0; waited < kVersionTimeout; waited += kSlice) {
    if (context.canceled) return false;
    if (WaitForSingleObject(process, kSlice) != WAIT_TIMEOUT) return true;
  }
  return true;
}

static bool runJavaVersion(const char* javaExe, uint64_t lastWriteTime, Text& version, LaunchContext& context) {
  Failure& failure = context.failure;
  Text commandLine;
  if (!PathBuilder(commandLine).add("\"").add(javaExe).add("\" -version").whole()) {
    logMessage("Could not create process %s (the command line is too long)", commandLine);
    return false;
  }
  Text capture;
  bool shared = false;
  if (!createTempFileName(capture, &shared, failure)) return false;
  FileHandle output = openCaptureFile(capture);
  if (!output.valid()) {
    logMessage("Could not create process %s > %s (error %d)", commandLine, capture, static_cast<int>(GetLastError()));
    DeleteFileA(capture);
    return false;
  }
  ChildProcess child;
  if (!startHiddenProcess(javaExe, commandLine, output.get(), &child)) {
    logMessage("Could not create process %s > %s (error %d)", commandLine, capture, static_cast<int>(GetLastError()));
    output.close();
    DeleteFileA(capture);
    return false;
  }
  if (!waitUnlessCanceled(child.process.get(), context)) {
    TerminateProcess(child.process.get(), 1);
    WaitForSingleObject(child.process.get(), kTerminationWait);
    child.process.close();
    output.close();
    DeleteFileA(capture);
    return fail(failure, FailureKind::canceled);
  }
  DWORD code = 0;
  GetExitCodeProcess(child.process.get(), &code);
  logMessage("Exit Code %d", static_cast<int>(code));
  if (code == kStillActive) {
    logMessage("Terminating process");
    TerminateProcess(child.process.get(), 1);
    // Ending takes a moment; until then the child still holds the capture file.
    WaitForSingleObject(child.process.get(), kTerminationWait);
  } else if (code != 0) {
    writeVersionCache(javaExe, lastWriteTime, "1.0.0");
  }
  child.process.close();
  child.thread.close();
  output.close();

  bool found = false;
  if (code == 0) {
    StdioFile file(fopen(capture, "rt"));
    char line[100];
    if (file.valid() && fgets(line, sizeof line, file.get()) && parseVersionBanner(line, version, sizeof version)) {
      logMessage("Java version: %s", version);
      found = true;
    }
  }
  DeleteFileA(capture);
  return found;
}

bool checkJavaExe(LaunchContext& context, Text& javaExe, Text& version, const char* min, const char* max,
                  bool allowBeta, bool useCache) {
  logMessage("checkJavaExe (%s, [out], %s, %s, %d)", javaExe, min, max, allowBeta ? 1 : 0);
  Text canonical;
  fullPath(canonical, javaExe, false);
  copyText(javaExe, sizeof javaExe, canonical);

  bool prerelease = prereleaseAllowed(context.config, allowBeta);
  bool result = false;
  uint64_t lastWriteTime = 0;
  if (!findFile(javaExe, &lastWriteTime)) {
    logMessage("file doesn't exist");
  } else {
    logMessage("file exists");
    version[0] = 0;
    if (!hasOwnMachineType(javaExe)) {
      logMessage("%s is not a %s-bit program", javaExe, sizeof(void*) == 8 ? "64" : "32");
    } else if (useCache && readVersionCache(javaExe, lastWriteTime, version)) {
      logMessage("got version from registry %s", version);
      result = versionAcceptable(version, min, max, prerelease);
    } else if (runJavaVersion(javaExe, lastWriteTime, version, context)) {
      logMessage("got version from execution %s", version);
      writeVersionCache(javaExe, lastWriteTime, version);
      result = versionAcceptable(version, min, max, prerelease);
    } else if (stopped(context)) {
      return false;
    } else {
      logMessage("couldn't get version");
    }
  }
  if (result && configInt(context.config, kRecord_launcherType) == 1) {
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

bool checkCandidate(LaunchContext& context, Text& javaExe, const char* min, const char* max, bool allowBeta,
                    bool useCache) {
  Text version;
  return checkJavaExe(context, javaExe, version, min, max, allowBeta, useCache);
}
