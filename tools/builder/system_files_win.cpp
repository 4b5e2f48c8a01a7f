#include "builder/system_files.h"

#include <windows.h>
#include <shellapi.h>
#include <errno.h>
#include <fcntl.h>
#include <io.h>
#include <process.h>
#include <sys/stat.h>

#include "builder/code_page.h"

namespace {

// A path as the wide functions take it; an invalid one names no file.
std::wstring widePath(const std::string& utf8) {
  try {
    std::string units = utf8ToUtf16le(utf8);
    std::wstring wide(units.size() / 2, L'\0');
    for (size_t i = 0; i < wide.size(); ++i)
      wide[i] = static_cast<wchar_t>(static_cast<unsigned char>(units[2 * i]) |
                                     static_cast<unsigned char>(units[2 * i + 1]) << 8);
    return wide;
  } catch (const TextConversionError&) {
    return L"";
  }
}

std::string narrow(const wchar_t* wide) {
  std::u16string units;
  for (; *wide; ++wide) units += static_cast<char16_t>(*wide);
  return utf16ToUtf8(units);
}

}  // namespace

FILE* openForReading(const std::string& path) {
  std::wstring wide = widePath(path);
  if (wide.empty()) {
    errno = ENOENT;
    return nullptr;
  }
  return _wfopen(wide.c_str(), L"rb");
}

int regularFileSize(FILE* file, int64_t* size) {
  struct _stat64 status;
  if (_fstat64(_fileno(file), &status) != 0) return -1;
  *size = status.st_size;
  return (status.st_mode & _S_IFMT) == _S_IFREG ? 1 : 0;
}

FILE* createNewFile(const std::string& path) {
  int descriptor = _wopen(widePath(path).c_str(), _O_WRONLY | _O_CREAT | _O_EXCL | _O_BINARY | _O_NOINHERIT,
                          _S_IREAD | _S_IWRITE);
  if (descriptor < 0) return nullptr;
  FILE* file = _fdopen(descriptor, "wb");
  if (!file) {
    int error = errno;
    _close(descriptor);
    errno = error;
  }
  return file;
}

bool syncFile(FILE* file) { return fflush(file) == 0 && _commit(_fileno(file)) == 0; }

bool replaceFile(const std::string& from, const std::string& to) {
  if (MoveFileExW(widePath(from).c_str(), widePath(to).c_str(), MOVEFILE_REPLACE_EXISTING | MOVEFILE_WRITE_THROUGH))
    return true;
  DWORD error = GetLastError();
  errno = error == ERROR_ACCESS_DENIED ? EACCES : error == ERROR_PATH_NOT_FOUND ? ENOENT : EIO;
  return false;
}

void removeFile(const std::string& path) { _wunlink(widePath(path).c_str()); }

unsigned long processNumber() { return static_cast<unsigned long>(_getpid()); }

std::string builderPath(const char*) {
  wchar_t path[32768];
  DWORD n = GetModuleFileNameW(nullptr, path, 32768);
  if (n == 0 || n >= 32768) return "ltrbuild.exe";
  return narrow(path);
}

// The command line as Windows holds it, in UTF-16, whatever the ANSI code page.
std::vector<std::string> builderArguments(int, char**) {
  int count = 0;
  wchar_t** arguments = CommandLineToArgvW(GetCommandLineW(), &count);
  std::vector<std::string> out;
  for (int i = 1; i < count; ++i) out.push_back(narrow(arguments[i]));
  LocalFree(arguments);
  return out;
}

void useBinaryOutput() {
  _setmode(_fileno(stdout), _O_BINARY);
  _setmode(_fileno(stderr), _O_BINARY);
}

char32_t windowsUpper(char32_t c) {
  if (c >= 0x10000) return c;
  wchar_t unit = static_cast<wchar_t>(c);
  CharUpperBuffW(&unit, 1);
  return unit;
}
