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

// substituteWith over the process's values: the launcher directory, the
// work directory, the JVM home and the environment block as they are now.
void substituteVariables(char* text, size_t capacity);
