#include "ui/single_instance.h"

#include <windows.h>

#include "common/text.h"
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
  HKEY key;
  if (RegCreateKeyExA(HKEY_CURRENT_USER, kPidsKey, 0, nullptr, 0, KEY_ALL_ACCESS, nullptr, &key, nullptr) !=
      ERROR_SUCCESS)
    return;
  Text name;
  launcherKey(name);
  DWORD pid = GetCurrentProcessId();
  RegSetValueExA(key, name, 0, REG_DWORD, reinterpret_cast<const BYTE*>(&pid), sizeof pid);
  RegCloseKey(key);
}

unsigned long readInstancePid() {
  HKEY key;
  if (RegOpenKeyExA(HKEY_CURRENT_USER, kPidsKey, 0, KEY_READ, &key) != ERROR_SUCCESS) return 0;
  Text name;
  launcherKey(name);
  DWORD pid = 0;
  DWORD size = sizeof pid;
  LONG result = RegQueryValueExA(key, name, nullptr, nullptr, reinterpret_cast<BYTE*>(&pid), &size);
  RegCloseKey(key);
  return result == ERROR_SUCCESS && size == sizeof pid ? pid : 0;
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
