#include "core/log.h"

#include <windows.h>
#include <stdarg.h>
#include <stdio.h>
#include <stdlib.h>
#include <string.h>
#include <time.h>

#include "core/text.h"

namespace {

// Lines from the main, work, watcher and animation threads must not
// interleave, and the one shared FILE must never serve two calls at once.
struct LogLock {
  CRITICAL_SECTION section;
  LogLock() { InitializeCriticalSection(&section); }
};

LogLock logLock;
char* logPath = nullptr;
FILE* logFile = nullptr;
bool initialised = false;
bool kept = false;

bool environmentSaysKeep(const char* name) {
  Text value;
  DWORD n = GetEnvironmentVariableA(name, value, sizeof value);
  return n > 0 && n < sizeof value && strcmp(value, "yes") == 0;
}

void deleteLogAtExit() {
  if (!kept && logPath) DeleteFileA(logPath);
}

void setUpLog() {
  initialised = true;
  bool keep = environmentSaysKeep("LANTOR_LOG");
  if (environmentSaysKeep("QUARROW_LOG")) keep = true;
  if (!keep) atexit(deleteLogAtExit);

  logPath = _tempnam("c:\\", "qrw_nlog_");
  if (logPath) logFile = fopen(logPath, "w");
  if (!logFile) {
    free(logPath);
    logPath = _strdup("c:\\qrw_nlog");
    if (!logPath) return;
    logFile = fopen(logPath, "w");
    if (!logFile) return;
  }

  Text module;
  DWORD n = GetModuleFileNameA(nullptr, module, sizeof module);
  if (n >= sizeof module) module[sizeof module - 1] = 0;
  time_t now = time(nullptr);
  const char* started = ctime(&now);
  fprintf(logFile, "Started executable %s at %s\n", module, started ? started : "\n");
  fflush(logFile);
}

void writeLine(const char* prefix, const char* format, va_list arguments) {
  EnterCriticalSection(&logLock.section);
  if (logPath && !logFile) logFile = fopen(logPath, "a");
  if (!initialised) setUpLog();
  if (logFile) {
    if (prefix) fputs(prefix, logFile);
    vfprintf(logFile, format, arguments);
    fputc('\n', logFile);
    fclose(logFile);
    logFile = nullptr;
  }
  LeaveCriticalSection(&logLock.section);
}

}  // namespace

void logMessage(const char* format, ...) {
  va_list arguments;
  va_start(arguments, format);
  writeLine(nullptr, format, arguments);
  va_end(arguments);
}

void logError(const char* format, ...) {
  va_list arguments;
  va_start(arguments, format);
  writeLine("ERROR: ", format, arguments);
  va_end(arguments);
}

const char* keepLog() {
  EnterCriticalSection(&logLock.section);
  kept = true;
  const char* path = logPath;
  LeaveCriticalSection(&logLock.section);
  return path;
}
