// Restoring the pack200-compressed jars of a runtime with the unpack200
// tool in the runtime's own bin directory, one hidden child at a time.
#pragma once

// Does nothing unless lib\rt.jar.pack exists and lib\jsse.jar (restored
// last) does not. Fatal (1009, "20") when the tool cannot be started.
void expandPackedRuntime(const char* directory);
void unpackJar(const char* directory, const char* jar);
