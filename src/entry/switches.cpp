#include "entry/switches.h"

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

void applyQuietSwitchesEarly(LaunchContext& context, const char16_t* commandLine) {
  ArgumentList arguments;
  splitArgumentTokens(commandLine, &arguments);
  for (int i = 0; i < arguments.count; ++i)
    if (is(arguments.items[i], u"-q") || is(arguments.items[i], u"-c")) context.guiErrors = false;
  freeArgumentList(&arguments);
}

bool scanSwitches(LaunchContext& context, const ArgumentList& arguments) {
  RunModes& modes = context.modes;
  bool consoleAttached = false;
  for (int i = 0; i < arguments.count; ++i) {
    const char16_t* a = arguments.items[i];
    if (is(a, u"-q")) {
      modes.quiet = true;
      context.guiErrors = false;
    } else if (is(a, u"-console")) {
      consoleAttached = attachConsole();
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
