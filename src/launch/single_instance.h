// One copy of a launcher file at a time: a named semaphore marks the
// running copy, and a second copy brings the first one's windows to the
// front and ends.
#pragma once

#include "launch/launch_context.h"

// Names the semaphore in the context. False (failure secondCopy) in a
// second copy, after the first one's windows came to the front.
bool checkSingleInstance(LaunchContext& context);

