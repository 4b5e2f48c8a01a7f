// The path rules that need no file system: shared by the launcher and the
// host build.
#include <string.h>

#include "core/paths.h"

bool isRelativePath(const char* path) {
  size_t n = strlen(path);
  if (n < 3) return true;
  if (path[0] == '"') {
    if (n <= 3) return true;
    if (path[2] == ':' && path[3] == '\\') return false;
    return !(path[1] == '\\' && path[2] == '\\');
  }
  if (path[1] == ':' && path[2] == '\\') return false;
  return !(path[0] == '\\' && path[1] == '\\');
}
