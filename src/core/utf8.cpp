#include "core/utf8.h"

#include <stdint.h>

bool isAscii(const char* text) {
  for (const unsigned char* c = reinterpret_cast<const unsigned char*>(text); *c; ++c)
    if (*c >= 0x80) return false;
  return true;
}

bool decodeUtf8(const char* text, char16_t* buffer, size_t capacity) {
  const unsigned char* c = reinterpret_cast<const unsigned char*>(text);
  size_t used = 0;
  while (*c) {
    uint32_t value;
    int following;
    uint32_t smallest;
    if (*c < 0x80) {
      value = *c;
      following = 0;
      smallest = 0;
    } else if ((*c & 0xE0) == 0xC0) {
      value = *c & 0x1F;
      following = 1;
      smallest = 0x80;
    } else if ((*c & 0xF0) == 0xE0) {
      value = *c & 0x0F;
      following = 2;
      smallest = 0x800;
    } else if ((*c & 0xF8) == 0xF0) {
      value = *c & 0x07;
      following = 3;
      smallest = 0x10000;
    } else {
      return false;
    }
    ++c;
    for (int i = 0; i < following; ++i, ++c) {
      if ((*c & 0xC0) != 0x80) return false;  // also the terminator
      value = value << 6 | (*c & 0x3F);
    }
    if (value < smallest || value > 0x10FFFF || (value >= 0xD800 && value <= 0xDFFF)) return false;
    size_t units = value >= 0x10000 ? 2 : 1;
    if (used + units >= capacity) return false;
    if (units == 2) {
      value -= 0x10000;
      buffer[used++] = static_cast<char16_t>(0xD800 + (value >> 10));
      buffer[used++] = static_cast<char16_t>(0xDC00 + (value & 0x3FF));
    } else {
      buffer[used++] = static_cast<char16_t>(value);
    }
  }
  if (capacity == 0) return false;
  buffer[used] = 0;
  return true;
}
