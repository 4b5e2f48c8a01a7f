#include "launch/pack200.h"

#include <windows.h>
#include <stdio.h>

#include "core/log.h"
#include "core/path_builder.h"
#include "core/paths.h"
#include "core/text.h"
#include "platform/process_win.h"

namespace {

// The runtime's own bin\unpack200.exe turns packed into target; false when
// it cannot be started.
OWN_FRAME bool runUnpack200(const char* directory, const char* packed, const char* target, ChildProcess* child) {
  Text tool;
  if (!PathBuilder(tool).add(directory).add("\\bin\\unpack200.exe").whole()) return false;
  Text program;
  if (GetFullPathNameA(tool, sizeof program, program, nullptr) == 0) copyText(program, sizeof program, tool);
  Text commandLine;
  PathBuilder command(commandLine);
  command.add("\"").add(program).add("\" -r \"").add(packed).add("\" \"").add(target).add("\"");
  return command.whole() && startHiddenProcess(program, commandLine, nullptr, child);
}

}  // namespace

static OWN_FRAME bool unpackJar(const char* directory, const char* jar, Failure& failure) {
  Text target;
  bool whole = PathBuilder(target).add(directory).add("\\").add(jar).whole();
  Text packed;
  whole = PathBuilder(packed).add(target).add(".pack").whole() && whole;
  logMessage("Unpacking %s to %s", packed, target);
  if (!whole || !pathExists(packed)) {
    logMessage("pack path doesn't exists");
    return true;
  }
  ChildProcess child;
  if (!runUnpack200(directory, packed, target, &child)) {
    logMessage("could not create unpack process");
    return failInternal(failure, InternalError::unpackTool);
  }
  logMessage("waiting for unpack200 to finish");
  WaitForSingleObject(child.process.get(), INFINITE);
  logMessage("unpack done");
  return true;
}

bool expandPackedRuntime(const char* directory, Failure& failure) {
  Text marker;
  Text done;
  if (!PathBuilder(marker).add(directory).add("\\lib\\rt.jar.pack").whole() ||
      !PathBuilder(done).add(directory).add("\\lib\\jsse.jar").whole())
    return true;
  if (!pathExists(marker) || pathExists(done)) return true;
  logMessage("Unpacking JRE");
  fputs("Preparing JRE ...\n", stdout);
  fflush(stdout);
  static const char* const jars[] = {"lib\\rt.jar",     "lib\\charsets.jar",        "lib\\plugin.jar",
                                     "lib\\deploy.jar", "lib\\ext\\localedata.jar", "lib\\jsse.jar"};
  for (const char* jar : jars)
    if (!unpackJar(directory, jar, failure)) return false;
  logMessage("Unpacking JRE done");
  return true;
}
