#include "core/record_reader.h"

#include <stdlib.h>
#include <string.h>

#include "core/log.h"
#include "core/payload_format.h"

const char* readFailureText(ReadFailure failure) {
  switch (failure) {
    case ReadFailure::magic: return "Internal Error: magic";
    case ReadFailure::readShort: return "Internal Error: readShort";
    case ReadFailure::readInt: return "Internal Error: readInt";
    case ReadFailure::readLong: return "Internal Error: readLong";
    case ReadFailure::readString: return "Internal Error: readString";
    case ReadFailure::readWString: return "Internal Error: readWString";
    case ReadFailure::none: break;
  }
  return "";
}

static bool fail(ReadError* error, ReadFailure failure, int64_t position, uint32_t systemError) {
  error->failure = failure;
  error->position = position;
  error->systemError = systemError;
  return false;
}

// Reads exactly count bytes; anything less is the given failure.
static bool readExactly(MediaHandle handle, void* buffer, uint32_t count, ReadFailure failure,
                        ReadError* error) {
  int64_t start = mediaPosition(handle);
  uint32_t got = 0;
  if (!mediaRead(handle, buffer, count, &got) || got != count)
    return fail(error, failure, start, mediaLastError());
  return true;
}

static uint32_t littleEndian32(const uint8_t* b) {
  return static_cast<uint32_t>(b[0]) | static_cast<uint32_t>(b[1]) << 8 |
         static_cast<uint32_t>(b[2]) << 16 | static_cast<uint32_t>(b[3]) << 24;
}

bool readShort(MediaHandle handle, int32_t* value, ReadError* error) {
  uint8_t b[2];
  if (!readExactly(handle, b, sizeof b, ReadFailure::readShort, error)) return false;
  *value = static_cast<int16_t>(static_cast<uint16_t>(b[0] | b[1] << 8));
  return true;
}

bool readInt(MediaHandle handle, int32_t* value, ReadError* error) {
  uint8_t b[4];
  if (!readExactly(handle, b, sizeof b, ReadFailure::readInt, error)) return false;
  *value = static_cast<int32_t>(littleEndian32(b));
  return true;
}

bool readLong(MediaHandle handle, int64_t* value, ReadError* error) {
  uint8_t b[8];
  if (!readExactly(handle, b, sizeof b, ReadFailure::readLong, error)) return false;
  uint64_t v = static_cast<uint64_t>(littleEndian32(b + 4)) << 32 | littleEndian32(b);
  *value = static_cast<int64_t>(v);
  return true;
}

// Reads the byte length of a string. A length beyond what is left of the
// file is refused before anything is allocated: a damaged payload must end
// in the reader's message, not in an attempt to allocate gigabytes.
static bool readTextLength(MediaHandle handle, ReadFailure failure, int32_t* length,
                           ReadError* error) {
  int64_t start = mediaPosition(handle);
  if (!readInt(handle, length, error)) return false;
  int64_t left = mediaSize(handle) - mediaPosition(handle);
  if (*length < 0 || *length > left) return fail(error, failure, start, 0);
  return true;
}

char* readString(MediaHandle handle, ReadError* error) {
  int32_t length = 0;
  if (!readTextLength(handle, ReadFailure::readString, &length, error)) return nullptr;
  int64_t start = mediaPosition(handle);
  char* text = static_cast<char*>(malloc(static_cast<size_t>(length) + 1));
  if (!text) {
    fail(error, ReadFailure::readString, start, 0);
    return nullptr;
  }
  if (!readExactly(handle, text, static_cast<uint32_t>(length), ReadFailure::readString, error)) {
    free(text);
    return nullptr;
  }
  text[length] = 0;
  return text;
}

char16_t* readWString(MediaHandle handle, ReadError* error) {
  int32_t length = 0;
  if (!readTextLength(handle, ReadFailure::readWString, &length, error)) return nullptr;
  int64_t start = mediaPosition(handle);
  size_t units = static_cast<size_t>(length) / 2;
  uint8_t* bytes = static_cast<uint8_t*>(malloc(static_cast<size_t>(length) + 1));
  char16_t* text = static_cast<char16_t*>(malloc((units + 1) * sizeof(char16_t)));
  bool ok = bytes && text;
  if (!ok) fail(error, ReadFailure::readWString, start, 0);
  if (ok) ok = readExactly(handle, bytes, static_cast<uint32_t>(length), ReadFailure::readWString, error);
  if (ok) {
    for (size_t i = 0; i < units; ++i)
      text[i] = static_cast<char16_t>(bytes[2 * i] | bytes[2 * i + 1] << 8);
    text[units] = 0;
  }
  free(bytes);
  if (!ok) {
    free(text);
    return nullptr;
  }
  return text;
}

// A refused seek leaves the position where it was; the read that follows
// must not then take bytes from there, so it fails as that read.
static bool seekFor(MediaHandle handle, int64_t offset, ReadFailure failure, ReadError* error) {
  if (mediaSeek(handle, offset)) return true;
  return fail(error, failure, offset, mediaLastError());
}

bool locatePayload(MediaHandle handle, PayloadLocation* location, ReadError* error) {
  PayloadLocation& l = *location;
  if (!seekFor(handle, kPeHeaderPointerOffset, ReadFailure::readInt, error) ||
      !readInt(handle, &l.peHeader, error))
    return false;
  if (!seekFor(handle, int64_t{l.peHeader} + kSectionCountOffset, ReadFailure::readShort, error) ||
      !readShort(handle, &l.sectionCount, error))
    return false;
  logMessage("number of sections: %d", l.sectionCount);
  if (!seekFor(handle, int64_t{l.peHeader} + kOptionalHeaderSizeOffset, ReadFailure::readShort,
               error) ||
      !readShort(handle, &l.optionalHeaderSize, error))
    return false;
  logMessage("size of optional headers: %d", l.optionalHeaderSize);

  l.lastSectionEntry = int64_t{l.peHeader} + kSectionTableOffset + l.optionalHeaderSize +
                       int64_t{kSectionEntrySize} * (l.sectionCount - 1);
  logMessage("resSectionTableStart: %d", static_cast<int>(l.lastSectionEntry));
  if (!seekFor(handle, l.lastSectionEntry + kRawDataSizeOffset, ReadFailure::readInt, error) ||
      !readInt(handle, &l.rawDataSize, error))
    return false;
  if (!seekFor(handle, l.lastSectionEntry + kRawDataPointerOffset, ReadFailure::readInt, error) ||
      !readInt(handle, &l.rawDataOffset, error))
    return false;
  logMessage("rawDataSize: %d, rawDataOffset: %d", l.rawDataSize, l.rawDataOffset);

  l.payloadStart = int64_t{l.rawDataSize} + l.rawDataOffset;
  int32_t magic = 0;
  if (!seekFor(handle, l.payloadStart, ReadFailure::readInt, error) ||
      !readInt(handle, &magic, error))
    return false;
  if (static_cast<uint32_t>(magic) != kPayloadMagic)
    return fail(error, ReadFailure::magic, l.payloadStart, 0);
  return true;
}
