// Downloading a runtime archive as "jre.tar.gz" into the work directory.
#pragma once

// wininet.dll is loaded from the system directory when a download starts.
// Returns only when the whole archive is there; every failure ends the
// process with record 20002 or 20003.
void downloadRuntime(void* window, const char* location);
