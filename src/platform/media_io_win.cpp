#include <windows.h>

#include "core/media_io.h"

bool mediaRead(MediaHandle handle, void* buffer, uint32_t count, uint32_t* got) {
  DWORD read = 0;
  BOOL ok = ReadFile(static_cast<HANDLE>(handle), buffer, count, &read, nullptr);
  *got = read;
  return ok != FALSE;
}

bool mediaSeek(MediaHandle handle, int64_t offset) {
  LARGE_INTEGER distance;
  distance.QuadPart = offset;
  return SetFilePointerEx(static_cast<HANDLE>(handle), distance, nullptr, FILE_BEGIN) != FALSE;
}

// A position that cannot be read is the largest one, so that whatever
// follows finds no data left behind it.
uint32_t mediaPosition(MediaHandle handle) {
  LARGE_INTEGER zero = {};
  LARGE_INTEGER position;
  if (!SetFilePointerEx(static_cast<HANDLE>(handle), zero, &position, FILE_CURRENT)) return UINT32_MAX;
  return static_cast<uint32_t>(position.QuadPart);
}

int64_t mediaSize(MediaHandle handle) {
  LARGE_INTEGER size;
  if (!GetFileSizeEx(static_cast<HANDLE>(handle), &size)) return -1;
  return size.QuadPart;
}

uint32_t mediaLastError() { return GetLastError(); }
