#include "common/system_library.h"

#include <string.h>

HMODULE loadSystemLibrary(const char* name) {
  char path[MAX_PATH];
  UINT n = GetSystemDirectoryA(path, sizeof path);
  if (n == 0 || n + 1 + strlen(name) >= sizeof path) return nullptr;
  strcat(path, "\\");
  strcat(path, name);
  return LoadLibraryA(path);
}
