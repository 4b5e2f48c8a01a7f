// What the builder needs of the system it runs on, for Linux
// (system_files_posix.cpp) and Windows (system_files_win.cpp): files
// named by UTF-8 paths, the builder's own place, its command line, and
// Windows' upper-case table. Failures leave errno set.
#pragma once

#include <stdint.h>
#include <stdio.h>

#include <string>
#include <vector>

FILE* openForReading(const std::string& path);
// 1 for a regular file (its size in *size), 0 for anything else, -1 on error.
int regularFileSize(FILE* file, int64_t* size);
// Null with errno EEXIST when path exists.
FILE* createNewFile(const std::string& path);
// Flushed and on the disk.
bool syncFile(FILE* file);
// Renames from to to, replacing a file there.
bool replaceFile(const std::string& from, const std::string& to);
void removeFile(const std::string& path);
unsigned long processNumber();

// The path of the running builder, and its arguments after the program, in UTF-8.
std::string builderPath(const char* argv0);
std::vector<std::string> builderArguments(int argc, char** argv);
// Output as bytes: "\n" stays one byte on every system.
void useBinaryOutput();

// How Windows folds a character for file name comparisons.
char32_t windowsUpper(char32_t c);
