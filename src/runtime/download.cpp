#include "runtime/download.h"

#include <windows.h>
#include <wininet.h>
#include <stdio.h>

#include "common/critical_section.h"
#include "common/system_library.h"
#include "common/text.h"
#include "log/log.h"
#include "media/configuration.h"
#include "media/record_ids.h"
#include "runtime/download_status.h"
#include "ui/error_display.h"
#include "ui/progress_window.h"

namespace {

typedef HINTERNET(WINAPI* OpenUrlFunction)(HINTERNET, LPCSTR, LPCSTR, DWORD, DWORD, DWORD_PTR);
typedef HINTERNET(WINAPI* OpenFunction)(LPCSTR, DWORD, LPCSTR, LPCSTR, DWORD);
typedef BOOL(WINAPI* QueryInfoFunction)(HINTERNET, DWORD, LPVOID, LPDWORD, LPDWORD);
typedef DWORD(WINAPI* AttemptConnectFunction)(DWORD);
typedef BOOL(WINAPI* CloseFunction)(HINTERNET);
typedef BOOL(WINAPI* ReadFunction)(HINTERNET, LPVOID, DWORD, LPDWORD);

// Filled once, on the thread that downloads, and kept for the process.
struct {
  OpenUrlFunction openUrl;
  OpenFunction open;
  QueryInfoFunction queryInfo;
  AttemptConnectFunction attemptConnect;
  CloseFunction close;
  ReadFunction read;
} internet;

// The user may cancel on the window's thread while the download runs on
// another. The guard orders a cancel against every write to the file, its
// close and its rename, so once cancelDownload returns the downloading
// thread writes nothing more and the partial file is gone. The reads
// happen outside it: a read that waits on a stalled server must not keep
// the window from ending.
CriticalSection guard;
bool running = false;
bool canceled = false;
FILE* partFile = nullptr;
Text partPath;

bool isCanceled() {
  Locked locked(guard);
  return canceled;
}

constexpr DWORD kUrlFlags = INTERNET_FLAG_PASSIVE | INTERNET_FLAG_NO_CACHE_WRITE;
constexpr DWORD kBuffer = 16384;

void closeBoth(HINTERNET request, HINTERNET session) {
  internet.close(request);
  internet.close(session);
}

void showProgress(HWND window, DWORD received, DWORD length, DWORD elapsed) {
  WideText format;
  configWString(kRecord_downloadStatus, format);
  WideText status;
  fillDownloadStatus(format, downloadFigures(received, length, elapsed), status, kTextCapacity);
  setDlgItemTextWide(window, kProgressStatus, status);
  setProgressPosition(window, static_cast<int>(received * 100.0 / length));
}

// Closes the file and moves it to the destination, unless the download
// was canceled meanwhile, which already deleted it.
bool finishFile(const char* destination) {
  Locked locked(guard);
  if (canceled) return false;
  FILE* file = partFile;
  partFile = nullptr;
  if (fclose(file) != 0) {
    logError("writing the destination file %s failed on closing", partPath);
    DeleteFileA(partPath);
    return false;
  }
  DeleteFileA(destination);
  if (!MoveFileA(partPath, destination)) {
    logError("renaming %s failed with error code %d", partPath, static_cast<int>(GetLastError()));
    DeleteFileA(partPath);
    return false;
  }
  return true;
}

void dropFile() {
  Locked locked(guard);
  if (!partFile) return;
  fclose(partFile);
  partFile = nullptr;
  DeleteFileA(partPath);
}

// Received into "<destination>.part", which becomes the destination only
// when every byte arrived and the file was written and closed without error.
bool receiveFile(HWND window, HINTERNET session, HINTERNET request, DWORD length, const char* destination) {
  logMessage("file size: %d, handle %p", static_cast<int>(length), static_cast<void*>(request));
  {
    Locked locked(guard);
    copyText(partPath, sizeof partPath, destination);
    appendText(partPath, sizeof partPath, ".part");
    if (canceled) return false;
    partFile = fopen(partPath, "wb");
    if (!partFile) {
      logError("opening the destination file %s failed with error code %d", partPath,
               static_cast<int>(GetLastError()));
      closeBoth(request, session);
      return false;
    }
  }
  static char buffer[kBuffer];
  DWORD received = 0;
  DWORD start = GetTickCount();
  DWORD lastUpdate = 0;
  while (received < length) {
    DWORD wanted = length - received < kBuffer ? length - received : kBuffer;
    DWORD got = 0;
    BOOL read = internet.read(request, buffer, wanted, &got);
    DWORD error = GetLastError();
    {
      Locked locked(guard);
      // Canceled while the read waited: the file is gone and the window
      // has ended, so nothing is written or logged any more.
      if (canceled) return false;
      bool failed = true;
      if (!read)
        logError("InternetReadFile failed with error code %d", static_cast<int>(error));
      else if (got == 0)
        logError("The connection closed after %lu of %lu bytes", received, length);
      else if (fwrite(buffer, 1, got, partFile) != got)
        logError("writing the destination file %s failed with error code %d", partPath,
                 static_cast<int>(GetLastError()));
      else
        failed = false;
      if (failed) {
        dropFile();
        closeBoth(request, session);
        return false;
      }
    }
    received += got;
    DWORD now = GetTickCount();
    if (window && lastUpdate + 500 < now && !isCanceled()) {
      showProgress(window, received, length, now - start);
      lastUpdate = now;
    }
  }
  bool finished = finishFile(destination);
  closeBoth(request, session);
  if (finished) logMessage("download successful");
  return finished;
}

}  // namespace

