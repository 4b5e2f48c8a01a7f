#include "runtime/download.h"

#include <windows.h>
#include <commctrl.h>
#include <wininet.h>
#include <stdio.h>
#include <string.h>

#include "common/system_library.h"
#include "common/text.h"
#include "log/log.h"
#include "media/configuration.h"
#include "media/record_ids.h"
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

constexpr DWORD kUrlFlags = INTERNET_FLAG_PASSIVE | INTERNET_FLAG_NO_CACHE_WRITE;
constexpr DWORD kBuffer = 16384;

void setStatus(HWND window, const char16_t* text) {
  if (window) setDlgItemTextWide(window, kProgressStatus, text);
}


// Record 20008 with its four placeholders filled in order, literally: the
// configured text is never a printf format.
void formatStatus(char16_t* text, size_t capacity, const double values[4]) {
  WideText format;
  configWString(kRecord_downloadStatus, format);
  size_t used = 0;
  int next = 0;
  for (const char16_t* c = format; *c && used + 1 < capacity;) {
    if (c[0] == u'%' && next < 4) {
      const char16_t* end = c + 1;
      while (*end && !((*end >= u'a' && *end <= u'z') || (*end >= u'A' && *end <= u'Z'))) ++end;
      if (*end == u'f' || *end == u'g' || *end == u'e') {
        char number[32];
        snprintf(number, sizeof number, "%.1f", values[next++]);
        for (const char* n = number; *n && used + 1 < capacity; ++n) text[used++] = static_cast<char16_t>(*n);
        c = end + 1;
        continue;
      }
    }
    text[used++] = *c++;
  }
  text[used] = 0;
}

void closeBoth(HINTERNET request, HINTERNET session) {
  internet.close(request);
  internet.close(session);
}

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

// Received into "<destination>.part", which becomes the destination only
// when every byte arrived and the file was written and closed without error.
bool receiveFile(HWND window, HINTERNET session, HINTERNET request, DWORD length, const char* destination) {
  logMessage("file size: %d, handle %p", static_cast<int>(length), static_cast<void*>(request));
  Text part;
  copyText(part, sizeof part, destination);
  appendText(part, sizeof part, ".part");
  FILE* file = fopen(part, "wb");
  if (!file) {
    logError("opening the destination file %s failed with error code %d", part, static_cast<int>(GetLastError()));
    closeBoth(request, session);
    return false;
  }
  static char buffer[kBuffer];
  DWORD received = 0;
  DWORD start = GetTickCount();
  DWORD lastUpdate = 0;
  bool ok = true;
  while (received < length) {
    DWORD wanted = length - received < kBuffer ? length - received : kBuffer;
    DWORD got = 0;
    if (!internet.read(request, buffer, wanted, &got)) {
      logError("InternetReadFile failed with error code %d", static_cast<int>(GetLastError()));
      ok = false;
      break;
    }
    if (got == 0) {
      logError("The connection closed after %lu of %lu bytes", received, length);
      ok = false;
      break;
    }
    received += got;
    if (fwrite(buffer, 1, got, file) != got) {
      logError("writing the destination file %s failed with error code %d", part, static_cast<int>(GetLastError()));
      ok = false;
      break;
    }
    DWORD now = GetTickCount();
    if (lastUpdate + 500 < now) {
      DWORD elapsed = now - start;
      double values[4] = {received / 1048576.0, length / 1048576.0, received * 100.0 / length,
                          elapsed ? static_cast<double>(received) / elapsed : 0.0};
      WideText status;
      formatStatus(status, kTextCapacity, values);
      setStatus(window, status);
      lastUpdate = now;
      if (window)
        SendDlgItemMessageA(window, kProgressBar, PBM_SETPOS, static_cast<WPARAM>(received * 100.0 / length), 0);
    }
  }
  bool closed = fclose(file) == 0;
  closeBoth(request, session);
  if (ok && !closed) logError("writing the destination file %s failed on closing", part);
  if (!ok || !closed) {
    DeleteFileA(part);
    return false;
  }
  DeleteFileA(destination);
  if (!MoveFileA(part, destination)) {
    logError("renaming %s failed with error code %d", part, static_cast<int>(GetLastError()));
    DeleteFileA(part);
    return false;
  }
  logMessage("download successful");
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

}  // namespace

void downloadRuntime(void* handle, const char* location) {
  HWND window = static_cast<HWND>(handle);
  if (window) {
    setDlgItemRecord(window, kProgressText, kRecord_downloadNotice);
    setDlgItemRecord(window, IDCANCEL, kRecord_labelCancel);
    ShowWindow(GetDlgItem(window, kProgressStatus), SW_SHOW);
  }
  if (!loadInternetFunctions()) fatalConfigErrorW(kRecord_errInternetInit);
  if (!downloadFile(window, location, "jre.tar.gz")) fatalConfigErrorW(kRecord_errDownloadFailed);
  if (window) ShowWindow(GetDlgItem(window, kProgressStatus), SW_HIDE);
}
