#include "launch/registry_search.h"

#include <windows.h>
#include <stdlib.h>
#include <string.h>

#include "core/configuration.h"
#include "core/growable_list.h"
#include "core/path_builder.h"
#include "core/record_ids.h"
#include "core/version_rules.h"
#include "launch/search_sequence.h"
#include "launch/version_probe.h"
#include "platform/owned_win.h"
#include "platform/registry_win.h"

namespace {

const char kJreKey[] = "SOFTWARE\\JavaSoft\\Java Runtime Environment";
const char kJdkKey[] = "SOFTWARE\\JavaSoft\\Java Development Kit";
const char kLocatedKey[] = "SOFTWARE\\orlinde\\lantor\\locatedjvms\\";
constexpr DWORD kVersionNameCapacity = 100;

bool requireJdk(const LaunchContext& context) { return configInt(context.config, kRecord_requireJdk) != 0; }

// The JavaHome of the version key below keyPath, qualified by its executable.
OWN_FRAME bool tryVersionKey(LaunchContext& context, const char* keyPath, const char* versionName, Text& javaExe,
                   Text& version, const char* min, const char* max) {
  Text subkey;
  if (!PathBuilder(subkey).add(keyPath).join(versionName).whole()) return false;
  Text home;
  if (!readRegistryString(HKEY_LOCAL_MACHINE, subkey, "JavaHome", home, sizeof home)) return false;
  if (!javaExeFromHome(context, javaExe, home)) return false;
  return checkJavaExe(context, javaExe, version, min, max, false, true);
}

void currentVersionOf(const char* keyPath, char* name, const char* min, const char* max) {
  if (!readRegistryString(HKEY_LOCAL_MACHINE, keyPath, "CurrentVersion", name, kVersionNameCapacity) ||
      !versionKeyInRange(name, min, max))
    name[0] = 0;
}

int compareNames(const void* a, const void* b) {
  return strcmp(*static_cast<char* const*>(a), *static_cast<char* const*>(b));
}

void replaceAll(char* text, char from, char to) {
  for (char* c = text; *c; ++c)
    if (*c == from) *c = to;
}

// The version key names below keyPath within the bounds, sorted as text.
GrowableList<char*> versionKeyNames(const char* keyPath, const char* min, const char* max) {
  GrowableList<char*> names;
  RegistryKey key;
  if (RegOpenKeyExA(HKEY_LOCAL_MACHINE, keyPath, 0, KEY_READ, key.receive()) != ERROR_SUCCESS) return names;
  Text name;
  for (DWORD index = 0;; ++index) {
    DWORD length = sizeof name;
    LONG result = RegEnumKeyExA(key.get(), index, name, &length, nullptr, nullptr, nullptr, nullptr);
    if (result == ERROR_NO_MORE_ITEMS) break;
    // A name that cannot be read, or an empty one, names no version.
    if (result != ERROR_SUCCESS || !name[0] || !versionKeyInRange(name, min, max)) {
      if (result != ERROR_SUCCESS && result != ERROR_MORE_DATA) break;
      continue;
    }
    char* copy = _strdup(name);
    if (!copy) break;
    if (!listAppend(names, copy)) {
      free(copy);
      break;
    }
  }
  if (names.count) qsort(names.items, static_cast<size_t>(names.count), sizeof(char*), compareNames);
  return names;
}

}  // namespace

bool installedCurrentVersion(LaunchContext& context, Text& javaExe, Text& version, const char* min,
                             const char* max) {
  char jdk[kVersionNameCapacity];
  char jre[kVersionNameCapacity] = "";
  currentVersionOf(kJdkKey, jdk, min, max);
  if (!requireJdk(context)) currentVersionOf(kJreKey, jre, min, max);
  bool useJdk = strcmp(jdk, jre) > 0;
  const char* name = useJdk ? jdk : jre;
  // An empty name would stand for the JavaSoft key itself, which is no version.
  if (!name[0]) return false;
  return tryVersionKey(context, useJdk ? kJdkKey : kJreKey, name, javaExe, version, min, max);
}

