// The launcher finds its payload where the raw data of the last entry of
// the section table ends, so a stub is only usable when that is exactly
// its end of file: anything behind it (an earlier build, a signature) would
// be read as the payload.
#pragma once

#include <stdint.h>

#include <string>
#include <vector>

// Throws BuilderError naming the stub when it cannot carry a payload.
void checkStub(const std::vector<uint8_t>& stub, const std::string& path);
