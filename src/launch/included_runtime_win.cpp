#include "launch/included_runtime.h"

#include <windows.h>
#include <direct.h>
#include <stdio.h>
#include <stdlib.h>
#include <string.h>

#include "core/configuration.h"
#include "core/log.h"
#include "core/path_builder.h"
#include "core/paths.h"
#include "core/record_ids.h"
#include "core/tar_reader.h"
#include "core/text.h"
#include "launch/cleanup.h"
#include "launch/pack200.h"
#include "launch/search_sequence.h"
#include "platform/owned_win.h"

namespace {

// The runtime's home below the work directory: "jre", or the one directory
// "jre" holds when it holds nothing else and has no bin of its own, as in
// archives made with "tar -C parent jdk-17.0.9" the way vendors ship them.
OWN_FRAME void includedRuntimeHome(Text& home) {
  copyText(home, sizeof home, "jre");
  if (pathExists("jre\\bin")) return;
  WIN32_FIND_DATAA found;
  FindHandle search(FindFirstFileA("jre\\*", &found));
  if (!search.valid()) return;
  int entries = 0;
  Text only;
  do {
    if (strcmp(found.cFileName, ".") == 0 || strcmp(found.cFileName, "..") == 0) continue;
    if (++entries > 1 || !(found.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY)) return;
    copyText(only, sizeof only, found.cFileName);
  } while (FindNextFileA(search.get(), &found));
  if (entries == 1 && !PathBuilder(home).add("jre").join(only).whole()) copyText(home, sizeof home, "jre");
}

// A full disk stays full unless the half-unpacked runtime and its archive go.
void removeUnpackedRuntime() {
  Text directory;
  if (_fullpath(directory, "jre", sizeof directory)) {
    logMessage("removing %s", directory);
    removeDirectoryTree(directory);
  }
  remove("jre.tar.gz");
}

}  // namespace

bool unpackIncludedRuntime(LaunchContext& context, const Progress* progress) {
  DWORD started = GetTickCount();
  logMessage("extracting JRE");
  if (_mkdir("jre") != 0) logError("Could not create JRE dir");
  if (!untarRuntime("jre.tar.gz", "jre", progress, configInt(context.config, kRecord_includedJreSize),
                    context.failure)) {
    if (context.failure.kind == FailureKind::extractionWrite) removeUnpackedRuntime();
    if (stopped(context)) return false;
    logError("Could not untar JRE");
    return fail(context.failure, FailureKind::bundledRuntimeCorrupted);
  }
  remove("jre.tar.gz");
  unsigned long duration = GetTickCount() - started;
  if (configInt(context.config, kRecord_packedJre)) {
    logMessage("JRE is packed");
    progressPace(progress, duration / 10, &context.expansionDone);
    Text home;
    includedRuntimeHome(home);
    Text inner;
    if (!PathBuilder(inner).add(home).add("\\jre").whole()) inner[0] = 0;
    if (!expandPackedRuntime(home, context.failure) || (inner[0] && !expandPackedRuntime(inner, context.failure)))
      return false;
    context.expansionDone = true;
  }
  return useIncludedRuntime(context);
}

bool useIncludedRuntime(LaunchContext& context) {
  Text home;
  includedRuntimeHome(home);
  Text directory;
  if (!_fullpath(directory, home, sizeof directory)) directory[0] = 0;
  logMessage("JRE dir: %s", directory);
  if (LoadDLL(context, directory, false, nullptr)) return true;
  if (stopped(context)) return false;
  logError("Could not load bundled JRE. Trying to find another JRE.");
  if (LoadDLL(context, nullptr, false, nullptr)) return true;
  if (stopped(context)) return false;
  logError("Could not find another JRE.");
  return fail(context.failure, FailureKind::bundledRuntimeUnusable);
}
