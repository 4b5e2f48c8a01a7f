// The PATH the launcher sets at start-up: the directories of record 10004
// in front of the old PATH, so that the Java side's native libraries load.
#pragma once

#include "core/configuration.h"
#include "core/substitution.h"

// The directories of record 10004, variables substituted and then each
// resolved against the launcher directory, a separator, and the old PATH
// whole; the old PATH alone when the record names none. A new text
// (malloc), or null when out of memory.
char* nativeLibraryPath(const ConfigTables& config, const LaunchDirectories& directories, const char* oldPath);
