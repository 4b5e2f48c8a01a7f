// The launch as the test build of the launcher runs it: the runtime search
// is not there yet, so the library named by LANTOR_TEST_JVM is loaded by
// full path and the launch goes on as it will after a search. Only the test
// stub (launcher_test.exe) has this; dist/ never does.
#include <windows.h>

#include "common/text.h"
#include "log/log.h"
#include "media/record_ids.h"
#include "ui/error_display.h"
#include "windows/JavaVMLauncher.h"
#include "windows/arguments.h"

void runTestLaunch() {
  Text library;
  DWORD n = GetEnvironmentVariableA("LANTOR_TEST_JVM", library, sizeof library);
  if (n == 0 || n >= sizeof library) return;
  HMODULE jvm = LoadLibraryA(library);
  if (!jvm) return;
  setCreateJavaVM(reinterpret_cast<CreateJavaVMFunction>(
      reinterpret_cast<void*>(GetProcAddress(jvm, "JNI_CreateJavaVM"))));
  setJvmHome(library);
  ArgumentList arguments;
  splitArguments(reinterpret_cast<const char16_t*>(GetCommandLineW()), &arguments);
  if (!launchJvm(arguments, true)) {
    logError("Could not start JVM");
    fatalConfigError(kRecord_msgJvmStartFailed, nullptr);
  }
  freeArgumentList(&arguments);
}
