#include "launch/download_win.h"

#include <stdio.h>
#include <string.h>

#include "core/download_status.h"
#include "core/log.h"
#include "core/path_builder.h"
#include "core/record_ids.h"
#include "core/text.h"
#include "platform/critical_section_win.h"
#include "platform/system_library_win.h"

namespace {

// The one download of a process. The user may cancel on the window's
// thread while the download runs on another. The guard orders a cancel
// against every write to the file, its close and its rename, so once
// cancelDownload returns the downloading thread writes nothing more and the
// partial file is gone. The reads happen outside it: a read that waits on
// a stalled server must not keep the window from ending.
struct PartialFile {
  CriticalSection guard;
  bool running = false;
  bool canceled = false;
  FILE* file = nullptr;
  Text path;
  // The file's name, as the log shows it.
  const char* name = path;
};
PartialFile part;

bool isCanceled() {
  Locked locked(part.guard);
  return part.canceled;
}

constexpr DWORD kUrlFlags = INTERNET_FLAG_PASSIVE | INTERNET_FLAG_NO_CACHE_WRITE;
constexpr DWORD kBuffer = 16384;

// A WinINet handle, closed through the looked-up InternetCloseHandle.
class InternetHandle {
 public:
  InternetHandle(const InternetFunctions& internet, HINTERNET handle) : internet_(internet), handle_(handle) {}
  ~InternetHandle() { close(); }
  InternetHandle(const InternetHandle&) = delete;
  InternetHandle& operator=(const InternetHandle&) = delete;
  HINTERNET get() const { return handle_; }
  void reset(HINTERNET handle) {
    close();
    handle_ = handle;
  }
  void close() {
    if (handle_) internet_.close(handle_);
    handle_ = nullptr;
  }

 private:
  const InternetFunctions& internet_;
  HINTERNET handle_;
};

OWN_FRAME void showStatusRecord(const ConfigTables& config, const Progress* progress, int32_t record) {
  WideText text;
  configWString(config, record, text);
  progressStatus(progress, text);
}

OWN_FRAME void fillStatus(const ConfigTables& config, const DownloadFigures& figures, WideText& status) {
  WideText format;
  configWString(config, kRecord_downloadStatus, format);
  fillDownloadStatus(format, figures, status, kTextCapacity);
}

void showProgress(const ConfigTables& config, const Progress* progress, DWORD received, DWORD length,
                  DWORD elapsed) {
  WideText status;
  fillStatus(config, downloadFigures(received, length, elapsed), status);
  progressStatus(progress, status);
  progressPosition(progress, static_cast<int>(received * 100.0 / length));
}

// Closes the file and moves it to the destination, unless the download
// was canceled meanwhile, which already deleted it.
bool finishFile(const char* destination) {
  Locked locked(part.guard);
  if (part.canceled) return false;
  FILE* file = part.file;
  part.file = nullptr;
  if (fclose(file) != 0) {
    logError("writing the destination file %s failed on closing", part.name);
    DeleteFileA(part.path);
    return false;
  }
  DeleteFileA(destination);
  if (!MoveFileA(part.path, destination)) {
    logError("renaming %s failed with error code %d", part.name, static_cast<int>(GetLastError()));
    DeleteFileA(part.path);
    return false;
  }
  return true;
}

// Called under the guard.
void dropFile() {
  if (!part.file) return;
  fclose(part.file);
  part.file = nullptr;
  DeleteFileA(part.path);
}

// Received into "<destination>.part", which becomes the destination only
// when every byte arrived and the file was written and closed without error.
bool receiveFile(const InternetFunctions& internet, const ConfigTables& config, const Progress* progress,
                 HINTERNET request, DWORD length, const char* destination) {
  logMessage("file size: %d, handle %p", static_cast<int>(length), static_cast<void*>(request));
  {
    Locked locked(part.guard);
    copyText(part.path, sizeof part.path, destination);
    appendText(part.path, sizeof part.path, ".part");
    const char* slash = strrchr(part.path, '\\');
    part.name = slash ? slash + 1 : part.path;
    if (part.canceled) return false;
    part.file = fopen(part.path, "wb");
    if (!part.file) {
      logError("opening the destination file %s failed with error code %d", part.name,
               static_cast<int>(GetLastError()));
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
      Locked locked(part.guard);
      // Canceled while the read waited: the file is gone and the window
      // has ended, so nothing is written or logged any more.
      if (part.canceled) return false;
      bool failed = true;
      if (!read)
        logError("InternetReadFile failed with error code %d", static_cast<int>(error));
      else if (got == 0)
        logError("The connection closed after %lu of %lu bytes", received, length);
      else if (fwrite(buffer, 1, got, part.file) != got)
        logError("writing the destination file %s failed with error code %d", part.name,
                 static_cast<int>(GetLastError()));
      else
        failed = false;
      if (failed) {
        dropFile();
        return false;
      }
    }
    received += got;
    DWORD now = GetTickCount();
    if (progress && lastUpdate + 500 < now && !isCanceled()) {
      showProgress(config, progress, received, length, now - start);
      lastUpdate = now;
    }
  }
  return finishFile(destination);
}

}  // namespace

