// The option strings the Java virtual machine receives at creation: the
// launch's system properties, the configured VM parameters, "-J" arguments
// of the command line, the .vmoptions file next to the launcher (and the
// files it includes), and last the class path option.
#pragma once

#include <stddef.h>
#include <stdio.h>

#include "core/configuration.h"
#include "core/failure.h"
#include "core/growable_list.h"
#include "core/split_arguments.h"
#include "core/substitution.h"
#include "core/text.h"

// The options in their order; the list owns every string.
typedef GrowableList<char*> VmOptionList;

void freeVmOptionList(VmOptionList* list);

// What the assembly reads: the configuration, the launch's directories for
// the variables, the process command line for "-J" arguments, and where a
// failure that stops the launch is recorded.
struct VmOptionsSource {
  const ConfigTables* config;
  LaunchDirectories directories;
  const ArgumentList* commandLine;
  Failure* failure;
};

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
void addVmOption(const char* text, VmOptionList* list, ClassPathOverrides* overrides,
                 const LaunchDirectories& directories);

// One option a line; blank lines and lines beginning with "#" are skipped.
// Closes the file; a null file adds nothing.
void readVmOptionsFile(FILE* file, VmOptionList* list, ClassPathOverrides* overrides,
                       const LaunchDirectories& directories);

// The class path option holds at most kClassPathCapacity - 1 characters.
constexpr size_t kClassPathCapacity = 32768;

// Appends the entries of config record 121. False when a mandatory entry
// is missing (failure 1006, or 1008 for an undefined environment variable).
bool addConfiguredClassPath(const VmOptionsSource& source, char* classPath, size_t capacity);

// "-Djava.class.path=" with the prefix override, the archives of the work
// directory, the replacement override or the configured entries, and the
// suffix override. False as addConfiguredClassPath.
bool buildClassPathOption(const VmOptionsSource& source, const ClassPathOverrides& overrides, char* classPath,
                          size_t capacity);

// The whole list in its order: the property options (a null-terminated
// array), the configured options, the default .vmoptions file, and the
// class path option. False when the launch cannot go on (the source's
// failure says why); the list then holds what was assembled so far.
bool assembleVmOptions(const char* const* propertyOptions, const VmOptionsSource& source, VmOptionList* list);
