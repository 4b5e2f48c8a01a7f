#include "ui/java_window_watch_win.h"

#include <commctrl.h>

#include "core/configuration.h"
#include "core/log.h"
#include "core/record_ids.h"
#include "core/text.h"
#include "launch/install_marker.h"
#include "ui/launch_end.h"
#include "ui/progress_window_win.h"

namespace {

struct Watch {
  LaunchContext* context;
  HWND window;
};
// One watch per process; its thread runs until the process ends.
Watch watch;

// Not looked up yet; then none (null) or the console's window.
HWND consoleWindow = reinterpret_cast<HWND>(1);

struct Count {
  DWORD processId;
  int visible;
};

BOOL CALLBACK countWindow(HWND window, LPARAM parameter) {
  Count& count = *reinterpret_cast<Count*>(parameter);
  DWORD owner = 0;
  GetWindowThreadProcessId(window, &owner);
  if (IsWindowVisible(window) && owner == count.processId && window != consoleWindow) ++count.visible;
  return TRUE;
}

void findConsoleWindow(const LaunchContext& context) {
  if (consoleWindow != reinterpret_cast<HWND>(1)) return;
  consoleWindow = nullptr;
  if (configInt(context.config, kRecord_launcherType) == 1) return;
  Text title;
  if (GetConsoleTitleA(title, sizeof title) == 0) return;
  // A title of our own makes the console's window findable.
  char unique[64];
  wsprintfA(unique, "%lu/%lu", GetTickCount(), GetCurrentProcessId());
  if (!SetConsoleTitleA(unique)) return;
  Sleep(40);
  consoleWindow = FindWindowA(nullptr, unique);
  SetConsoleTitleA(title);
}

// The visible top-level windows of the process, a console's window not counted.
int countVisibleWindows(const LaunchContext& context, DWORD processId) {
  findConsoleWindow(context);
  Count count = {processId, 0};
  EnumWindows(countWindow, reinterpret_cast<LPARAM>(&count));
  return count.visible;
}

DWORD WINAPI watchForJavaWindow(void*) {
  LaunchContext& context = *watch.context;
  HWND window = watch.window;
  ProgressScheme& progress = context.progress;
  // The progress window is the one visible window until the Java side shows its own.
  for (int polls = 1; countVisibleWindows(context, GetCurrentProcessId()) <= 1; ++polls) {
    if (polls % 5 == 0) {
      progress.start += 20;
      if (progress.start > progress.limit - 10) progress.start = progress.limit - 10;
      SendDlgItemMessageA(window, kProgressBar, PBM_SETPOS, progress.start, 0);
    }
    if (polls == 600 && isInstallStarted()) {
      logMessage("timeout");
      Failure timeout;
      fail(timeout, FailureKind::javaWindowTimeout);
      endLaunch(context, timeout);
    }
    Sleep(100);
  }
  logMessage("Java window visible");
  ShowWindow(window, SW_HIDE);
  return 0;
}

}  // namespace

void startJavaWindowWatch(LaunchContext& context, HWND progressWindow) {
  watch = Watch{&context, progressWindow};
  startWindowThread(watchForJavaWindow, nullptr, true);
}
