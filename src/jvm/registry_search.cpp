#include "jvm/registry_search.h"

#include <windows.h>
#include <stdlib.h>
#include <string.h>

#include "jvm/search_sequence.h"
#include "jvm/version_probe.h"
#include "jvm/version_rules.h"
#include "media/configuration.h"
#include "media/record_ids.h"

namespace {

const char kJreKey[] = "SOFTWARE\\JavaSoft\\Java Runtime Environment";
const char kJdkKey[] = "SOFTWARE\\JavaSoft\\Java Development Kit";
const char kLocatedKey[] = "SOFTWARE\\orlinde\\lantor\\locatedjvms\\";
constexpr DWORD kVersionNameCapacity = 100;

// A REG_SZ value only, read with room for a terminator the value may lack.
bool readString(HKEY root, const char* keyPath, const char* name, char* buffer, DWORD capacity) {
  HKEY key;
  if (RegOpenKeyExA(root, keyPath, 0, KEY_READ, &key) != ERROR_SUCCESS) return false;
  DWORD type = 0;
  DWORD size = capacity - 1;
  LONG result = RegQueryValueExA(key, name, nullptr, &type, reinterpret_cast<BYTE*>(buffer), &size);
  RegCloseKey(key);
  if (result != ERROR_SUCCESS || type != REG_SZ) return false;
  buffer[size] = 0;
  return true;
}

bool requireJdk() { return configInt(kRecord_requireJdk) != 0; }

// The JavaHome of the version key below keyPath, qualified by its executable.
bool tryVersionKey(const char* keyPath, const char* versionName, Text& javaExe, Text& version, const char* min,
                   const char* max) {
  Text subkey;
  copyText(subkey, sizeof subkey, keyPath);
  appendText(subkey, sizeof subkey, "\\");
  appendText(subkey, sizeof subkey, versionName);
  Text home;
  if (!readString(HKEY_LOCAL_MACHINE, subkey, "JavaHome", home, sizeof home)) return false;
  if (!javaExeFromHome(javaExe, home)) return false;
  return checkJavaExe(javaExe, version, min, max, false);
}

void currentVersionOf(const char* keyPath, char* name, const char* min, const char* max) {
  if (!readString(HKEY_LOCAL_MACHINE, keyPath, "CurrentVersion", name, kVersionNameCapacity) ||
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

}  // namespace

bool testJvmRegistry(Text& javaExe, const char* min, const char* max) {
  Text installed;
  Text installedVersion;
  Text located;
  Text locatedVersion;
  bool a = findInstalledJvm(installed, installedVersion, min, max);
  bool b = findLocatedJvm(located, locatedVersion, min, max);
  if (a && (!b || strcmp(installedVersion, locatedVersion) > 0))
    copyText(javaExe, sizeof javaExe, installed);
  else if (b)
    copyText(javaExe, sizeof javaExe, located);
  else
    return false;
  return true;
}

bool findInstalledJvm(Text& javaExe, Text& version, const char* min, const char* max) {
  if (installedCurrentVersion(javaExe, version, min, max)) return true;
  if (!requireJdk() && installedVersionScan(javaExe, version, min, max, kJreKey)) return true;
  return installedVersionScan(javaExe, version, min, max, kJdkKey);
}

bool installedCurrentVersion(Text& javaExe, Text& version, const char* min, const char* max) {
  char jdk[kVersionNameCapacity];
  char jre[kVersionNameCapacity] = "";
  currentVersionOf(kJdkKey, jdk, min, max);
  if (!requireJdk()) currentVersionOf(kJreKey, jre, min, max);
  bool useJdk = strcmp(jdk, jre) > 0;
  const char* name = useJdk ? jdk : jre;
  // An empty name would stand for the JavaSoft key itself, which is no version.
  if (!name[0]) return false;
  return tryVersionKey(useJdk ? kJdkKey : kJreKey, name, javaExe, version, min, max);
}

bool installedVersionScan(Text& javaExe, Text& version, const char* min, const char* max, const char* keyPath) {
  HKEY key;
  if (RegOpenKeyExA(HKEY_LOCAL_MACHINE, keyPath, 0, KEY_READ, &key) != ERROR_SUCCESS) return false;
  char** names = nullptr;
  int count = 0;
  Text name;
  for (DWORD index = 0;; ++index) {
    DWORD length = sizeof name;
    LONG result = RegEnumKeyExA(key, index, name, &length, nullptr, nullptr, nullptr, nullptr);
    if (result == ERROR_NO_MORE_ITEMS) break;
    // A name that cannot be read, or an empty one, names no version.
    if (result != ERROR_SUCCESS || !name[0] || !versionKeyInRange(name, min, max)) {
      if (result != ERROR_SUCCESS && result != ERROR_MORE_DATA) break;
      continue;
    }
    if ((count & (count - 1)) == 0) {
      char** grown = static_cast<char**>(realloc(names, sizeof(char*) * (count ? count * 2 : 8)));
      if (!grown) break;
      names = grown;
    }
    names[count] = static_cast<char*>(malloc(strlen(name) + 1));
    if (!names[count]) break;
    strcpy(names[count++], name);
  }
  RegCloseKey(key);
  if (count) qsort(names, static_cast<size_t>(count), sizeof(char*), compareNames);
  bool found = false;
  for (int i = count - 1; i >= 0 && !found; --i) found = tryVersionKey(keyPath, names[i], javaExe, version, min, max);
  for (int i = 0; i < count; ++i) free(names[i]);
  free(names);
  return found;
}

bool findLocatedJvm(Text& javaExe, Text& version, const char* min, const char* max) {
  Text user;
  Text userVersion;
  Text machine;
  Text machineVersion;
  bool u = scanLocatedJvms(HKEY_CURRENT_USER, user, userVersion, min, max);
  bool m = scanLocatedJvms(HKEY_LOCAL_MACHINE, machine, machineVersion, min, max);
  bool takeUser = u && (!m || strcmp(userVersion, machineVersion) > 0);
  if (!takeUser && !m) return false;
  copyText(javaExe, sizeof javaExe, takeUser ? user : machine);
  copyText(version, sizeof version, takeUser ? userVersion : machineVersion);
  return true;
}

bool scanLocatedJvms(void* root, Text& javaExe, Text& version, const char* min, const char* max) {
  version[0] = 0;
  HKEY key;
  if (RegOpenKeyExA(static_cast<HKEY>(root), kLocatedKey, 0, KEY_READ, &key) != ERROR_SUCCESS) return false;
  bool any = false;
  Text name;
  for (DWORD index = 0;; ++index) {
    DWORD length = sizeof name;
    LONG result = RegEnumKeyExA(key, index, name, &length, nullptr, nullptr, nullptr, nullptr);
    if (result == ERROR_NO_MORE_ITEMS || (result != ERROR_SUCCESS && result != ERROR_MORE_DATA)) break;
    if (result != ERROR_SUCCESS || !name[0]) continue;
    replaceAll(name, '/', '\\');
    Text candidateVersion;
    if (checkJavaExe(name, candidateVersion, min, max, true) && strcmp(candidateVersion, version) > 0) {
      copyText(version, sizeof version, candidateVersion);
      copyText(javaExe, sizeof javaExe, name);
      any = true;
    }
  }
  RegCloseKey(key);
  return any;
}

void registerLocatedJvm(const char* javaExe) {
  Text keyPath;
  copyText(keyPath, sizeof keyPath, kLocatedKey);
  size_t start = strlen(keyPath);
  appendText(keyPath, sizeof keyPath, javaExe);
  replaceAll(keyPath + start, '\\', '/');
  HKEY key;
  const HKEY roots[] = {HKEY_LOCAL_MACHINE, HKEY_CURRENT_USER};
  for (HKEY root : roots) {
    if (RegCreateKeyExA(root, keyPath, 0, nullptr, REG_OPTION_NON_VOLATILE, KEY_ALL_ACCESS, nullptr, &key,
                        nullptr) == ERROR_SUCCESS) {
      RegCloseKey(key);
      return;
    }
  }
}
