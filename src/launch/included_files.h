// The included files: copied out of the media file into a fresh work
// directory, their scrambling removed on the way.
#pragma once

#include <stdint.h>

#include "core/failure.h"
#include "core/media_io.h"
#include "launch/launch_context.h"

// kStopped: the failure is recorded and stops the launch as it is.
enum ExtractResult { kExtracted = 0, kReadFailed = 1, kWriteFailed = 2, kStopped = 3 };

// Fills the context's work directory ("" when there are no included files)
// and the unextracted position. False with the failure recorded: the
// extraction's own (a damaged installer, a full disk), after which the work
// directory is gone, or one that ends the launch at once (no temporary
// root, a directory or file that cannot be created, a short read).
bool extractIncludedFiles(LaunchContext& context);

// Copies size bytes of source into the file handle target, unscrambled on
// the way when descramble; a read or write that fails ends the copy.
ExtractResult copyFileData(MediaHandle source, void* target, int64_t size, bool descramble);