bool loadInternetFunctions() {
  HMODULE library = loadSystemLibrary("wininet.dll");
  if (!library) {
    logError("Could not load wininet.dll");
    return false;
  }
  if (!lookUp(library, "InternetOpenUrlA", &internet.openUrl) || !lookUp(library, "InternetOpenA", &internet.open) ||
      !lookUp(library, "HttpQueryInfoA", &internet.queryInfo) ||
      !lookUp(library, "InternetAttemptConnect", &internet.attemptConnect) ||
      !lookUp(library, "InternetCloseHandle", &internet.close) ||
      !lookUp(library, "InternetReadFile", &internet.read)) {
    logError("Could not load wininet functions");
    return false;
  }
  return true;
}

bool downloadFile(HWND window, const char* url, const char* destination) {
  if (window) setDlgItemRecord(window, kProgressStatus, kRecord_downloadConnecting);
  DWORD attempt = internet.attemptConnect(0);
  if (attempt != 0) logError("InternetAttemptConnect returned %d", static_cast<int>(attempt));
  HINTERNET session = internet.open("quarrow download agent", INTERNET_OPEN_TYPE_PRECONFIG, nullptr, nullptr, 0);
  if (!session) {
    logError("InternetOpen failed with error code %d", static_cast<int>(GetLastError()));
    return false;
  }
  HINTERNET request = internet.openUrl(session, url, nullptr, 0, kUrlFlags, 0);
  if (!request) {
    logError("InternetOpenUrl failed with error code %d", static_cast<int>(GetLastError()));
    internet.close(session);
    return false;
  }
  DWORD length = 0;
  int failures = 0;
  for (;;) {
    DWORD size = sizeof length;
    if (internet.queryInfo(request, HTTP_QUERY_CONTENT_LENGTH | HTTP_QUERY_FLAG_NUMBER, &length, &size, nullptr))
      break;
    ++failures;
    logError("HttpQueryInfo (try %d) failed with error code %d", failures, static_cast<int>(GetLastError()));
    Sleep(300);
    internet.close(request);
    if (isCanceled()) {
      internet.close(session);
      return false;
    }
    request = internet.openUrl(session, url, nullptr, 0, kUrlFlags, 0);
    if (!request) {
      logError("InternetOpenUrl 2 failed with error code %d", static_cast<int>(GetLastError()));
      internet.close(session);
      return false;
    }
    if (failures == 20) break;
  }
  if (failures == 20) {
    logError("Giving up");
    closeBoth(request, session);
    return false;
  }
  return receiveFile(window, session, request, length, destination);
}

void cancelDownload() {
  Locked locked(guard);
  if (!running || canceled) return;
  canceled = true;
  if (partFile) {
    dropFile();
    logMessage("Download canceled, %s deleted", partPath);
  } else {
    logMessage("Download canceled");
  }
}

void downloadRuntime(void* handle, const char* location) {
  HWND window = static_cast<HWND>(handle);
  {
    Locked locked(guard);
    running = true;
  }
  if (window) {
    setDlgItemRecord(window, kProgressText, kRecord_downloadNotice);
    setDlgItemRecord(window, IDCANCEL, kRecord_labelCancel);
    ShowWindow(GetDlgItem(window, kProgressStatus), SW_SHOW);
  }
  if (!loadInternetFunctions()) fatalConfigErrorW(kRecord_errInternetInit);
  if (!downloadFile(window, location, "jre.tar.gz")) {
    // The window has ended and the process with it: this thread only
    // has to stop, without a message for a choice the user made.
    if (isCanceled()) ExitThread(1);
    fatalConfigErrorW(kRecord_errDownloadFailed);
  }
  if (window) ShowWindow(GetDlgItem(window, kProgressStatus), SW_HIDE);
}
