// The test runtime's java.exe: answers " -version" the way the launcher's
// version probe expects, as the scenario says.
//
// Scenario keys (default first):
//   banner=...        the error-stream text, with \n, \r, \t and \\ escapes;
//                     default a 1.8 banner with CRLF line ends
//   versionSeconds=0  wait that long after the banner
//   versionExit=0     the exit code
// Any other command line is refused with exit code 99.
#include <windows.h>

#include "report.h"
#include "scenario.h"

namespace {

const char defaultBanner[] =
    "java version \\\"1.8.0_202\\\"\\r\\n"
    "Test Runtime Environment (build 1.8.0_202-b08)\\r\\n"
    "Test Client VM (build 25.202-b08, mixed mode)\\r\\n";

void writeError(const char* text, DWORD length) {
  DWORD written = 0;
  WriteFile(GetStdHandle(STD_ERROR_HANDLE), text, length, &written, nullptr);
}

// The command line after the program token, quoted or not.
const wchar_t* commandTail() {
  const wchar_t* p = GetCommandLineW();
  if (*p == L'"') {
    ++p;
    while (*p && *p != L'"') ++p;
    if (*p) ++p;
  } else {
    while (*p && *p != L' ' && *p != L'\t') ++p;
  }
  while (*p == L' ' || *p == L'\t') ++p;
  return p;
}

DWORD unescape(const char* text, char* out) {
  DWORD length = 0;
  for (; *text; ++text) {
    char c = *text;
    if (c == '\\' && text[1]) {
      ++text;
      c = *text == 'n' ? '\n' : *text == 'r' ? '\r' : *text == 't' ? '\t' : *text;
    }
    out[length++] = c;
  }
  return length;
}

}  // namespace

int main() {
  loadScenario();
  reportCommandLine("java.exe");
  if (lstrcmpW(commandTail(), L"-version") != 0) {
    const char refusal[] = "test java.exe: only -version is supported\r\n";
    writeError(refusal, sizeof refusal - 1);
    return 99;
  }
  const char* banner = scenarioText("banner", defaultBanner);
  char* text = static_cast<char*>(HeapAlloc(GetProcessHeap(), 0, lstrlenA(banner) + 1));
  writeError(text, unescape(banner, text));
  Sleep(static_cast<DWORD>(scenarioNumber("versionSeconds", 0)) * 1000);
  return scenarioNumber("versionExit", 0);
}
