#include "launch/temp_directory.h"

#include <windows.h>
#include <direct.h>
#include <stdio.h>
#include <string.h>

#include "core/path_builder.h"
#include "core/paths.h"

bool isWritableDirectory(const char* directory) {
  Text test;
  PathBuilder path(test);
  if (!path.add(directory).add("\\ltr_w_testdir").whole()) return false;
  _rmdir(test);
  if (_mkdir(test) != 0) return false;
  bool exists = pathExists(test);
  _rmdir(test);
  return exists;
}

bool chooseTempRoot(Text& buffer, bool* shared, Failure& failure) {
  *shared = false;
  DWORD n = GetTempPathA(sizeof buffer, buffer);
  if (n == 0 || n >= sizeof buffer) buffer[0] = 0;
  // A path the code page cannot hold comes back with "?" in it, and then
  // has no long form either: both mean the path cannot be used.
  Text longForm;
  if (longPathName(buffer, longForm, sizeof longForm) == 0) copyText(longForm, sizeof longForm, buffer);
  if (!strchr(longForm, '?')) return true;
  *shared = true;

  Text windows;
  UINT w = GetWindowsDirectoryA(windows, sizeof windows);
  if (w == 0 || w >= sizeof windows) windows[0] = 0;
  Text windowsTemp;
  if (!PathBuilder(windowsTemp).add(windows).add("\\temp").whole()) windowsTemp[0] = 0;
  const char* candidates[] = {windowsTemp, "c:\\temp", "c:\\tmp", windows};
  for (const char* candidate : candidates) {
    if (candidate[0] && isWritableDirectory(candidate)) {
      copyText(buffer, sizeof buffer, candidate);
      return true;
    }
  }
  if (isWritableDirectory("c:\\")) {
    _mkdir("c:\\tmp");
    if (isWritableDirectory("c:\\tmp")) {
      copyText(buffer, sizeof buffer, "c:\\tmp");
      return true;
    }
  }
  return fail(failure, FailureKind::poweruserRequired);
}

bool createTempFileName(Text& buffer, bool* shared, Failure& failure) {
  Text root;
  if (!chooseTempRoot(root, shared, failure)) return false;
  if (GetTempFileNameA(root, "ltr", 0, buffer) == 0) buffer[0] = 0;
  return true;
}

void processCommFileName(Text& buffer, unsigned long processId) {
  Text temp;
  DWORD n = GetTempPathA(sizeof temp, temp);
  if (n == 0 || n >= sizeof temp) temp[0] = 0;
  char name[32];
  snprintf(name, sizeof name, "ltr_p%lu.tmp", processId);
  copyText(buffer, sizeof buffer, temp);
  appendText(buffer, sizeof buffer, name);
}
