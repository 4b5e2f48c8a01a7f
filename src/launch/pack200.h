// Restoring the pack200-compressed jars of a runtime with the unpack200
// tool in the runtime's own bin directory, one hidden child at a time.
#pragma once

#include "core/failure.h"

// Does nothing unless lib\rt.jar.pack exists and lib\jsse.jar (restored
// last) does not. False (failure 1009 with 20) when the tool cannot be started.
bool expandPackedRuntime(const char* directory, Failure& failure);
