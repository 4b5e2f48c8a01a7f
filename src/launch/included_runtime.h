// The runtime that comes with the installer as "jre.tar.gz": unpacked into
// "jre" below the current directory (the work directory), its packed jars
// restored, and its virtual machine library loaded; the ordinary search
// when it does not load.
#pragma once

#include "core/progress.h"
#include "launch/launch_context.h"

// True with a loaded runtime; false with the context's failure recorded.
bool unpackIncludedRuntime(LaunchContext& context, const Progress* progress);
bool useIncludedRuntime(LaunchContext& context);
