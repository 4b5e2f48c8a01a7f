// Judging a runtime by its version text: the pre-release rule and the
// configured bounds, compared as text over the length of each bound.
#pragma once

#include <stddef.h>

#include "core/configuration.h"

// Unless pre-releases are allowed, versions with "beta", "ea" or "rc" fail.
bool versionAcceptable(const char* version, const char* min, const char* max, bool prereleaseAllowed);

// Pre-releases pass where the caller allows them (located runtimes) and,
// with record 130, everywhere.
bool prereleaseAllowed(const ConfigTables& config, bool allowBeta);

// Registry key names against the bounds, over the shorter of the texts.
bool versionKeyInRange(const char* keyName, const char* min, const char* max);

// The version in a first output line `java version "1.6.0_13"`, up to the
// closing quote; false for any other line.
bool parseVersionBanner(const char* line, char* version, size_t capacity);

// The length of the file name "java.exe" or "javaw.exe" (any case) that
// path ends with, behind a separator; 0 when it ends with neither.
size_t javaExecutableNameLength(const char* path);
