#include "builder/icon_file.h"

#include <string.h>

#include "builder/byte_order.h"

std::vector<IconImage> parseIconFile(const std::vector<uint8_t>& bytes, const std::string& path) {
  std::string what = "icon \"" + path + "\"";
  auto at = [&](uint64_t offset, int size) { return readLittle(bytes, offset, size, what); };
  if (at(0, 2) != 0 || at(2, 2) != 1) throw BuilderError(what + " is not an icon file (.ico)");
  uint32_t count = at(4, 2);
  if (count == 0) throw BuilderError(what + " holds no image");
  std::vector<IconImage> images;
  for (uint32_t i = 0; i < count; ++i) {
    size_t entry = 6 + 16 * i;
    at(entry, 16);
    IconImage image;
    memcpy(image.entry, &bytes[entry], 12);
    uint32_t size = at(entry + 8, 4);
    uint32_t offset = at(entry + 12, 4);
    if (size < 40 || uint64_t{offset} + size > bytes.size())
      throw BuilderError(what + ": image " + std::to_string(i + 1) + " lies outside the file");
    image.data.assign(bytes.begin() + offset, bytes.begin() + offset + size);
    static const uint8_t png[] = {0x89, 'P', 'N', 'G', '\r', '\n', 0x1A, '\n'};
    bool isPng = memcmp(image.data.data(), png, sizeof png) == 0;
    bool isBitmap = readLittle(image.data, 0, 4, what) == 40;
    if (!isPng && !isBitmap)
      throw BuilderError(what + ": image " + std::to_string(i + 1) + " is neither a bitmap nor a PNG image");
    images.push_back(image);
  }
  return images;
}

std::vector<uint8_t> iconGroup(const std::vector<IconImage>& images, uint16_t firstId) {
  std::vector<uint8_t> group;
  appendLittle(group, 0, 2);
  appendLittle(group, 1, 2);
  appendLittle(group, static_cast<uint32_t>(images.size()), 2);
  for (size_t i = 0; i < images.size(); ++i) {
    group.insert(group.end(), images[i].entry, images[i].entry + 12);
    appendLittle(group, static_cast<uint32_t>(firstId + i), 2);
  }
  return group;
}

std::vector<uint16_t> iconGroupIds(const std::vector<uint8_t>& group, const std::string& what) {
  std::vector<uint16_t> ids;
  uint32_t count = readLittle(group, 4, 2, what);
  for (uint32_t i = 0; i < count; ++i) ids.push_back(static_cast<uint16_t>(readLittle(group, 6 + 14 * i + 12, 2, what)));
  return ids;
}
