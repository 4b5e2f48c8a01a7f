// The launcher's own file opened as the media file, and the fatal end of a
// read that ran short.
#pragma once

#include "media/record_reader.h"

// Opens executablePath() read-only; fatal when it cannot be opened.
MediaHandle openMediaFile();

// Reports a failed read the way the launcher always does and ends the process.
[[noreturn]] void failReading(const ReadError& error);

// Reads both record lists and installs them as the process configuration.
void loadConfiguration();
