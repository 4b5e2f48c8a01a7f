#include "core/native_library_path.h"

#include <stdlib.h>
#include <string.h>

#include "core/paths.h"
#include "core/record_ids.h"
#include "core/text.h"

namespace {

// Room for the variables' values in the configured list.
constexpr size_t kListCapacity = 16384;

}  // namespace

char* nativeLibraryPath(const ConfigTables& config, const LaunchDirectories& directories, const char* oldPath) {
  char* list = static_cast<char*>(malloc(kListCapacity));
  if (!list) return nullptr;
  configString(config, kRecord_nativeLibraryPath, list, kTextCapacity);
  // A variable may stand for an absolute directory: substituted first, it
  // is resolved as the path it names.
  substituteVariables(list, kListCapacity, directories);
  Text resolved;
  resolvePathList(resolved, list);
  free(list);
  size_t length = strlen(resolved);
  bool separator = length > 0 && resolved[length - 1] != ';';
  size_t old = strlen(oldPath);
  char* value = static_cast<char*>(malloc(length + (separator ? 1 : 0) + old + 1));
  if (!value) return nullptr;
  memcpy(value, resolved, length);
  if (separator) value[length++] = ';';
  memcpy(value + length, oldPath, old + 1);
  return value;
}
