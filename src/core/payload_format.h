// Constants of the media file format, shared by the launcher and the builder.
#pragma once

#include <stdint.h>

constexpr uint32_t kPayloadMagic = 0xE8E413D5u;

// Every byte of included-file data is XOR-ed with this mask.
constexpr uint8_t kScrambleMask = 0xB9;

// Offsets into the PE image used to find the end of the last section.
constexpr uint32_t kPeHeaderPointerOffset = 60;
constexpr uint32_t kSectionCountOffset = 6;
constexpr uint32_t kOptionalHeaderSizeOffset = 20;
constexpr uint32_t kSectionTableOffset = 24;
constexpr uint32_t kSectionEntrySize = 40;
constexpr uint32_t kRawDataSizeOffset = 16;
constexpr uint32_t kRawDataPointerOffset = 20;
