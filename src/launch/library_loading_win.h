// Loading a runtime's virtual machine library into this process: the bin
// directory goes to the end of PATH, the configured variant and then the
// fixed ones are tried, and a JDK's jre\bin is the second place to look.
#pragma once

#include <windows.h>

#include "launch/launch_context.h"

// The library stays loaded for the life of the process; null when none loaded.
HMODULE loadJvmDll(const LaunchContext& context, const char* javaExe);

// Stores the library's JNI_CreateJavaVM in the context; false without one.
bool resolveCreateJavaVM(LaunchContext& context, HMODULE library);
