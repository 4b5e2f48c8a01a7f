#include "entry/switches.h"

#include "core/log.h"
#include "launch/process_environment.h"

namespace {

bool is(const char16_t* argument, const char16_t* name) {
  while (*argument && *argument == *name) {
    ++argument;
    ++name;
  }
  return *argument == 0 && *name == 0;
}

}  // namespace

bool applyEarlySwitches(LaunchContext& context, const char16_t* commandLine) {
  ArgumentList arguments;
  splitArgumentTokens(commandLine, &arguments);
  bool console = false;
  for (int i = 0; i < arguments.count; ++i) {
    const char16_t* a = arguments.items[i];
    if (is(a, u"-q") || is(a, u"-c")) context.guiErrors = false;
    console = console || is(a, u"-c") || is(a, u"-console");
  }
  freeArgumentList(&arguments);
  if (!console) return false;
  bool attached = attachConsole();
  if (attached)
    logMessage("Console attached");
  else
    logError("No console to be had");
  return attached;
}

bool scanSwitches(LaunchContext& context, const ArgumentList& arguments, bool consoleAttached) {
  RunModes& modes = context.modes;
  for (int i = 0; i < arguments.count; ++i) {
    const char16_t* a = arguments.items[i];
    if (is(a, u"-q")) {
      modes.quiet = true;
      context.guiErrors = false;
    } else if (is(a, u"-console")) {
      if (!consoleAttached) consoleAttached = attachConsole();
    } else if (is(a, u"-c")) {
      modes.quiet = true;
      context.guiErrors = false;
      if (!consoleAttached) {
        consoleAttached = attachConsole();
        if (!consoleAttached) return fail(context.failure, FailureKind::noConsole);
      }
    } else if (is(a, u"-manual") || is(a, u"/manual")) {
      modes.manual = true;
    }
  }
  return true;
}
