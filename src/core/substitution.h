// Launcher variables and environment references in configured texts:
// "%LANTOR_EXEDIR%", "${launcher:sys.jvmHome}", "${NAME}" and the like are
// replaced in place. Results are cut at the buffer's capacity.
#pragma once

#include <stddef.h>

// Replaces every occurrence of token; the search goes on behind each
// inserted value, so a value containing the token is not expanded again.
void replaceAll(char* text, size_t capacity, const char* token, const char* value);

struct SubstitutionValues {
  const char* launcherDirectory;
  const char* workDirectory;
  const char* jvmHome;
};

// The fixed tokens, then "${name}" and "${NAME}" for every entry of an
// environment block ("name=value\0...\0\0"; null for none).
void substituteWith(char* text, size_t capacity, const SubstitutionValues& values,
                    const char* environmentBlock);

// The directories of the launch that configured texts may name; "" until known.
struct LaunchDirectories {
  const char* workDirectory;
  const char* jvmHome;
};

// substituteWith over the launcher directory, the launch's directories and
// the environment block as it is now.
void substituteVariables(char* text, size_t capacity, const LaunchDirectories& directories);
