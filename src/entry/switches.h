// The switches of the command line: -q, -c, -console, -manual and /manual.
#pragma once

#include "core/split_arguments.h"
#include "launch/launch_context.h"

// The configuration load can already fail, and whether its error is a box
// or a line on the error stream is the quiet switches' decision: -q and -c
// are looked at before the load, and -c and -console get their console
// then, so that such an error reaches it. True when a console was had.
bool applyEarlySwitches(LaunchContext& context, const char16_t* commandLine);

// Every element, the program path included, compared exactly. False
// (failure noConsole) when -c finds no console to be had.
bool scanSwitches(LaunchContext& context, const ArgumentList& arguments, bool consoleAttached);
