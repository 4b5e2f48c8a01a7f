#include "builder/system_files.h"

#include <errno.h>
#include <fcntl.h>
#include <locale.h>
#include <sys/stat.h>
#include <unistd.h>
#include <wctype.h>

#include <filesystem>
#include <system_error>

FILE* openForReading(const std::string& path) { return fopen(path.c_str(), "rb"); }

int regularFileSize(FILE* file, int64_t* size) {
  struct stat status;
  if (fstat(fileno(file), &status) != 0) return -1;
  *size = status.st_size;
  return S_ISREG(status.st_mode) ? 1 : 0;
}

FILE* createNewFile(const std::string& path) {
  int descriptor = open(path.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0666);
  if (descriptor < 0) return nullptr;
  FILE* file = fdopen(descriptor, "wb");
  if (!file) {
    int error = errno;
    close(descriptor);
    errno = error;
  }
  return file;
}

bool syncFile(FILE* file) { return fflush(file) == 0 && fsync(fileno(file)) == 0; }

bool replaceFile(const std::string& from, const std::string& to) { return rename(from.c_str(), to.c_str()) == 0; }

void removeFile(const std::string& path) { unlink(path.c_str()); }

unsigned long processNumber() { return static_cast<unsigned long>(getpid()); }

// Wherever it was started from.
std::string builderPath(const char* argv0) {
  std::error_code error;
  std::filesystem::path self = std::filesystem::read_symlink("/proc/self/exe", error);
  return error ? std::string(argv0) : self.string();
}

std::vector<std::string> builderArguments(int argc, char** argv) { return std::vector<std::string>(argv + 1, argv + argc); }

void useBinaryOutput() {}

// The C.UTF-8 locale carries Windows' simple mappings; without that
// locale, ASCII folding still catches the usual clash.
char32_t windowsUpper(char32_t c) {
  static locale_t unicode = newlocale(LC_CTYPE_MASK, "C.UTF-8", locale_t{});
  if (unicode) return static_cast<char32_t>(towupper_l(static_cast<wint_t>(c), unicode));
  return c >= 'a' && c <= 'z' ? c - ('a' - 'A') : c;
}
