// The seam between the payload reader and the file it reads. On Windows a
// MediaHandle is the Win32 file handle of the media file; the host build
// reads from memory (builder inspection, unit tests, fuzzing).
#pragma once

#include <stdint.h>

typedef void* MediaHandle;

// Reads up to count bytes at the current position; *got receives the bytes
// delivered. False when the system reports a failure.
bool mediaRead(MediaHandle handle, void* buffer, uint32_t count, uint32_t* got);

// Absolute seek from the start of the file. False when the position is refused.
bool mediaSeek(MediaHandle handle, int64_t offset);

uint32_t mediaPosition(MediaHandle handle);
int64_t mediaSize(MediaHandle handle);

// The system's error code of the last failed call on this thread.
uint32_t mediaLastError();
