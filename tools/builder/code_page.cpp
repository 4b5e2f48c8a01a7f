#include "builder/code_page.h"

#include <stdio.h>

#include <vector>

#include "builder/builder_error.h"

std::string codePoint(char32_t c) {
  char text[16];
  snprintf(text, sizeof text, "U+%04X", static_cast<unsigned>(c));
  return text;
}

Decoded decodeUtf8At(std::string_view text, size_t at) {
  auto byte = [&](size_t i) { return static_cast<unsigned char>(text[i]); };
  unsigned char lead = byte(at);
  size_t length = lead < 0x80 ? 1 : (lead & 0xE0) == 0xC0 ? 2 : (lead & 0xF0) == 0xE0 ? 3 : (lead & 0xF8) == 0xF0 ? 4 : 0;
  auto invalid = [&]() { return TextConversionError("invalid UTF-8 at byte " + std::to_string(at)); };
  if (length == 0 || at + length > text.size()) throw invalid();
  char32_t value = length == 1 ? lead : lead & (0x7F >> length);
  for (size_t i = 1; i < length; ++i) {
    if ((byte(at + i) & 0xC0) != 0x80) throw invalid();
    value = value << 6 | (byte(at + i) & 0x3F);
  }
  constexpr char32_t kSmallest[] = {0, 0, 0x80, 0x800, 0x10000};
  if (value < kSmallest[length] || value > 0x10FFFF || (value >= 0xD800 && value <= 0xDFFF)) throw invalid();
  return {value, length};
}

void appendUtf8(std::string& out, char32_t c) {
  if (c < 0x80) {
    out += static_cast<char>(c);
  } else if (c < 0x800) {
    out += static_cast<char>(0xC0 | c >> 6);
    out += static_cast<char>(0x80 | (c & 0x3F));
  } else if (c < 0x10000) {
    out += static_cast<char>(0xE0 | c >> 12);
    out += static_cast<char>(0x80 | (c >> 6 & 0x3F));
    out += static_cast<char>(0x80 | (c & 0x3F));
  } else {
    out += static_cast<char>(0xF0 | c >> 18);
    out += static_cast<char>(0x80 | (c >> 12 & 0x3F));
    out += static_cast<char>(0x80 | (c >> 6 & 0x3F));
    out += static_cast<char>(0x80 | (c & 0x3F));
  }
}

std::u32string decodeUtf8(std::string_view utf8) {
  std::u32string out;
  for (size_t at = 0; at < utf8.size();) {
    Decoded c = decodeUtf8At(utf8, at);
    out += c.value;
    at += c.length;
  }
  return out;
}

std::string utf8ToUtf16le(std::string_view utf8) {
  std::string out;
  auto appendUnit = [&](char32_t unit) {
    out += static_cast<char>(unit & 0xFF);
    out += static_cast<char>(unit >> 8);
  };
  for (char32_t c : decodeUtf8(utf8)) {
    if (c < 0x10000) {
      appendUnit(c);
    } else {
      appendUnit(0xD800 | (c - 0x10000) >> 10);
      appendUnit(0xDC00 | (c & 0x3FF));
    }
  }
  return out;
}

std::string utf16ToUtf8(std::u16string_view text) {
  std::string out;
  for (size_t i = 0; i < text.size(); ++i) {
    char32_t unit = text[i];
    bool high = unit >= 0xD800 && unit <= 0xDBFF;
    bool lowFollows = i + 1 < text.size() && text[i + 1] >= 0xDC00 && text[i + 1] <= 0xDFFF;
    if (high && lowFollows) {
      appendUtf8(out, 0x10000 + ((unit - 0xD800) << 10) + (text[++i] - 0xDC00));
    } else if (unit >= 0xD800 && unit <= 0xDFFF) {
      appendUtf8(out, kReplacement);
    } else {
      appendUtf8(out, unit);
    }
  }
  return out;
}
