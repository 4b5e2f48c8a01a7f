#include "core/paths.h"

#include <windows.h>
#include <stdlib.h>
#include <string.h>
#include <wchar.h>

#include "core/path_builder.h"
#include "platform/code_page_win.h"
#include "platform/owned_win.h"
#include "platform/shell_long_path_win.h"

namespace {

wchar_t* asWide(char16_t* text) { return reinterpret_cast<wchar_t*>(text); }

Text launcherPath;
bool launcherPathKnown = false;

bool endsWithExe(const char* path) {
  size_t n = strlen(path);
  return n > 3 && _stricmp(path + n - 4, ".exe") == 0;
}

// A module path that the 8-bit functions can open as it stands.
bool acceptNarrow(const char16_t* wide, Text& buffer) {
  return toNarrow(wide, buffer, sizeof buffer) && endsWithExe(buffer);
}

OWN_FRAME bool acceptShortForm(const char16_t* module, Text& path) {
  WideText shortForm;
  DWORD n = GetShortPathNameW(reinterpret_cast<const wchar_t*>(module), asWide(shortForm), kTextCapacity);
  return n > 0 && n < kTextCapacity && acceptNarrow(shortForm, path);
}

// The module's UTF-16 path, or its short form, when 8 bits hold it.
OWN_FRAME bool wideModulePath(Text& path) {
  WideText module;
  DWORD n = GetModuleFileNameW(nullptr, asWide(module), kTextCapacity);
  module[n < kTextCapacity ? n : kTextCapacity - 1] = 0;
  return acceptNarrow(module, path) || acceptShortForm(module, path);
}

void computeExecutablePath(Text& path) {
  OSVERSIONINFOA version;
  version.dwOSVersionInfoSize = sizeof version;
  bool nt = GetVersionExA(&version) && version.dwPlatformId == VER_PLATFORM_WIN32_NT;
  if (nt && wideModulePath(path)) return;
  DWORD n = GetModuleFileNameA(nullptr, path, sizeof path);
  path[n < sizeof path ? n : sizeof path - 1] = 0;
  if (nt) {
    Text shortForm;
    n = GetShortPathNameA(path, shortForm, sizeof shortForm);
    if (n > 0 && n < sizeof shortForm) copyText(path, sizeof path, shortForm);
  }
}

const char* launcherDirectory() {
  static Text directory;
  static bool known = false;
  if (!known) {
    char* name = nullptr;
    DWORD n = GetFullPathNameA(executablePath(), sizeof directory, directory, &name);
    if (n == 0 || n >= sizeof directory) copyText(directory, sizeof directory, executablePath());
    char* slash = strrchr(directory, '\\');
    if (slash) slash[1] = 0;
    known = true;
  }
  return directory;
}

bool isDriveRoot(const char* path) {
  if (!path[0]) return false;
  const char* rest = path + 1;
  return strcmp(rest, ":\\") == 0 || strcmp(rest, ":\\.") == 0 || strcmp(rest, ":\\.\\.") == 0;
}

}  // namespace

unsigned fileCodePage() { return AreFileApisANSI() ? CP_ACP : CP_OEMCP; }

void toWide(const char* text, WideText& buffer) {
  wideFromNarrow(fileCodePage(), text, buffer, kTextCapacity);
}

bool toNarrow(const char16_t* text, char* buffer, size_t capacity) {
  return narrowFromWide(fileCodePage(), text, buffer, capacity);
}

const char* executablePath() {
  if (!launcherPathKnown) {
    computeExecutablePath(launcherPath);
    normalizePath(launcherPath);
    launcherPathKnown = true;
  }
  return launcherPath;
}

void normalizePath(char* path) {
  WideText wide;
  toWide(path, wide);
  size_t kept = 0;
  for (size_t i = 0; wide[i]; ++i) {
    bool repeat = wide[i] == u'\\' && kept > 1 && wide[kept - 1] == u'\\';
    if (!repeat) wide[kept++] = wide[i];
  }
  wide[kept] = 0;
  Text narrow;
  if (toNarrow(wide, narrow, sizeof narrow)) strcpy(path, narrow);
}

