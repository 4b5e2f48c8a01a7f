// The child processes the launcher starts (a runtime's "java -version",
// unpack200): hidden, by the program's absolute path as the application
// name and quoted in the command line, so that neither "C:\Program.exe"
// nor a program planted on a prefix of a path with blanks runs instead.
#pragma once

#include <windows.h>

#include "platform/owned_win.h"

struct ChildProcess {
  KernelHandle process;
  KernelHandle thread;
};

// errorOutput, when given, is the child's inheritable error stream (and
// its other standard handles are none); without it the child inherits the
// launcher's. False when the process could not be created.
bool startHiddenProcess(const char* program, char* commandLine, HANDLE errorOutput, ChildProcess* child);
