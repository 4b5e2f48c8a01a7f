#include "windows/launch_state.h"

namespace {
Text work;
Text home;
bool available;
ProgressScheme progress;
}  // namespace

Text& workDirectory() { return work; }
Text& jvmHomeDirectory() { return home; }
bool& runtimeAvailable() { return available; }
ProgressScheme& progressScheme() { return progress; }
