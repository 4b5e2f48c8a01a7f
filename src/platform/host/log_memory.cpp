#include "platform/host/log_memory.h"

#include <stdarg.h>
#include <stdio.h>

#include "core/log.h"

namespace {

std::string lines;

void append(const char* prefix, const char* format, va_list arguments) {
  char buffer[8192];
  vsnprintf(buffer, sizeof buffer, format, arguments);
  lines += prefix;
  lines += buffer;
  lines += '\n';
}

}  // namespace

void logMessage(const char* format, ...) {
  va_list arguments;
  va_start(arguments, format);
  append("", format, arguments);
  va_end(arguments);
}

void logError(const char* format, ...) {
  va_list arguments;
  va_start(arguments, format);
  append("ERROR: ", format, arguments);
  va_end(arguments);
}

const char* keepLog() { return nullptr; }

const std::string& capturedLog() { return lines; }
void clearCapturedLog() { lines.clear(); }
