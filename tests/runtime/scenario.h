// The scenario that tells a test-runtime program how to behave, and the
// report file that it appends to. Shared by jvm.dll, java.exe and
// unpack200.exe; README.md lists the keys.
#pragma once

#include <windows.h>

// Reads the file named by LANTOR_TEST_SCENARIO, else scenario.txt next to
// this module; a missing file is an empty scenario. Each call reads afresh.
void loadScenario();

const char* scenarioText(const char* key, const char* fallback);
int scenarioNumber(const char* key, int fallback);
bool scenarioIs(const char* key, const char* value, const char* fallback);

// The report file: key report (relative to the scenario file's directory),
// else LANTOR_TEST_REPORT, else report.jsonl next to this module.
const wchar_t* reportPath();

// A UTF-8 text of the scenario as UTF-16, on the heap.
wchar_t* wideText(const char* text);
