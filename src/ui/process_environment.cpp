#include "ui/process_environment.h"

#include <windows.h>
#include <stdlib.h>
#include <string.h>

#include "common/environment.h"
#include "common/text.h"
#include "log/log.h"
#include "media/configuration.h"
#include "media/paths.h"
#include "media/record_ids.h"
#include "windows/substitution.h"

namespace {

constexpr size_t kPathCapacity = 16384;

}  // namespace

void setNativeLibraryPath() {
  Text list;
  configString(kRecord_nativeLibraryPath, list, sizeof list);
  Text resolved;
  resolvePathList(resolved, list);

  static char value[kPathCapacity];
  copyText(value, sizeof value, resolved);
  size_t length = strlen(value);
  if (length > 0 && value[length - 1] != ';') appendText(value, sizeof value, ";");
  substituteVariables(value, sizeof value);

  // The old PATH goes behind the native directories only when it fits whole.
  length = strlen(value);
  DWORD room = static_cast<DWORD>(sizeof value - length);
  DWORD n = GetEnvironmentVariableA("PATH", value + length, room);
  if (n == 0 || n >= room) value[length] = 0;

  setPathEverywhere(value);
  logMessage("Setting PATH (native libs) %s", value);
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
