#include "core/tar_reader.h"

#include <string.h>

#include "core/growable_list.h"
#include "core/log.h"
#include "core/tar_extensions.h"
#include "core/code_page.h"
#include "core/tar_io.h"
#include "core/utf8.h"

namespace {

constexpr int kMagicOffset = 257;
constexpr unsigned kCopyBuffer = 32768;

// What the reader keeps from one entry to the next. Only the work thread
// unpacks, one archive at a time, so one of each does.
struct ReaderState {
  TarExtensions extensions;
  Text name;
  Text link;
  Text parent;
  Text lastParent;  // the parent directories of this path exist
  Text shown;       // the entry's name as the log and messages show it
  WideText wide;
  GrowableList<char*> skippedLinks;
  char copyBuffer[kCopyBuffer];
};
ReaderState reader;

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

// Reads size bytes of an entry's data in pieces, each handed to take.
// False when the stream ends or fails first.
template <typename Take>
bool readEntryData(TarArchive* archive, int32_t size, Take take) {
  int32_t left = size;
  while (left > 0) {
    unsigned chunk = left < static_cast<int32_t>(kCopyBuffer) ? static_cast<unsigned>(left) : kCopyBuffer;
    int n = readTarArchive(archive, reader.copyBuffer, chunk);
    if (n <= 0) {
      logError(n < 0 ? "gzread failed" : "unexpected eof");
      return false;
    }
    take(reader.copyBuffer, static_cast<size_t>(n));
    left -= n;
  }
  return true;
}

// A long-name record, a pax header, or a global pax header (skipped): what
// they say waits in the reader's extensions for the entry behind them.
bool readExtension(TarArchive* archive, char type, int32_t size) {
  TarExtensions& extensions = reader.extensions;
  bool read;
  if (type == 'g') {
    read = skipTarArchive(archive, size) != -1;
    if (!read) logError("gzseek 2 failed");
  } else if (type == 'x') {
    PaxParser parser;
    read = readEntryData(archive, size, [&](const char* bytes, size_t n) { feedPax(parser, bytes, n, extensions); });
    finishPax(parser, extensions);
  } else {
    LongNameTarget target = {type == 'L' ? extensions.path : extensions.linkPath};
    target.name[0] = 0;
    read = readEntryData(archive, size, [&](const char* bytes, size_t n) { feedLongName(target, bytes, n, extensions); });
  }
  if (!read) return false;
  if (extensions.malformed) logError("Invalid extended header");
  if (extensions.tooLong) logError("Archive entry name too long");
  return !extensions.malformed && !extensions.tooLong;
}

// The log and the messages are in the ANSI code page: a UTF-8 name is
// shown in it, with "?" for what it lacks.
const char* shownName(const char* name) {
  if (isAscii(name) || !decodeUtf8(name, reader.wide, kTextCapacity)) return name;
  wideToAnsi(reader.wide, reader.shown, sizeof reader.shown);
  return reader.shown;
}

bool isSkippedLink(const char* path) {
  for (int i = 0; i < reader.skippedLinks.count; ++i)
    if (strcmp(reader.skippedLinks.items[i], path) == 0) return true;
  return false;
}

// Archives need not hold a directory entry before the files inside it.
// Where a skipped link stood no directory is made, so that nothing lands
// where the archive meant the link to point.
void makeParents(const char* path) {
  size_t length = strlen(path);
  if (length > 0 && path[length - 1] == '\\') --length;  // a directory entry's own separator
  size_t end = length;
  while (end > 0 && path[end - 1] != '\\') --end;
  if (end == 0) return;
  --end;
  if (strncmp(reader.lastParent, path, end) == 0 && reader.lastParent[end] == 0) return;
  reader.lastParent[0] = 0;
  for (size_t i = 1; i <= end; ++i) {
    if (i < end && path[i] != '\\') continue;
    memcpy(reader.parent, path, i);
    reader.parent[i] = 0;
    if (isSkippedLink(reader.parent)) return;
    bool dot = path[i - 1] == '.' && (i == 1 || path[i - 2] == '\\');
    if (!dot) makeTarDirectory(reader.parent);
  }
  memcpy(reader.lastParent, path, end);
  reader.lastParent[end] = 0;
}

// True when exactly size bytes were copied into path. False for a short or
// failed copy, or with the failure recorded when path cannot be created.
bool extractTarEntry(TarArchive* archive, const char* path, int32_t size, const Progress* progress,
                     int32_t totalSize, Failure& failure) {
  const char* shown = shownName(path);
  logMessage("extracting %s (size %d)", shown, size);
  TarFile* file = createTarFile(path);
  if (!file) return fail(failure, FailureKind::archiveEntryNotCreated, shown);
  int32_t copied = 0;
  unsigned long lastUpdate = 0;
  bool failed = false;
  while (copied < size) {
    int32_t left = size - copied;
    unsigned chunk = left < static_cast<int32_t>(kCopyBuffer) ? static_cast<unsigned>(left) : kCopyBuffer;
    int n = readTarArchive(archive, reader.copyBuffer, chunk);
    if (n <= 0) break;
    copied += n;
    if (!writeTarFile(file, reader.copyBuffer, static_cast<unsigned>(n))) {
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
    // A write that fails is most likely a full disk, not a damaged archive.
    logError("stream error");
    return fail(failure, FailureKind::extractionWrite);
  }
  if (copied >= size) return true;
  logError("sizes don't match: %d, %d", copied, size);
  return false;
}

enum class LinkResult { copied, skipped, stop };

// A hard link to a file written earlier becomes a copy of it; one to
// anything else (a later entry, a path outside, nothing) is skipped.
LinkResult copyHardLink(const char* header, const char* name, Failure& failure) {
  if (reader.extensions.linkPath[0]) {
    copyText(reader.link, sizeof reader.link, reader.extensions.linkPath);
    useBackslashes(reader.link);
  } else {
    tarLinkName(header, reader.link);
  }
  if (!isSafeEntryPath(reader.link)) return LinkResult::skipped;
  makeParents(name);
  Text target;
  copyText(target, sizeof target, shownName(reader.link));
  const char* shown = shownName(name);
  logMessage("extracting %s (copy of %s)", shown, target);
  TarCopy copy = copyTarFile(reader.link, name);
  if (copy == TarCopy::failed) {
    fail(failure, FailureKind::archiveEntryNotCreated, shown);
    return LinkResult::stop;
  }
  return copy == TarCopy::copied ? LinkResult::copied : LinkResult::skipped;
}

bool rememberSkippedLink(const char* name) {
  size_t length = strlen(name);
  if (length > 0 && name[length - 1] == '\\') --length;
  char* copy = static_cast<char*>(malloc(length + 1));
  if (!copy) return false;
  memcpy(copy, name, length);
  copy[length] = 0;
  if (listAppend(reader.skippedLinks, copy)) return true;
  free(copy);
  return false;
}

// The padding behind data of size bytes.
bool skipPadding(TarArchive* archive, int32_t size) {
  long padding = size % kTarBlock ? kTarBlock - size % kTarBlock : 0;
  if (skipTarArchive(archive, padding) != -1) return true;
  logError("gzseek 3 failed");
  return false;
}

enum class EntryResult { next, extracted, stop };

// One entry behind its header (and the extensions before it); the data
// and its padding are consumed, whatever the entry.
EntryResult readEntry(TarArchive* archive, const char* header, const Progress* progress, int32_t totalSize,
                      Failure& failure) {
  TarExtensions& extensions = reader.extensions;
  char type = header[kTarTypeOffset];
  int32_t headerSize = parseOctal(header + kTarSizeOffset, kTarSizeWidth);
  Text& name = reader.name;
  bool safeName;
  if (extensions.path[0]) {
    copyText(name, sizeof name, extensions.path);
    useBackslashes(name);
    safeName = isSafeEntryPath(name);
  } else {
    safeName = tarEntryName(header, name);
  }
  int64_t wideSize = extensions.size >= 0 ? extensions.size : headerSize;
  if (wideSize < 0 || wideSize > INT32_MAX) {
    logError("Invalid size field of %s", shownName(name));
    return EntryResult::stop;
  }
  int32_t size = static_cast<int32_t>(wideSize);
  const int32_t dataSize = size;
  bool regular = type == '0' || type == 0 || type == '7';
  if (type == 'S' || type == 'M' || (regular && extensions.sparse)) {
    logError("Unsupported archive entry \"%s\"", shownName(name));
    return EntryResult::stop;
  }
  if ((regular || type == '5' || type == '1') && !safeName) {
    logError("Refused archive entry name \"%s\"", shownName(name));
    return EntryResult::stop;
  }
  EntryResult result = EntryResult::next;
  if (regular) {
    showPosition(archive, progress, totalSize);
    makeParents(name);
    if (!extractTarEntry(archive, name, size, progress, totalSize, failure)) {
      // An entry that cannot be created stops the launch: nothing more is logged.
      if (failure.kind == FailureKind::none) logError("extract file failed");
      return EntryResult::stop;
    }
    size = 0;  // the data is read
    result = EntryResult::extracted;
  } else if (type == '5') {
    makeParents(name);
    makeTarDirectory(name);
  } else if (type == '1') {
    LinkResult link = copyHardLink(header, name, failure);
    if (link == LinkResult::stop) return EntryResult::stop;
    if (link == LinkResult::copied) result = EntryResult::extracted;
  } else if (type == '2' && !rememberSkippedLink(name)) {
    logError("out of memory");
    return EntryResult::stop;
  }
  // Data not read yet is skipped like any other, so that a damaged size
  // cannot make the next header start inside it.
  if (skipTarArchive(archive, size) == -1) {
    logError("gzseek 2 failed");
    return EntryResult::stop;
  }
  clearTarExtensions(extensions);
  return skipPadding(archive, dataSize) ? result : EntryResult::stop;
}

void resetReader() {
  clearTarExtensions(reader.extensions);
  reader.lastParent[0] = 0;
  listReleaseOwned(reader.skippedLinks);
}

// Reads entries until the archive ends; true when it ended cleanly after
// at least one regular file.
bool readEntries(TarArchive* archive, const Progress* progress, int32_t totalSize, Failure& failure) {
  bool extracted = false;
  char header[kTarHeaderRead];
  for (;;) {
    int n = 0;
    if (!tarArchiveAtEnd(archive)) {
      memset(header, 0, sizeof header);
      n = readTarArchive(archive, header, sizeof header);
    }
    if (n == 0) {
      if (!extracted) logError("unexpected eof");
      return extracted;
    }
    if (n < 0) {
      logError("gzread failed");
      return false;
    }
    // A stream that ends inside a header was cut short, unless all that
    // is left is zeros.
    if (n < kTarHeaderRead && !isZeroBlock(header)) {
      logError("unexpected eof");
      return false;
    }
    if (memcmp(header + kMagicOffset, "ustar", 5) != 0) {
      // Zero blocks end a good archive; anything else behind a file is damage.
      bool clean = extracted && isZeroBlock(header);
      if (!clean) logError("no magic number");
      return clean;
    }
    if (skipTarArchive(archive, kTarBlock - kTarHeaderRead) == -1) {
      logError("gzseek 1 failed");
      return false;
    }
    char type = header[kTarTypeOffset];
    if (type == 'x' || type == 'g' || type == 'L' || type == 'K') {
      int32_t size = parseOctal(header + kTarSizeOffset, kTarSizeWidth);
      if (size < 0) {
        logError("Invalid size field of an extended header");
        return false;
      }
      if (!readExtension(archive, type, size) || !skipPadding(archive, size)) return false;
      continue;
    }
    EntryResult entry = readEntry(archive, header, progress, totalSize, failure);
    if (entry == EntryResult::stop) return false;
    if (entry == EntryResult::extracted) extracted = true;
  }
}

}  // namespace

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
  if (!enterTarDirectory(destinationDir)) {
    logError("Could not change to %s", destinationDir);
    closeTarArchive(archive);
    logError("untaring JRE was unsuccessful");
    return false;
  }
  resetReader();
  bool result = readEntries(archive, progress, totalSize, failure);
  resetReader();
  if (haveSaved) enterTarDirectory(saved);
  closeTarArchive(archive);
  if (failure.kind != FailureKind::none) return false;
  if (result)
    logMessage("untaring JRE was successful");
  else
    logError("untaring JRE was unsuccessful");
  return result;
}
