#include "launch/pipeline.h"

#include <windows.h>
#include <direct.h>
#include <stdlib.h>

#include "core/arguments.h"
#include "core/configuration.h"
#include "core/log.h"
#include "core/paths.h"
#include "core/record_ids.h"
#include "launch/cleanup.h"
#include "launch/included_files.h"
#include "launch/included_runtime.h"
#include "launch/install_marker.h"
#include "launch/jvm_launch.h"
#include "launch/search_sequence.h"

namespace {

// A canceled launch leaves nothing behind: the work directory it made goes
// with everything in it (the current directory moves out of it first).
void removeWorkDirectory(LaunchContext& context) {
  if (!context.workDirectoryMade) return;
  Text root;
  fullPath(root, "", true);
  SetCurrentDirectoryA(root);
  logMessage("Removing %s", context.workDirectory);
  removeDirectoryTree(context.workDirectory);
}

// The work stops at the next step once the user canceled.
bool goOn(LaunchContext& context) { return !context.canceled || fail(context.failure, FailureKind::canceled); }

void enterWorkDirectory(const LaunchContext& context) {
  if (_chdir(context.workDirectory) != 0) logError("Could not change working dir to %s", context.workDirectory);
}

void currentDirectory(Text& directory) {
  DWORD n = GetCurrentDirectoryA(sizeof directory, directory);
  if (n == 0 || n >= sizeof directory) directory[0] = 0;
}

void absolute(Text& path, const char* name) {
  if (!_fullpath(path, name, sizeof path)) path[0] = 0;
}

void findIncludedRuntime(LaunchContext& context) {
  Text archive;
  absolute(archive, "jre.tar.gz");
  logMessage("Full JRE path: %s", archive);
  context.runtimeAvailable = pathExists(archive);
  if (!context.runtimeAvailable && context.modes.languageRestart) {
    Text directory;
    absolute(directory, "jre");
    logMessage("Checking extracted JRE: %s", directory);
    context.runtimeAvailable = pathExists(directory);
  }
  logMessage(context.runtimeAvailable ? "JRE included" : "No JRE included");
  if (context.modes.manual && context.runtimeAvailable) {
    logMessage("Included JRE not used because of manual switch");
    context.runtimeAvailable = false;
  }
}

// No archive to use: the search, unless the runtime is to be chosen by
// hand; then the question, or 83 in quiet mode.
bool obtainRuntime(LaunchContext& context, const PipelineHooks* hooks) {
  setInstallStarted(context, true);
  if (!context.modes.manual && LoadDLL(context, nullptr, false, nullptr)) return true;
  if (stopped(context)) return false;
  if (context.modes.quiet || !hooks) {
    logError("No JRE found");
    setInstallStarted(context, false);
    return fail(context.failure, FailureKind::noRuntimeQuiet);
  }
  // An answer without a runtime leaves nothing to launch with.
  bool answered = hooks->askForRuntime(hooks->target, context);
  if (stopped(context)) return false;
  if (!answered || (!context.runtimeAvailable && !context.createJavaVM)) {
    logError("No JRE selected");
    if (context.canceled) removeWorkDirectory(context);
    return fail(context.failure, FailureKind::noRuntimeSelected);
  }
  return true;
}

bool prepareRuntime(LaunchContext& context, const Progress* progress) {
  if (context.modes.languageRestart) return !context.runtimeAvailable || useIncludedRuntime(context);
  ProgressScheme& scheme = context.progress;
  if (!context.runtimeAvailable) {
    scheme.limit = 80;
    scheme.start = 0;
  } else if (configInt(context.config, kRecord_packedJre) != 0) {
    scheme.limit = 250;
    scheme.start = 200;
  } else {
    scheme.limit = 150;
    scheme.start = 100;
  }
  progressRange(progress, scheme.limit);
  return !context.runtimeAvailable || unpackIncludedRuntime(context, progress);
}

bool startJava(LaunchContext& context) {
  ArgumentList arguments;
  if (!splitArguments(reinterpret_cast<const char16_t*>(GetCommandLineW()), &arguments, context.failure))
    return false;
  bool launched = launchJvm(context, arguments);
  freeArgumentList(&arguments);
  if (launched || stopped(context)) return launched;
  logError("Could not start JVM");
  return fail(context.failure, FailureKind::jvmStartFailed);
}

}  // namespace

static bool runSteps(LaunchContext& context, const Progress* progress, const PipelineHooks* hooks) {
  logMessage("Starting work");
  progressPosition(progress, 1);

  if (context.modes.languageRestart) {
    currentDirectory(context.workDirectory);
  } else {
    if (!extractIncludedFiles(context)) return false;
    enterWorkDirectory(context);
  }
  Text current;
  currentDirectory(current);
  logMessage("Current working dir: %s", current);

  if (!goOn(context)) return false;
  findIncludedRuntime(context);
  if (!context.runtimeAvailable && !obtainRuntime(context, hooks)) return false;
  if (!goOn(context)) return false;
  enterWorkDirectory(context);
  if (!prepareRuntime(context, progress) || !goOn(context)) return false;

  if (hooks && hooks->watchForJavaWindow) hooks->watchForJavaWindow(hooks->target, context);
  setInstallStarted(context, true);
  if (!goOn(context)) return false;
  context.launching = true;
  return startJava(context);
}

bool runLaunchPipeline(LaunchContext& context, const Progress* progress, const PipelineHooks* hooks) {
  if (runSteps(context, progress, hooks)) return true;
  if (context.failure.kind == FailureKind::canceled) removeWorkDirectory(context);
  return false;
}
