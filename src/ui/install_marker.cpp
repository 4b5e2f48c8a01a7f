#include "ui/install_marker.h"

#include <windows.h>

#include "common/critical_section.h"

namespace {
const char kMarkerKey[] = "SOFTWARE\\orlinde\\lantor\\";
const char kMarkerValue[] = "InstallStarted";
CriticalSection guard;
bool canceled = false;
}  // namespace

void setInstallStarted(bool started) {
  Locked locked(guard);
  if (started && canceled) return;
  HKEY key;
  if (RegCreateKeyExA(HKEY_CURRENT_USER, kMarkerKey, 0, nullptr, 0, KEY_ALL_ACCESS, nullptr, &key, nullptr) !=
      ERROR_SUCCESS)
    return;
  DWORD value = started ? 1 : 0;
  RegSetValueExA(key, kMarkerValue, 0, REG_DWORD, reinterpret_cast<const BYTE*>(&value), sizeof value);
  RegCloseKey(key);
}

void cancelInstallStarted() {
  Locked locked(guard);
  canceled = true;
  setInstallStarted(false);
}

// Only a 4-byte REG_DWORD counts: a value of another type or size left by
// something else is not the mark.
bool isInstallStarted() {
  HKEY key;
  if (RegOpenKeyExA(HKEY_CURRENT_USER, kMarkerKey, 0, KEY_READ, &key) != ERROR_SUCCESS) return false;
  DWORD value = 0;
  DWORD type = 0;
  DWORD size = sizeof value;
  LONG result = RegQueryValueExA(key, kMarkerValue, nullptr, &type, reinterpret_cast<BYTE*>(&value), &size);
  RegCloseKey(key);
  return result == ERROR_SUCCESS && type == REG_DWORD && size == sizeof value && value != 0;
}
