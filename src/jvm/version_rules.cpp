#include "jvm/version_rules.h"

#include <string.h>

#include "common/text.h"
#include "log/log.h"
#include "media/configuration.h"
#include "media/record_ids.h"

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

bool versionAcceptable(const char* version, const char* min, const char* max, bool allowBeta) {
  bool prerelease = strstr(version, "beta") || strstr(version, "ea") || strstr(version, "rc");
  if (prerelease && !allowBeta && configInt(kRecord_allowPrereleaseJava) == 0) {
    logMessage("beta vm not allowed");
    return false;
  }
  if (comparePrefix(version, min, strlen(min)) < 0) return false;
  if (comparePrefix(version, max, strlen(max)) > 0) return false;
  return true;
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
  size_t length = strlen(rest);
  // The closing quote and the line feed end the line; a line too short to
  // hold them holds no version.
  if (length < 2) return false;
  size_t keep = length - 2;
  if (keep + 1 > capacity) keep = capacity - 1;
  memcpy(version, rest, keep);
  version[keep] = 0;
  return true;
}
