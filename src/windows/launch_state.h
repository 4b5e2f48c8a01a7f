// Process-wide state of the launch: the work directory the included files
// went to (empty when none were extracted), and the home of the chosen Java
// runtime (empty until one is chosen). Written by the thread that runs the
// launch, before anything reads them.
#pragma once

#include "common/text.h"

Text& workDirectory();
Text& jvmHomeDirectory();
