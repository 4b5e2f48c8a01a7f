// The runtime archive through zlib's gz interface, its entries through the
// wide file functions: a name that is valid UTF-8 keeps every character,
// whatever the ANSI code page; any other name is taken in the ANSI code
// page, like every other path of the launcher.
#include <windows.h>
#include <direct.h>
#include <stdio.h>
#include <zlib.h>

#include "core/tar_io.h"
#include "core/text.h"

namespace {

// Only the work thread unpacks, one archive at a time: one pair of wide
// paths (relative, then absolute) does for every entry.
wchar_t relativePath[kTextCapacity];
wchar_t entryPath[kTextCapacity + 4];
wchar_t sourcePath[kTextCapacity + 4];

// The entry's path for the wide functions: absolute, and with the "\\?\"
// form when it is too long for the plain one. False when it cannot be
// converted or does not fit.
bool widePath(const char* name, wchar_t* path) {
  int n = MultiByteToWideChar(CP_UTF8, MB_ERR_INVALID_CHARS, name, -1, relativePath, kTextCapacity);
  if (n == 0) n = MultiByteToWideChar(CP_ACP, 0, name, -1, relativePath, kTextCapacity);
  if (n == 0) return false;
  const DWORD room = kTextCapacity;
  DWORD length = GetFullPathNameW(relativePath, room, path + 4, nullptr);
  if (length == 0 || length >= room) return false;
  if (length < MAX_PATH - 12) {
    memmove(path, path + 4, (length + 1) * sizeof(wchar_t));
    return true;
  }
  if (path[4] == L'\\' && path[5] == L'\\') return false;  // a share: not where a work directory lies
  memcpy(path, L"\\\\?\\", 4 * sizeof(wchar_t));
  return true;
}

}  // namespace

// A larger input buffer than zlib's 8 KB: fewer reads for a runtime of
// many megabytes.
TarArchive* openTarArchive(const char* path) {
  gzFile archive = gzopen(path, "rb");
  if (archive) gzbuffer(archive, 128 * 1024);
  return reinterpret_cast<TarArchive*>(archive);
}

int readTarArchive(TarArchive* archive, void* buffer, unsigned size) {
  return gzread(reinterpret_cast<gzFile>(archive), buffer, size);
}

long skipTarArchive(TarArchive* archive, long count) {
  return gzseek(reinterpret_cast<gzFile>(archive), count, SEEK_CUR);
}

long tarArchivePosition(TarArchive* archive) { return gztell(reinterpret_cast<gzFile>(archive)); }

bool tarArchiveAtEnd(TarArchive* archive) { return gzeof(reinterpret_cast<gzFile>(archive)) != 0; }

// The read side only: gzclose would link the whole compressor in.
void closeTarArchive(TarArchive* archive) { gzclose_r(reinterpret_cast<gzFile>(archive)); }

bool saveTarDirectory(char* buffer, size_t capacity) {
  return _getcwd(buffer, static_cast<int>(capacity)) != nullptr;
}

bool enterTarDirectory(const char* directory) { return _chdir(directory) == 0; }

void makeTarDirectory(const char* name) {
  if (widePath(name, entryPath)) CreateDirectoryW(entryPath, nullptr);
}

TarFile* createTarFile(const char* name) {
  if (!widePath(name, entryPath)) return nullptr;
  return reinterpret_cast<TarFile*>(_wfopen(entryPath, L"wb"));
}

bool writeTarFile(TarFile* file, const void* data, unsigned size) {
  FILE* stream = reinterpret_cast<FILE*>(file);
  return fwrite(data, 1, size, stream) == size && !ferror(stream);
}

bool closeTarFile(TarFile* file) {
  FILE* stream = reinterpret_cast<FILE*>(file);
  bool failed = ferror(stream) != 0;
  return fclose(stream) == 0 && !failed;
}

TarCopy copyTarFile(const char* existing, const char* name) {
  if (!widePath(existing, sourcePath)) return TarCopy::noSource;
  DWORD attributes = GetFileAttributesW(sourcePath);
  if (attributes == INVALID_FILE_ATTRIBUTES || (attributes & FILE_ATTRIBUTE_DIRECTORY)) return TarCopy::noSource;
  if (!widePath(name, entryPath)) return TarCopy::failed;
  return CopyFileW(sourcePath, entryPath, FALSE) ? TarCopy::copied : TarCopy::failed;
}

unsigned long tarTickCount() { return GetTickCount(); }
