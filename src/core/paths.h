// The launcher's own path and the path operations every part uses. All
// paths are 8-bit texts in the code page of the file functions, in buffers
// of kTextCapacity bytes. The launcher's implementation is the platform's
// (platform/paths_win.cpp); the host tests bring their own file tree.
#pragma once

#include <stddef.h>
#include <stdint.h>

#include "core/growable_list.h"
#include "core/text.h"

// The code page the 8-bit file functions use (ANSI or OEM).
unsigned fileCodePage();

// Conversions in that code page; "?" stands for what 8 bits cannot hold.
void toWide(const char* text, WideText& buffer);
bool toNarrow(const char16_t* text, char* buffer, size_t capacity);  // false when "?" was needed

const char* executablePath();
void normalizePath(char* path);
bool isRelativePath(const char* path);
void resolvePath(Text& buffer, const char* path);
void fullPath(Text& buffer, const char* path, bool keepCase);
void lowercasePath(char* path);
void resolvePathList(Text& buffer, const char* list);
bool pathExists(const char* path);
bool findFile(const char* path, uint64_t* lastWriteTime);
// The names of the files in directory ending in extension, in the order
// the directory lists them; the list owns the names.
GrowableList<char*> listFiles(const char* directory, const char* extension);
size_t longPathName(const char* path, char* buffer, size_t capacity);
