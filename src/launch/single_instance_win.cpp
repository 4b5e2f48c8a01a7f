#include "launch/single_instance.h"

#include <windows.h>

#include "core/log.h"
#include "core/paths.h"
#include "core/text.h"
#include "platform/owned_win.h"
#include "platform/registry_win.h"

namespace {

const char kPidsKey[] = "SOFTWARE\\orlinde\\lantor\\pids\\";

struct Activation {
  DWORD processId;
  bool restore;
};

// The launcher file's path as the pids values name it.
void launcherKey(Text& buffer) { fullPath(buffer, executablePath(), false); }

BOOL CALLBACK activateWindow(HWND window, LPARAM parameter) {
  const Activation& activation = *reinterpret_cast<const Activation*>(parameter);
  DWORD owner = 0;
  GetWindowThreadProcessId(window, &owner);
  if (!IsWindowVisible(window) || owner != activation.processId) return TRUE;
  logMessage("found window %p", static_cast<void*>(window));
  if (activation.restore && IsIconic(window)) {
    logMessage("restore");
    ShowWindow(window, SW_RESTORE);
  }
  logMessage("foreground");
  SetForegroundWindow(window);
  logMessage("popup");
  SetForegroundWindow(GetLastActivePopup(window));
  logMessage("done");
  return TRUE;
}

}  // namespace

static void storeInstancePid() {
  Text name;
  launcherKey(name);
  writeUserDword(kPidsKey, name, GetCurrentProcessId());
}

static unsigned long readInstancePid() {
  Text name;
  launcherKey(name);
  DWORD pid = 0;
  return readUserDword(kPidsKey, name, &pid, nullptr) ? pid : 0;
}

static void activateProcessWindows(unsigned long processId, bool restore) {
  Activation activation = {processId, restore};
  EnumWindows(activateWindow, reinterpret_cast<LPARAM>(&activation));
}

bool checkSingleInstance(LaunchContext& context) {
  Text& name = context.semaphoreName;
  launcherKey(name);
  for (char* c = name; *c; ++c)
    if (*c == '\\') *c = '_';
  logMessage("single instance mode");
  KernelHandle semaphore(CreateSemaphoreA(nullptr, 1, 1, name));
  DWORD code = GetLastError();
  logMessage("semaphore name %s, code %d, value %p", name, static_cast<int>(code),
             static_cast<void*>(semaphore.get()));
  if (code == ERROR_ALREADY_EXISTS) {
    semaphore.close();
    unsigned long other = readInstancePid();
    logMessage("other pid %d", static_cast<int>(other));
    activateProcessWindows(other, true);
    logMessage("exiting");
    return fail(context.failure, FailureKind::secondCopy);
  }
  // Kept open for the life of the process: the name must exist, nobody waits on it.
  semaphore.release();
  storeInstancePid();
  return true;
}
