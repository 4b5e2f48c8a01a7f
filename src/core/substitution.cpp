#include "core/substitution.h"

#include <ctype.h>
#include <string.h>

#include "core/environment.h"
#include "core/text.h"
#include "core/paths.h"

void replaceAll(char* text, size_t capacity, const char* token, const char* value) {
  size_t tokenLength = strlen(token);
  if (tokenLength == 0 || capacity == 0) return;
  size_t length = strnlen(text, capacity);
  if (length == capacity) return;
  size_t valueLength = strlen(value);
  char* search = text;
  while (char* found = strstr(search, token)) {
    size_t head = static_cast<size_t>(found - text);
    size_t room = capacity - 1 - head;
    size_t inserted = valueLength < room ? valueLength : room;
    size_t restLength = length - head - tokenLength;
    size_t kept = restLength < room - inserted ? restLength : room - inserted;
    memmove(found + inserted, found + tokenLength, kept);
    memcpy(found, value, inserted);
    length = head + inserted + kept;
    text[length] = 0;
    search = found + inserted;
  }
}

void substituteWith(char* text, size_t capacity, const SubstitutionValues& values,
                    const char* environmentBlock) {
  const char* exe = values.launcherDirectory;
  const char* temp = values.workDirectory;
  const char* home = values.jvmHome;
  const struct {
    const char* token;
    const char* value;
  } fixed[] = {
      {"%LANTOR_EXEDIR%", exe},
      {"%QUARROW_EXEDIR%", exe},
      {"%LANTOR_TEMPDIR%", temp},
      {"%QUARROW_TEMPDIR%", temp},
      {"%LANTOR_PATHLIST_SEPARATOR%", ";"},
      {"%QUARROW_PATHLIST_SEPARATOR%", ";"},
      {"%LANTOR_JVM_HOME%", home},
      {"%QUARROW_JVM_HOME%", home},
      {"${LANTOR_EXEDIR}", exe},
      {"${QUARROW_EXEDIR}", exe},
      {"${LANTOR_TEMPDIR}", temp},
      {"${QUARROW_TEMPDIR}", temp},
      {"${LANTOR_PATHLIST_SEPARATOR}", ";"},
      {"${QUARROW_PATHLIST_SEPARATOR}", ";"},
      {"${LANTOR_JVM_HOME}", home},
      {"${QUARROW_JVM_HOME}", home},
      {"${launcher:sys.launcherDirectory}", exe},
      {"${launcher:sys.launcherTempDirectory}", temp},
      {"${launcher:sys.pathlistSeparator}", ";"},
      {"${launcher:sys.jvmHome}", home},
  };
  for (const auto& f : fixed) replaceAll(text, capacity, f.token, f.value);

  if (!environmentBlock) return;
  for (const char* entry = environmentBlock; *entry; entry += strlen(entry) + 1) {
    // Entries without a name ("=C:=C:\dir") are the system's per-drive
    // directories, not variables: they define no token.
    const char* equals = strchr(entry, '=');
    if (!equals || equals == entry) continue;
    if (!strstr(text, "${")) return;
    Text token;
    copyText(token, sizeof token, "${");
    size_t nameLength = static_cast<size_t>(equals - entry);
    size_t used = strlen(token);
    if (nameLength + used + 2 > sizeof token) continue;
    memcpy(token + used, entry, nameLength);
    token[used + nameLength] = 0;
    appendText(token, sizeof token, "}");
    replaceAll(text, capacity, token, equals + 1);
    // A name already in upper case needs no second pass, which would
    // expand a value that holds its own token after all.
    bool lowerCase = false;
    for (char* c = token; *c; ++c) {
      char upper = static_cast<char>(toupper(static_cast<unsigned char>(*c)));
      lowerCase = lowerCase || upper != *c;
      *c = upper;
    }
    if (lowerCase) replaceAll(text, capacity, token, equals + 1);
  }
}

void substituteVariables(char* text, size_t capacity, const LaunchDirectories& directories) {
  // Most texts name no variable; they need no copy of the environment.
  if (!strchr(text, '%') && !strstr(text, "${")) return;
  // The path operations compute the launcher directory once and keep it.
  Text launcherDirectory;
  resolvePath(launcherDirectory, "");
  SubstitutionValues values = {launcherDirectory, directories.workDirectory, directories.jvmHome};
  char* block = takeEnvironmentBlock();
  substituteWith(text, capacity, values, block);
  releaseEnvironmentBlock(block);
}
