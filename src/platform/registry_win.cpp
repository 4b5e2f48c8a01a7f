#include "platform/registry_win.h"

#include "platform/owned_win.h"

void writeUserDword(const char* keyPath, const char* name, DWORD value) {
  RegistryKey key;
  if (RegCreateKeyExA(HKEY_CURRENT_USER, keyPath, 0, nullptr, 0, KEY_ALL_ACCESS, nullptr, key.receive(), nullptr) !=
      ERROR_SUCCESS)
    return;
  RegSetValueExA(key.get(), name, 0, REG_DWORD, reinterpret_cast<const BYTE*>(&value), sizeof value);
}

bool readUserDword(const char* keyPath, const char* name, DWORD* value, DWORD* type) {
  RegistryKey key;
  if (RegOpenKeyExA(HKEY_CURRENT_USER, keyPath, 0, KEY_READ, key.receive()) != ERROR_SUCCESS) return false;
  *value = 0;
  DWORD size = sizeof *value;
  LONG result = RegQueryValueExA(key.get(), name, nullptr, type, reinterpret_cast<BYTE*>(value), &size);
  return result == ERROR_SUCCESS && size == sizeof *value;
}

bool readRegistryString(HKEY root, const char* keyPath, const char* name, char* buffer, DWORD capacity) {
  RegistryKey key;
  if (RegOpenKeyExA(root, keyPath, 0, KEY_READ, key.receive()) != ERROR_SUCCESS) return false;
  DWORD type = 0;
  DWORD size = capacity - 1;
  LONG result = RegQueryValueExA(key.get(), name, nullptr, &type, reinterpret_cast<BYTE*>(buffer), &size);
  if (result != ERROR_SUCCESS || type != REG_SZ) return false;
  buffer[size] = 0;
  return true;
}
