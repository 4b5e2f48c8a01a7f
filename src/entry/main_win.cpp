// The launcher's entry: the start-up sequence, then the launch in one of
// its three forms; a launch that cannot go on ends in endLaunch.
#include <windows.h>
#include <commctrl.h>
#include <string.h>

#include "core/arguments.h"
#include "core/configuration.h"
#include "core/log.h"
#include "core/paths.h"
#include "core/record_ids.h"
#include "entry/run_forms.h"
#include "entry/switches.h"
#include "launch/install_marker.h"
#include "launch/media_file_win.h"
#include "launch/process_environment.h"
#include "launch/single_instance.h"
#include "platform/owned_win.h"
#include "ui/launch_end.h"
#include "ui/unfinished_run.h"

namespace {

// The one launch of this process; its threads use it until the process ends.
LaunchContext context;

const char16_t* commandLine() { return reinterpret_cast<const char16_t*>(GetCommandLineW()); }

void enterConfiguredWorkingDirectory(const LaunchContext& launch) {
  Text configured;
  configString(launch.config, kRecord_workingDirectory, configured, sizeof configured);
  if (!configured[0]) return;
  Text directory;
  fullPath(directory, configured, true);
  SetCurrentDirectoryA(directory);
}

// Without the shutdown privilege enabled on the token the request is
// always refused; its outcome is not looked at either way.
void requestRestart() {
  Sleep(5000);
  KernelHandle token;
  if (OpenProcessToken(GetCurrentProcess(), TOKEN_ADJUST_PRIVILEGES | TOKEN_QUERY, token.receive())) {
    TOKEN_PRIVILEGES privileges = {};
    privileges.PrivilegeCount = 1;
    privileges.Privileges[0].Attributes = SE_PRIVILEGE_ENABLED;
    if (LookupPrivilegeValueA(nullptr, SE_SHUTDOWN_NAME, &privileges.Privileges[0].Luid))
      AdjustTokenPrivileges(token.get(), FALSE, &privileges, 0, nullptr, nullptr);
  }
  ExitWindowsEx(EWX_REBOOT, 0);
}

bool scanCommandLine(LaunchContext& launch, bool consoleAttached) {
  ArgumentList arguments;
  if (!splitArguments(commandLine(), &arguments, launch.failure)) return false;
  bool scanned = scanSwitches(launch, arguments, consoleAttached);
  freeArgumentList(&arguments);
  return scanned;
}

bool startUp(LaunchContext& launch, const char* tail) {
  if (strcmp(tail, "__qrw_reboot") == 0) requestRestart();
  logMessage("Init");
  if (strncmp(tail, "__qrw_lang_restart", 18) == 0) {
    launch.modes.languageRestart = true;
    launch.modes.quiet = true;
  }
  bool consoleAttached = applyEarlySwitches(launch, commandLine());
  InitCommonControls();
  if (!loadConfiguration(launch)) return false;
  determineLauncherKind(launch);
  setNativeLibraryPath(launch);
  if (!launch.modes.languageRestart) enterConfiguredWorkingDirectory(launch);
  if (!scanCommandLine(launch, consoleAttached)) return false;
  if (!launch.modes.languageRestart && !checkSingleInstance(launch)) return false;
  logMessage("Init done");
  if (!launch.modes.quiet && isInstallStarted() && askAboutUnfinishedRun(launch)) launch.modes.manual = true;
  return true;
}

}  // namespace

int WINAPI WinMain(HINSTANCE, HINSTANCE, LPSTR tail, int) {
  // The current directory (often a download folder) never serves a library.
  SetDllDirectoryA("");
  if (!startUp(context, tail) || !runLaunch(context)) endLaunch(context, context.failure);
  return 0;
}
