// Finding a runtime whose virtual machine library can be loaded: a given
// location, or the search through the preferred location file, the
// configured sequence, the flavour variable, the installer location file
// and the relative pass.
#pragma once

#include "common/text.h"

enum LocationType { kNotFound = 0, kSearchPath = 1, kDirectory = 2, kEnvironment = 3, kRegistry = 4 };

bool LoadDLL(bool showErrors, const char* location, bool isJavaExe);
int findJvm(Text& javaExe, Text& locationText);
bool readLocationFile(Text& line, const char* suffix);
bool javaExeFromHome(Text& javaExe, const char* home);
bool testJvmDirectory(Text& javaExe, const char* directory, const char* min, const char* max, bool skipChecks);
bool testJvmEnvironment(Text& javaExe, const char* name, const char* min, const char* max);
bool testJvmSearchPath(Text& javaExe, const char* min, const char* max);
