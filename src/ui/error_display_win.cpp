#include "ui/error_display_win.h"

#include <stdio.h>
#include <stdlib.h>

#include "core/configuration.h"
#include "core/log.h"
#include "core/paths.h"
#include "core/record_ids.h"
#include "core/text.h"
#include "platform/code_page_win.h"

namespace {

// Set by the progress window on the main thread while it exists.
HWND errorOwner = nullptr;

// The kept log's path in its long form, or null when there is no log.
const char* logHint(Text& buffer) {
  const char* path = keepLog();
  // A log that could not be created is not named.
  if (!path || GetFileAttributesA(path) == INVALID_FILE_ATTRIBUTES) return nullptr;
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
  char* narrow = narrowCopy(CP_ACP, text);
  if (!narrow) return;
  fprintf(stderr, "%s\n", narrow);
  fflush(stderr);
  free(narrow);
}

}  // namespace

void setErrorOwner(HWND window) { errorOwner = window; }

int showWideBox(const ConfigTables& config, HWND owner, const char16_t* text, UINT type) {
  WideText caption;
  configWString(config, kRecord_caption, caption);
  return MessageBoxW(owner, reinterpret_cast<const wchar_t*>(text), reinterpret_cast<const wchar_t*>(caption), type);
}

void showError(const LaunchContext& context, const char* text) {
  Text longLog;
  const char* log = logHint(longLog);
  Text message;
  copyText(message, sizeof message, text);
  if (log) {
    appendText(message, sizeof message, "\n\nLog: ");
    appendText(message, sizeof message, log);
  }
  if (context.guiErrors) {
    Text caption;
    configString(context.config, kRecord_errorCaption, caption, sizeof caption);
    MessageBoxA(errorOwner, message, caption, MB_ICONERROR);
  } else {
    fprintf(stderr, "%s\n", message);
    fflush(stderr);
  }
}

void showErrorW(const LaunchContext& context, const char16_t* text) {
  Text longLog;
  const char* log = logHint(longLog);
  WideText message;
  copyWideText(message, kTextCapacity, text);
  if (log) {
    size_t used = appendWideText(message, kTextCapacity, u"\n\nLog: ");
    wideFromNarrow(fileCodePage(), log, message + used, kTextCapacity - used);
  }
  if (context.guiErrors) {
    showWideBox(context.config, errorOwner, message, MB_ICONERROR);
  } else {
    writeWideToErrorStream(message);
  }
}

void showConfigError(const LaunchContext& context, int32_t id, const char* argument) {
  Text text;
  configString(context.config, id, text, sizeof text);
  if (argument) replaceFirstPlaceholder(text, sizeof text, argument);
  showError(context, text);
}
