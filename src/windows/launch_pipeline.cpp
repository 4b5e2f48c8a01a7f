#include "windows/launch_pipeline.h"

#include <windows.h>
#include <direct.h>
#include <stdio.h>
#include <stdlib.h>

#include "jvm/search_sequence.h"
#include "log/log.h"
#include "media/configuration.h"
#include "media/included_files.h"
#include "media/paths.h"
#include "media/record_ids.h"
#include "runtime/included_runtime.h"
#include "ui/error_display.h"
#include "ui/install_marker.h"
#include "ui/progress_window.h"
#include "ui/runtime_question.h"
#include "windows/JavaVMLauncher.h"
#include "windows/arguments.h"
#include "windows/launch_state.h"
#include "windows/startup_state.h"

namespace {

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

void currentDirectory(Text& directory) {
  DWORD n = GetCurrentDirectoryA(sizeof directory, directory);
  if (n == 0 || n >= sizeof directory) directory[0] = 0;
}

void absolute(Text& path, const char* name) {
  if (!_fullpath(path, name, sizeof path)) path[0] = 0;
}

void findIncludedRuntime() {
  Text archive;
  absolute(archive, "jre.tar.gz");
  logMessage("Full JRE path: %s", archive);
  runtimeAvailable() = pathExists(archive);
  if (!runtimeAvailable() && runModes().languageRestart) {
    Text directory;
    absolute(directory, "jre");
    logMessage("Checking extracted JRE: %s", directory);
    runtimeAvailable() = pathExists(directory);
  }
  logMessage(runtimeAvailable() ? "JRE included" : "No JRE included");
  if (runModes().manual && runtimeAvailable()) {
    logMessage("Included JRE not used because of manual switch");
    runtimeAvailable() = false;
  }
}

// No archive to use: the search, unless the runtime is to be chosen by
// hand; then the question, or 83 in quiet mode.
void obtainRuntime(HWND window) {
  setInstallStarted(true);
  if (!runModes().manual && LoadDLL(false, nullptr, false)) return;
  if (runModes().quiet) {
    logError("No JRE found");
    fputs("no jre found\n", stdout);
    setInstallStarted(false);
    exit(83);
  }
  // Without a window, the progress window asks on a thread of its own and
  // ends with 0 once answered. Any other end (Cancel, no window at all) may
  // leave that thread at work, and this one must not race it into the
  // launch; an answer without a runtime leaves nothing to launch with.
  bool answered = true;
  if (window)
    askForRuntime(window);
  else
    answered = runProgressWindow() == 0;
  if (!answered || (!runtimeAvailable() && !hasCreateJavaVM())) {
    logError("No JRE selected");
    exit(1);
  }
}

void prepareRuntime(HWND window) {
  if (runModes().languageRestart) {
    if (runtimeAvailable()) useIncludedRuntime();
    return;
  }
  ProgressScheme& progress = progressScheme();
  if (!runtimeAvailable()) {
    progress.limit = 80;
    progress.start = 0;
  } else if (configInt(kRecord_packedJre) != 0) {
    progress.limit = 250;
    progress.start = 200;
  } else {
    progress.limit = 150;
    progress.start = 100;
  }
  if (window) setProgressRange(window, progress.limit);
  if (runtimeAvailable()) unpackIncludedRuntime(window);
}

}  // namespace

unsigned long runLaunchPipeline(void* windowHandle) {
  HWND window = static_cast<HWND>(windowHandle);
  logMessage("Starting work");
  if (window) setProgressPosition(window, 1);

  if (runModes().languageRestart) {
    currentDirectory(workDirectory());
  } else {
    int result = extractIncludedFiles(workDirectory());
    if (result != kExtracted) failExtraction(window, result);
    enterWorkDirectory();
  }
  Text current;
  currentDirectory(current);
  logMessage("Current working dir: %s", current);

  findIncludedRuntime();
  if (!runtimeAvailable()) obtainRuntime(window);
  enterWorkDirectory();
  prepareRuntime(window);

  if (window) startWindowThread(watchForJavaWindow, window, true);
  setInstallStarted(true);
  ArgumentList arguments;
  splitArguments(reinterpret_cast<const char16_t*>(GetCommandLineW()), &arguments);
  if (!launchJvm(arguments, true)) {
    logError("Could not start JVM");
    fatalConfigError(kRecord_msgJvmStartFailed, nullptr);
  }
  freeArgumentList(&arguments);
  return 0;
}
