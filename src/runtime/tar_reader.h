// Reading the runtime archive: a gzip-compressed ustar archive whose
// directories and regular files are written below a destination directory.
// Links and extension headers are skipped; nothing is ever written
// outside the destination.
#pragma once

#include <stdint.h>

#include "common/text.h"

struct TarArchive;

// The header fields are read from the first 500 bytes of each block.
constexpr int kTarHeaderRead = 500;
constexpr int kTarBlock = 512;

// True when at least one regular file was extracted and the archive ended
// cleanly: at the end of the stream or at a zero block.
bool untarRuntime(const char* archivePath, const char* destinationDir, void* window, int32_t totalSize);
// True when exactly size bytes were copied into path. A path that cannot
// be created is fatal.
bool extractTarEntry(TarArchive* archive, const char* path, int32_t size, void* window, int32_t totalSize);

// The octal number of a size field: leading blanks and zeros skipped, ended
// by a blank or NUL. -1 for anything else (a digit outside 0 to 7, a
// base-256 field) and for a value beyond 32 bits.
int32_t parseOctal(const char* text, int width);

// The entry's path from its name field and ustar prefix, "/" turned into
// "\". False when the path must not be written: absolute, with a drive or
// stream colon, with a ".." or otherwise unsafe component.
bool tarEntryName(const char* header, Text& name);
