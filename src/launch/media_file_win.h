// The launcher's own file opened as the media file, and the configuration
// read from it.
#pragma once

#include "core/record_reader.h"
#include "launch/launch_context.h"
#include "platform/owned_win.h"

// Opens executablePath() read-only. False, logged and with the failure
// recorded, when it cannot be opened.
bool openMediaFile(FileHandle& media, Failure& failure);

// The failure of a read that ran short.
bool failReading(Failure& failure, const ReadError& error);

// Reads both record lists into the context's configuration; switches the
// boxes off for launcher types other than 1 and 5.
bool loadConfiguration(LaunchContext& context);