bool loadInternetFunctions(InternetFunctions* internet) {
  HMODULE library = loadSystemLibrary("wininet.dll");
  if (!library) {
    logError("Could not load wininet.dll");
    return false;
  }
  if (!lookUp(library, "InternetOpenUrlA", &internet->openUrl) || !lookUp(library, "InternetOpenA", &internet->open) ||
      !lookUp(library, "HttpQueryInfoA", &internet->queryInfo) ||
      !lookUp(library, "InternetAttemptConnect", &internet->attemptConnect) ||
      !lookUp(library, "InternetCloseHandle", &internet->close) ||
      !lookUp(library, "InternetReadFile", &internet->read)) {
    logError("Could not load wininet functions");
    return false;
  }
  return true;
}

bool downloadFile(const InternetFunctions& internet, const ConfigTables& config, const Progress* progress,
                  const char* url, const char* destination) {
  if (progress) showStatusRecord(config, progress, kRecord_downloadConnecting);
  DWORD attempt = internet.attemptConnect(0);
  if (attempt != 0) logError("InternetAttemptConnect returned %d", static_cast<int>(attempt));
  InternetHandle session(internet,
                         internet.open("quarrow download agent", INTERNET_OPEN_TYPE_PRECONFIG, nullptr, nullptr, 0));
  if (!session.get()) {
    logError("InternetOpen failed with error code %d", static_cast<int>(GetLastError()));
    return false;
  }
  InternetHandle request(internet, internet.openUrl(session.get(), url, nullptr, 0, kUrlFlags, 0));
  if (!request.get()) {
    logError("InternetOpenUrl failed with error code %d", static_cast<int>(GetLastError()));
    return false;
  }
  DWORD length = 0;
  int failures = 0;
  for (;;) {
    DWORD size = sizeof length;
    if (internet.queryInfo(request.get(), HTTP_QUERY_CONTENT_LENGTH | HTTP_QUERY_FLAG_NUMBER, &length, &size,
                           nullptr))
      break;
    ++failures;
    logError("HttpQueryInfo (try %d) failed with error code %d", failures, static_cast<int>(GetLastError()));
    Sleep(300);
    request.close();
    if (isCanceled()) return false;
    request.reset(internet.openUrl(session.get(), url, nullptr, 0, kUrlFlags, 0));
    if (!request.get()) {
      logError("InternetOpenUrl 2 failed with error code %d", static_cast<int>(GetLastError()));
      return false;
    }
    if (failures == 20) break;
  }
  if (failures == 20) {
    logError("Giving up");
    return false;
  }
  bool received = receiveFile(internet, config, progress, request.get(), length, destination);
  if (received) logMessage("download successful");
  return received;
}

void cancelDownload() {
  Locked locked(part.guard);
  if (!part.running || part.canceled) return;
  part.canceled = true;
  if (part.file) {
    dropFile();
    logMessage("Download canceled, %s deleted", part.name);
  } else {
    logMessage("Download canceled");
  }
}

bool downloadRuntime(LaunchContext& context, const Progress* progress, const char* location) {
  {
    Locked locked(part.guard);
    part.running = true;
  }
  if (progress) {
    WideText notice;
    configWString(context.config, kRecord_downloadNotice, notice);
    progressMessage(progress, notice);
    progressStatus(progress, u"");
  }
  InternetFunctions internet;
  if (!loadInternetFunctions(&internet)) return fail(context.failure, FailureKind::internetInit);
  // Into the work directory by its full path, wherever the current directory is.
  Text destination;
  if (!PathBuilder(destination).add(context.workDirectory).join("jre.tar.gz").whole())
    return fail(context.failure, FailureKind::downloadFailed);
  if (!downloadFile(internet, context.config, progress, location, destination))
    return fail(context.failure, isCanceled() ? FailureKind::canceled : FailureKind::downloadFailed);
  progressStatus(progress, nullptr);
  return true;
}
