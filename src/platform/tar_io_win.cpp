// The runtime archive through zlib's gz interface, its entries through the
// C runtime's files, so that names take the ANSI code page like every
// other path of the launcher.
#include <windows.h>
#include <direct.h>
#include <stdio.h>
#include <zlib.h>

#include "core/tar_io.h"

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

void enterTarDirectory(const char* directory) { _chdir(directory); }

void makeTarDirectory(const char* name) { _mkdir(name); }

TarFile* createTarFile(const char* name) { return reinterpret_cast<TarFile*>(fopen(name, "wb")); }

bool writeTarFile(TarFile* file, const void* data, unsigned size) {
  FILE* stream = reinterpret_cast<FILE*>(file);
  return fwrite(data, 1, size, stream) == size && !ferror(stream);
}

bool closeTarFile(TarFile* file) {
  FILE* stream = reinterpret_cast<FILE*>(file);
  bool failed = ferror(stream) != 0;
  return fclose(stream) == 0 && !failed;
}

unsigned long tarTickCount() { return GetTickCount(); }
