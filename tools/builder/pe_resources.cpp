#include "builder/pe_resources.h"

#include <string.h>

#include "builder/byte_order.h"
#include "core/payload_format.h"

namespace {

constexpr int kResourceDirectory = 2;
constexpr int kRelocationDirectory = 5;

struct Section {
  size_t header;  // offset of its entry in the section table
  char name[9];
  uint32_t virtualSize, rva, rawSize, rawPointer;
};

struct Layout {
  size_t optional;
  size_t directories;
  uint32_t directoryCount;
  uint32_t sectionAlignment, fileAlignment;
  std::vector<Section> sections;
  size_t resources;  // index of the section holding the resource directory
};

uint32_t alignUp(uint32_t value, uint32_t alignment) { return (value + alignment - 1) / alignment * alignment; }

Layout readLayout(const std::vector<uint8_t>& stub, const std::string& what) {
  auto at = [&](uint64_t offset, int size) { return readLittle(stub, offset, size, what); };
  Layout layout;
  uint32_t pe = at(kPeHeaderPointerOffset, 4);
  if (at(pe, 4) != 0x4550) throw BuilderError(what + " is not a PE file");
  uint32_t count = at(pe + kSectionCountOffset, 2);
  uint32_t optionalSize = at(pe + kOptionalHeaderSizeOffset, 2);
  layout.optional = pe + kSectionTableOffset;
  uint32_t magic = at(layout.optional, 2);
  if (magic != 0x10B && magic != 0x20B) throw BuilderError(what + " has an unknown optional header");
  layout.sectionAlignment = at(layout.optional + 32, 4);
  layout.fileAlignment = at(layout.optional + 36, 4);
  if (layout.fileAlignment == 0 || layout.sectionAlignment == 0)
    throw BuilderError(what + " has no section or file alignment");
  size_t countField = layout.optional + (magic == 0x10B ? 92 : 108);
  layout.directoryCount = at(countField, 4);
  layout.directories = countField + 4;
  if (layout.directoryCount <= kRelocationDirectory) throw BuilderError(what + " has too few data directories");
  uint32_t resourceRva = at(layout.directories + 8 * kResourceDirectory, 4);
  if (resourceRva == 0) throw BuilderError(what + " has no resources");
  layout.resources = count;
  for (uint32_t i = 0; i < count; ++i) {
    Section s;
    s.header = layout.optional + optionalSize + kSectionEntrySize * i;
    at(s.header, kSectionEntrySize);
    memcpy(s.name, &stub[s.header], 8);
    s.name[8] = 0;
    s.virtualSize = at(s.header + 8, 4);
    s.rva = at(s.header + 12, 4);
    s.rawSize = at(s.header + kRawDataSizeOffset, 4);
    s.rawPointer = at(s.header + kRawDataPointerOffset, 4);
    if (resourceRva >= s.rva && resourceRva < s.rva + (s.virtualSize ? s.virtualSize : s.rawSize))
      layout.resources = layout.sections.size();
    layout.sections.push_back(s);
  }
  if (layout.resources == count) throw BuilderError(what + ": its resources lie in no section");
  const Section& r = layout.sections[layout.resources];
  if (resourceRva != r.rva) throw BuilderError(what + ": its resources do not start their section");
  // Only what nothing points into but a data directory may move: the base
  // relocations. The raw data must follow in order up to the end of the file.
  for (size_t i = layout.resources; i < layout.sections.size(); ++i) {
    const Section& s = layout.sections[i];
    if (i > layout.resources && strcmp(s.name, ".reloc") != 0)
      throw BuilderError(what + ": its resource section is followed by " + s.name + ", which cannot move");
    if (i + 1 < layout.sections.size() && s.rawPointer + s.rawSize != layout.sections[i + 1].rawPointer)
      throw BuilderError(what + ": its last sections do not follow each other in the file");
  }
  const Section& last = layout.sections.back();
  if (uint64_t{last.rawPointer} + last.rawSize != stub.size())
    throw BuilderError(what + ": its last section does not end at the end of the file");
  return layout;
}

}  // namespace

std::vector<Resource> stubResources(const std::vector<uint8_t>& stub, const std::string& what) {
  Layout layout = readLayout(stub, what);
  const Section& r = layout.sections[layout.resources];
  auto begin = stub.begin() + r.rawPointer;
  std::vector<uint8_t> section(begin, begin + r.rawSize);
  return readResources(section, r.rva, what);
}

std::vector<uint8_t> replaceStubResources(const std::vector<uint8_t>& stub, const std::vector<Resource>& resources,
                                          const std::string& what) {
  Layout layout = readLayout(stub, what);
  const Section& r = layout.sections[layout.resources];
  std::vector<uint8_t> section = writeResources(resources, r.rva);
  uint32_t size = static_cast<uint32_t>(section.size());
  padTo(section, layout.fileAlignment);

  std::vector<uint8_t> out(stub.begin(), stub.begin() + r.rawPointer);
  out.insert(out.end(), section.begin(), section.end());
  writeLittle(out, r.header + 8, size, 4);
  writeLittle(out, r.header + kRawDataSizeOffset, static_cast<uint32_t>(section.size()), 4);
  writeLittle(out, layout.directories + 8 * kResourceDirectory + 4, size, 4);

  uint32_t nextRva = alignUp(r.rva + size, layout.sectionAlignment);
  for (size_t i = layout.resources + 1; i < layout.sections.size(); ++i) {
    const Section& s = layout.sections[i];
    int64_t shift = int64_t{nextRva} - s.rva;
    writeLittle(out, s.header + 12, nextRva, 4);
    writeLittle(out, s.header + kRawDataPointerOffset, static_cast<uint32_t>(out.size()), 4);
    for (uint32_t d = 0; d < layout.directoryCount; ++d) {
      size_t entry = layout.directories + 8 * d;
      uint32_t rva = readLittle(out, entry, 4, what);
      if (d != 4 && rva >= s.rva && rva < s.rva + s.virtualSize)
        writeLittle(out, entry, static_cast<uint32_t>(rva + shift), 4);
    }
    out.insert(out.end(), stub.begin() + s.rawPointer, stub.begin() + s.rawPointer + s.rawSize);
    nextRva = alignUp(nextRva + (s.virtualSize ? s.virtualSize : s.rawSize), layout.sectionAlignment);
  }
  writeLittle(out, layout.optional + 56, nextRva, 4);  // SizeOfImage
  writeLittle(out, layout.optional + 64, peChecksum(out, layout.optional + 64), 4);
  return out;
}

uint32_t peChecksum(const std::vector<uint8_t>& image, size_t checksumOffset) {
  uint64_t sum = 0;
  for (size_t i = 0; i < image.size(); i += 2) {
    if (i == checksumOffset || i == checksumOffset + 2) continue;
    uint32_t word = image[i] | (i + 1 < image.size() ? image[i + 1] << 8 : 0);
    sum += word;
    sum = (sum & 0xFFFF) + (sum >> 16);
  }
  sum = (sum & 0xFFFF) + (sum >> 16);
  return static_cast<uint32_t>(sum + image.size());
}
