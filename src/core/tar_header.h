// The fields of one tar header block, and which entry paths may be written.
#pragma once

#include <stdint.h>

#include "core/text.h"

// The header fields are read from the first 500 bytes of each block.
constexpr int kTarHeaderRead = 500;
constexpr int kTarBlock = 512;

constexpr int kTarSizeOffset = 124;
constexpr int kTarSizeWidth = 12;
constexpr int kTarTypeOffset = 156;

// The octal number of a size field: leading blanks and zeros skipped, ended
// by a blank or NUL. -1 for anything else (a digit outside 0 to 7, a
// base-256 field) and for a value beyond 32 bits.
int32_t parseOctal(const char* text, int width);

// True for "ustar" followed by NUL: the POSIX header, whose prefix field
// holds the front of long names. GNU's "ustar  " header keeps times there.
bool isPosixHeader(const char* header);

// The entry's path from its name field and, in a POSIX header, its prefix
// field, "/" turned into "\". False when the path must not be written.
bool tarEntryName(const char* header, Text& name);

// The link target of the header's link field, "/" turned into "\".
void tarLinkName(const char* header, Text& name);

// "/" turned into "\" in place.
void useBackslashes(char* path);

// False for a path that is absolute, has a drive or stream colon, a ".."
// or an empty component, or a component that is not a plain file name.
// "." components (archives made with "tar -C dir .") and the empty one
// behind a closing separator are fine.
bool isSafeEntryPath(const char* path);
