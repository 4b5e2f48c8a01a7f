#include "media/paths.h"

#include <windows.h>
#include <shlobj.h>
#include <stdlib.h>
#include <string.h>
#include <wchar.h>

#include "common/code_page_win.h"
#include "common/system_library.h"

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

void computeExecutablePath(Text& path) {
  OSVERSIONINFOA version;
  version.dwOSVersionInfoSize = sizeof version;
  bool nt = GetVersionExA(&version) && version.dwPlatformId == VER_PLATFORM_WIN32_NT;
  if (nt) {
    WideText module;
    DWORD n = GetModuleFileNameW(nullptr, asWide(module), kTextCapacity);
    module[n < kTextCapacity ? n : kTextCapacity - 1] = 0;
    if (acceptNarrow(module, path)) return;
    WideText shortForm;
    n = GetShortPathNameW(asWide(module), asWide(shortForm), kTextCapacity);
    if (n > 0 && n < kTextCapacity && acceptNarrow(shortForm, path)) return;
  }
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

typedef DWORD(WINAPI* LongPathFunction)(LPCSTR, LPSTR, DWORD);

// The shell is needed only where GetLongPathNameA is missing; loading it
// there, from the system directory, keeps it out of every other start.
struct Shell {
  HRESULT(WINAPI* getDesktopFolder)(IShellFolder**);
  BOOL(WINAPI* getPathFromIDList)(LPCITEMIDLIST, LPSTR);
  HRESULT(WINAPI* getMalloc)(IMalloc**);
};

bool loadShell(Shell* shell) {
  HMODULE module = loadSystemLibrary("shell32.dll");
  return module && lookUp(module, "SHGetDesktopFolder", &shell->getDesktopFolder) &&
         lookUp(module, "SHGetPathFromIDListA", &shell->getPathFromIDList) &&
         lookUp(module, "SHGetMalloc", &shell->getMalloc);
}

// Systems without GetLongPathNameA: the shell's parse of the path gives the
// long form back.
DWORD WINAPI shellLongPathName(LPCSTR path, LPSTR buffer, DWORD capacity) {
  static Shell shell;
  static enum { unknown, present, absent } state = unknown;
  if (state == unknown) state = loadShell(&shell) ? present : absent;
  if (state == absent) return 0;
  if (GetFileAttributesA(path) == INVALID_FILE_ATTRIBUTES) return 0;
  char absolute[MAX_PATH];
  DWORD n = GetFullPathNameA(path, sizeof absolute, absolute, nullptr);
  if (n == 0) return 0;
  if (n >= sizeof absolute) {
    SetLastError(ERROR_BUFFER_OVERFLOW);
    return 0;
  }
  WideText wide;
  toWide(absolute, wide);
  IShellFolder* desktop = nullptr;
  if (FAILED(shell.getDesktopFolder(&desktop))) return 0;
  LPITEMIDLIST items = nullptr;
  ULONG eaten = 0;
  HRESULT parsed = desktop->ParseDisplayName(nullptr, nullptr, asWide(wide), &eaten, &items, nullptr);
  desktop->Release();
  if (FAILED(parsed)) return 0;
  char longForm[MAX_PATH];
  DWORD result = 0;
  if (shell.getPathFromIDList(items, longForm)) {
    DWORD length = static_cast<DWORD>(strlen(longForm));
    if (length < capacity) {
      memcpy(buffer, longForm, length + 1);
      result = length;
    } else {
      SetLastError(ERROR_INSUFFICIENT_BUFFER);
      result = length + 1;
    }
  }
  IMalloc* allocator = nullptr;
  if (SUCCEEDED(shell.getMalloc(&allocator))) {
    allocator->Free(items);
    allocator->Release();
  }
  return result;
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
  HANDLE search = FindFirstFileA(trimmed, &found);
  if (search == INVALID_HANDLE_VALUE) return false;
  if (lastWriteTime)
    *lastWriteTime = static_cast<uint64_t>(found.ftLastWriteTime.dwHighDateTime) << 32 |
                     found.ftLastWriteTime.dwLowDateTime;
  FindClose(search);
  return true;
}

bool pathExists(const char* path) { return findFile(path, nullptr); }

int listFiles(const char* directory, const char* extension, char*** names) {
  *names = nullptr;
  Text pattern;
  copyText(pattern, sizeof pattern, directory);
  appendText(pattern, sizeof pattern, "\\*");
  if (extension[0] != '.') appendText(pattern, sizeof pattern, ".");
  appendText(pattern, sizeof pattern, extension);
  WIN32_FIND_DATAA found;
  HANDLE search = FindFirstFileA(pattern, &found);
  if (search == INVALID_HANDLE_VALUE) return 0;
  int count = 0;
  char** list = nullptr;
  do {
    if ((count & (count - 1)) == 0) {
      char** grown = static_cast<char**>(realloc(list, sizeof(char*) * (count ? count * 2 : 8)));
      if (!grown) break;
      list = grown;
    }
    char* name = static_cast<char*>(malloc(kTextCapacity));
    if (!name) break;
    copyText(name, kTextCapacity, found.cFileName);
    list[count++] = name;
  } while (FindNextFileA(search, &found));
  FindClose(search);
  *names = list;
  return count;
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
