// The question a start asks when the previous launch did not reach the
// Java side (the InstallStarted mark is still set).
#pragma once

#include "launch/launch_context.h"

// True when the user answers Yes: the runtime is to be chosen by hand.
bool askAboutUnfinishedRun(const LaunchContext& context);
