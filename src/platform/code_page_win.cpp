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

namespace {

unsigned effectiveCodePage(unsigned codePage) {
  return codePage == CP_ACP ? GetACP() : codePage == CP_OEMCP ? GetOEMCP() : codePage;
}

// WideCharToMultiByte of the whole terminated text; usedDefault, when
// given, tells whether "?" stood in for a character.
int convert(unsigned codePage, const wchar_t* wide, char* buffer, int size, BOOL* usedDefault) {
  if (!takesDefaultCharacter(effectiveCodePage(codePage)))
    return WideCharToMultiByte(codePage, 0, wide, -1, buffer, size, nullptr, nullptr);
  return WideCharToMultiByte(codePage, 0, wide, -1, buffer, size, "?", usedDefault);
}

// Cuts a converted text at the capacity; in UTF-8 never inside a character.
void cutConverted(unsigned codePage, char* buffer, size_t capacity, const char* whole) {
  copyText(buffer, capacity, whole);
  if (takesDefaultCharacter(effectiveCodePage(codePage))) return;
  size_t length = strlen(buffer);
  if (whole[length] == 0) return;
  while (length > 0 && (static_cast<unsigned char>(whole[length]) & 0xC0) == 0x80) --length;
  buffer[length] = 0;
}

}  // namespace

char* narrowCopy(unsigned codePage, const char16_t* text) {
  const wchar_t* wide = reinterpret_cast<const wchar_t*>(text);
  int needed = convert(codePage, wide, nullptr, 0, nullptr);
  if (needed <= 0) return nullptr;
  char* narrow = static_cast<char*>(malloc(static_cast<size_t>(needed)));
  if (narrow) convert(codePage, wide, narrow, needed, nullptr);
  return narrow;
}

bool narrowFromWide(unsigned codePage, const char16_t* text, char* buffer, size_t capacity) {
  if (capacity == 0) return false;
  const wchar_t* wide = reinterpret_cast<const wchar_t*>(text);
  BOOL usedDefault = FALSE;
  int needed = convert(codePage, wide, nullptr, 0, &usedDefault);
  buffer[0] = 0;
  if (needed <= 0) return false;
  if (static_cast<size_t>(needed) <= capacity) {
    convert(codePage, wide, buffer, needed, nullptr);
    return !usedDefault;
  }
  // Longer than the buffer: convert whole, then cut at the capacity.
  char* whole = narrowCopy(codePage, text);
  if (!whole) return false;
  cutConverted(codePage, buffer, capacity, whole);
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
