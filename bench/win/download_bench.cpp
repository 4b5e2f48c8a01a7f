// The launcher's own download of "URL" into "DESTINATION", without a
// window, timed around the download alone: prints the milliseconds.
#include <windows.h>
#include <stdio.h>

#include "launch/download_win.h"

int main(int argc, char** argv) {
  InternetFunctions internet;
  if (argc != 3 || !loadInternetFunctions(&internet)) return 2;
  LARGE_INTEGER frequency, start, end;
  QueryPerformanceFrequency(&frequency);
  QueryPerformanceCounter(&start);
  bool downloaded = downloadFile(internet, ConfigTables{}, nullptr, argv[1], argv[2]);
  QueryPerformanceCounter(&end);
  if (!downloaded) return 1;
  printf("%.1f\n", (end.QuadPart - start.QuadPart) * 1000.0 / frequency.QuadPart);
  return 0;
}
