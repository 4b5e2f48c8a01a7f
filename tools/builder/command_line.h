// The ltrbuild command line, apart from main() so that it runs in tests.
#pragma once

#include <ostream>
#include <string>
#include <vector>

// arguments without the program name; defaultStub is used when neither the
// command line nor the manifest names one. Returns the exit code: 0, 1 for
// a failure, 2 for a command line that makes no sense.
int runCommandLine(const std::vector<std::string>& arguments, const std::string& defaultStub, std::ostream& out,
                   std::ostream& err);
