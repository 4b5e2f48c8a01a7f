#include "jvm/search_sequence.h"

#include <windows.h>
#include <stdio.h>
#include <string.h>

#include "jvm/library_loading.h"
#include "jvm/registry_search.h"
#include "jvm/version_probe.h"
#include "log/log.h"
#include "media/configuration.h"
#include "media/paths.h"
#include "media/record_ids.h"
#include "runtime/pack200.h"
#include "ui/error_display.h"
#include "ui/launcher_kind.h"
#include "windows/JavaVMLauncher.h"

namespace {

// Only runtimes of the launcher's own bitness load into it; the messages say which.
const char* const kBitness = sizeof(void*) == 8 ? "64" : "32";

bool isAbsoluteArgument(const char* argument) {
  return strlen(argument) >= 2 && (argument[1] == ':' || (argument[0] == '\\' && argument[1] == '\\'));
}

struct Bounds {
  Text min;
  Text max;
};

void readBounds(Bounds& bounds) {
  configString(kRecord_minJavaVersion, bounds.min, sizeof bounds.min);
  configString(kRecord_maxJavaVersion, bounds.max, sizeof bounds.max);
}

// The next ";"-separated entry of the sequence into entry; false at the end.
bool nextEntry(const char*& cursor, Text& entry) {
  while (*cursor == ';') ++cursor;
  if (!*cursor) return false;
  const char* end = strchr(cursor, ';');
  size_t length = end ? static_cast<size_t>(end - cursor) : strlen(cursor);
  copyText(entry, length + 1 < sizeof entry ? length + 1 : sizeof entry, cursor);
  cursor += length;
  return true;
}

bool tryLocationFile(Text& javaExe, Text& locationText, const char* suffix, const char* has, const char* using_,
                     const Bounds& bounds) {
  Text line;
  if (!readLocationFile(line, suffix)) return false;
  logMessage(has, line);
  if (!testJvmDirectory(javaExe, line, bounds.min, bounds.max, false)) return false;
  logMessage("%s", using_);
  copyText(locationText, sizeof locationText, line);
  return true;
}

}  // namespace

bool javaExeFromHome(Text& javaExe, const char* home) {
  copyText(javaExe, sizeof javaExe, home);
  appendText(javaExe, sizeof javaExe, "\\jre\\bin\\java.exe");
  if (configInt(kRecord_requireJdk) != 0) {
    Text tools;
    copyText(tools, sizeof tools, home);
    appendText(tools, sizeof tools, "\\lib\\tools.jar");
    return pathExists(tools);
  }
  if (!pathExists(javaExe)) {
    copyText(javaExe, sizeof javaExe, home);
    appendText(javaExe, sizeof javaExe, "\\bin\\java.exe");
  }
  return true;
}

bool testJvmDirectory(Text& javaExe, const char* directory, const char* min, const char* max, bool skipChecks) {
  Text home;
  fullPath(home, directory, false);
  expandPackedRuntime(home);
  bool ok = javaExeFromHome(javaExe, home);
  if (skipChecks) return true;
  return ok && checkCandidate(javaExe, min, max, true, true);
}

bool testJvmEnvironment(Text& javaExe, const char* name, const char* min, const char* max) {
  Text value;
  DWORD n = GetEnvironmentVariableA(name, value, sizeof value);
  if (n == 0 || n >= sizeof value) return false;
  for (char* c = value; *c; ++c)
    if (*c == '/') *c = '\\';
  if (!javaExeFromHome(javaExe, value)) return false;
  return checkCandidate(javaExe, min, max, false, true);
}

bool testJvmSearchPath(Text& javaExe, const char* min, const char* max) {
  DWORD n = SearchPathA(nullptr, "java.exe", nullptr, sizeof javaExe, javaExe, nullptr);
  if (n == 0 || n >= sizeof javaExe) return false;
  return checkCandidate(javaExe, min, max, false, true);
}

bool readLocationFile(Text& line, const char* suffix) {
  Text configured;
  configString(kRecord_quarrowDirectory, configured, sizeof configured);
  Text path;
  fullPath(path, configured, true);
  appendText(path, sizeof path, suffix);
  normalizePath(path);  // the launcher directory already ends with a backslash
  FILE* file = fopen(path, "rt");
  if (!file) return false;
  bool read = fgets(line, sizeof line, file) != nullptr;
  fclose(file);
  if (!read) return false;
  size_t length = strlen(line);
  while (length > 0 && (line[length - 1] == '\r' || line[length - 1] == '\n')) line[--length] = 0;
  return true;
}

