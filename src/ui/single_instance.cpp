#include "ui/single_instance.h"

#include <windows.h>

#include "common/text.h"
#include "common/user_registry.h"
#include "log/log.h"
#include "media/paths.h"

namespace {

const char kPidsKey[] = "SOFTWARE\\orlinde\\lantor\\pids\\";

Text semaphoreName;
// Kept open for the life of the process: the name must exist, nobody waits on it.
HANDLE instanceSemaphore = nullptr;
DWORD enumeratedProcess = 0;
bool restoreWindows = false;

// The launcher file's path as the pids values name it.
void launcherKey(Text& buffer) { fullPath(buffer, executablePath(), false); }

BOOL CALLBACK activateWindow(HWND window, LPARAM) {
  DWORD owner = 0;
  GetWindowThreadProcessId(window, &owner);
  if (!IsWindowVisible(window) || owner != enumeratedProcess) return TRUE;
  logMessage("found window %p", static_cast<void*>(window));
  if (restoreWindows && IsIconic(window)) {
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

const char* instanceSemaphoreName() { return semaphoreName; }

void storeInstancePid() {
  Text name;
  launcherKey(name);
  writeUserDword(kPidsKey, name, GetCurrentProcessId());
}

unsigned long readInstancePid() {
  Text name;
  launcherKey(name);
  DWORD pid = 0;
  return readUserDword(kPidsKey, name, &pid, nullptr) ? pid : 0;
}

void activateProcessWindows(unsigned long processId, bool restore) {
  enumeratedProcess = processId;
  restoreWindows = restore;
  EnumWindows(activateWindow, 0);
}

void checkSingleInstance() {
  launcherKey(semaphoreName);
  for (char* c = semaphoreName; *c; ++c)
    if (*c == '\\') *c = '_';
  logMessage("single instance mode");
  instanceSemaphore = CreateSemaphoreA(nullptr, 1, 1, semaphoreName);
  DWORD code = GetLastError();
  logMessage("semaphore name %s, code %d, value %p", semaphoreName, static_cast<int>(code),
             static_cast<void*>(instanceSemaphore));
  if (code == ERROR_ALREADY_EXISTS) {
    CloseHandle(instanceSemaphore);
    unsigned long other = readInstancePid();
    logMessage("other pid %d", static_cast<int>(other));
    activateProcessWindows(other, true);
    logMessage("exiting");
    ExitProcess(0);
  }
  storeInstancePid();
}
