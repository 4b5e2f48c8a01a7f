// The launcher's entry: the start-up sequence as far as it is built.
#include <windows.h>
#include <commctrl.h>

#include "log/log.h"
#include "media/media_file.h"
#include "ui/error_display.h"
#include "windows/launch_pipeline.h"
#include "windows/split_arguments.h"
#include "windows/startup_state.h"

namespace {

// The configuration load can already fail, and whether its error is a box
// or a line on the error stream is the quiet switches' decision, so they
// are looked at before the load. The full switch scan follows it.
void applyQuietSwitchesEarly() {
  ArgumentList arguments;
  splitArgumentTokens(reinterpret_cast<const char16_t*>(GetCommandLineW()), &arguments);
  for (int i = 0; i < arguments.count; ++i) {
    const char16_t* a = arguments.items[i];
    if (a[0] == u'-' && (a[1] == u'q' || a[1] == u'c') && a[2] == 0) {
      runModes().quiet = true;
      disableGuiErrorDisplay();
    }
  }
  freeArgumentList(&arguments);
}

}  // namespace

int WINAPI WinMain(HINSTANCE, HINSTANCE, LPSTR, int) {
  logMessage("Init");
  applyQuietSwitchesEarly();
  InitCommonControls();
  loadConfiguration();
  logMessage("Init done");
  runLaunchPipeline(nullptr);
  return 0;
}
