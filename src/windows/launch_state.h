// Process-wide state of the launch: the work directory the included files
// went to (empty when none were extracted), the home of the chosen Java
// runtime (empty until one is chosen), whether a runtime archive is to be
// used, and the progress bar's range for the phases after it. Written by
// the thread that runs the launch (or by the runtime question while that
// thread waits for it), before anything reads them.
#pragma once

#include "common/text.h"

Text& workDirectory();
Text& jvmHomeDirectory();

bool& runtimeAvailable();

struct ProgressScheme {
  int limit = 0;
  int start = 0;
};
ProgressScheme& progressScheme();
