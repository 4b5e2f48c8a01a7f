// The registry mark of a launch that has not reached the Java side yet:
// "InstallStarted" below HKCU\SOFTWARE\orlinde\lantor\. The Java side
// clears it once it runs; a mark left behind makes the next start ask
// whether the runtime is to be chosen by hand.
#pragma once

#include "launch/launch_context.h"

// Failures are ignored: the mark then reads as not set. Once the launch
// was canceled the mark is never set again: the work thread goes on until
// the process ends.
void setInstallStarted(const LaunchContext& context, bool started);
bool isInstallStarted();

// The user canceled the launch: the context's cancel flag is set, a running
// download is dropped and the mark cleared for the rest of the process.
void cancelLaunch(LaunchContext& context);
