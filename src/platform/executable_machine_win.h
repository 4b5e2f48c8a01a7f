// Whether a program is built for the launcher's own machine: a runtime of
// the other bitness can answer "java -version" but its jvm.dll can never
// load into this process.
#pragma once

// False also when the file is no readable PE image.
bool hasOwnMachineType(const char* path);
