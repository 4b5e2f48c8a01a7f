// Finding a runtime whose virtual machine library can be loaded: a given
// location, or the search through the preferred location file, the
// configured sequence, the flavour variable, the installer location file
// and the relative pass. Every function is false also when the launch
// cannot go on (see stopped()).
#pragma once

#include <stdint.h>

#include "core/text.h"
#include "launch/launch_context.h"

enum LocationType { kNotFound = 0, kSearchPath = 1, kDirectory = 2, kEnvironment = 3, kRegistry = 4 };

// What the user is told when a runtime could not be had: the text of an
// 8-bit record, its "{0}" filled with the argument when there is one.
struct RuntimeMessage {
  int32_t record = 0;
  bool hasArgument = false;
  Text argument;
};

// Loads the runtime of the location (a java executable, or a directory),
// or the one the search finds, and stores its JNI entry and home in the
// context. With a message, a failure also says what the user is to be told.
bool LoadDLL(LaunchContext& context, const char* location, bool isJavaExe, RuntimeMessage* message);
bool javaExeFromHome(const LaunchContext& context, Text& javaExe, const char* home);
