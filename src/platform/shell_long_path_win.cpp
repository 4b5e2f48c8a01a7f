#include "platform/shell_long_path_win.h"

#include <shlobj.h>
#include <string.h>

#include "core/paths.h"
#include "core/text.h"
#include "platform/system_library_win.h"

namespace {

struct ShellFunctions {
  HRESULT(WINAPI* getDesktopFolder)(IShellFolder**);
  BOOL(WINAPI* getPathFromIDList)(LPCITEMIDLIST, LPSTR);
  HRESULT(WINAPI* getMalloc)(IMalloc**);
};

bool loadShell(ShellFunctions* shell) {
  HMODULE module = loadSystemLibrary("shell32.dll");
  return module && lookUp(module, "SHGetDesktopFolder", &shell->getDesktopFolder) &&
         lookUp(module, "SHGetPathFromIDListA", &shell->getPathFromIDList) &&
         lookUp(module, "SHGetMalloc", &shell->getMalloc);
}

wchar_t* asWide(char16_t* text) { return reinterpret_cast<wchar_t*>(text); }

}  // namespace

DWORD WINAPI shellLongPathName(LPCSTR path, LPSTR buffer, DWORD capacity) {
  static ShellFunctions shell;
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
