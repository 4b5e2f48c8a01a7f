#include "launch/search_sequence.h"

#include <windows.h>
#include <stdio.h>
#include <string.h>

#include "core/configuration.h"
#include "core/log.h"
#include "core/path_builder.h"
#include "core/paths.h"
#include "core/record_ids.h"
#include "launch/jvm_launch.h"
#include "launch/library_loading_win.h"
#include "launch/pack200.h"
#include "launch/registry_search.h"
#include "launch/version_probe.h"
#include "platform/owned_win.h"

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

void readBounds(const LaunchContext& context, Bounds& bounds) {
  configString(context.config, kRecord_minJavaVersion, bounds.min, sizeof bounds.min);
  configString(context.config, kRecord_maxJavaVersion, bounds.max, sizeof bounds.max);
}

void tell(RuntimeMessage* message, int32_t record, const char* argument) {
  if (!message) return;
  message->record = record;
  message->hasArgument = argument != nullptr;
  copyText(message->argument, sizeof message->argument, argument);
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

}  // namespace

// A java executable whose path did not fit names another program: it is
// never probed, loaded or run.
bool javaExeFromHome(const LaunchContext& context, Text& javaExe, const char* home) {
  bool whole = PathBuilder(javaExe).add(home).add("\\jre\\bin\\java.exe").whole();
  if (configInt(context.config, kRecord_requireJdk) != 0) {
    Text tools;
    return whole && PathBuilder(tools).add(home).add("\\lib\\tools.jar").whole() && pathExists(tools);
  }
  if (!whole || !pathExists(javaExe)) whole = PathBuilder(javaExe).add(home).add("\\bin\\java.exe").whole();
  return whole;
}

static bool testJvmDirectory(LaunchContext& context, Text& javaExe, const char* directory, const char* min,
                      const char* max, bool skipChecks) {
  Text home;
  fullPath(home, directory, false);
  if (!expandPackedRuntime(home, context.failure)) return false;
  bool ok = javaExeFromHome(context, javaExe, home);
  if (skipChecks) return true;
  return ok && checkCandidate(context, javaExe, min, max, true, true);
}

static OWN_FRAME bool testJvmEnvironment(LaunchContext& context, Text& javaExe, const char* name, const char* min, const char* max) {
  Text value;
  DWORD n = GetEnvironmentVariableA(name, value, sizeof value);
  if (n == 0 || n >= sizeof value) return false;
  for (char* c = value; *c; ++c)
    if (*c == '/') *c = '\\';
  if (!javaExeFromHome(context, javaExe, value)) return false;
  return checkCandidate(context, javaExe, min, max, false, true);
}

static bool testJvmSearchPath(LaunchContext& context, Text& javaExe, const char* min, const char* max) {
  DWORD n = SearchPathA(nullptr, "java.exe", nullptr, sizeof javaExe, javaExe, nullptr);
  if (n == 0 || n >= sizeof javaExe) return false;
  return checkCandidate(context, javaExe, min, max, false, true);
}

static OWN_FRAME bool readLocationFile(const LaunchContext& context, Text& line, const char* suffix) {
  Text configured;
  configString(context.config, kRecord_quarrowDirectory, configured, sizeof configured);
  Text directory;
  fullPath(directory, configured, true);
  Text path;
  if (!PathBuilder(path).add(directory).add(suffix).whole()) return false;
  normalizePath(path);  // the launcher directory already ends with a backslash
  StdioFile file(fopen(path, "rt"));
  if (!file.valid() || !fgets(line, sizeof line, file.get())) return false;
  size_t length = strlen(line);
  while (length > 0 && (line[length - 1] == '\r' || line[length - 1] == '\n')) line[--length] = 0;
  return true;
}

namespace {

bool tryLocationFile(LaunchContext& context, Text& javaExe, Text& locationText, const char* suffix, const char* has,
                     const char* using_, const Bounds& bounds) {
  Text line;
  if (!readLocationFile(context, line, suffix)) return false;
  logMessage(has, line);
  if (!testJvmDirectory(context, javaExe, line, bounds.min, bounds.max, false)) return false;
  logMessage("%s", using_);
  copyText(locationText, sizeof locationText, line);
  return true;
}


// The configured sequence, entry by entry; kNotFound when no entry qualifies.
OWN_FRAME int sequencePass(LaunchContext& context, const char* sequence, const Bounds& bounds, Text& javaExe,
                 Text& locationText) {
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
        if (testJvmDirectory(context, javaExe, argument, bounds.min, bounds.max, false)) found = kDirectory;
        break;
      case 'E':
        if (testJvmEnvironment(context, javaExe, argument, bounds.min, bounds.max)) found = kEnvironment;
        break;
      case 'S':
        if (testJvmSearchPath(context, javaExe, bounds.min, bounds.max)) found = kSearchPath;
        break;
      case 'Y':
        if (testJvmRegistry(context, javaExe, bounds.min, bounds.max)) return kRegistry;
        break;
      default:
        break;
    }
    if (stopped(context)) return kNotFound;
    if (found != kNotFound) {
      copyText(locationText, sizeof locationText, argument);
      return found;
    }
  }
  return kNotFound;
}

