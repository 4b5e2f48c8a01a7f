#include "launch/library_loading_win.h"

#include <stdlib.h>
#include <string.h>

#include "core/configuration.h"
#include "core/environment.h"
#include "core/log.h"
#include "core/path_builder.h"
#include "core/paths.h"
#include "core/record_ids.h"
#include "core/text.h"
#include "core/version_rules.h"

namespace {

// The largest value an environment variable can hold, and its terminator.
constexpr size_t kPathCapacity = 32768;
constexpr size_t kBinCapacity = 2000;
constexpr size_t kVariantCapacity = 200;

void setPath(const char* value) {
  logMessage("Setting PATH %s", value);
  setPathEverywhere(value);
}

// The old PATH and the one with the bin directory behind it: too large
// for the stack of the thread that loads the runtime.
struct PathValues {
  char old[kPathCapacity];
  char extended[kPathCapacity];
};

}  // namespace

static HMODULE tryJvmVariant(const char* binDirectory, const char* variant) {
  Text path;
  bool whole = PathBuilder(path).add(binDirectory).add("\\").add(variant).add("\\jvm.dll").whole();
  logMessage("Trying %s (exists %d)", path, pathExists(path) ? 1 : 0);
  if (!whole) return nullptr;
  // Its own dependencies must resolve from its directory first, not from
  // the launcher's directory, where anything may lie beside a download.
  return LoadLibraryExA(path, nullptr, LOAD_WITH_ALTERED_SEARCH_PATH);
}

static HMODULE loadJvmDllFromBin(const LaunchContext& context, const char* javaExe) {
  size_t name = javaExecutableNameLength(javaExe);
  if (name == 0) {
    logError("Not a java executable: %s", javaExe);
    return nullptr;
  }
  char bin[kBinCapacity];
  copyText(bin, sizeof bin, javaExe);
  size_t length = strlen(bin);
  // Only a path that fitted whole ends with the name to cut.
  if (length != strlen(javaExe)) return nullptr;
  bin[length - name - 1] = 0;

  PathValues* path = static_cast<PathValues*>(malloc(sizeof(PathValues)));
  if (!path) return nullptr;
  // A PATH too long for the buffer is left as it is: cutting it would lose
  // directories for good when it is put back.
  DWORD n = GetEnvironmentVariableA("PATH", path->old, sizeof path->old);
  bool unset = n == 0 && GetLastError() == ERROR_ENVVAR_NOT_FOUND;
  if (n == 0) path->old[0] = 0;
  // So is one that the bin directory would make too long.
  bool extended = n < sizeof path->old && PathBuilder(path->extended).add(path->old).add(";").add(bin).whole();
  if (extended) setPath(path->extended);

  HMODULE library = nullptr;
  char preferred[kVariantCapacity];
  configString(context.config, kRecord_preferredJvmVariant, preferred, sizeof preferred);
  if (preferred[0]) library = tryJvmVariant(bin, preferred);
  static const char* const variants[] = {"hotspot", "client", "server", "classic", "jrockit"};
  for (const char* variant : variants) {
    if (library) break;
    library = tryJvmVariant(bin, variant);
  }
  if (!library && extended) {
    if (unset) {
      logMessage("Removing PATH");
      setPathEverywhere(nullptr);
    } else {
      setPath(path->old);
    }
  }
  free(path);
  return library;
}

HMODULE loadJvmDll(const LaunchContext& context, const char* javaExe) {
  HMODULE library = loadJvmDllFromBin(context, javaExe);
  if (library) return library;
  Text bin;
  copyText(bin, sizeof bin, javaExe);
  bin[strlen(bin) - javaExecutableNameLength(bin)] = 0;
  Text alternative;
  if (!PathBuilder(alternative).add(bin).add("..\\jre\\bin\\java.exe").whole()) return nullptr;
  return loadJvmDllFromBin(context, alternative);
}

bool resolveCreateJavaVM(LaunchContext& context, HMODULE library) {
  if (!library) return false;
  auto entry = reinterpret_cast<CreateJavaVMFunction>(
      reinterpret_cast<void*>(GetProcAddress(library, "JNI_CreateJavaVM")));
  if (!entry) return false;
  context.createJavaVM = entry;
  return true;
}
