#include "windows/substitution.h"

#include <ctype.h>
#include <stdlib.h>
#include <string.h>

#include "common/text.h"

void replaceAll(char* text, size_t capacity, const char* token, const char* value) {
  size_t tokenLength = strlen(token);
  size_t valueLength = strlen(value);
  if (tokenLength == 0 || capacity == 0) return;
  char* search = text;
  while (char* found = strstr(search, token)) {
    size_t head = static_cast<size_t>(found - text);
    char* rest = strdup(found + tokenLength);
    if (!rest) return;
    text[head] = 0;
    appendText(text, capacity, value);
    appendText(text, capacity, rest);
    free(rest);
    size_t next = head + valueLength;
    if (next >= strlen(text)) return;
    search = text + next;
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
    for (char* c = token; *c; ++c) *c = static_cast<char>(toupper(static_cast<unsigned char>(*c)));
    replaceAll(text, capacity, token, equals + 1);
  }
}
