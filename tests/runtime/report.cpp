#include "report.h"

#include <windows.h>
#include <stdio.h>
#include <string.h>

#include "scenario.h"

namespace {

void append(ReportLine& line, const char* text, size_t length) {
  if (line.length + length > line.capacity) {
    size_t capacity = (line.length + length) * 2 + 256;
    void* grown = line.data ? HeapReAlloc(GetProcessHeap(), 0, line.data, capacity)
                            : HeapAlloc(GetProcessHeap(), 0, capacity);
    line.data = static_cast<char*>(grown);
    line.capacity = capacity;
  }
  memcpy(line.data + line.length, text, length);
  line.length += length;
}

void appendText(ReportLine& line, const char* text) {
  append(line, text, strlen(text));
}

void appendUnit(ReportLine& line, unsigned unit) {
  char escaped[8];
  if (unit == '"' || unit == '\\') {
    escaped[0] = '\\';
    escaped[1] = static_cast<char>(unit);
    append(line, escaped, 2);
  } else if (unit >= 0x20 && unit < 0x7F) {
    escaped[0] = static_cast<char>(unit);
    append(line, escaped, 1);
  } else {
    snprintf(escaped, sizeof escaped, "\\u%04x", unit);
    append(line, escaped, 6);
  }
}

}  // namespace

void beginLine(ReportLine& line, const char* event) {
  line.length = 0;
  appendText(line, "{\"event\":\"");
  appendText(line, event);
  appendText(line, "\"");
}

void addKey(ReportLine& line, const char* key) {
  appendText(line, ",\"");
  appendText(line, key);
  appendText(line, "\":");
}

void addRaw(ReportLine& line, const char* json) {
  appendText(line, json);
}

void addNumber(ReportLine& line, long long value) {
  // By hand: msvcrt's and the compiler's ideas of a 64-bit format differ.
  char text[24];
  char* p = text + sizeof text;
  *--p = 0;
  unsigned long long magnitude = value < 0 ? 0ULL - static_cast<unsigned long long>(value) : value;
  do {
    *--p = static_cast<char>('0' + magnitude % 10);
    magnitude /= 10;
  } while (magnitude);
  if (value < 0) *--p = '-';
  appendText(line, p);
}

void addBool(ReportLine& line, bool value) {
  appendText(line, value ? "true" : "false");
}

void addUtf16(ReportLine& line, const wchar_t* text, size_t units) {
  if (!text) {
    appendText(line, "null");
    return;
  }
  appendText(line, "\"");
  for (size_t i = 0; i < units; ++i) appendUnit(line, static_cast<unsigned short>(text[i]));
  appendText(line, "\"");
}

void addBytes(ReportLine& line, const char* text) {
  if (!text) {
    appendText(line, "null");
    return;
  }
  appendText(line, "\"");
  for (; *text; ++text) appendUnit(line, static_cast<unsigned char>(*text));
  appendText(line, "\"");
}

void writeLine(ReportLine& line) {
  appendText(line, "}\n");
  HANDLE file = CreateFileW(reportPath(), FILE_APPEND_DATA, FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE,
                            nullptr, OPEN_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr);
  if (file != INVALID_HANDLE_VALUE) {
    DWORD written = 0;
    WriteFile(file, line.data, static_cast<DWORD>(line.length), &written, nullptr);
    CloseHandle(file);
  }
  HeapFree(GetProcessHeap(), 0, line.data);
  line = ReportLine();
}

void reportCommandLine(const char* program) {
  const wchar_t* commandLine = GetCommandLineW();
  ReportLine line;
  beginLine(line, "commandLine");
  addKey(line, "program");
  addBytes(line, program);
  addKey(line, "commandLine");
  addUtf16(line, commandLine, lstrlenW(commandLine));
  writeLine(line);
}
