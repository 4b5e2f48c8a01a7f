// The option strings the Java virtual machine receives at creation: the
// launch's system properties, the configured VM parameters, "-J" arguments
// of the command line, the .vmoptions file next to the launcher (and the
// files it includes), and last the class path option.
#pragma once

#include <stddef.h>
#include <stdio.h>

#include "common/text.h"
#include "windows/split_arguments.h"

// The options in their order; the list owns every string.
struct VmOptionList {
  char** items = nullptr;
  int count = 0;
};

void freeVmOptionList(VmOptionList* list);

// Set by the options "-classpath ", "-classpath/p " and "-classpath/a ";
// a later option of the same form replaces the earlier text, and an empty
// text counts as not set.
// Declare it "= {}": without member initialisers the compiler clears it
// instead of copying a 24 KB image of zeros out of the stub's data.
struct ClassPathOverrides {
  Text replacement;
  Text prefix;
  Text suffix;
};

// Files that include each other end at this depth of nesting.
constexpr int kMaxIncludeDepth = 16;

// One option text: "-include-options <file>" reads that file (variables
// substituted, relative to the current directory), the three class path
// forms set an override, anything else is appended to the list as a copy.
void addVmOption(const char* text, VmOptionList* list, ClassPathOverrides* overrides);

// One option a line; blank lines and lines beginning with "#" are skipped.
// Closes the file; a null file adds nothing.
void readVmOptionsFile(FILE* file, VmOptionList* list, ClassPathOverrides* overrides);

// The options of config record 123 and, when record 125 asks for it, the
// "-J" arguments of the command line.
void addConfiguredVmOptions(const ArgumentList* commandLine, VmOptionList* list,
                            ClassPathOverrides* overrides);

// "<launcher>.vmoptions" (the launcher's long path without its extension),
// else "<launcher>.exe.vmoptions"; null when neither opens.
FILE* openDefaultVmOptionsFile();

// The class path option holds at most kClassPathCapacity - 1 characters.
constexpr size_t kClassPathCapacity = 32768;

// Appends "<directory>\<name>;" for every file of directory that ends in
// extension. False when the directory does not exist.
bool addArchivesInDirectory(char* classPath, size_t capacity, const char* directory, const char* extension);

// Appends the entries of config record 121. A mandatory entry that is
// missing ends the launcher (config error 1006, or 1008 for an undefined
// environment variable).
void addConfiguredClassPath(char* classPath, size_t capacity);

// "-Djava.class.path=" with the prefix override, the archives of the work
// directory, the replacement override or the configured entries, and the
// suffix override.
void buildClassPathOption(char* classPath, size_t capacity, const ClassPathOverrides& overrides);

// The whole list in its order: the property options (a null-terminated
// array), the configured options, the default .vmoptions file, and the
// class path option.
void assembleVmOptions(const char* const* propertyOptions, const ArgumentList* commandLine,
                       VmOptionList* list);
