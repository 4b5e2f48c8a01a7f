// What the runtime archive reader reads from and writes to: the
// gzip-compressed archive through zlib's gz interface, and the entries as
// files and directories below the current directory. The launcher has the
// real ones (platform/tar_io_win.cpp); the host tests read from memory.
//
// Entry names are relative paths with "\" separators, as the archive holds
// them: UTF-8 when they are valid UTF-8 (what pax headers, GNU tar, bsdtar,
// Python and 7-Zip write on a UTF-8 system), otherwise in the ANSI code page.
#pragma once

#include <stddef.h>

struct TarArchive;
struct TarFile;

// Null when the archive cannot be opened.
TarArchive* openTarArchive(const char* path);
// The count read, 0 at the end of the stream, -1 on a read error.
int readTarArchive(TarArchive* archive, void* buffer, unsigned size);
// Skips forward; -1 when the skip failed.
long skipTarArchive(TarArchive* archive, long count);
// The offset in the uncompressed stream.
long tarArchivePosition(TarArchive* archive);
// True once a read went past the end of the stream.
bool tarArchiveAtEnd(TarArchive* archive);
void closeTarArchive(TarArchive* archive);

// The current directory, kept to go back to after the reading.
bool saveTarDirectory(char* buffer, size_t capacity);
// False when the directory cannot be entered: nothing may land elsewhere.
bool enterTarDirectory(const char* directory);

// An existing directory is fine; the result is not used.
void makeTarDirectory(const char* name);
// Null when the file cannot be created.
TarFile* createTarFile(const char* name);
// False when fewer bytes were written or the file reports an error.
bool writeTarFile(TarFile* file, const void* data, unsigned size);
// False when the file reported an error, also while closing.
bool closeTarFile(TarFile* file);

// A hard link's second name, written as a copy of the file existing names.
enum class TarCopy { copied, noSource, failed };
TarCopy copyTarFile(const char* existing, const char* name);

unsigned long tarTickCount();
