#include <windows.h>
#include <stdlib.h>

#include "common/environment.h"
#include "common/text.h"

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
  // Too large for the stack of the threads that may call this.
  static char entry[32768];
  copyText(entry, sizeof entry, "PATH=");
  // "PATH=" alone removes msvcrt's copy, as null removes the process's.
  if (value) appendText(entry, sizeof entry, value);
  _putenv(entry);
}
