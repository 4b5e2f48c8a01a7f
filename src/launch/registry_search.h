// The registry search of the search sequence's entry Y: the runtimes Java
// installers registered under SOFTWARE\JavaSoft, and the java executables
// users once picked by hand (the located runtime list), each qualified by
// the version probe. The higher version of the two sources wins. Every
// function is false also when the launch cannot go on (see stopped()).
#pragma once

#include "core/text.h"
#include "launch/launch_context.h"

bool testJvmRegistry(LaunchContext& context, Text& javaExe, const char* min, const char* max);
bool installedCurrentVersion(LaunchContext& context, Text& javaExe, Text& version, const char* min,
                             const char* max);

// Remembers a java executable the user picked: under HKLM when the launcher
// may create keys there, else under HKCU. Failures are silent.
void registerLocatedJvm(const char* javaExe);
