#include "launch/install_marker.h"

#include <windows.h>

#include "launch/download_win.h"
#include "platform/critical_section_win.h"
#include "platform/registry_win.h"

namespace {
const char kMarkerKey[] = "SOFTWARE\\orlinde\\lantor\\";
const char kMarkerValue[] = "InstallStarted";
// Orders a cancel against a work thread that is about to set the mark.
CriticalSection guard;
}  // namespace

void setInstallStarted(const LaunchContext& context, bool started) {
  Locked locked(guard);
  if (started && context.canceled) return;
  writeUserDword(kMarkerKey, kMarkerValue, started ? 1 : 0);
}

// Only a 4-byte REG_DWORD counts: a value of another type or size left by
// something else is not the mark.
bool isInstallStarted() {
  DWORD value = 0;
  DWORD type = 0;
  return readUserDword(kMarkerKey, kMarkerValue, &value, &type) && type == REG_DWORD && value != 0;
}

void cancelLaunch(LaunchContext& context) {
  context.canceled = true;
  cancelDownload();
  setInstallStarted(context, false);
}
