#include "windows/launch_pipeline.h"

#include <windows.h>
#include <commctrl.h>
#include <direct.h>
#include <stdlib.h>

#include "log/log.h"
#include "media/configuration.h"
#include "media/included_files.h"
#include "media/record_ids.h"
#include "windows/launch_state.h"
#include "windows/startup_state.h"

namespace {

constexpr int kProgressBar = 1001;

// A failed extraction: a wide box unless quiet, then the end, through the
// runtime's exit so that an unasked-for log is still deleted.
[[noreturn]] void failExtraction(HWND window, int result) {
  if (!runModes().quiet) {
    WideText text;
    WideText caption;
    configWString(result == kWriteFailed ? kRecord_errDiskSpace : kRecord_errCorrupted, text);
    configWString(kRecord_caption, caption);
    MessageBoxW(window, reinterpret_cast<const wchar_t*>(text), reinterpret_cast<const wchar_t*>(caption),
                MB_ICONERROR);
  }
  exit(1);
}

void enterWorkDirectory() {
  if (_chdir(workDirectory()) != 0) logError("Could not change working dir to %s", workDirectory());
}

}  // namespace

#ifdef LAUNCHER_TEST_HOOKS
void runTestLaunch();
#endif

unsigned long runLaunchPipeline(void* windowHandle) {
  HWND window = static_cast<HWND>(windowHandle);
  logMessage("Starting work");
  if (window) SendDlgItemMessageA(window, kProgressBar, PBM_SETPOS, 1, 0);

  if (runModes().languageRestart) {
    DWORD n = GetCurrentDirectoryA(sizeof workDirectory(), workDirectory());
    if (n == 0 || n >= sizeof workDirectory()) workDirectory()[0] = 0;
  } else {
    int result = extractIncludedFiles(workDirectory());
    if (result != kExtracted) failExtraction(window, result);
    enterWorkDirectory();
  }
  Text current;
  DWORD n = GetCurrentDirectoryA(sizeof current, current);
  if (n == 0 || n >= sizeof current) current[0] = 0;
  logMessage("Current working dir: %s", current);
#ifdef LAUNCHER_TEST_HOOKS
  runTestLaunch();
#endif
  return 0;
}
