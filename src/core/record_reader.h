// Reading the payload behind the launcher image: its start, found from the
// PE headers, and the primitives every record is read with. The primitives
// return false on a short or failed read and describe it in a ReadError;
// the launcher turns that into its fatal "Internal Error" message.
#pragma once

#include <stdint.h>

#include "core/media_io.h"

enum class ReadFailure { none, magic, readShort, readInt, readLong, readString, readWString };

struct ReadError {
  ReadFailure failure = ReadFailure::none;
  uint32_t systemError = 0;  // the system's code when the read failed
  int64_t position = 0;      // where the failing read began
};

// "Internal Error: magic", "Internal Error: readInt", ...
const char* readFailureText(ReadFailure failure);

// Where the payload was found, as the PE headers describe it.
struct PayloadLocation {
  int32_t peHeader = 0;
  int32_t sectionCount = 0;
  int32_t optionalHeaderSize = 0;
  int64_t lastSectionEntry = 0;
  int32_t rawDataSize = 0;
  int32_t rawDataOffset = 0;
  int64_t payloadStart = 0;
};

bool readShort(MediaHandle handle, int32_t* value, ReadError* error);
bool readInt(MediaHandle handle, int32_t* value, ReadError* error);
bool readLong(MediaHandle handle, int64_t* value, ReadError* error);

// A new NUL-terminated block (malloc) of the stored bytes, or null.
char* readString(MediaHandle handle, ReadError* error);
// A new zero-terminated block of the first length / 2 UTF-16 units, or null.
char16_t* readWString(MediaHandle handle, ReadError* error);

// Positions the handle just behind the magic and logs what it found.
bool locatePayload(MediaHandle handle, PayloadLocation* location, ReadError* error);
