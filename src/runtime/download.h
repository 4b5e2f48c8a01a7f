// Downloading a runtime archive as "jre.tar.gz" into the work directory.
#pragma once

#include <windows.h>

// wininet.dll is loaded from the system directory when a download starts.
// Returns only when the whole archive is there; every failure ends the
// process with record 20002 or 20003. A download canceled through
// cancelDownload ends the calling thread instead.
void downloadRuntime(void* window, const char* location);

// True when all six Internet functions were found; they stay for the process.
bool loadInternetFunctions();
// Without a window nothing is shown. False on failure or when canceled.
bool downloadFile(HWND window, const char* url, const char* destination);

// Called by the progress window's thread when the user cancels: a running
// download writes nothing more, and its partial file is deleted now.
void cancelDownload();
