#include "launch/cleanup.h"

#include <windows.h>
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
