// Where the launcher puts its temporary files: a temporary root that the
// 8-bit file functions can reach and that can be written, and the names of
// the launcher's temporary files under it.
#pragma once

#include "common/text.h"

// The system's temporary path, or, when that path holds characters the
// 8-bit code page lacks, the first writable of the Windows temp directory,
// c:\temp, c:\tmp, the Windows directory and a new c:\tmp. Fatal (1015)
// when none is writable. Returns true for those fallbacks: directories
// every user of the machine can write to.
bool chooseTempRoot(Text& buffer);
bool isWritableDirectory(const char* directory);

// Creates a new empty file with a unique name under the root; true when the
// root is shared by all users.
bool createTempFileName(Text& buffer);

// A directory only the current user, SYSTEM and the Administrators can
// use, for work directories in a shared root, where another user could
// otherwise swap the files an elevated launcher is about to load.
bool createPrivateDirectory(const char* path);

// The process communication file of the given process.
void processCommFileName(Text& buffer, unsigned long processId);
