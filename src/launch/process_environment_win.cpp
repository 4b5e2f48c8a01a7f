#include "launch/process_environment.h"

#include <windows.h>
#include <stdlib.h>
#include <string.h>

#include "core/configuration.h"
#include "core/environment.h"
#include "core/log.h"
#include "core/paths.h"
#include "core/record_ids.h"
#include "core/substitution.h"
#include "core/text.h"

namespace {

constexpr size_t kPathCapacity = 16384;

}  // namespace

void determineLauncherKind(LaunchContext& context) {
  char first[2];
  configString(context.config, kRecord_launcherKind, first, sizeof first);
  context.launcherKind = first[0];
}

void setNativeLibraryPath(const LaunchContext& context) {
  Text list;
  configString(context.config, kRecord_nativeLibraryPath, list, sizeof list);
  Text resolved;
  resolvePathList(resolved, list);

  // Too large for the stack beside the two texts.
  char* value = static_cast<char*>(malloc(kPathCapacity));
  if (!value) return;
  copyText(value, kPathCapacity, resolved);
  size_t length = strlen(value);
  if (length > 0 && value[length - 1] != ';') appendText(value, kPathCapacity, ";");
  substituteVariables(value, kPathCapacity, launchDirectories(context));

  // The old PATH goes behind the native directories only when it fits whole.
  length = strlen(value);
  DWORD room = static_cast<DWORD>(kPathCapacity - length);
  DWORD n = GetEnvironmentVariableA("PATH", value + length, room);
  if (n == 0 || n >= room) value[length] = 0;

  setPathEverywhere(value);
  logMessage("Setting PATH (native libs) %s", value);
  free(value);
}

bool attachConsole() {
  typedef BOOL(WINAPI * AttachFunction)(DWORD);
  HMODULE kernel = GetModuleHandleA("kernel32.dll");
  if (kernel) {
    auto attach = reinterpret_cast<AttachFunction>(
        reinterpret_cast<void*>(GetProcAddress(kernel, "AttachConsole")));
    if (attach && attach(ATTACH_PARENT_PROCESS)) return true;
  }
  return AllocConsole() != FALSE;
}
