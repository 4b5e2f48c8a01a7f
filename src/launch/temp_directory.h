// Where the launcher puts its temporary files: a temporary root that the
// 8-bit file functions can reach and that can be written, and the names of
// the launcher's temporary files under it.
#pragma once

#include "core/failure.h"
#include "core/text.h"

// The system's temporary path, or, when that path holds characters the
// 8-bit code page lacks, the first writable of the Windows temp directory,
// c:\temp, c:\tmp, the Windows directory and a new c:\tmp: directories
// every user of the machine can write to, for which *shared is true.
// False (failure 1015) when none is writable.
bool chooseTempRoot(Text& buffer, bool* shared, Failure& failure);
bool isWritableDirectory(const char* directory);

// Creates a new empty file with a unique name under the root ("" when the
// system gives none). False as chooseTempRoot.
bool createTempFileName(Text& buffer, bool* shared, Failure& failure);

// The process communication file of the given process.
void processCommFileName(Text& buffer, unsigned long processId);
