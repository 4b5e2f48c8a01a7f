// Test helper standing in for a running first copy of a launcher:
//   hold_instance.exe SEMAPHORE PIDS-VALUE-NAME none|visible|minimized
// creates the named semaphore, stores its process id under the pids key as
// the launcher does, optionally shows a window, prints "ready PID", and
// waits for a line on standard input. Then it prints the window's state
// ("iconic=N foreground=N") and ends.
#include <windows.h>
#include <stdio.h>
#include <string.h>

static DWORD WINAPI waitForInput(void* done) {
  char line[16];
  fgets(line, sizeof line, stdin);
  SetEvent(static_cast<HANDLE>(done));
  return 0;
}

int main(int argc, char** argv) {
  if (argc != 4) return 2;
  HANDLE semaphore = CreateSemaphoreA(nullptr, 1, 1, argv[1]);
  if (!semaphore) return 3;
  HKEY key;
  if (RegCreateKeyExA(HKEY_CURRENT_USER, "SOFTWARE\\orlinde\\lantor\\pids\\", 0, nullptr, 0, KEY_ALL_ACCESS,
                      nullptr, &key, nullptr) == ERROR_SUCCESS) {
    DWORD pid = GetCurrentProcessId();
    RegSetValueExA(key, argv[2], 0, REG_DWORD, reinterpret_cast<const BYTE*>(&pid), sizeof pid);
    RegCloseKey(key);
  }
  HWND window = nullptr;
  if (strcmp(argv[3], "none") != 0) {
    window = CreateWindowA("STATIC", "hold_instance", WS_OVERLAPPEDWINDOW, 10, 10, 200, 100, nullptr, nullptr,
                           GetModuleHandleA(nullptr), nullptr);
    ShowWindow(window, strcmp(argv[3], "minimized") == 0 ? SW_SHOWMINIMIZED : SW_SHOWNORMAL);
  }
  printf("ready %lu\n", GetCurrentProcessId());
  fflush(stdout);
  HANDLE done = CreateEventA(nullptr, TRUE, FALSE, nullptr);
  CreateThread(nullptr, 0, waitForInput, done, 0, nullptr);
  while (MsgWaitForMultipleObjects(1, &done, FALSE, 60000, QS_ALLINPUT) == WAIT_OBJECT_0 + 1) {
    MSG message;
    while (PeekMessageA(&message, nullptr, 0, 0, PM_REMOVE)) DispatchMessageA(&message);
  }
  if (window) printf("iconic=%d foreground=%d\n", IsIconic(window) ? 1 : 0, GetForegroundWindow() == window ? 1 : 0);
  return 0;
}
