// Reading the runtime archive: a gzip-compressed ustar archive whose
// directories and regular files are written below a destination directory.
// Links and extension headers are skipped; nothing is ever written
// outside the destination.
#pragma once

#include <stdint.h>

#include "core/failure.h"
#include "core/progress.h"
#include "core/text.h"

struct TarArchive;

// The header fields are read from the first 500 bytes of each block.
constexpr int kTarHeaderRead = 500;
constexpr int kTarBlock = 512;

// True when at least one regular file was extracted and the archive ended
// cleanly: at the end of the stream or at a zero block. The bar moves
// against totalSize, the archive's uncompressed size. False for a damaged
// archive (failure untouched), or with the failure recorded when an entry
// cannot be created, which stops the launch.
bool untarRuntime(const char* archivePath, const char* destinationDir, const Progress* progress,
                  int32_t totalSize, Failure& failure);

// The octal number of a size field: leading blanks and zeros skipped, ended
// by a blank or NUL. -1 for anything else (a digit outside 0 to 7, a
// base-256 field) and for a value beyond 32 bits.
int32_t parseOctal(const char* text, int width);

// The entry's path from its name field and ustar prefix, "/" turned into
// "\". False when the path must not be written: absolute, with a drive or
// stream colon, with a ".." or otherwise unsafe component.
bool tarEntryName(const char* header, Text& name);
