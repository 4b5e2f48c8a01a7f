// Test helper. Prints what GetFileVersionInfoW reads from the file named
// on the command line, as one JSON object: the fixed file and product
// versions and the strings of the U.S. English, UTF-16 table. Texts are
// UTF-8. Exit code 1 when the file has no version resource.
#include <windows.h>
#include <stdio.h>

static void printJsonText(const wchar_t* text) {
  char utf8[4096];
  int n = WideCharToMultiByte(CP_UTF8, 0, text, -1, utf8, sizeof utf8, nullptr, nullptr);
  if (n <= 0) utf8[0] = 0;
  putchar('"');
  for (const unsigned char* c = reinterpret_cast<const unsigned char*>(utf8); *c; ++c) {
    if (*c == '"' || *c == '\\')
      printf("\\%c", *c);
    else if (*c < 0x20)
      printf("\\u%04x", *c);
    else
      putchar(*c);
  }
  putchar('"');
}

int main() {
  int count = 0;
  wchar_t** arguments = CommandLineToArgvW(GetCommandLineW(), &count);
  if (count != 2) return 2;
  DWORD ignored = 0;
  DWORD size = GetFileVersionInfoSizeW(arguments[1], &ignored);
  if (size == 0) return 1;
  static char data[65536];
  if (size > sizeof data || !GetFileVersionInfoW(arguments[1], 0, size, data)) return 1;
  VS_FIXEDFILEINFO* fixed = nullptr;
  UINT length = 0;
  if (!VerQueryValueW(data, L"\\", reinterpret_cast<void**>(&fixed), &length) || length < sizeof *fixed) return 1;
  printf("{\"fileVersion\":\"%lu.%lu.%lu.%lu\",\"productVersion\":\"%lu.%lu.%lu.%lu\"",
         fixed->dwFileVersionMS >> 16, fixed->dwFileVersionMS & 0xFFFF, fixed->dwFileVersionLS >> 16,
         fixed->dwFileVersionLS & 0xFFFF, fixed->dwProductVersionMS >> 16, fixed->dwProductVersionMS & 0xFFFF,
         fixed->dwProductVersionLS >> 16, fixed->dwProductVersionLS & 0xFFFF);
  static const wchar_t* const keys[] = {L"ProductName",    L"CompanyName",    L"FileDescription", L"FileVersion",
                                        L"ProductVersion", L"LegalCopyright", L"OriginalFilename", L"InternalName"};
  for (const wchar_t* key : keys) {
    wchar_t path[128];
    wsprintfW(path, L"\\StringFileInfo\\040904B0\\%s", key);
    wchar_t* value = nullptr;
    if (!VerQueryValueW(data, path, reinterpret_cast<void**>(&value), &length) || !value) continue;
    printf(",");
    printJsonText(key);
    printf(":");
    printJsonText(value);
  }
  printf("}\n");
  return 0;
}
