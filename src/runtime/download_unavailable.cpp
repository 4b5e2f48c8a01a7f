// This launcher cannot download a runtime yet: choosing Download says so
// and ends the launch, as a failed download does.
#include "runtime/download.h"

#include "log/log.h"
#include "ui/error_display.h"

void downloadRuntime(void*, const char* location) {
  logError("Download of %s not available", location);
  fatalError("Downloading a Java runtime is not available in this installer.");
}
