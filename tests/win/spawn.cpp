// Test helper. Starts the command line in SPAWN_COMMAND exactly as written
// (Wine would re-quote a command line passed through its own argv), with
// TMP and TEMP set to SPAWN_TEMP and PATH to SPAWN_PATH when given (Wine
// takes them from the registry, not from the Unix environment) and with this
// process's standard handles. Exits with the program's exit code; after SPAWN_TIMEOUT
// milliseconds the program is ended and the exit code is 124.
#include <windows.h>
#include <stdlib.h>

static wchar_t* takeVariable(const wchar_t* name) {
  DWORD size = GetEnvironmentVariableW(name, nullptr, 0);
  if (size == 0) return nullptr;
  wchar_t* value = static_cast<wchar_t*>(HeapAlloc(GetProcessHeap(), 0, size * sizeof(wchar_t)));
  GetEnvironmentVariableW(name, value, size);
  SetEnvironmentVariableW(name, nullptr);
  return value;
}

int main() {
  wchar_t* command = takeVariable(L"SPAWN_COMMAND");
  if (!command) return 125;
  wchar_t* temp = takeVariable(L"SPAWN_TEMP");
  if (temp) {
    SetEnvironmentVariableW(L"TMP", temp);
    SetEnvironmentVariableW(L"TEMP", temp);
  }
  if (wchar_t* path = takeVariable(L"SPAWN_PATH")) SetEnvironmentVariableW(L"PATH", path);
  wchar_t* timeoutText = takeVariable(L"SPAWN_TIMEOUT");
  DWORD timeout = timeoutText ? static_cast<DWORD>(_wtoi(timeoutText)) : INFINITE;

  STARTUPINFOW startup = {};
  startup.cb = sizeof startup;
  startup.dwFlags = STARTF_USESTDHANDLES;
  startup.hStdInput = GetStdHandle(STD_INPUT_HANDLE);
  startup.hStdOutput = GetStdHandle(STD_OUTPUT_HANDLE);
  startup.hStdError = GetStdHandle(STD_ERROR_HANDLE);
  PROCESS_INFORMATION process = {};
  if (!CreateProcessW(nullptr, command, nullptr, nullptr, TRUE, 0, nullptr, nullptr, &startup, &process))
    return 126;
  DWORD code = 124;
  if (WaitForSingleObject(process.hProcess, timeout) == WAIT_TIMEOUT)
    TerminateProcess(process.hProcess, 124);
  else
    GetExitCodeProcess(process.hProcess, &code);
  return static_cast<int>(code);
}
