#include "media/cleanup.h"

#include <windows.h>
#include <string.h>

#include "common/text.h"
#include "log/log.h"

static void joinPath(Text& buffer, const char* directory, const char* name) {
  copyText(buffer, sizeof buffer, directory);
  size_t n = strlen(buffer);
  if (n == 0 || buffer[n - 1] != '\\') appendText(buffer, sizeof buffer, "\\");
  appendText(buffer, sizeof buffer, name);
}

void emptyDirectory(const char* directory) {
  if (directory[0] == 0 || directory[0] == '.') return;
  logMessage("emptying %s", directory);
  Text pattern;
  joinPath(pattern, directory, "*.*");
  WIN32_FIND_DATAA found;
  HANDLE search = FindFirstFileA(pattern, &found);
  if (search == INVALID_HANDLE_VALUE) return;
  do {
    if (strcmp(found.cFileName, ".") == 0 || strcmp(found.cFileName, "..") == 0) continue;
    Text full;
    joinPath(full, directory, found.cFileName);
    if (found.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) {
      logMessage("attempting to remove %s", full);
      RemoveDirectoryA(full);
    } else {
      logMessage("attempting to delete %s", full);
      DeleteFileA(full);
    }
  } while (FindNextFileA(search, &found));
  FindClose(search);
}
