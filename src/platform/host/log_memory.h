// The host build's log: lines are kept in memory, where the builder's
// inspection and the unit tests read them.
#pragma once

#include <string>

const std::string& capturedLog();
void clearCapturedLog();
