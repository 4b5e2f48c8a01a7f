// Builds ustar streams byte by byte for the archive reader's tests.
#pragma once

#include <stdio.h>
#include <string.h>

#include <string>

namespace tar_bytes {

// A 512-byte header; the checksum is left blank (the reader never reads it).
inline std::string header(const std::string& name, char type, const std::string& sizeField,
                          const std::string& prefix = "", const char* magic = "ustar") {
  std::string block(512, '\0');
  memcpy(&block[0], name.data(), name.size() < 100 ? name.size() : 100);
  memcpy(&block[100], "0000644", 7);
  memcpy(&block[124], sizeField.data(), sizeField.size() < 12 ? sizeField.size() : 12);
  block[156] = type;
  memcpy(&block[257], magic, strlen(magic));
  memcpy(&block[345], prefix.data(), prefix.size() < 155 ? prefix.size() : 155);
  return block;
}

inline std::string octal(size_t size) {
  char field[13];
  snprintf(field, sizeof field, "%011zo", size);
  return field;
}

inline std::string padded(const std::string& data) {
  return data + std::string((512 - data.size() % 512) % 512, '\0');
}

inline std::string file(const std::string& name, const std::string& data, const std::string& prefix = "") {
  return header(name, '0', octal(data.size()), prefix) + padded(data);
}

inline std::string directory(const std::string& name) { return header(name, '5', octal(0)); }

inline std::string end() { return std::string(1024, '\0'); }

// GNU tar's header: "ustar  " and times where POSIX has the prefix.
constexpr const char* kGnuMagic = "ustar  ";

// A link entry (type '1' hard, '2' symbolic) with target in its link field.
inline std::string link(const std::string& name, char type, const std::string& target) {
  std::string block = header(name, type, octal(0));
  memcpy(&block[157], target.data(), target.size() < 100 ? target.size() : 100);
  return block;
}

// One pax record; its length counts its own digits.
inline std::string paxRecord(const std::string& key, const std::string& value) {
  std::string body = " " + key + "=" + value + "\n";
  size_t length = body.size() + 1;
  while (std::to_string(length).size() + body.size() != length) ++length;
  return std::to_string(length) + body;
}

// An extension entry: 'x' or 'g' with pax records, 'L' or 'K' with a name.
inline std::string extension(char type, const std::string& data, const char* magic = "ustar") {
  return header(type == 'L' || type == 'K' ? "././@LongLink" : "./PaxHeaders/x", type, octal(data.size()), "",
                magic) +
         padded(data);
}

}  // namespace tar_bytes
