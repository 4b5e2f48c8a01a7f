#include "platform/process_win.h"

bool startHiddenProcess(const char* program, char* commandLine, HANDLE errorOutput, ChildProcess* child) {
  STARTUPINFOA startup = {};
  startup.cb = sizeof startup;
  startup.dwFlags = STARTF_USESHOWWINDOW;
  startup.wShowWindow = SW_HIDE;
  if (errorOutput) {
    startup.dwFlags |= STARTF_USESTDHANDLES;
    startup.hStdError = errorOutput;
  }
  PROCESS_INFORMATION process = {};
  if (!CreateProcessA(program, commandLine, nullptr, nullptr, TRUE, NORMAL_PRIORITY_CLASS, nullptr, nullptr,
                      &startup, &process))
    return false;
  *child->process.receive() = process.hProcess;
  *child->thread.receive() = process.hThread;
  return true;
}
