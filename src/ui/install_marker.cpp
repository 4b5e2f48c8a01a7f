#include "ui/install_marker.h"

#include <windows.h>

#include "common/critical_section.h"
#include "common/user_registry.h"

namespace {
const char kMarkerKey[] = "SOFTWARE\\orlinde\\lantor\\";
const char kMarkerValue[] = "InstallStarted";
CriticalSection guard;
bool canceled = false;
}  // namespace

void setInstallStarted(bool started) {
  Locked locked(guard);
  if (started && canceled) return;
  writeUserDword(kMarkerKey, kMarkerValue, started ? 1 : 0);
}

void cancelInstallStarted() {
  Locked locked(guard);
  canceled = true;
  setInstallStarted(false);
}

// Only a 4-byte REG_DWORD counts: a value of another type or size left by
// something else is not the mark.
bool isInstallStarted() {
  DWORD value = 0;
  DWORD type = 0;
  return readUserDword(kMarkerKey, kMarkerValue, &value, &type) && type == REG_DWORD && value != 0;
}
