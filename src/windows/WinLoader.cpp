// The launcher's entry: the start-up sequence as far as it is built.
#include <windows.h>
#include <commctrl.h>

#include "common/text.h"
#include "log/log.h"
#include "media/configuration.h"
#include "media/media_file.h"
#include "media/paths.h"
#include "media/record_ids.h"
#include "ui/error_display.h"
#include "ui/process_environment.h"
#include "ui/single_instance.h"
#include "windows/arguments.h"
#include "windows/launch_pipeline.h"
#include "windows/startup_state.h"

namespace {

bool is(const char16_t* argument, const char16_t* name) {
  while (*argument && *argument == *name) {
    ++argument;
    ++name;
  }
  return *argument == 0 && *name == 0;
}

// The configuration load can already fail, and whether its error is a box
// or a line on the error stream is the quiet switches' decision, so they
// are looked at before the load. The full switch scan follows it.
void applyQuietSwitchesEarly() {
  ArgumentList arguments;
  splitArgumentTokens(reinterpret_cast<const char16_t*>(GetCommandLineW()), &arguments);
  for (int i = 0; i < arguments.count; ++i)
    if (is(arguments.items[i], u"-q") || is(arguments.items[i], u"-c")) disableGuiErrorDisplay();
  freeArgumentList(&arguments);
}

void enterConfiguredWorkingDirectory() {
  Text configured;
  configString(kRecord_workingDirectory, configured, sizeof configured);
  if (!configured[0]) return;
  Text directory;
  fullPath(directory, configured, true);
  SetCurrentDirectoryA(directory);
}

[[noreturn]] void failConsole() {
  MessageBoxA(nullptr, "Error: Could not allocate console.", "quarrow", MB_OK);
  ExitProcess(1);
}

void scanSwitches(const ArgumentList& arguments) {
  RunModes& modes = runModes();
  bool consoleAttached = false;
  for (int i = 0; i < arguments.count; ++i) {
    const char16_t* a = arguments.items[i];
    if (is(a, u"-q")) {
      modes.quiet = true;
      disableGuiErrorDisplay();
    } else if (is(a, u"-console")) {
      consoleAttached = attachConsole();
    } else if (is(a, u"-c")) {
      modes.quiet = true;
      disableGuiErrorDisplay();
      if (!consoleAttached) {
        consoleAttached = attachConsole();
        if (!consoleAttached) failConsole();
      }
    } else if (is(a, u"-manual") || is(a, u"/manual")) {
      modes.manual = true;
    }
  }
}

}  // namespace

int WINAPI WinMain(HINSTANCE, HINSTANCE, LPSTR, int) {
  logMessage("Init");
  applyQuietSwitchesEarly();
  InitCommonControls();
  loadConfiguration();
  determineLauncherKind();
  setNativeLibraryPath();
  if (!runModes().languageRestart) enterConfiguredWorkingDirectory();

  ArgumentList arguments;
  splitArguments(reinterpret_cast<const char16_t*>(GetCommandLineW()), &arguments);
  scanSwitches(arguments);
  if (!runModes().languageRestart) checkSingleInstance();
  logMessage("Init done");
  runLaunchPipeline(nullptr);
  freeArgumentList(&arguments);
  return 0;
}
