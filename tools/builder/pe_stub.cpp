#include "builder/pe_stub.h"

#include <string.h>

#include "builder/builder_error.h"
#include "core/payload_format.h"

namespace {

bool fits(const std::vector<uint8_t>& bytes, int64_t offset, int64_t length) {
  return offset >= 0 && offset + length <= static_cast<int64_t>(bytes.size());
}

uint32_t littleEndian(const std::vector<uint8_t>& bytes, int64_t offset, int length) {
  uint32_t value = 0;
  for (int i = length - 1; i >= 0; --i) value = value << 8 | bytes[static_cast<size_t>(offset + i)];
  return value;
}

}  // namespace

void checkStub(const std::vector<uint8_t>& stub, const std::string& path) {
  std::string name = "stub \"" + path + "\"";
  if (!fits(stub, kPeHeaderPointerOffset, 4) || stub[0] != 'M' || stub[1] != 'Z')
    throw BuilderError(name + " is not a PE file (no MZ header)");
  int64_t peHeader = static_cast<int32_t>(littleEndian(stub, kPeHeaderPointerOffset, 4));
  if (!fits(stub, peHeader, kSectionTableOffset) || memcmp(&stub[static_cast<size_t>(peHeader)], "PE\0\0", 4) != 0)
    throw BuilderError(name + " is not a PE file (no PE signature at offset " + std::to_string(peHeader) + ")");

  // Signed, as the launcher reads them.
  int16_t sectionCount = static_cast<int16_t>(littleEndian(stub, peHeader + kSectionCountOffset, 2));
  int16_t optionalHeaderSize = static_cast<int16_t>(littleEndian(stub, peHeader + kOptionalHeaderSizeOffset, 2));
  if (sectionCount < 1 || optionalHeaderSize < 0)
    throw BuilderError(name + " has no usable section table (" + std::to_string(sectionCount) +
                       " sections, optional header of " + std::to_string(optionalHeaderSize) + " bytes)");
  int64_t lastEntry = peHeader + kSectionTableOffset + optionalHeaderSize +
                      int64_t{kSectionEntrySize} * (sectionCount - 1);
  if (!fits(stub, lastEntry, kSectionEntrySize))
    throw BuilderError(name + ": its section table runs past the end of the file");

  int64_t rawDataSize = static_cast<int32_t>(littleEndian(stub, lastEntry + kRawDataSizeOffset, 4));
  int64_t rawDataOffset = static_cast<int32_t>(littleEndian(stub, lastEntry + kRawDataPointerOffset, 4));
  int64_t sectionEnd = rawDataSize + rawDataOffset;
  if (sectionEnd != static_cast<int64_t>(stub.size()))
    throw BuilderError(name + ": its last section ends at " + std::to_string(sectionEnd) + " but the file is " +
                       std::to_string(stub.size()) +
                       " bytes long; it is already built, signed, or not a launcher stub");
}
