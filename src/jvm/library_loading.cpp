#include "jvm/library_loading.h"

#include <windows.h>
#include <stdlib.h>
#include <string.h>

#include "common/environment.h"
#include "common/text.h"
#include "jvm/version_rules.h"
#include "log/log.h"
#include "media/configuration.h"
#include "media/paths.h"
#include "media/record_ids.h"
#include "windows/JavaVMLauncher.h"

namespace {

constexpr size_t kPathCapacity = 16384;
constexpr size_t kBinCapacity = 2000;
constexpr size_t kVariantCapacity = 200;

void setPath(const char* value) {
  logMessage("Setting PATH %s", value);
  setPathEverywhere(value);
}

}  // namespace

LibraryHandle tryJvmVariant(const char* binDirectory, const char* variant) {
  Text path;
  copyText(path, sizeof path, binDirectory);
  appendText(path, sizeof path, "\\");
  appendText(path, sizeof path, variant);
  appendText(path, sizeof path, "\\jvm.dll");
  logMessage("Trying %s (exists %d)", path, pathExists(path) ? 1 : 0);
  // Its own dependencies must resolve from its directory first, not from
  // the launcher's directory, where anything may lie beside a download.
  return LoadLibraryExA(path, nullptr, LOAD_WITH_ALTERED_SEARCH_PATH);
}

LibraryHandle loadJvmDllFromBin(const char* javaExe) {
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

  // A PATH too long for the buffer is left as it is: cutting it would lose
  // directories for good when it is put back.
  static char oldPath[kPathCapacity];
  DWORD n = GetEnvironmentVariableA("PATH", oldPath, sizeof oldPath);
  bool unset = n == 0 && GetLastError() == ERROR_ENVVAR_NOT_FOUND;
  if (n == 0) oldPath[0] = 0;
  bool extended = n < sizeof oldPath;
  if (extended) {
    static char newPath[kPathCapacity];
    copyText(newPath, sizeof newPath, oldPath);
    appendText(newPath, sizeof newPath, ";");
    appendText(newPath, sizeof newPath, bin);
    setPath(newPath);
  }

  LibraryHandle handle = nullptr;
  char preferred[kVariantCapacity];
  configString(kRecord_preferredJvmVariant, preferred, sizeof preferred);
  if (preferred[0]) handle = tryJvmVariant(bin, preferred);
  static const char* const variants[] = {"hotspot", "client", "server", "classic", "jrockit"};
  for (const char* variant : variants) {
    if (handle) break;
    handle = tryJvmVariant(bin, variant);
  }
  if (!handle && extended) {
    if (unset) {
      logMessage("Removing PATH");
      setPathEverywhere(nullptr);
    } else {
      setPath(oldPath);
    }
  }
  return handle;
}

LibraryHandle loadJvmDll(const char* javaExe) {
  LibraryHandle handle = loadJvmDllFromBin(javaExe);
  if (handle) return handle;
  Text alternative;
  copyText(alternative, sizeof alternative, javaExe);
  alternative[strlen(alternative) - javaExecutableNameLength(alternative)] = 0;
  appendText(alternative, sizeof alternative, "..\\jre\\bin\\java.exe");
  return loadJvmDllFromBin(alternative);
}

bool resolveCreateJavaVM(LibraryHandle library) {
  if (!library) return false;
  auto entry = reinterpret_cast<CreateJavaVMFunction>(
      reinterpret_cast<void*>(GetProcAddress(static_cast<HMODULE>(library), "JNI_CreateJavaVM")));
  if (!entry) return false;
  setCreateJavaVM(entry);
  return true;
}
