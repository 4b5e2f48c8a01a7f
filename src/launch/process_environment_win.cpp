#include "launch/process_environment.h"

#include <windows.h>
#include <io.h>
#include <stdio.h>
#include <stdlib.h>
#include <string.h>

#include "core/configuration.h"
#include "core/environment.h"
#include "core/log.h"
#include "core/native_library_path.h"
#include "core/record_ids.h"
#include "core/text.h"

void determineLauncherKind(LaunchContext& context) {
  char first[2];
  configString(context.config, kRecord_launcherKind, first, sizeof first);
  context.launcherKind = first[0];
}

void setNativeLibraryPath(const LaunchContext& context) {
  // The old PATH is kept whole, whatever its length.
  DWORD size = GetEnvironmentVariableA("PATH", nullptr, 0);
  char* old = static_cast<char*>(malloc(size ? size : 1));
  if (!old) return;
  if (size == 0 || GetEnvironmentVariableA("PATH", old, size) >= size) old[0] = 0;
  char* value = nativeLibraryPath(context.config, launchDirectories(context), old);
  // Without native directories PATH stays as it is, also when it is not set.
  if (value && strcmp(value, old) != 0) setPathEverywhere(value);
  free(old);
  if (!value) return;
  logMessage("Setting PATH (native libs) %s", value);
  free(value);
}

bool streamIsBound(void* handle) {
  return handle && handle != INVALID_HANDLE_VALUE && GetFileType(static_cast<HANDLE>(handle)) != FILE_TYPE_UNKNOWN;
}

namespace {

bool attachOrAllocate() {
  typedef BOOL(WINAPI * AttachFunction)(DWORD);
  HMODULE kernel = GetModuleHandleA("kernel32.dll");
  if (kernel) {
    auto attach = reinterpret_cast<AttachFunction>(
        reinterpret_cast<void*>(GetProcAddress(kernel, "AttachConsole")));
    if (attach && attach(ATTACH_PARENT_PROCESS)) return true;
  }
  return AllocConsole() != FALSE;
}

// The C runtime bound its streams at start, when a GUI program had no
// console: a stream that went nowhere now goes to the console.
void bindToConsole(FILE* stream, DWORD which) {
  if (!freopen("CONOUT$", "w", stream)) return;
  SetStdHandle(which, reinterpret_cast<HANDLE>(_get_osfhandle(_fileno(stream))));
}

}  // namespace

bool attachConsole() {
  // A stream redirected to a file or a pipe stays where it goes.
  bool output = streamIsBound(GetStdHandle(STD_OUTPUT_HANDLE));
  bool error = streamIsBound(GetStdHandle(STD_ERROR_HANDLE));
  if (!attachOrAllocate()) return false;
  if (!output) bindToConsole(stdout, STD_OUTPUT_HANDLE);
  if (!error) bindToConsole(stderr, STD_ERROR_HANDLE);
  return true;
}
