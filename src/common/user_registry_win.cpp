#include "common/user_registry.h"

void writeUserDword(const char* keyPath, const char* name, DWORD value) {
  HKEY key;
  if (RegCreateKeyExA(HKEY_CURRENT_USER, keyPath, 0, nullptr, 0, KEY_ALL_ACCESS, nullptr, &key, nullptr) !=
      ERROR_SUCCESS)
    return;
  RegSetValueExA(key, name, 0, REG_DWORD, reinterpret_cast<const BYTE*>(&value), sizeof value);
  RegCloseKey(key);
}

bool readUserDword(const char* keyPath, const char* name, DWORD* value, DWORD* type) {
  HKEY key;
  if (RegOpenKeyExA(HKEY_CURRENT_USER, keyPath, 0, KEY_READ, &key) != ERROR_SUCCESS) return false;
  *value = 0;
  DWORD size = sizeof *value;
  LONG result = RegQueryValueExA(key, name, nullptr, type, reinterpret_cast<BYTE*>(value), &size);
  RegCloseKey(key);
  return result == ERROR_SUCCESS && size == sizeof *value;
}
