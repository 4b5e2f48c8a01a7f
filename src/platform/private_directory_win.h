// A directory only the current user, SYSTEM and the Administrators can
// use, for work directories in a shared root, where another user could
// otherwise swap the files an elevated launcher is about to load.
#pragma once

bool createPrivateDirectory(const char* path);
