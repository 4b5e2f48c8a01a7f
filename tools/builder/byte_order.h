// Little-endian fields of the PE and resource formats, read with bounds
// checks: a damaged stub or icon is refused, never read past its end.
#pragma once

#include <stdint.h>

#include <string>
#include <vector>

#include "builder/builder_error.h"

inline uint32_t readLittle(const std::vector<uint8_t>& bytes, uint64_t at, int size, const std::string& what) {
  if (at + static_cast<uint64_t>(size) > bytes.size()) throw BuilderError(what + " is cut short");
  uint32_t value = 0;
  for (int i = size - 1; i >= 0; --i) value = value << 8 | bytes[static_cast<size_t>(at) + static_cast<size_t>(i)];
  return value;
}

inline void writeLittle(std::vector<uint8_t>& bytes, size_t at, uint32_t value, int size) {
  for (int i = 0; i < size; ++i) bytes[at + static_cast<size_t>(i)] = static_cast<uint8_t>(value >> (8 * i));
}

inline void appendLittle(std::vector<uint8_t>& bytes, uint32_t value, int size) {
  for (int i = 0; i < size; ++i) bytes.push_back(static_cast<uint8_t>(value >> (8 * i)));
}

inline void padTo(std::vector<uint8_t>& bytes, size_t alignment) {
  while (bytes.size() % alignment) bytes.push_back(0);
}
