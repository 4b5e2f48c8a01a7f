// The registry mark of a launch that has not reached the Java side yet:
// "InstallStarted" below HKCU\SOFTWARE\orlinde\lantor\. The Java side
// clears it once it runs; a mark left behind makes the next start ask
// whether the runtime is to be chosen by hand.
#pragma once

// Failures are ignored: the mark then reads as not set.
void setInstallStarted(bool started);
bool isInstallStarted();
// The user canceled the launch: the mark is cleared for the rest of the
// process, and the work thread, which goes on until the process ends,
// cannot set it again.
void cancelInstallStarted();
