// Emptying the work directory after a failed extraction.
#pragma once

// Deletes the files and removes the empty subdirectories directly inside
// directory; what cannot be removed stays, silently. Nothing for "" or a
// relative path beginning with ".".
void emptyDirectory(const char* directory);
