// The watch for the Java side's window: once a visible top-level window of
// this process other than the progress window (and a console's) appears,
// the progress window hides; when none appears within 60 seconds while the
// InstallStarted mark is still set, the launch ends with record 20014.
// Meanwhile the bar advances on its own.
#pragma once

#include <windows.h>

#include "launch/launch_context.h"

// Starts the watch on a thread of its own, above normal priority.
void startJavaWindowWatch(LaunchContext& context, HWND progressWindow);

