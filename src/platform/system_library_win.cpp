#include "platform/system_library_win.h"

#include "core/path_builder.h"

HMODULE loadSystemLibrary(const char* name) {
  char directory[MAX_PATH];
  UINT n = GetSystemDirectoryA(directory, sizeof directory);
  if (n == 0 || n >= sizeof directory) return nullptr;
  char path[MAX_PATH];
  PathBuilder full(path);
  full.add(directory).add("\\").add(name);
  return full.whole() ? LoadLibraryA(path) : nullptr;
}
