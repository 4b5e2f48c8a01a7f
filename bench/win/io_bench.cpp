// Baselines of the extraction benchmark: "copy SOURCE TARGET" copies a file
// with CopyFileA, "read FILE" reads it to its end in 1 MiB pieces.
#include <windows.h>
#include <string.h>

int main(int argc, char** argv) {
  if (argc == 4 && strcmp(argv[1], "copy") == 0) return CopyFileA(argv[2], argv[3], FALSE) ? 0 : 1;
  if (argc != 3 || strcmp(argv[1], "read") != 0) return 2;
  HANDLE file = CreateFileA(argv[2], GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING, 0, nullptr);
  if (file == INVALID_HANDLE_VALUE) return 1;
  static char buffer[1 << 20];
  DWORD got = 0;
  while (ReadFile(file, buffer, sizeof buffer, &got, nullptr) && got > 0) {
  }
  CloseHandle(file);
  return 0;
}
