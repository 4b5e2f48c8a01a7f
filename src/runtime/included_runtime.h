// The runtime that comes with the installer as "jre.tar.gz": unpacked into
// "jre" below the current directory (the work directory), its packed jars
// restored, and its virtual machine library loaded; the ordinary search
// when it does not load.
#pragma once

// Returns only with a loaded runtime; every failure ends the process.
void unpackIncludedRuntime(void* window);
void useIncludedRuntime();

// For the progress window's animation during the pack expansion: how long
// the unpacking took (milliseconds) and whether the expansion is done.
unsigned long unpackDuration();
bool unpackDone();