static bool installedVersionScan(LaunchContext& context, Text& javaExe, Text& version, const char* min,
                                 const char* max, const char* keyPath) {
  GrowableList<char*> names = versionKeyNames(keyPath, min, max);
  bool found = false;
  for (int i = names.count - 1; i >= 0 && !found && !stopped(context); --i)
    found = tryVersionKey(context, keyPath, names.items[i], javaExe, version, min, max);
  listReleaseOwned(names);
  return found;
}

static OWN_FRAME bool findInstalledJvm(LaunchContext& context, Text& javaExe, Text& version, const char* min,
                             const char* max) {
  if (installedCurrentVersion(context, javaExe, version, min, max)) return true;
  if (stopped(context)) return false;
  if (!requireJdk(context) && installedVersionScan(context, javaExe, version, min, max, kJreKey)) return true;
  if (stopped(context)) return false;
  return installedVersionScan(context, javaExe, version, min, max, kJdkKey);
}

static OWN_FRAME bool scanLocatedJvms(LaunchContext& context, HKEY root, Text& javaExe, Text& version, const char* min,
                            const char* max) {
  version[0] = 0;
  RegistryKey key;
  if (RegOpenKeyExA(root, kLocatedKey, 0, KEY_READ, key.receive()) != ERROR_SUCCESS)
    return false;
  bool any = false;
  Text name;
  for (DWORD index = 0;; ++index) {
    DWORD length = sizeof name;
    LONG result = RegEnumKeyExA(key.get(), index, name, &length, nullptr, nullptr, nullptr, nullptr);
    if (result == ERROR_NO_MORE_ITEMS || (result != ERROR_SUCCESS && result != ERROR_MORE_DATA)) break;
    if (result != ERROR_SUCCESS || !name[0]) continue;
    replaceAll(name, '/', '\\');
    Text candidateVersion;
    if (checkJavaExe(context, name, candidateVersion, min, max, true, true) &&
        strcmp(candidateVersion, version) > 0) {
      copyText(version, sizeof version, candidateVersion);
      copyText(javaExe, sizeof javaExe, name);
      any = true;
    }
    if (stopped(context)) return false;
  }
  return any;
}

static OWN_FRAME bool findLocatedJvm(LaunchContext& context, Text& javaExe, Text& version, const char* min,
                           const char* max) {
  bool u = scanLocatedJvms(context, HKEY_CURRENT_USER, javaExe, version, min, max);
  if (stopped(context)) return false;
  Text machine;
  Text machineVersion;
  bool m = scanLocatedJvms(context, HKEY_LOCAL_MACHINE, machine, machineVersion, min, max);
  if (stopped(context)) return false;
  bool takeUser = u && (!m || strcmp(version, machineVersion) > 0);
  if (takeUser) return true;
  if (!m) return false;
  copyText(javaExe, sizeof javaExe, machine);
  copyText(version, sizeof version, machineVersion);
  return true;
}

bool testJvmRegistry(LaunchContext& context, Text& javaExe, const char* min, const char* max) {
  Text installedVersion;
  bool a = findInstalledJvm(context, javaExe, installedVersion, min, max);
  if (stopped(context)) return false;
  Text located;
  Text locatedVersion;
  bool b = findLocatedJvm(context, located, locatedVersion, min, max);
  if (stopped(context)) return false;
  if (a && (!b || strcmp(installedVersion, locatedVersion) > 0)) return true;
  if (!b) return false;
  copyText(javaExe, sizeof javaExe, located);
  return true;
}

void registerLocatedJvm(const char* javaExe) {
  Text keyPath;
  copyText(keyPath, sizeof keyPath, kLocatedKey);
  size_t start = strlen(keyPath);
  appendText(keyPath, sizeof keyPath, javaExe);
  replaceAll(keyPath + start, '\\', '/');
  const HKEY roots[] = {HKEY_LOCAL_MACHINE, HKEY_CURRENT_USER};
  for (HKEY root : roots) {
    RegistryKey key;
    if (RegCreateKeyExA(root, keyPath, 0, nullptr, REG_OPTION_NON_VOLATILE, KEY_ALL_ACCESS, nullptr, key.receive(),
                        nullptr) == ERROR_SUCCESS)
      return;
  }
}
