#include "core/version_rules.h"

#include <ctype.h>
#include <string.h>

#include "core/log.h"
#include "core/record_ids.h"

namespace {

// Compares the first n characters as unsigned bytes; the end of a text
// counts as smaller than any character.
int comparePrefix(const char* a, const char* b, size_t n) {
  for (size_t i = 0; i < n; ++i) {
    unsigned char x = static_cast<unsigned char>(a[i]);
    unsigned char y = static_cast<unsigned char>(b[i]);
    if (x != y) return x < y ? -1 : 1;
    if (x == 0) return 0;
  }
  return 0;
}

size_t shorter(size_t a, size_t b) { return a < b ? a : b; }

}  // namespace

bool versionAcceptable(const char* version, const char* min, const char* max, bool prereleaseAllowed) {
  bool prerelease = strstr(version, "beta") || strstr(version, "ea") || strstr(version, "rc");
  if (prerelease && !prereleaseAllowed) {
    logMessage("beta vm not allowed");
    return false;
  }
  if (comparePrefix(version, min, strlen(min)) < 0) return false;
  if (comparePrefix(version, max, strlen(max)) > 0) return false;
  return true;
}

bool prereleaseAllowed(const ConfigTables& config, bool allowBeta) {
  return allowBeta || configInt(config, kRecord_allowPrereleaseJava) != 0;
}

bool versionKeyInRange(const char* keyName, const char* min, const char* max) {
  size_t key = strlen(keyName);
  if (comparePrefix(keyName, min, shorter(key, strlen(min))) < 0) return false;
  if (comparePrefix(keyName, max, shorter(key, strlen(max))) > 0) return false;
  return true;
}

bool parseVersionBanner(const char* line, char* version, size_t capacity) {
  static const char kStart[] = "java version \"";
  constexpr size_t kStartLength = sizeof kStart - 1;
  if (strncmp(line, kStart, kStartLength) != 0) return false;
  const char* rest = line + kStartLength;
  // The version ends at the closing quote (in the classic banner it is
  // followed by the line feed); a line without one holds no version.
  const char* close = strchr(rest, '"');
  if (!close) return false;
  size_t keep = static_cast<size_t>(close - rest);
  if (keep + 1 > capacity) keep = capacity - 1;
  memcpy(version, rest, keep);
  version[keep] = 0;
  return true;
}

size_t javaExecutableNameLength(const char* path) {
  size_t length = strlen(path);
  static const char* const names[] = {"javaw.exe", "java.exe"};
  for (const char* name : names) {
    size_t n = strlen(name);
    if (length <= n || (path[length - n - 1] != '\\' && path[length - n - 1] != '/')) continue;
    bool same = true;
    for (size_t i = 0; i < n && same; ++i)
      same = tolower(static_cast<unsigned char>(path[length - n + i])) == name[i];
    if (same) return n;
  }
  return 0;
}
