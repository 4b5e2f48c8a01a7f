#include <windows.h>
#include <stdlib.h>
#include <string.h>

#include "core/environment.h"
#include "core/text.h"

bool readEnvironmentVariable(const char* name, char* buffer, size_t capacity) {
  buffer[0] = 0;
  SetLastError(ERROR_SUCCESS);
  DWORD n = GetEnvironmentVariableA(name, buffer, static_cast<DWORD>(capacity));
  if (n == 0) return GetLastError() != ERROR_ENVVAR_NOT_FOUND;
  if (n < capacity) return true;
  // Longer than the buffer: read it whole, keep what fits.
  char* whole = static_cast<char*>(malloc(n));
  if (!whole) return true;
  DWORD m = GetEnvironmentVariableA(name, whole, n);
  if (m > 0 && m < n) copyText(buffer, capacity, whole);
  free(whole);
  return true;
}

char* takeEnvironmentBlock() { return GetEnvironmentStringsA(); }

void releaseEnvironmentBlock(char* block) {
  if (block) FreeEnvironmentStringsA(block);
}

unsigned long currentProcessId() { return GetCurrentProcessId(); }

void setPathEverywhere(const char* value) {
  SetEnvironmentVariableA("PATH", value);
  // "PATH=" alone removes msvcrt's copy, as null removes the process's.
  size_t length = value ? strlen(value) : 0;
  char* entry = static_cast<char*>(malloc(length + 6));
  if (!entry) return;
  memcpy(entry, "PATH=", 5);
  memcpy(entry + 5, value ? value : "", length + 1);
  _putenv(entry);
  free(entry);
}
