#include "core/text.h"

#include <string.h>

template <typename Char>
static size_t copyUnits(Char* buffer, size_t capacity, const Char* source) {
  if (capacity == 0) return 0;
  size_t n = 0;
  if (source) {
    while (n + 1 < capacity && source[n] != 0) {
      buffer[n] = source[n];
      ++n;
    }
  }
  buffer[n] = 0;
  return n;
}

template <typename Char>
static size_t unitLength(const Char* text) {
  size_t n = 0;
  while (text[n] != 0) ++n;
  return n;
}

template <typename Char>
static size_t appendUnits(Char* buffer, size_t capacity, const Char* source) {
  if (capacity == 0) return 0;
  size_t used = 0;
  while (used + 1 < capacity && buffer[used] != 0) ++used;
  return used + copyUnits(buffer + used, capacity - used, source);
}

size_t copyText(char* buffer, size_t capacity, const char* source) {
  return copyUnits(buffer, capacity, source);
}

size_t copyWideText(char16_t* buffer, size_t capacity, const char16_t* source) {
  return copyUnits(buffer, capacity, source);
}

size_t appendText(char* buffer, size_t capacity, const char* source) {
  return appendUnits(buffer, capacity, source);
}

size_t appendWideText(char16_t* buffer, size_t capacity, const char16_t* source) {
  return appendUnits(buffer, capacity, source);
}

size_t wideLength(const char16_t* text) { return unitLength(text); }

void replaceFirstPlaceholder(char* text, size_t capacity, const char* argument) {
  char* mark = strstr(text, "{0}");
  if (!mark || capacity == 0) return;
  Text rest;
  copyText(rest, sizeof rest, mark + 3);
  size_t head = static_cast<size_t>(mark - text);
  text[head] = 0;
  appendText(text, capacity, argument);
  appendText(text, capacity, rest);
}
