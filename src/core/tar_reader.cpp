#include "core/tar_reader.h"

#include <string.h>

#include "core/log.h"
#include "core/included_names.h"
#include "core/tar_io.h"

namespace {

constexpr int kNameOffset = 0;
constexpr int kNameWidth = 100;
constexpr int kSizeOffset = 124;
constexpr int kSizeWidth = 12;
constexpr int kTypeOffset = 156;
constexpr int kMagicOffset = 257;
constexpr int kPrefixOffset = 345;
constexpr int kPrefixWidth = 155;
constexpr unsigned kCopyBuffer = 32768;

// Only the work thread unpacks, one archive at a time.
char copyBuffer[kCopyBuffer];

void appendField(Text& buffer, const char* field, int width) {
  size_t used = strlen(buffer);
  size_t length = strnlen(field, width);
  if (used + length >= sizeof buffer) length = sizeof buffer - 1 - used;
  memcpy(buffer + used, field, length);
  buffer[used + length] = 0;
}

// Every component must be a plain file name; "." components (archives made
// with "tar -C dir .") and the empty one behind a closing separator are fine.
bool isSafeEntryPath(const char* path) {
  if (path[0] == 0 || path[0] == '\\' || strchr(path, ':')) return false;
  const char* component = path;
  for (;;) {
    const char* end = strchr(component, '\\');
    size_t length = end ? static_cast<size_t>(end - component) : strlen(component);
    char part[kNameWidth + kPrefixWidth + 2] = {};
    if (length >= sizeof part) return false;
    memcpy(part, component, length);
    bool dotOnly = length == 1 && part[0] == '.';
    if (length > 0 && !dotOnly && !isSafeIncludedFileName(part)) return false;
    if (length == 0 && end) return false;  // an empty component inside: "a\\b"
    if (!end) return true;
    component = end + 1;
  }
}

void showPosition(TarArchive* archive, const Progress* progress, int32_t totalSize) {
  if (!progress || totalSize <= 0) return;
  int position = static_cast<int>(static_cast<double>(tarArchivePosition(archive)) / totalSize * 100.0);
  progressPosition(progress, position == 0 ? 1 : position);
}

bool isZeroBlock(const char* header) {
  for (int i = 0; i < kTarHeaderRead; ++i)
    if (header[i]) return false;
  return true;
}

}  // namespace

int32_t parseOctal(const char* text, int width) {
  int64_t value = 0;
  bool started = false;
  for (int i = 0; i < width && text[i]; ++i) {
    char c = text[i];
    if (!started && (c == ' ' || c == '0')) continue;
    if (started && c == ' ') break;
    if (c < '0' || c > '7') return -1;
    started = true;
    value = value * 8 + (c - '0');
    if (value > INT32_MAX) return -1;
  }
  return static_cast<int32_t>(value);
}

bool tarEntryName(const char* header, Text& name) {
  name[0] = 0;
  if (header[kPrefixOffset]) {
    appendField(name, header + kPrefixOffset, kPrefixWidth);
    appendText(name, sizeof name, "/");
  }
  appendField(name, header + kNameOffset, kNameWidth);
  for (char* c = name; *c; ++c)
    if (*c == '/') *c = '\\';
  return isSafeEntryPath(name);
}

// True when exactly size bytes were copied into path. False for a short or
// failed copy, or with the failure recorded when path cannot be created.
static bool extractTarEntry(TarArchive* archive, const char* path, int32_t size, const Progress* progress,
                     int32_t totalSize, Failure& failure) {
  logMessage("extracting %s (size %d)", path, size);
  TarFile* file = createTarFile(path);
  if (!file) return fail(failure, FailureKind::archiveEntryNotCreated, path);
  int32_t copied = 0;
  unsigned long lastUpdate = 0;
  bool failed = false;
  while (copied < size) {
    int32_t left = size - copied;
    unsigned chunk = left < static_cast<int32_t>(kCopyBuffer) ? static_cast<unsigned>(left) : kCopyBuffer;
    int n = readTarArchive(archive, copyBuffer, chunk);
    if (n <= 0) break;
    copied += n;
    if (!writeTarFile(file, copyBuffer, static_cast<unsigned>(n))) {
      failed = true;
      break;
    }
    unsigned long now = tarTickCount();
    if (lastUpdate + 200 < now) {
      lastUpdate = now;
      showPosition(archive, progress, totalSize);
    }
  }
  if (!closeTarFile(file) || failed) {
    logError("stream error");
    return false;
  }
  if (copied >= size) return true;
  logError("sizes don't match: %d, %d", copied, size);
  return false;
}

bool untarRuntime(const char* archivePath, const char* destinationDir, const Progress* progress,
                  int32_t totalSize, Failure& failure) {
  Text saved;
  bool haveSaved = saveTarDirectory(saved, sizeof saved);
  TarArchive* archive = openTarArchive(archivePath);
  if (!archive) {
    logError("Could not open gz-file");
    logError("untaring JRE was unsuccessful");
    return false;
  }
  enterTarDirectory(destinationDir);
  bool extracted = false;
  bool result = false;
  char header[kTarHeaderRead];
  for (;;) {
    int n = 0;
    if (!tarArchiveAtEnd(archive)) {
      memset(header, 0, sizeof header);
      n = readTarArchive(archive, header, sizeof header);
    }
    if (n == 0) {
      result = extracted;
      if (!extracted) logError("unexpected eof");
      break;
    }
    if (n < 0) {
      logError("gzread failed");
      break;
    }
    // A stream that ends inside a header was cut short, unless all that
    // is left is zeros.
    if (n < kTarHeaderRead && !isZeroBlock(header)) {
      logError("unexpected eof");
      break;
    }
    if (memcmp(header + kMagicOffset, "ustar", 5) != 0) {
      // Zero blocks end a good archive; anything else behind a file is damage.
      result = extracted && isZeroBlock(header);
      if (!result) logError("no magic number");
      break;
    }
    if (skipTarArchive(archive, kTarBlock - kTarHeaderRead) == -1) {
      logError("gzseek 1 failed");
      break;
    }
    int32_t size = parseOctal(header + kSizeOffset, kSizeWidth);
    Text name;
    bool safeName = tarEntryName(header, name);
    if (size < 0) {
      logError("Invalid size field of %s", name);
      break;
    }
    char type = header[kTypeOffset];
    if ((type == '0' || type == '5') && !safeName) {
      logError("Refused archive entry name \"%s\"", name);
      break;
    }
    if (type == '0') {
      showPosition(archive, progress, totalSize);
      if (!extractTarEntry(archive, name, size, progress, totalSize, failure)) {
        // An entry that cannot be created stops the launch: nothing more is logged.
        if (failure.kind != FailureKind::none) break;
        logError("extract file failed");
        break;
      }
      extracted = true;
    } else {
      if (type == '5') makeTarDirectory(name);
      // A directory's data is skipped like any other, so that a damaged
      // size cannot make the next header start inside it.
      if (skipTarArchive(archive, size) == -1) {
        logError("gzseek 2 failed");
        break;
      }
    }
    long padding = size % kTarBlock ? kTarBlock - size % kTarBlock : 0;
    if (skipTarArchive(archive, padding) == -1) {
      logError("gzseek 3 failed");
      break;
    }
  }
  if (haveSaved) enterTarDirectory(saved);
  closeTarArchive(archive);
  if (failure.kind != FailureKind::none) return false;
  if (result)
    logMessage("untaring JRE was successful");
  else
    logError("untaring JRE was unsuccessful");
  return result;
}
