#include "core/tar_header.h"

#include <string.h>

#include "core/included_names.h"

namespace {

constexpr int kNameOffset = 0;
constexpr int kNameWidth = 100;
constexpr int kLinkOffset = 157;
constexpr int kLinkWidth = 100;
constexpr int kMagicOffset = 257;
constexpr int kPrefixOffset = 345;
constexpr int kPrefixWidth = 155;
// Windows takes at most 255 UTF-16 units a component; a UTF-8 component
// of that length has at most three bytes a unit.
constexpr size_t kComponentBytes = 3 * 255 + 1;

void appendField(Text& buffer, const char* field, int width) {
  size_t used = strlen(buffer);
  size_t length = strnlen(field, width);
  if (used + length >= sizeof buffer) length = sizeof buffer - 1 - used;
  memcpy(buffer + used, field, length);
  buffer[used + length] = 0;
}

}  // namespace

int32_t parseOctal(const char* text, int width) {
  int64_t value = 0;
  bool started = false;
  for (int i = 0; i < width && text[i]; ++i) {
    char c = text[i];
    if (!started && (c == ' ' || c == '0')) continue;
    if (started && c == ' ') break;
    if (c < '0' || c > '7') return -1;
    started = true;
    value = value * 8 + (c - '0');
    if (value > INT32_MAX) return -1;
  }
  return static_cast<int32_t>(value);
}

bool isPosixHeader(const char* header) { return memcmp(header + kMagicOffset, "ustar", 6) == 0; }

void useBackslashes(char* path) {
  for (char* c = path; *c; ++c)
    if (*c == '/') *c = '\\';
}

bool isSafeEntryPath(const char* path) {
  if (path[0] == 0 || path[0] == '\\' || strchr(path, ':')) return false;
  const char* component = path;
  for (;;) {
    const char* end = strchr(component, '\\');
    size_t length = end ? static_cast<size_t>(end - component) : strlen(component);
    char part[kComponentBytes] = {};
    if (length >= sizeof part) return false;
    memcpy(part, component, length);
    bool dotOnly = length == 1 && part[0] == '.';
    if (length > 0 && !dotOnly && !isSafeIncludedFileName(part)) return false;
    if (length == 0 && end) return false;  // an empty component inside: "a\\b"
    if (!end) return true;
    component = end + 1;
  }
}

bool tarEntryName(const char* header, Text& name) {
  name[0] = 0;
  if (isPosixHeader(header) && header[kPrefixOffset]) {
    appendField(name, header + kPrefixOffset, kPrefixWidth);
    appendText(name, sizeof name, "/");
  }
  appendField(name, header + kNameOffset, kNameWidth);
  useBackslashes(name);
  return isSafeEntryPath(name);
}

void tarLinkName(const char* header, Text& name) {
  name[0] = 0;
  appendField(name, header + kLinkOffset, kLinkWidth);
  useBackslashes(name);
}
