// The process the Java side will run in: the launcher kind, the native
// library directories in front of PATH, and a console when asked for.
// All of it is set on the main thread during start-up.
#pragma once

#include "launch/launch_context.h"

// The first character of record 2001: "i" installer launcher, "e"
// application launcher, anything else neither (0 when the record is absent).
void determineLauncherKind(LaunchContext& context);

void setNativeLibraryPath(const LaunchContext& context);

// True when the process has a console afterwards: the parent's, or a new
// one. The standard streams that went nowhere go to it; a stream redirected
// to a file or a pipe stays as it is.
bool attachConsole();

// Whether a standard handle leads somewhere: a file, a pipe, a device.
bool streamIsBound(void* handle);
