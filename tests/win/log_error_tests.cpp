// The log under concurrent callers, and the texts of error messages on the
// error stream (the display the quiet switches choose).
#include <windows.h>
#include <stdio.h>
#include <stdlib.h>
#include <string>

#include "check.h"
#include "core/log.h"
#include "core/configuration.h"
#include "launch/launch_context.h"
#include "launch/process_environment.h"
#include "ui/error_display_win.h"

static const int kThreads = 8;
static const int kLines = 150;

static DWORD WINAPI logLines(void* parameter) {
  int thread = static_cast<int>(reinterpret_cast<INT_PTR>(parameter));
  for (int i = 0; i < kLines; ++i) logMessage("thread %d line %d %s", thread, i, "----------------------------------");
  return 0;
}

static std::string readFile(const char* path) {
  std::string text;
  FILE* f = fopen(path, "rb");
  if (!f) return text;
  char buffer[4096];
  size_t n;
  while ((n = fread(buffer, 1, sizeof buffer, f)) > 0) text.append(buffer, n);
  fclose(f);
  return text;
}

// Every line of every thread arrives whole and once.
static void testConcurrentLogging() {
  logMessage("first");
  HANDLE threads[kThreads];
  for (int t = 0; t < kThreads; ++t)
    threads[t] = CreateThread(nullptr, 0, logLines, reinterpret_cast<void*>(static_cast<INT_PTR>(t)), 0, nullptr);
  WaitForMultipleObjects(kThreads, threads, TRUE, INFINITE);
  const char* path = keepLog();
  CHECK(path != nullptr);
  std::string log = readFile(path);
  int next[kThreads] = {};
  int whole = 0;
  size_t start = log.find("first\r\n");
  CHECK(start != std::string::npos);
  for (size_t at = start + 7; at < log.size();) {
    size_t end = log.find("\r\n", at);
    if (end == std::string::npos) break;
    int thread = -1, line = -1, used = 0;
    std::string text = log.substr(at, end - at);
    if (sscanf(text.c_str(), "thread %d line %d %n", &thread, &line, &used) == 2 && thread >= 0 &&
        thread < kThreads && line == next[thread] && text.substr(static_cast<size_t>(used)) == std::string(34, '-')) {
      ++next[thread];
      ++whole;
    }
    at = end + 2;
  }
  CHECK(whole == kThreads * kLines);
}

static std::string errorStreamOf(void (*show)()) {
  char path[MAX_PATH];
  GetTempPathA(MAX_PATH, path);
  strcat(path, "error_stream.txt");
  fflush(stderr);
  FILE* redirected = freopen(path, "w", stderr);
  show();
  fflush(stderr);
  if (redirected) fclose(stderr);
  std::string text = readFile(path);
  DeleteFileA(path);
  return text;
}

static LaunchContext context;

// The error stream is in text mode: each line break arrives as CR LF.
static std::string streamed(const std::string& text) {
  std::string out;
  for (char c : text) out += c == '\n' ? std::string("\r\n") : std::string(1, c);
  return out;
}

static std::string logHint() { return std::string("\n\nLog: ") + keepLog(); }

static void testErrorTexts() {
  context.guiErrors = false;
  static char internal[] = "An internal error occurred (error code: {0}) {0}";
  static char longText[9000];
  memset(longText, 'x', sizeof longText - 1);
  static ConfigRecord records[] = {{1009, internal}, {1006, longText}};
  context.config.records.items = records;
  context.config.records.count = 2;

  std::string shown = errorStreamOf([] { showConfigError(context, 1009, "7"); });
  CHECK_TEXT(shown.c_str(), streamed("An internal error occurred (error code: 7) {0}" + logHint() + "\n").c_str());

  shown = errorStreamOf([] { showConfigError(context, 1234, "7"); });
  CHECK_TEXT(shown.c_str(), streamed(logHint() + "\n").c_str());

  // The message is cut at 8191 characters: the log hint does not fit behind it.
  shown = errorStreamOf([] { showConfigError(context, 1006, nullptr); });
  CHECK_TEXT(shown.c_str(), (std::string(8191, 'x') + "\r\n").c_str());

  shown = errorStreamOf([] { showErrorW(context, u"wide \x00e9 \x0416"); });
  CHECK_TEXT(shown.c_str(), streamed("wide \xe9 ?" + logHint() + "\n").c_str());
}

// Which standard streams a console takes over: those that lead nowhere,
// never one redirected to a file or a pipe.
static void testStreamsABoundConsoleKeeps() {
  HANDLE read = nullptr;
  HANDLE write = nullptr;
  CHECK(CreatePipe(&read, &write, nullptr, 0));
  CHECK(streamIsBound(write));
  char path[MAX_PATH];
  GetTempPathA(MAX_PATH, path);
  strcat(path, "bound_stream.txt");
  HANDLE file = CreateFileA(path, GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, FILE_FLAG_DELETE_ON_CLOSE, nullptr);
  CHECK(streamIsBound(file));
  HANDLE nul = CreateFileA("NUL", GENERIC_WRITE, 0, nullptr, OPEN_EXISTING, 0, nullptr);
  CHECK(streamIsBound(nul));
  CHECK(!streamIsBound(nullptr));
  CHECK(!streamIsBound(INVALID_HANDLE_VALUE));
  CloseHandle(file);
  CloseHandle(nul);
  CloseHandle(read);
  CloseHandle(write);
}

int main() {
  testStreamsABoundConsoleKeeps();
  testConcurrentLogging();
  testErrorTexts();
  return checkSummary("log_error_tests");
}
