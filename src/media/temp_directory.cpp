#include "media/temp_directory.h"

#include <windows.h>
#include <direct.h>
#include <stdio.h>
#include <string.h>

#include "media/paths.h"
#include "media/record_ids.h"
#include "ui/error_display.h"

bool isWritableDirectory(const char* directory) {
  Text test;
  copyText(test, sizeof test, directory);
  appendText(test, sizeof test, "\\ltr_w_testdir");
  _rmdir(test);
  if (_mkdir(test) != 0) return false;
  bool exists = pathExists(test);
  _rmdir(test);
  return exists;
}

void chooseTempRoot(Text& buffer) {
  DWORD n = GetTempPathA(sizeof buffer, buffer);
  if (n == 0 || n >= sizeof buffer) buffer[0] = 0;
  // A path the code page cannot hold comes back with "?" in it, and then
  // has no long form either: both mean the path cannot be used.
  Text longForm;
  if (longPathName(buffer, longForm, sizeof longForm) == 0) copyText(longForm, sizeof longForm, buffer);
  if (!strchr(longForm, '?')) return;

  Text windows;
  UINT w = GetWindowsDirectoryA(windows, sizeof windows);
  if (w == 0 || w >= sizeof windows) windows[0] = 0;
  Text windowsTemp;
  copyText(windowsTemp, sizeof windowsTemp, windows);
  appendText(windowsTemp, sizeof windowsTemp, "\\temp");
  const char* candidates[] = {windowsTemp, "c:\\temp", "c:\\tmp", windows};
  for (const char* candidate : candidates) {
    if (candidate[0] && isWritableDirectory(candidate)) {
      copyText(buffer, sizeof buffer, candidate);
      return;
    }
  }
  if (isWritableDirectory("c:\\")) {
    _mkdir("c:\\tmp");
    if (isWritableDirectory("c:\\tmp")) {
      copyText(buffer, sizeof buffer, "c:\\tmp");
      return;
    }
  }
  fatalConfigError(kRecord_msgPoweruserRequired, nullptr);
}

void createTempFileName(Text& buffer) {
  Text root;
  chooseTempRoot(root);
  if (GetTempFileNameA(root, "ltr", 0, buffer) == 0) buffer[0] = 0;
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
