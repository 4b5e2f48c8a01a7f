// Learning a runtime's version from its java executable: from the per-user
// cache keyed by path and last write time, or by running it with -version.
#pragma once

#include <stdint.h>

#include "core/text.h"
#include "launch/launch_context.h"

// javaExe is made canonical in place (and names javaw.exe when the
// launcher type asks for it and the runtime qualifies). Without useCache
// the version is always asked of the program. False also when the launch
// cannot go on (the context's failure says why).
bool checkJavaExe(LaunchContext& context, Text& javaExe, Text& version, const char* min, const char* max,
                  bool allowBeta, bool useCache);
// The same when the version itself is not wanted.
bool checkCandidate(LaunchContext& context, Text& javaExe, const char* min, const char* max, bool allowBeta,
                    bool useCache);

