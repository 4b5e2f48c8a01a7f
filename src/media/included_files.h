// The included files: copied out of the media file into a fresh work
// directory, their scrambling removed on the way.
#pragma once

#include <stdint.h>

#include "common/text.h"
#include "media/media_io.h"

enum ExtractResult { kExtracted = 0, kReadFailed = 1, kWriteFailed = 2 };

// Fills workDirectory (empty when there are no included files). Fatal
// errors (no temporary root, directory or file not creatable) end the
// process inside.
int extractIncludedFiles(Text& workDirectory);
int extractIncludedFile(MediaHandle media, const char* target);
int copyFileData(MediaHandle source, void* target, int64_t size, bool descramble);

// The media file offset just behind the last file extracted; 0 before.
uint32_t unextractedPosition();
