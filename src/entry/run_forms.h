// The three forms a launch runs in, fixed at start-up: quiet (the pipeline
// on the main thread, no window, no questions), window on demand (record
// 155: the pipeline on the main thread, the progress window only to ask
// for a runtime), and the window form (the progress window on the main
// thread, the pipeline on its work thread).
#pragma once

#include "launch/launch_context.h"

// True when the launch is over and the process may end with 0; false
// with the context's failure recorded.
bool runLaunch(LaunchContext& context);
