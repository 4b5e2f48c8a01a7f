#include "launch/included_runtime.h"

#include <windows.h>
#include <direct.h>
#include <stdio.h>
#include <stdlib.h>

#include "core/configuration.h"
#include "core/log.h"
#include "core/record_ids.h"
#include "core/tar_reader.h"
#include "core/text.h"
#include "launch/pack200.h"
#include "launch/search_sequence.h"

bool unpackIncludedRuntime(LaunchContext& context, const Progress* progress) {
  DWORD started = GetTickCount();
  logMessage("extracting JRE");
  if (_mkdir("jre") != 0) logError("Could not create JRE dir");
  if (!untarRuntime("jre.tar.gz", "jre", progress, configInt(context.config, kRecord_includedJreSize),
                    context.failure)) {
    if (stopped(context)) return false;
    logError("Could not untar JRE");
    return fail(context.failure, FailureKind::bundledRuntimeCorrupted);
  }
  remove("jre.tar.gz");
  unsigned long duration = GetTickCount() - started;
  if (configInt(context.config, kRecord_packedJre)) {
    logMessage("JRE is packed");
    progressPace(progress, duration / 10, &context.expansionDone);
    if (!expandPackedRuntime("jre", context.failure) || !expandPackedRuntime("jre\\jre", context.failure))
      return false;
    context.expansionDone = true;
  }
  return useIncludedRuntime(context);
}

bool useIncludedRuntime(LaunchContext& context) {
  Text directory;
  if (!_fullpath(directory, "jre", sizeof directory)) directory[0] = 0;
  logMessage("JRE dir: %s", directory);
  if (LoadDLL(context, directory, false, nullptr)) return true;
  if (stopped(context)) return false;
  logError("Could not load bundled JRE. Trying to find another JRE.");
  if (LoadDLL(context, nullptr, false, nullptr)) return true;
  if (stopped(context)) return false;
  logError("Could not find another JRE.");
  return fail(context.failure, FailureKind::bundledRuntimeUnusable);
}
