#include "media/included_files.h"

#include <windows.h>
#include <stdio.h>
#include <stdlib.h>
#include <string.h>
#include <time.h>

#include "log/log.h"
#include "media/cleanup.h"
#include "media/configuration.h"
#include "media/included_names.h"
#include "media/media_file.h"
#include "media/payload_format.h"
#include "media/record_ids.h"
#include "media/temp_directory.h"
#include "ui/error_display.h"

namespace {

uint32_t unextracted = 0;

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

int failExtraction(Text& workDirectory, const char* target, int result) {
  logError("Failed to extract %s", target);
  emptyDirectory(workDirectory);
  RemoveDirectoryA(workDirectory);
  return result;
}

}  // namespace

uint32_t unextractedPosition() { return unextracted; }

int copyFileData(MediaHandle source, void* target, int64_t size, bool descramble) {
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
      if (!WriteFile(static_cast<HANDLE>(target), buffer + done, bytesRead - done, &written, nullptr)) {
        logError("WriteFile failed %d %d", static_cast<int>(bytesRead - done), static_cast<int>(GetLastError()));
        return kWriteFailed;
      }
      done += written;
    }
    copied += bytesRead;
  }
  return kExtracted;
}

int extractIncludedFile(MediaHandle media, const char* target) {
  int64_t size = 0;
  ReadError error;
  if (!readLong(media, &size, &error)) failReading(error);
  logMessage("extracting %s (size: %I64d)", target, size);
  if (size == 0) return kExtracted;
  // A size the media file cannot hold is damage: refused before the
  // target exists, so that nothing is allocated for it.
  int64_t left = mediaSize(media) - mediaPosition(media);
  if (size < 0 || size > left) {
    logError("Invalid size %I64d of %s: %I64d bytes left in the media file", size, target, left);
    return kReadFailed;
  }
  HANDLE file = CreateFileA(target, GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr);
  if (file == INVALID_HANDLE_VALUE) fatalConfigError(kRecord_msgInternalError, "11");
  int result = copyFileData(media, file, size, true);
  if (!CloseHandle(file) && result == kExtracted) result = kWriteFailed;
  return result;
}

int extractIncludedFiles(Text& workDirectory) {
  logMessage("extracting files");
  int count = configInt(kRecord_includedFileCount);
  logMessage("Included files: %d", count);
  workDirectory[0] = 0;
  if (count == 0) return kExtracted;

  MediaHandle media = openMediaFile();
  mediaSeek(media, includedFilesPosition());

  // Without a unique name the directory would land, relative, in the
  // current directory: that is a directory that cannot be created.
  bool sharedRoot = createTempFileName(workDirectory);
  if (workDirectory[0] == 0) fatalConfigError(kRecord_msgInternalError, "7");
  DeleteFileA(workDirectory);
  appendText(workDirectory, sizeof workDirectory, "_dir");
  srand(static_cast<unsigned>(time(nullptr)));
  char number[16];
  snprintf(number, sizeof number, "%d", rand());
  appendText(workDirectory, sizeof workDirectory, number);
  logMessage("Temp dir: %s", workDirectory);
  if (sharedRoot) logMessage("Work directory for the current user only");
  bool created = sharedRoot ? createPrivateDirectory(workDirectory) : CreateDirectoryA(workDirectory, nullptr) != FALSE;
  if (!created) fatalConfigError(kRecord_msgInternalError, "7");

  Text names;
  configString(kRecord_includedFileNames, names, sizeof names);
  char* cursor = names;
  for (int i = 0; i < count && *cursor;) {
    char* end = strchr(cursor, ';');
    if (end) *end = 0;
    if (*cursor) {
      Text target;
      copyText(target, sizeof target, workDirectory);
      appendText(target, sizeof target, "\\");
      appendText(target, sizeof target, cursor);
      if (!isSafeIncludedFileName(cursor)) {
        logError("Refused included file name \"%s\"", cursor);
        return failExtraction(workDirectory, target, kReadFailed);
      }
      int result = extractIncludedFile(media, target);
      if (result != kExtracted) return failExtraction(workDirectory, target, result);
      ++i;
    }
    if (!end) break;
    cursor = end + 1;
  }
  unextracted = mediaPosition(media);
  CloseHandle(static_cast<HANDLE>(media));
  logMessage("extracting files done");
  return kExtracted;
}
