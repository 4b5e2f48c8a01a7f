// The long form of a path on systems without GetLongPathNameA, through the
// shell's parse of the path. shell32 is loaded, from the system directory,
// only where it is needed.
#pragma once

#include <windows.h>

typedef DWORD(WINAPI* LongPathFunction)(LPCSTR, LPSTR, DWORD);

// GetLongPathNameA's contract: the length, the size needed when the
// buffer is too small, 0 on failure.
DWORD WINAPI shellLongPathName(LPCSTR path, LPSTR buffer, DWORD capacity);
