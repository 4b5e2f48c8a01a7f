#include "windows/launch_state.h"

namespace {
Text work;
Text home;
}  // namespace

Text& workDirectory() { return work; }
Text& jvmHomeDirectory() { return home; }
