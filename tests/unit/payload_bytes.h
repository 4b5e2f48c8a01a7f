// Builds media files in memory for the reader tests: a minimal PE header
// whose only section ends where the payload begins, then payload fields.
#pragma once

#include <stdint.h>

#include <string>
#include <vector>

#include "platform/host/media_io_memory.h"
#include "core/payload_format.h"

class PayloadBytes {
 public:
  // Header: "MZ", PE pointer at 60 -> 64, one section, no optional header.
  PayloadBytes() {
    bytes_.assign(kHeaderSize, 0);
    bytes_[0] = 'M';
    bytes_[1] = 'Z';
    put32At(60, 64);
    bytes_[64] = 'P';
    bytes_[65] = 'E';
    put16At(64 + 6, 1);
    put16At(64 + 20, 0);
    put32At(64 + 24 + 16, kHeaderSize - 0x80);  // raw size
    put32At(64 + 24 + 20, 0x80);                // raw offset
  }

  static constexpr uint32_t kHeaderSize = 0x100;

  PayloadBytes& magic() { return int32(static_cast<int32_t>(kPayloadMagic)); }
  PayloadBytes& int16(int16_t v) {
    bytes_.push_back(static_cast<uint8_t>(v));
    bytes_.push_back(static_cast<uint8_t>(v >> 8));
    return *this;
  }
  PayloadBytes& int32(int32_t v) {
    for (int i = 0; i < 4; ++i) bytes_.push_back(static_cast<uint8_t>(static_cast<uint32_t>(v) >> (8 * i)));
    return *this;
  }
  PayloadBytes& int64(int64_t v) {
    for (int i = 0; i < 8; ++i) bytes_.push_back(static_cast<uint8_t>(static_cast<uint64_t>(v) >> (8 * i)));
    return *this;
  }
  PayloadBytes& raw(const std::string& s) {
    bytes_.insert(bytes_.end(), s.begin(), s.end());
    return *this;
  }
  // An 8-bit record: id, byte length, bytes.
  PayloadBytes& record(int32_t id, const std::string& text) {
    return int32(id).int32(static_cast<int32_t>(text.size())).raw(text);
  }
  // A wide record from UTF-16 units.
  PayloadBytes& wideRecord(int32_t id, const std::u16string& text) {
    int32(id).int32(static_cast<int32_t>(text.size() * 2));
    for (char16_t u : text) int16(static_cast<int16_t>(u));
    return *this;
  }
  PayloadBytes& put32At(size_t offset, uint32_t v) {
    for (int i = 0; i < 4; ++i) bytes_[offset + i] = static_cast<uint8_t>(v >> (8 * i));
    return *this;
  }

  const std::vector<uint8_t>& bytes() const { return bytes_; }
  size_t size() const { return bytes_.size(); }

  MemoryMedia media() const { return MemoryMedia{bytes_.data(), bytes_.size(), 0}; }

 private:
  void put16At(size_t offset, uint16_t v) {
    bytes_[offset] = static_cast<uint8_t>(v);
    bytes_[offset + 1] = static_cast<uint8_t>(v >> 8);
  }
  std::vector<uint8_t> bytes_;
};
