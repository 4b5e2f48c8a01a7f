// The process the Java side will run in: the launcher kind, the native
// library directories in front of PATH, and a console when asked for.
// All of it is set on the main thread during start-up.
#pragma once

#include "ui/launcher_kind.h"

void setNativeLibraryPath();

// True when the process has a console afterwards: the parent's, or a new one.
bool attachConsole();
