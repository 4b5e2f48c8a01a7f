#include "launch/included_files.h"

#include <windows.h>
#include <stdio.h>
#include <stdlib.h>
#include <string.h>
#include <time.h>

#include "core/configuration.h"
#include "core/included_names.h"
#include "core/log.h"
#include "core/path_builder.h"
#include "core/payload_format.h"
#include "core/record_ids.h"
#include "launch/cleanup.h"
#include "launch/media_file_win.h"
#include "launch/temp_directory.h"
#include "platform/owned_win.h"
#include "platform/private_directory_win.h"

namespace {

// Large pieces keep the copy near the speed of a plain file copy; the
// observable steps (one failed read or write ends the copy) stay the same.
constexpr DWORD kCopyPiece = 1 << 20;

// The copy buffer is aligned, so the mask goes over it a word at a time.
typedef uint64_t __attribute__((may_alias)) Word;

void descrambleBytes(uint8_t* bytes, DWORD count) {
  const Word mask = 0x0101010101010101ull * kScrambleMask;
  Word* words = reinterpret_cast<Word*>(bytes);
  DWORD i = 0;
  for (; i + 8 <= count; i += 8) words[i / 8] ^= mask;
  for (; i < count; ++i) bytes[i] ^= kScrambleMask;
}

void removeWorkDirectory(LaunchContext& context) {
  emptyDirectory(context.workDirectory);
  RemoveDirectoryA(context.workDirectory);
}

// A failed extraction empties and removes the work directory, also when
// the failure ends the launch at once: nothing half-filled stays behind.
bool failExtraction(LaunchContext& context, const char* target, ExtractResult result) {
  if (result != kStopped) logError("Failed to extract %s", target);
  removeWorkDirectory(context);
  if (result == kStopped) return false;
  return fail(context.failure, result == kWriteFailed ? FailureKind::extractionWrite : FailureKind::extractionRead);
}

// "<temporary file>_dir<number>", created for the current user only when
// its root is shared by every user.
bool createWorkDirectory(LaunchContext& context) {
  Text& work = context.workDirectory;
  bool sharedRoot = false;
  if (!createTempFileName(work, &sharedRoot, context.failure)) return false;
  // Without a unique name the directory would land, relative, in the
  // current directory: that is a directory that cannot be created.
  if (work[0] == 0) return failInternal(context.failure, InternalError::workDirectory);
  DeleteFileA(work);
  srand(static_cast<unsigned>(time(nullptr)));
  char number[16];
  snprintf(number, sizeof number, "%d", rand());
  Text file;
  copyText(file, sizeof file, work);
  PathBuilder name(work);
  if (!name.add(file).add("_dir").add(number).whole()) return failInternal(context.failure, InternalError::workDirectory);
  logMessage("Temp dir: %s", work);
  if (sharedRoot) logMessage("Work directory for the current user only");
  bool created = sharedRoot ? createPrivateDirectory(work) : CreateDirectoryA(work, nullptr) != FALSE;
  context.workDirectoryMade = created;
  return created || failInternal(context.failure, InternalError::workDirectory);
}

}  // namespace

ExtractResult copyFileData(MediaHandle source, void* target, int64_t size, bool descramble) {
  if (size <= 0) return kExtracted;
  // Extraction runs on one thread only.
  alignas(8) static uint8_t buffer[kCopyPiece];
  int64_t copied = 0;
  while (copied < size) {
    int64_t left = size - copied;
    DWORD request = left < kCopyPiece ? static_cast<DWORD>(left) : kCopyPiece;
    DWORD bytesRead = 0;
    if (!ReadFile(static_cast<HANDLE>(source), buffer, request, &bytesRead, nullptr) || bytesRead == 0) {
      logError("ReadFile failed %d %d %I64d", static_cast<int>(bytesRead), static_cast<int>(GetLastError()), copied);
      return kReadFailed;
    }
    if (descramble) descrambleBytes(buffer, bytesRead);
    DWORD done = 0;
    while (done < bytesRead) {
      DWORD written = 0;
      // A write that reports success without taking a byte would be tried
      // for ever: it fails as any other write.
      if (!WriteFile(static_cast<HANDLE>(target), buffer + done, bytesRead - done, &written, nullptr) ||
          written == 0) {
        logError("WriteFile failed %d %d", static_cast<int>(bytesRead - done), static_cast<int>(GetLastError()));
        return kWriteFailed;
      }
      done += written;
    }
    copied += bytesRead;
  }
  return kExtracted;
}

static ExtractResult extractIncludedFile(MediaHandle media, const char* target, Failure& failure) {
  int64_t size = 0;
  ReadError error;
  if (!readLong(media, &size, &error)) {
    failReading(failure, error);
    return kStopped;
  }
  logMessage("extracting %s (size: %I64d)", target, size);
  if (size == 0) return kExtracted;
  // A size the media file cannot hold is damage: refused before the
  // target exists, so that nothing is allocated for it.
  int64_t left = mediaSize(media) - mediaPosition(media);
  if (size < 0 || size > left) {
    logError("Invalid size %I64d of %s: %I64d bytes left in the media file", size, target, left);
    return kReadFailed;
  }
  FileHandle file(CreateFileA(target, GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr));
  if (!file.valid()) {
    failInternal(failure, InternalError::includedFile);
    return kStopped;
  }
  ExtractResult result = copyFileData(media, file.get(), size, true);
  if (!file.close() && result == kExtracted) result = kWriteFailed;
  return result;
}

bool extractIncludedFiles(LaunchContext& context) {
  logMessage("extracting files");
  int count = configInt(context.config, kRecord_includedFileCount);
  logMessage("Included files: %d", count);
  context.workDirectory[0] = 0;
  if (count == 0) return true;

  FileHandle media;
  if (!openMediaFile(media, context.failure)) return false;
  mediaSeek(media.get(), context.config.includedFilesPosition);
  if (!createWorkDirectory(context)) return false;

  // The names are read from the record as stored, however long: a name
  // list cut short would extract files under the wrong names.
  const char* names = findConfigString(context.config, kRecord_includedFileNames);
  const char* cursor = names ? names : "";
  int extracted = 0;
  while (extracted < count && *cursor) {
    size_t length = strcspn(cursor, ";");
    if (length > 0) {
      Text name;
      bool whole = length < sizeof name;
      copyText(name, whole ? length + 1 : sizeof name, cursor);
      Text target;
      PathBuilder path(target);
      path.add(context.workDirectory).add("\\").add(name);
      if (!whole || !isSafeIncludedFileName(name)) {
        logError("Refused included file name \"%s\"", name);
        return failExtraction(context, target, kReadFailed);
      }
      // A target that does not fit would be another file than the one
      // meant: it cannot be created, as a path too long for the system.
      if (!path.whole()) {
        failInternal(context.failure, InternalError::includedFile);
        return failExtraction(context, target, kStopped);
      }
      // Canceled meanwhile: the rest is not extracted.
      if (context.canceled) return fail(context.failure, FailureKind::canceled);
      ExtractResult result = extractIncludedFile(media.get(), target, context.failure);
      if (result != kExtracted) return failExtraction(context, target, result);
      ++extracted;
    }
    cursor += length;
    if (*cursor == ';') ++cursor;
  }
  if (extracted < count) {
    logError("The installer names %d of its %d included files", extracted, count);
    removeWorkDirectory(context);
    return fail(context.failure, FailureKind::extractionRead);
  }
  context.unextractedPosition = mediaPosition(media.get());
  logMessage("extracting files done");
  return true;
}
