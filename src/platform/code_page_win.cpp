#include "platform/code_page_win.h"

#include <windows.h>
#include <stdlib.h>
#include <string.h>

#include "core/code_page.h"
#include "core/text.h"

void wideFromNarrow(unsigned codePage, const char* text, char16_t* buffer, size_t capacity) {
  if (capacity == 0) return;
  int length = static_cast<int>(strnlen(text, capacity - 1));
  int n = MultiByteToWideChar(codePage, 0, text, length, reinterpret_cast<wchar_t*>(buffer),
                              static_cast<int>(capacity - 1));
  buffer[n > 0 ? n : 0] = 0;
}

bool narrowFromWide(unsigned codePage, const char16_t* text, char* buffer, size_t capacity) {
  if (capacity == 0) return false;
  const wchar_t* wide = reinterpret_cast<const wchar_t*>(text);
  BOOL usedDefault = FALSE;
  int needed = WideCharToMultiByte(codePage, 0, wide, -1, nullptr, 0, "?", &usedDefault);
  buffer[0] = 0;
  if (needed <= 0) return false;
  if (static_cast<size_t>(needed) <= capacity) {
    WideCharToMultiByte(codePage, 0, wide, -1, buffer, needed, "?", nullptr);
    return !usedDefault;
  }
  // Longer than the buffer: convert whole, then cut at the capacity.
  char* whole = static_cast<char*>(malloc(static_cast<size_t>(needed)));
  if (!whole) return false;
  WideCharToMultiByte(codePage, 0, wide, -1, whole, needed, "?", nullptr);
  copyText(buffer, capacity, whole);
  free(whole);
  return !usedDefault;
}

void ansiToWide(const char* text, char16_t* buffer, size_t capacity) {
  wideFromNarrow(CP_ACP, text, buffer, capacity);
}

void wideToAnsi(const char16_t* text, char* buffer, size_t capacity) {
  narrowFromWide(CP_ACP, text, buffer, capacity);
}

unsigned consoleOutputCodePage() { return GetConsoleOutputCP(); }