int findJvm(Text& javaExe, Text& locationText) {
  logMessage("Searching for a JVM");
  Text sequence;
  configString(kRecord_jvmSearchSequence, sequence, sizeof sequence);
  Bounds bounds;
  readBounds(bounds);

  if (tryLocationFile(javaExe, locationText, "\\.quarrow\\pref_jre.cfg", "Has preferred location %s",
                      "Using preferred location", bounds))
    return kDirectory;

  const char* cursor = sequence;
  Text entry;
  while (nextEntry(cursor, entry)) {
    char letter = entry[0];
    const char* argument = entry + 1;
    logMessage("Testing location %s (type %c)", argument, letter);
    int found = kNotFound;
    switch (letter) {
      case 'A':
      case 'B':
      case 'R':
        if (testJvmDirectory(javaExe, argument, bounds.min, bounds.max, false)) found = kDirectory;
        break;
      case 'E':
        if (testJvmEnvironment(javaExe, argument, bounds.min, bounds.max)) found = kEnvironment;
        break;
      case 'S':
        if (testJvmSearchPath(javaExe, bounds.min, bounds.max)) found = kSearchPath;
        break;
      case 'Y':
        if (testJvmRegistry(javaExe, bounds.min, bounds.max)) return kRegistry;
        break;
      default:
        break;
    }
    if (found != kNotFound) {
      copyText(locationText, sizeof locationText, argument);
      return found;
    }
  }
  logMessage("Search sequence finished");

  const char* flavour = launcherKind() == 'e' ? "LANTOR_JAVA_HOME" : launcherKind() == 'i' ? "QUARROW_JAVA_HOME" : nullptr;
  if (flavour && testJvmEnvironment(javaExe, flavour, bounds.min, bounds.max)) {
    copyText(locationText, sizeof locationText, flavour);
    return kEnvironment;
  }

  if (tryLocationFile(javaExe, locationText, "\\.quarrow\\inst_jre.cfg", "Has installer location %s",
                      "Using installer location", bounds))
    return kDirectory;

  cursor = sequence;
  while (nextEntry(cursor, entry)) {
    char letter = entry[0];
    const char* argument = entry + 1;
    bool relative = letter == 'B' || ((letter == 'A' || letter == 'R') && !isAbsoluteArgument(argument));
    if (!relative) continue;
    logMessage("Testing relative location %s", argument);
    testJvmDirectory(javaExe, argument, bounds.min, bounds.max, true);
    if (pathExists(javaExe)) {
      logMessage("%s exists", javaExe);
      copyText(locationText, sizeof locationText, argument);
      return kDirectory;
    }
  }
  return kNotFound;
}

bool LoadDLL(bool showErrors, const char* location, bool isJavaExe) {
  logMessage("LoadDLL (%d, %s, %d)", showErrors ? 1 : 0, location ? location : "(none)", isJavaExe ? 1 : 0);
  Text javaExe;
  Text locationText;
  int type = kNotFound;
  if (location) {
    logMessage("Got JRE location %s (java exe: %d)", location, isJavaExe ? 1 : 0);
    Bounds bounds;
    readBounds(bounds);
    logMessage("MinVersion: %s, MaxVersion: %s", bounds.min, bounds.max);
    bool ok;
    if (isJavaExe) {
      copyText(javaExe, sizeof javaExe, location);
      ok = checkCandidate(javaExe, bounds.min, bounds.max, true, false);
    } else {
      ok = testJvmDirectory(javaExe, location, bounds.min, bounds.max, true);
    }
    if (!ok) {
      logError("Provided JVM unusable");
      if (showErrors) showConfigError(kRecord_msgNoJvmFound, kBitness);
      return false;
    }
    type = kDirectory;
    copyText(locationText, sizeof locationText, location);
  } else {
    type = findJvm(javaExe, locationText);
    if (type == kNotFound) {
      logError("No JVM found");
      if (showErrors) showConfigError(kRecord_msgNoJvmFound, kBitness);
      return false;
    }
  }

  logMessage("Trying to load JVM-DLL from %s", javaExe);
  LibraryHandle handle = loadJvmDll(javaExe);
  setJvmHome(javaExe);
  if (!handle) logError("Could not get DLL-Handle.");
  bool ok = resolveCreateJavaVM(handle);
  if (!ok) logError("Could not load functions");
  if (handle && ok) {
    logMessage("Loading of JVM-DLL successful");
    return true;
  }
  if (showErrors) {
    switch (type) {
      case kSearchPath: showConfigError(kRecord_msgNoJvmFound, kBitness); break;
      case kDirectory: showConfigError(kRecord_msgJvmDamaged, locationText); break;
      case kEnvironment: showConfigError(kRecord_msgJavaHomeNotWorking, locationText); break;
      default: showConfigError(kRecord_msgJvmStartFailed, nullptr); break;
    }
  }
  return false;
}
