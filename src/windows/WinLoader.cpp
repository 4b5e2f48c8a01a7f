// The launcher's entry: the start-up sequence, then the launch pipeline in
// one of its three forms.
#include <windows.h>
#include <commctrl.h>
#include <stdlib.h>
#include <string.h>

#include "common/text.h"
#include "log/log.h"
#include "media/configuration.h"
#include "media/media_file.h"
#include "media/paths.h"
#include "media/record_ids.h"
#include "ui/error_display.h"
#include "ui/install_marker.h"
#include "ui/process_environment.h"
#include "ui/progress_window.h"
#include "ui/single_instance.h"
#include "windows/arguments.h"
#include "windows/launch_pipeline.h"
#include "windows/startup_state.h"

namespace {

bool is(const char16_t* argument, const char16_t* name) {
  while (*argument && *argument == *name) {
    ++argument;
    ++name;
  }
  return *argument == 0 && *name == 0;
}

// The configuration load can already fail, and whether its error is a box
// or a line on the error stream is the quiet switches' decision, so they
// are looked at before the load. The full switch scan follows it.
void applyQuietSwitchesEarly() {
  ArgumentList arguments;
  splitArgumentTokens(reinterpret_cast<const char16_t*>(GetCommandLineW()), &arguments);
  for (int i = 0; i < arguments.count; ++i)
    if (is(arguments.items[i], u"-q") || is(arguments.items[i], u"-c")) disableGuiErrorDisplay();
  freeArgumentList(&arguments);
}

void enterConfiguredWorkingDirectory() {
  Text configured;
  configString(kRecord_workingDirectory, configured, sizeof configured);
  if (!configured[0]) return;
  Text directory;
  fullPath(directory, configured, true);
  SetCurrentDirectoryA(directory);
}

// Without the shutdown privilege enabled on the token the request is
// always refused; its outcome is not looked at either way.
void requestRestart() {
  Sleep(5000);
  HANDLE token;
  if (OpenProcessToken(GetCurrentProcess(), TOKEN_ADJUST_PRIVILEGES | TOKEN_QUERY, &token)) {
    TOKEN_PRIVILEGES privileges = {};
    privileges.PrivilegeCount = 1;
    privileges.Privileges[0].Attributes = SE_PRIVILEGE_ENABLED;
    if (LookupPrivilegeValueA(nullptr, SE_SHUTDOWN_NAME, &privileges.Privileges[0].Luid))
      AdjustTokenPrivileges(token, FALSE, &privileges, 0, nullptr, nullptr);
    CloseHandle(token);
  }
  ExitWindowsEx(EWX_REBOOT, 0);
}

void askAboutUnfinishedRun() {
  if (runModes().quiet || !isInstallStarted()) return;
  WideText text;
  WideText caption;
  configWString(kRecord_questionUnfinishedRun, text);
  configWString(kRecord_caption, caption);
  if (MessageBoxW(nullptr, reinterpret_cast<const wchar_t*>(text), reinterpret_cast<const wchar_t*>(caption),
                  MB_YESNO | MB_ICONEXCLAMATION) == IDYES)
    runModes().manual = true;
}

void dispatch() {
  if (runModes().quiet) {
    logMessage("Quiet installer.");
    runLaunchPipeline(nullptr);
    return;
  }
  registerDialogClass();
  if (configInt(kRecord_windowOnDemand) != 0) {
    runLaunchPipeline(nullptr);
    return;
  }
  // Without a progress window there is no work thread and so no launch.
  if (runProgressWindow() == -1) exit(1);
}

[[noreturn]] void failConsole() {
  MessageBoxA(nullptr, "Error: Could not allocate console.", "quarrow", MB_OK);
  ExitProcess(1);
}

void scanSwitches(const ArgumentList& arguments) {
  RunModes& modes = runModes();
  bool consoleAttached = false;
  for (int i = 0; i < arguments.count; ++i) {
    const char16_t* a = arguments.items[i];
    if (is(a, u"-q")) {
      modes.quiet = true;
      disableGuiErrorDisplay();
    } else if (is(a, u"-console")) {
      consoleAttached = attachConsole();
    } else if (is(a, u"-c")) {
      modes.quiet = true;
      disableGuiErrorDisplay();
      if (!consoleAttached) {
        consoleAttached = attachConsole();
        if (!consoleAttached) failConsole();
      }
    } else if (is(a, u"-manual") || is(a, u"/manual")) {
      modes.manual = true;
    }
  }
}

}  // namespace

int WINAPI WinMain(HINSTANCE, HINSTANCE, LPSTR tail, int) {
  // The current directory (often a download folder) never serves a library.
  SetDllDirectoryA("");
  if (strcmp(tail, "__qrw_reboot") == 0) requestRestart();
  logMessage("Init");
  if (strncmp(tail, "__qrw_lang_restart", 18) == 0) {
    runModes().languageRestart = true;
    runModes().quiet = true;
  }
  applyQuietSwitchesEarly();
  InitCommonControls();
  loadConfiguration();
  determineLauncherKind();
  setNativeLibraryPath();
  if (!runModes().languageRestart) enterConfiguredWorkingDirectory();

  ArgumentList arguments;
  splitArguments(reinterpret_cast<const char16_t*>(GetCommandLineW()), &arguments);
  scanSwitches(arguments);
  if (!runModes().languageRestart) checkSingleInstance();
  logMessage("Init done");
  askAboutUnfinishedRun();
  dispatch();
  freeArgumentList(&arguments);
  return 0;
}
