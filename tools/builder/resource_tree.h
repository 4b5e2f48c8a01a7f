// The resources of a PE file as a flat list (type, name, language, data),
// read from and written to the three-level tree of a resource section.
#pragma once

#include <stdint.h>

#include <string>
#include <vector>

// A type or name: a number, or a UTF-16 string when name is not empty.
struct ResourceKey {
  uint16_t id = 0;
  std::u16string name;
  bool operator==(const ResourceKey& other) const { return id == other.id && name == other.name; }
};

struct Resource {
  ResourceKey type;
  ResourceKey name;
  uint16_t language = 0;
  uint32_t codePage = 0;
  std::vector<uint8_t> data;
};

constexpr uint16_t kResourceIcon = 3;
constexpr uint16_t kResourceIconGroup = 14;
constexpr uint16_t kResourceVersion = 16;
constexpr uint16_t kResourceManifest = 24;

// section: the raw data of the resource section, which the image maps at
// sectionRva. Throws BuilderError naming what for a damaged tree.
std::vector<Resource> readResources(const std::vector<uint8_t>& section, uint32_t sectionRva, const std::string& what);

// The section for sectionRva: directories in the order Windows looks them
// up (named entries by name, then ids ascending), data aligned to 8.
std::vector<uint8_t> writeResources(const std::vector<Resource>& resources, uint32_t sectionRva);
