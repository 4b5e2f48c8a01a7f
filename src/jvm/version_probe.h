// Learning a runtime's version from its java executable: from the per-user
// cache keyed by path and last write time, or by running it with -version.
#pragma once

#include <stdint.h>

#include "common/text.h"

// javaExe is made canonical in place (and names javaw.exe when the
// launcher type asks for it and the runtime qualifies).
bool checkJavaExe(Text& javaExe, Text& version, const char* min, const char* max, bool allowBeta);
bool checkCandidate(Text& javaExe, const char* min, const char* max, bool allowBeta, bool useCache);

bool readVersionCache(const char* javaExe, uint64_t lastWriteTime, Text& version);
void writeVersionCache(const char* javaExe, uint64_t lastWriteTime, const char* version);
bool runJavaVersion(const char* javaExe, uint64_t lastWriteTime, Text& version);
