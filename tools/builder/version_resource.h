// The version resource (VS_VERSIONINFO) that Explorer's properties and
// GetFileVersionInfoW show: fixed file and product versions, and the
// strings of one table, U.S. English in UTF-16.
#pragma once

#include <stdint.h>

#include <string>
#include <utility>
#include <vector>

struct VersionNumber {
  uint16_t parts[4] = {0, 0, 0, 0};
};

// "1", "1.2", "1.2.3" or "1.2.3.4", each part 0 to 65535. Throws
// BuilderError naming what otherwise.
VersionNumber parseVersionNumber(const std::string& text, const std::string& what);

// strings: (key, UTF-8 value) in the order they are written.
std::vector<uint8_t> versionResource(const VersionNumber& file, const VersionNumber& product,
                                     const std::vector<std::pair<std::string, std::string>>& strings);