void resolvePath(Text& buffer, const char* path) {
  buffer[0] = 0;
  if (isRelativePath(path)) copyText(buffer, sizeof buffer, launcherDirectory());
  appendText(buffer, sizeof buffer, path);
  normalizePath(buffer);
}

void fullPath(Text& buffer, const char* path, bool keepCase) {
  Text resolved;
  resolvePath(resolved, path);
  DWORD n = GetFullPathNameA(resolved, sizeof buffer, buffer, nullptr);
  if (n == 0 || n >= sizeof buffer) copyText(buffer, sizeof buffer, resolved);
  if (!keepCase) lowercasePath(buffer);
  normalizePath(buffer);
}

void lowercasePath(char* path) {
  WideText wide;
  toWide(path, wide);
  _wcslwr(asWide(wide));
  Text narrow;
  if (toNarrow(wide, narrow, sizeof narrow)) strcpy(path, narrow);
}

void resolvePathList(Text& buffer, const char* list) {
  buffer[0] = 0;
  const char* element = list;
  while (*element) {
    const char* end = strchr(element, ';');
    size_t length = end ? static_cast<size_t>(end - element) : strlen(element);
    if (length > 0) {
      Text item;
      copyText(item, length + 1 < sizeof item ? length + 1 : sizeof item, element);
      Text resolved;
      resolvePath(resolved, item);
      if (buffer[0]) appendText(buffer, sizeof buffer, ";");
      appendText(buffer, sizeof buffer, resolved);
    }
    if (!end) break;
    element = end + 1;
  }
}

bool findFile(const char* path, uint64_t* lastWriteTime) {
  if (lastWriteTime) *lastWriteTime = 0;
  if (isDriveRoot(path)) return true;
  // FindFirstFileA finds nothing for "dir\", and the launcher directory
  // always ends with a backslash: look for the directory itself.
  Text trimmed;
  copyText(trimmed, sizeof trimmed, path);
  size_t length = strlen(trimmed);
  while (length > 0 && (trimmed[length - 1] == '\\' || trimmed[length - 1] == '/')) trimmed[--length] = 0;
  if (length == 0) return false;
  // "C:" alone names the drive's current directory, not a path to look for.
  if (length == 2 && trimmed[1] == ':') return false;
  WIN32_FIND_DATAA found;
  FindHandle search(FindFirstFileA(trimmed, &found));
  if (!search.valid()) return false;
  if (lastWriteTime)
    *lastWriteTime = static_cast<uint64_t>(found.ftLastWriteTime.dwHighDateTime) << 32 |
                     found.ftLastWriteTime.dwLowDateTime;
  return true;
}

bool pathExists(const char* path) { return findFile(path, nullptr); }

GrowableList<char*> listFiles(const char* directory, const char* extension) {
  GrowableList<char*> names;
  Text pattern;
  PathBuilder built(pattern);
  built.add(directory).add("\\*").add(extension[0] != '.' ? "." : "").add(extension);
  if (!built.whole()) return names;
  WIN32_FIND_DATAA found;
  FindHandle search(FindFirstFileA(pattern, &found));
  if (!search.valid()) return names;
  do {
    char* name = _strdup(found.cFileName);
    if (!name) break;
    if (!listAppend(names, name)) {
      free(name);
      break;
    }
  } while (FindNextFileA(search.get(), &found));
  return names;
}

size_t longPathName(const char* path, char* buffer, size_t capacity) {
  static LongPathFunction resolver = nullptr;
  DWORD n = 0;
  if (!resolver) {
    auto system = reinterpret_cast<LongPathFunction>(
        reinterpret_cast<void*>(GetProcAddress(GetModuleHandleA("KERNEL32"), "GetLongPathNameA")));
    if (system) {
      n = system(path, buffer, static_cast<DWORD>(capacity));
      if (n != 0 || GetLastError() != ERROR_CALL_NOT_IMPLEMENTED) {
        resolver = system;
        return n < capacity ? n : 0;
      }
    }
    resolver = shellLongPathName;
  }
  n = resolver(path, buffer, static_cast<DWORD>(capacity));
  return n < capacity ? n : 0;
}
