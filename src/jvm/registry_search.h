// The registry search of the search sequence's entry Y: the runtimes Java
// installers registered under SOFTWARE\JavaSoft, and the java executables
// users once picked by hand (the located runtime list), each qualified by
// the version probe. The higher version of the two sources wins.
#pragma once

#include "common/text.h"

bool testJvmRegistry(Text& javaExe, const char* min, const char* max);
bool findInstalledJvm(Text& javaExe, Text& version, const char* min, const char* max);
bool installedCurrentVersion(Text& javaExe, Text& version, const char* min, const char* max);
bool installedVersionScan(Text& javaExe, Text& version, const char* min, const char* max, const char* keyPath);
bool findLocatedJvm(Text& javaExe, Text& version, const char* min, const char* max);
// root is an HKEY.
bool scanLocatedJvms(void* root, Text& javaExe, Text& version, const char* min, const char* max);

// Remembers a java executable the user picked: under HKLM when the launcher
// may create keys there, else under HKCU. Failures are silent.
void registerLocatedJvm(const char* javaExe);
