#include "ui/error_display.h"

#include <windows.h>
#include <stdio.h>
#include <stdlib.h>

#include "common/text.h"
#include "log/log.h"
#include "media/configuration.h"
#include "media/paths.h"
#include "media/record_ids.h"

namespace {

bool guiDisplay = true;
HWND errorOwner = nullptr;

// The kept log's path in its long form, or null when there is no log.
const char* logHint(Text& buffer) {
  const char* path = keepLog();
  if (!path) return nullptr;
  if (longPathName(path, buffer, sizeof buffer) == 0) copyText(buffer, sizeof buffer, path);
  return buffer;
}

// A wide text for the error stream: UTF-16 on a console, else the ANSI code page.
void writeWideToErrorStream(const char16_t* text) {
  HANDLE stream = GetStdHandle(STD_ERROR_HANDLE);
  DWORD mode = 0;
  DWORD written = 0;
  fflush(stderr);
  if (GetConsoleMode(stream, &mode)) {
    WriteConsoleW(stream, text, static_cast<DWORD>(wideLength(text)), &written, nullptr);
    WriteConsoleW(stream, L"\n", 1, &written, nullptr);
    return;
  }
  int needed = WideCharToMultiByte(CP_ACP, 0, reinterpret_cast<const wchar_t*>(text), -1, nullptr, 0,
                                   "?", nullptr);
  if (needed <= 0) return;
  char* narrow = static_cast<char*>(malloc(static_cast<size_t>(needed)));
  if (!narrow) return;
  WideCharToMultiByte(CP_ACP, 0, reinterpret_cast<const wchar_t*>(text), -1, narrow, needed, "?",
                      nullptr);
  fprintf(stderr, "%s\n", narrow);
  fflush(stderr);
  free(narrow);
}

}  // namespace

void disableGuiErrorDisplay() { guiDisplay = false; }
bool guiErrorDisplay() { return guiDisplay; }
void setErrorOwner(void* window) { errorOwner = static_cast<HWND>(window); }

void showError(const char* text) {
  Text longLog;
  const char* log = logHint(longLog);
  Text message;
  copyText(message, sizeof message, text);
  if (log) {
    appendText(message, sizeof message, "\n\nLog: ");
    appendText(message, sizeof message, log);
  }
  if (guiDisplay) {
    Text caption;
    configString(kRecord_errorCaption, caption, sizeof caption);
    MessageBoxA(errorOwner, message, caption, MB_ICONERROR);
  } else {
    fprintf(stderr, "%s\n", message);
    fflush(stderr);
  }
}

void showErrorW(const char16_t* text) {
  Text longLog;
  const char* log = logHint(longLog);
  WideText message;
  copyWideText(message, kTextCapacity, text);
  if (log) {
    WideText wideLog;
    toWide(log, wideLog);
    appendWideText(message, kTextCapacity, u"\n\nLog: ");
    appendWideText(message, kTextCapacity, wideLog);
  }
  if (guiDisplay) {
    WideText caption;
    configWString(kRecord_caption, caption);
    MessageBoxW(errorOwner, reinterpret_cast<const wchar_t*>(message),
                reinterpret_cast<const wchar_t*>(caption), MB_ICONERROR);
  } else {
    writeWideToErrorStream(message);
  }
}

void fatalError(const char* text) {
  showError(text);
  ExitProcess(1);
}

void fatalConfigError(int32_t id, const char* argument) {
  showConfigError(id, argument);
  ExitProcess(1);
}

void fatalConfigErrorW(int32_t id) {
  WideText text;
  configWString(id, text);
  showErrorW(text);
  ExitProcess(1);
}
