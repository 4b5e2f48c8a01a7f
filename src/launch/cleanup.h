// Emptying the work directory after a failed extraction.
#pragma once

// Deletes the files and removes the empty subdirectories directly inside
// directory; what cannot be removed stays, silently. Nothing for "" or a
// relative path beginning with ".".
void emptyDirectory(const char* directory);

// Removes directory with everything below it; directory links are removed,
// never followed. What cannot be removed stays, silently.
void removeDirectoryTree(const char* directory);
