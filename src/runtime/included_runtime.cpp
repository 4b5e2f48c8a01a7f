#include "runtime/included_runtime.h"

#include <windows.h>
#include <direct.h>
#include <stdio.h>
#include <stdlib.h>

#include "common/text.h"
#include "jvm/search_sequence.h"
#include "log/log.h"
#include "media/configuration.h"
#include "media/record_ids.h"
#include "runtime/pack200.h"
#include "runtime/tar_reader.h"
#include "ui/progress_window.h"
#include "ui/error_display.h"

namespace {
// Written on the work thread before the animation starts, and once.
unsigned long duration = 0;
volatile bool expansionDone = false;
}  // namespace

unsigned long unpackDuration() { return duration; }
bool unpackDone() { return expansionDone; }

void unpackIncludedRuntime(void* window) {
  DWORD started = GetTickCount();
  logMessage("extracting JRE");
  if (_mkdir("jre") != 0) logError("Could not create JRE dir");
  if (!untarRuntime("jre.tar.gz", "jre", window, configInt(kRecord_includedJreSize))) {
    logError("Could not untar JRE");
    fatalError("The bundled JRE is corrupted. If you downloaded the setup file please download it again.");
  }
  remove("jre.tar.gz");
  duration = GetTickCount() - started;
  if (configInt(kRecord_packedJre)) {
    logMessage("JRE is packed");
    if (window) startWindowThread(animateExpansionProgress, static_cast<HWND>(window), true);
    expandPackedRuntime("jre");
    expandPackedRuntime("jre\\jre");
    expansionDone = true;
  }
  useIncludedRuntime();
}

void useIncludedRuntime() {
  Text directory;
  if (!_fullpath(directory, "jre", sizeof directory)) directory[0] = 0;
  logMessage("JRE dir: %s", directory);
  if (LoadDLL(false, directory, false)) return;
  logError("Could not load bundled JRE. Trying to find another JRE.");
  if (LoadDLL(false, nullptr, false)) return;
  logError("Could not find another JRE.");
  fatalError("Could not use bundled JRE. Please send this log file to your software vendor:");
}
