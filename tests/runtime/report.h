// One JSON object per report line, built up and appended in one write, so
// that the programs of one run (java.exe, unpack200.exe, jvm.dll) can share
// a report file. Everything outside printable ASCII is written as \uXXXX:
// UTF-16 texts unit by unit, 8-bit texts byte by byte, so nothing depends on
// a code page and nothing is lost.
#pragma once

#include <stddef.h>

struct ReportLine {
  char* data = nullptr;
  size_t length = 0;
  size_t capacity = 0;
};

// Starts {"event":"<event>".
void beginLine(ReportLine& line, const char* event);
// Starts the next member: ,"<key>":
void addKey(ReportLine& line, const char* key);
void addRaw(ReportLine& line, const char* json);
void addNumber(ReportLine& line, long long value);
void addBool(ReportLine& line, bool value);
// A JSON string of UTF-16 units; a null text gives null.
void addUtf16(ReportLine& line, const wchar_t* text, size_t units);
// A JSON string of bytes, each byte above 0x7F as \u00XX; null gives null.
void addBytes(ReportLine& line, const char* text);
// Closes the object, appends it with a line feed to the report file.
void writeLine(ReportLine& line);

// The common first line of the programs: their own exact command line.
void reportCommandLine(const char* program);
