// Libraries the launcher loads only when it needs them, always from the
// system directory: a copy of the same name beside the installer (often a
// download folder) must never be the one loaded.
#pragma once

#include <windows.h>

// Null when the library cannot be loaded.
HMODULE loadSystemLibrary(const char* name);

template <typename Function>
bool lookUp(HMODULE module, const char* name, Function* function) {
  *function = reinterpret_cast<Function>(reinterpret_cast<void*>(GetProcAddress(module, name)));
  return *function != nullptr;
}