// The relative entries again, taken when their java executable exists.
OWN_FRAME int relativePass(LaunchContext& context, const char* sequence, const Bounds& bounds, Text& javaExe,
                 Text& locationText) {
  const char* cursor = sequence;
  Text entry;
  while (nextEntry(cursor, entry)) {
    char letter = entry[0];
    const char* argument = entry + 1;
    bool relative = letter == 'B' || ((letter == 'A' || letter == 'R') && !isAbsoluteArgument(argument));
    if (!relative) continue;
    logMessage("Testing relative location %s", argument);
    testJvmDirectory(context, javaExe, argument, bounds.min, bounds.max, true);
    if (stopped(context)) return kNotFound;
    if (pathExists(javaExe)) {
      logMessage("%s exists", javaExe);
      copyText(locationText, sizeof locationText, argument);
      return kDirectory;
    }
  }
  return kNotFound;
}

// A location the caller gives: a java executable, probed without the
// cache, or a directory, taken without checks.
OWN_FRAME bool testGivenLocation(LaunchContext& context, const char* location, bool isJavaExe, Text& javaExe) {
  logMessage("Got JRE location %s (java exe: %d)", location, isJavaExe ? 1 : 0);
  Bounds bounds;
  readBounds(context, bounds);
  logMessage("MinVersion: %s, MaxVersion: %s", bounds.min, bounds.max);
  if (!isJavaExe) return testJvmDirectory(context, javaExe, location, bounds.min, bounds.max, true);
  copyText(javaExe, sizeof javaExe, location);
  return checkCandidate(context, javaExe, bounds.min, bounds.max, true, false);
}

}  // namespace

static OWN_FRAME int findJvm(LaunchContext& context, Text& javaExe, Text& locationText) {
  logMessage("Searching for a JVM");
  Text sequence;
  configString(context.config, kRecord_jvmSearchSequence, sequence, sizeof sequence);
  Bounds bounds;
  readBounds(context, bounds);

  if (tryLocationFile(context, javaExe, locationText, "\\.quarrow\\pref_jre.cfg", "Has preferred location %s",
                      "Using preferred location", bounds))
    return kDirectory;
  if (stopped(context)) return kNotFound;

  int found = sequencePass(context, sequence, bounds, javaExe, locationText);
  if (found != kNotFound || stopped(context)) return found;
  logMessage("Search sequence finished");

  char kind = context.launcherKind;
  const char* flavour = kind == 'e' ? "LANTOR_JAVA_HOME" : kind == 'i' ? "QUARROW_JAVA_HOME" : nullptr;
  if (flavour && testJvmEnvironment(context, javaExe, flavour, bounds.min, bounds.max)) {
    copyText(locationText, sizeof locationText, flavour);
    return kEnvironment;
  }
  if (stopped(context)) return kNotFound;

  if (tryLocationFile(context, javaExe, locationText, "\\.quarrow\\inst_jre.cfg", "Has installer location %s",
                      "Using installer location", bounds))
    return kDirectory;
  if (stopped(context)) return kNotFound;
  return relativePass(context, sequence, bounds, javaExe, locationText);
}

bool LoadDLL(LaunchContext& context, const char* location, bool isJavaExe, RuntimeMessage* message) {
  logMessage("LoadDLL (%d, %s, %d)", message ? 1 : 0, location ? location : "(none)", isJavaExe ? 1 : 0);
  Text javaExe;
  Text locationText;
  int type = kNotFound;
  if (location) {
    bool ok = testGivenLocation(context, location, isJavaExe, javaExe);
    if (stopped(context)) return false;
    if (!ok) {
      logError("Provided JVM unusable");
      tell(message, kRecord_msgNoJvmFound, kBitness);
      return false;
    }
    type = kDirectory;
    copyText(locationText, sizeof locationText, location);
  } else {
    type = findJvm(context, javaExe, locationText);
    if (stopped(context)) return false;
    if (type == kNotFound) {
      logError("No JVM found");
      tell(message, kRecord_msgNoJvmFound, kBitness);
      return false;
    }
  }

  logMessage("Trying to load JVM-DLL from %s", javaExe);
  HMODULE library = loadJvmDll(context, javaExe);
  setJvmHome(context, javaExe);
  if (!library) logError("Could not get DLL-Handle.");
  bool ok = resolveCreateJavaVM(context, library);
  if (!ok) logError("Could not load functions");
  if (library && ok) {
    logMessage("Loading of JVM-DLL successful");
    return true;
  }
  // A library without the entry is of no use, and another pick may follow.
  if (library) FreeLibrary(library);
  switch (type) {
    case kSearchPath: tell(message, kRecord_msgNoJvmFound, kBitness); break;
    case kDirectory: tell(message, kRecord_msgJvmDamaged, locationText); break;
    case kEnvironment: tell(message, kRecord_msgJavaHomeNotWorking, locationText); break;
    default: tell(message, kRecord_msgJvmStartFailed, nullptr); break;
  }
  return false;
}
