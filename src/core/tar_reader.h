// Reading the runtime archive: a gzip-compressed tar archive (ustar, GNU or
// pax) whose directories and regular files are written below a destination
// directory, under their full names from GNU long-name records and pax
// headers. Missing parent directories are created; a hard link to an
// earlier file becomes a copy; symbolic links are skipped, and no
// directory is made where one stood. Nothing is ever written outside the
// destination.
#pragma once

#include <stdint.h>

#include "core/failure.h"
#include "core/progress.h"
#include "core/tar_header.h"
#include "core/text.h"

// True when at least one regular file was extracted and the archive ended
// cleanly: at the end of the stream or at a zero block. The bar moves
// against totalSize, the archive's uncompressed size. False for a damaged
// archive or an entry that cannot be represented (failure untouched), or
// with the failure recorded when an entry cannot be created, which stops
// the launch.
bool untarRuntime(const char* archivePath, const char* destinationDir, const Progress* progress,
                  int32_t totalSize, Failure& failure);
