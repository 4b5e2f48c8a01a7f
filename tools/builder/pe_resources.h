// Reads a stub's resources and writes a stub with other resources: the
// resource section is written anew in its place, and the sections behind
// it (the base relocations) move up behind it.
#pragma once

#include <stdint.h>

#include <functional>
#include <string>
#include <vector>

#include "builder/resource_tree.h"

// Throws BuilderError naming the stub at what when its resources cannot
// be read or replaced.
std::vector<Resource> stubResources(const std::vector<uint8_t>& stub, const std::string& what);
std::vector<uint8_t> replaceStubResources(const std::vector<uint8_t>& stub, const std::vector<Resource>& resources,
                                          const std::string& what);

// The PE checksum of image, with the checksum field itself taken as zero.
uint32_t peChecksum(const std::vector<uint8_t>& image, size_t checksumOffset);
