// Downloading a runtime archive as "jre.tar.gz" into the work directory.
#pragma once

#include <windows.h>
#include <wininet.h>

#include "core/configuration.h"
#include "core/progress.h"
#include "launch/launch_context.h"

// The six WinINet functions the download uses, looked up in wininet.dll
// from the system directory when a download starts.
struct InternetFunctions {
  HINTERNET(WINAPI* openUrl)(HINTERNET, LPCSTR, LPCSTR, DWORD, DWORD, DWORD_PTR);
  HINTERNET(WINAPI* open)(LPCSTR, DWORD, LPCSTR, LPCSTR, DWORD);
  BOOL(WINAPI* queryInfo)(HINTERNET, DWORD, LPVOID, LPDWORD, LPDWORD);
  DWORD(WINAPI* attemptConnect)(DWORD);
  BOOL(WINAPI* close)(HINTERNET);
  BOOL(WINAPI* read)(HINTERNET, LPVOID, DWORD, LPDWORD);
};

// True with the whole archive in place. False with the context's failure:
// WinINet missing (20002), the download failed (20003), or the user
// canceled it through cancelDownload (the thread then only has to stop).
bool downloadRuntime(LaunchContext& context, const Progress* progress, const char* location);

// True when all six functions were found; the library stays for the process.
bool loadInternetFunctions(InternetFunctions* internet);
// The texts of the status line come from the configuration. False on
// failure or when canceled.
bool downloadFile(const InternetFunctions& internet, const ConfigTables& config, const Progress* progress,
                  const char* url, const char* destination);

// Called by the progress window's thread when the user cancels: a running
// download writes nothing more, and its partial file is deleted now.
void cancelDownload();
