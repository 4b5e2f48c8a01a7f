// The test runtime's unpack200.exe, run as the launcher runs it:
//   unpack200.exe [-r] "<packed file>" "<target jar>"
// "Unpacking" copies the packed file's bytes to the target, so tests can
// tell which file went where; -r removes the packed file afterwards, as the
// real tool does after a success.
//
// Scenario keys (default first):
//   unpack=ok|fail   fail: no target is written, the packed file stays
//   unpackExit=N     the exit code; default 0 for ok, 1 for fail
#include <windows.h>
#include <shellapi.h>

#include "report.h"
#include "scenario.h"

namespace {

void writeError(const wchar_t* text) {
  DWORD written = 0;
  char bytes[2048];
  int length = WideCharToMultiByte(CP_UTF8, 0, text, -1, bytes, sizeof bytes, nullptr, nullptr);
  WriteFile(GetStdHandle(STD_ERROR_HANDLE), bytes, length > 0 ? length - 1 : 0, &written, nullptr);
}

int finish(const wchar_t* packed, const wchar_t* target, const char* result, bool removed, int code) {
  ReportLine line;
  beginLine(line, "unpack");
  addKey(line, "packed");
  addUtf16(line, packed, packed ? lstrlenW(packed) : 0);
  addKey(line, "target");
  addUtf16(line, target, target ? lstrlenW(target) : 0);
  addKey(line, "result");
  addBytes(line, result);
  addKey(line, "removedPacked");
  addBool(line, removed);
  addKey(line, "exitCode");
  addNumber(line, code);
  writeLine(line);
  return code;
}

}  // namespace

int main() {
  loadScenario();
  reportCommandLine("unpack200.exe");
  int count = 0;
  wchar_t** arguments = CommandLineToArgvW(GetCommandLineW(), &count);
  int next = 1;
  bool remove = next < count && lstrcmpW(arguments[next], L"-r") == 0;
  if (remove) ++next;
  if (count - next != 2) {
    writeError(L"test unpack200.exe: usage: unpack200.exe [-r] packed.jar.pack target.jar\r\n");
    return finish(nullptr, nullptr, "usage", false, 2);
  }
  const wchar_t* packed = arguments[next];
  const wchar_t* target = arguments[next + 1];
  if (scenarioIs("unpack", "fail", "ok")) {
    writeError(L"test unpack200.exe: unpacking failed as the scenario says (unpack=fail)\r\n");
    return finish(packed, target, "fail", false, scenarioNumber("unpackExit", 1));
  }
  if (!CopyFileW(packed, target, FALSE)) {
    writeError(L"test unpack200.exe: cannot read the packed file or write the target\r\n");
    return finish(packed, target, "error", false, 1);
  }
  bool removed = remove && DeleteFileW(packed);
  return finish(packed, target, "ok", removed, scenarioNumber("unpackExit", 0));
}
