#include "runtime/pack200.h"

#include <windows.h>
#include <stdio.h>

#include "common/text.h"
#include "log/log.h"
#include "media/paths.h"
#include "media/record_ids.h"
#include "ui/error_display.h"

namespace {

void join(Text& buffer, const char* directory, const char* name) {
  copyText(buffer, sizeof buffer, directory);
  appendText(buffer, sizeof buffer, "\\");
  appendText(buffer, sizeof buffer, name);
}

}  // namespace

void unpackJar(const char* directory, const char* jar) {
  Text target;
  join(target, directory, jar);
  Text packed;
  copyText(packed, sizeof packed, target);
  appendText(packed, sizeof packed, ".pack");
  logMessage("Unpacking %s to %s", packed, target);
  if (!pathExists(packed)) {
    logMessage("pack path doesn't exists");
    return;
  }
  // The tool goes by its absolute path, as the application name and quoted
  // in the command line, so that no "C:\Program.exe" or a planted prefix
  // of a path with blanks runs instead.
  Text tool;
  join(tool, directory, "bin\\unpack200.exe");
  Text program;
  if (GetFullPathNameA(tool, sizeof program, program, nullptr) == 0) copyText(program, sizeof program, tool);
  Text commandLine;
  copyText(commandLine, sizeof commandLine, "\"");
  appendText(commandLine, sizeof commandLine, program);
  appendText(commandLine, sizeof commandLine, "\" -r \"");
  appendText(commandLine, sizeof commandLine, packed);
  appendText(commandLine, sizeof commandLine, "\" \"");
  appendText(commandLine, sizeof commandLine, target);
  appendText(commandLine, sizeof commandLine, "\"");

  STARTUPINFOA startup = {};
  startup.cb = sizeof startup;
  startup.dwFlags = STARTF_USESHOWWINDOW;
  startup.wShowWindow = SW_HIDE;
  PROCESS_INFORMATION process = {};
  if (!CreateProcessA(program, commandLine, nullptr, nullptr, TRUE, NORMAL_PRIORITY_CLASS, nullptr, nullptr,
                      &startup, &process)) {
    logMessage("could not create unpack process");
    fatalConfigError(kRecord_msgInternalError, "20");
  }
  logMessage("waiting for unpack200 to finish");
  WaitForSingleObject(process.hProcess, INFINITE);
  logMessage("unpack done");
  CloseHandle(process.hProcess);
  CloseHandle(process.hThread);
}

void expandPackedRuntime(const char* directory) {
  Text marker;
  join(marker, directory, "lib\\rt.jar.pack");
  Text done;
  join(done, directory, "lib\\jsse.jar");
  if (!pathExists(marker) || pathExists(done)) return;
  logMessage("Unpacking JRE");
  fputs("Preparing JRE ...\n", stdout);
  fflush(stdout);
  static const char* const jars[] = {"lib\\rt.jar",     "lib\\charsets.jar",        "lib\\plugin.jar",
                                     "lib\\deploy.jar", "lib\\ext\\localedata.jar", "lib\\jsse.jar"};
  for (const char* jar : jars) unpackJar(directory, jar);
  logMessage("Unpacking JRE done");
}
