#include "core/included_names.h"

#include <ctype.h>
#include <string.h>

static bool isDeviceName(const char* name) {
  // Windows takes these as devices whatever follows a dot, and ignores
  // trailing blanks and dots: "nul.txt" and "CON " are devices too.
  size_t length = strcspn(name, ".");
  while (length > 0 && name[length - 1] == ' ') --length;
  char base[8] = {};
  if (length < 3 || length > 7) return false;
  for (size_t i = 0; i < length; ++i) base[i] = static_cast<char>(toupper(static_cast<unsigned char>(name[i])));
  static const char* const fixed[] = {"CON", "PRN", "AUX", "NUL", "CONIN$", "CONOUT$"};
  for (const char* device : fixed)
    if (strcmp(base, device) == 0) return true;
  if (length == 4 && (strncmp(base, "COM", 3) == 0 || strncmp(base, "LPT", 3) == 0))
    return base[3] >= '1' && base[3] <= '9';
  return false;
}

bool isSafeIncludedFileName(const char* name) {
  if (name[0] == 0 || strstr(name, "..")) return false;
  for (const unsigned char* c = reinterpret_cast<const unsigned char*>(name); *c; ++c)
    if (*c < 0x20 || strchr("\\/:*?\"<>|", *c)) return false;
  size_t n = strlen(name);
  if (name[n - 1] == '.' || name[n - 1] == ' ') return false;
  return !isDeviceName(name);
}
