#include "scenario.h"

#include <stdlib.h>
#include <string.h>

namespace {

constexpr int maxEntries = 128;
constexpr DWORD pathUnits = 4096;

char* content = nullptr;
const char* keys[maxEntries];
const char* values[maxEntries];
int entryCount = 0;
wchar_t report[pathUnits];

// The directory of this module (exe or dll), with its trailing backslash.
void moduleDirectory(wchar_t* directory) {
  HMODULE module = nullptr;
  GetModuleHandleExW(GET_MODULE_HANDLE_EX_FLAG_FROM_ADDRESS | GET_MODULE_HANDLE_EX_FLAG_UNCHANGED_REFCOUNT,
                     reinterpret_cast<LPCWSTR>(&moduleDirectory), &module);
  DWORD length = GetModuleFileNameW(module, directory, pathUnits);
  while (length > 0 && directory[length - 1] != L'\\') --length;
  directory[length] = 0;
}

void directoryOf(const wchar_t* path, wchar_t* directory) {
  lstrcpynW(directory, path, pathUnits);
  int length = lstrlenW(directory);
  while (length > 0 && directory[length - 1] != L'\\' && directory[length - 1] != L'/') --length;
  directory[length] = 0;
}

bool isAbsolute(const wchar_t* path) {
  return path[0] == L'\\' || path[0] == L'/' || (path[0] != 0 && path[1] == L':');
}

char* readWholeFile(const wchar_t* path) {
  HANDLE file = CreateFileW(path, GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr,
                            OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr);
  if (file == INVALID_HANDLE_VALUE) return nullptr;
  DWORD size = GetFileSize(file, nullptr);
  char* data = static_cast<char*>(HeapAlloc(GetProcessHeap(), 0, size + 1));
  DWORD read = 0;
  ReadFile(file, data, size, &read, nullptr);
  data[read] = 0;
  CloseHandle(file);
  return data;
}

void parse(char* text) {
  if (static_cast<unsigned char>(text[0]) == 0xEF && static_cast<unsigned char>(text[1]) == 0xBB &&
      static_cast<unsigned char>(text[2]) == 0xBF)
    text += 3;
  while (*text && entryCount < maxEntries) {
    char* line = text;
    char* end = strchr(line, '\n');
    text = end ? end + 1 : line + strlen(line);
    if (end) *end = 0;
    size_t length = strlen(line);
    if (length > 0 && line[length - 1] == '\r') line[length - 1] = 0;
    char* equals = strchr(line, '=');
    if (line[0] == '#' || !equals) continue;
    *equals = 0;
    keys[entryCount] = line;
    values[entryCount] = equals + 1;
    ++entryCount;
  }
}

}  // namespace

wchar_t* wideText(const char* text) {
  int units = MultiByteToWideChar(CP_UTF8, 0, text, -1, nullptr, 0);
  wchar_t* wide = static_cast<wchar_t*>(HeapAlloc(GetProcessHeap(), 0, units * sizeof(wchar_t)));
  MultiByteToWideChar(CP_UTF8, 0, text, -1, wide, units);
  return wide;
}

void loadScenario() {
  if (content) HeapFree(GetProcessHeap(), 0, content);
  entryCount = 0;
  wchar_t scenarioFile[pathUnits];
  if (GetEnvironmentVariableW(L"LANTOR_TEST_SCENARIO", scenarioFile, pathUnits) == 0) {
    moduleDirectory(scenarioFile);
    lstrcatW(scenarioFile, L"scenario.txt");
  }
  content = readWholeFile(scenarioFile);
  if (content) parse(content);

  const char* configured = scenarioText("report", nullptr);
  if (configured) {
    wchar_t* wide = wideText(configured);
    report[0] = 0;
    if (!isAbsolute(wide)) directoryOf(scenarioFile, report);
    lstrcatW(report, wide);
    HeapFree(GetProcessHeap(), 0, wide);
  } else if (GetEnvironmentVariableW(L"LANTOR_TEST_REPORT", report, pathUnits) == 0) {
    moduleDirectory(report);
    lstrcatW(report, L"report.jsonl");
  }
}

const char* scenarioText(const char* key, const char* fallback) {
  // The last line with a key wins, so a test can append to a base scenario.
  for (int i = entryCount - 1; i >= 0; --i)
    if (strcmp(keys[i], key) == 0) return values[i];
  return fallback;
}

int scenarioNumber(const char* key, int fallback) {
  const char* text = scenarioText(key, nullptr);
  return text ? atoi(text) : fallback;
}

bool scenarioIs(const char* key, const char* value, const char* fallback) {
  return strcmp(scenarioText(key, fallback), value) == 0;
}

const wchar_t* reportPath() {
  return report;
}
