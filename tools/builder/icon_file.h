// An .ico file as the icon resources of a PE file: one RT_ICON per image
// and the RT_GROUP_ICON directory that lists them.
#pragma once

#include <stdint.h>

#include <string>
#include <vector>

struct IconImage {
  uint8_t entry[12];  // width, height, colours, reserved, planes, bit count, bytes: as in the file
  std::vector<uint8_t> data;
};

// Throws BuilderError naming path when the file is not an icon file.
std::vector<IconImage> parseIconFile(const std::vector<uint8_t>& bytes, const std::string& path);

// The group directory for images stored as RT_ICON firstId, firstId + 1, ...
std::vector<uint8_t> iconGroup(const std::vector<IconImage>& images, uint16_t firstId);

// The RT_ICON ids a group directory lists.
std::vector<uint16_t> iconGroupIds(const std::vector<uint8_t>& group, const std::string& what);
