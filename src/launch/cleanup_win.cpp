#include "launch/cleanup.h"

#include <windows.h>
#include <stdlib.h>
#include <string.h>

#include "core/log.h"
#include "core/path_builder.h"
#include "core/text.h"
#include "platform/owned_win.h"

void emptyDirectory(const char* directory) {
  if (directory[0] == 0 || directory[0] == '.') return;
  logMessage("emptying %s", directory);
  Text pattern;
  if (!PathBuilder(pattern).add(directory).join("*.*").whole()) return;
  WIN32_FIND_DATAA found;
  FindHandle search(FindFirstFileA(pattern, &found));
  if (!search.valid()) return;
  do {
    if (strcmp(found.cFileName, ".") == 0 || strcmp(found.cFileName, "..") == 0) continue;
    Text full;
    // A name that does not fit names another file: it is left alone.
    if (!PathBuilder(full).add(directory).join(found.cFileName).whole()) continue;
    if (found.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) {
      logMessage("attempting to remove %s", full);
      RemoveDirectoryA(full);
    } else {
      logMessage("attempting to delete %s", full);
      DeleteFileA(full);
    }
  } while (FindNextFileA(search.get(), &found));
}

namespace {

constexpr int kMaxTreeDepth = 64;

// A level's paths live on the heap: a runtime tree is deep.
struct Level {
  Text pattern;
  Text full;
  WIN32_FIND_DATAA found;
};

void removeBelow(const char* directory, int depth) {
  if (depth > kMaxTreeDepth) return;
  Level* level = static_cast<Level*>(malloc(sizeof(Level)));
  if (!level) return;
  FindHandle search;
  if (PathBuilder(level->pattern).add(directory).join("*").whole())
    *search.receive() = FindFirstFileA(level->pattern, &level->found);
  if (search.valid()) {
    do {
      const WIN32_FIND_DATAA& found = level->found;
      if (strcmp(found.cFileName, ".") == 0 || strcmp(found.cFileName, "..") == 0) continue;
      if (!PathBuilder(level->full).add(directory).join(found.cFileName).whole()) continue;
      if (!(found.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY)) {
        SetFileAttributesA(level->full, FILE_ATTRIBUTE_NORMAL);
        DeleteFileA(level->full);
        continue;
      }
      if (!(found.dwFileAttributes & FILE_ATTRIBUTE_REPARSE_POINT)) removeBelow(level->full, depth + 1);
      RemoveDirectoryA(level->full);
    } while (FindNextFileA(search.get(), &level->found));
  }
  search.close();
  free(level);
}

}  // namespace

void removeDirectoryTree(const char* directory) {
  if (directory[0] == 0) return;
  removeBelow(directory, 0);
  RemoveDirectoryA(directory);
}
