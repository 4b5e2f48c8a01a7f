// The one place a launch that cannot go on ends: the failure's table row
// (core/failure.cpp) says whether the user sees a box or a line on the
// error stream, whether the log is kept (it is, with every message that
// names it), and the exit code. A canceled launch ends only the thread.
#pragma once

#include "core/failure.h"
#include "launch/launch_context.h"

[[noreturn]] void endLaunch(const LaunchContext& context, const Failure& failure);
