#include "windows/vm_options.h"

#include <stdlib.h>
#include <string.h>

#include "common/code_page.h"
#include "common/environment.h"
#include "log/log.h"
#include "media/configuration.h"
#include "media/paths.h"
#include "media/record_ids.h"
#include "ui/error_display.h"
#include "windows/arguments.h"
#include "windows/launch_state.h"
#include "windows/substitution.h"

namespace {

const char kIncludeOptions[] = "-include-options";
const char kIncludePrefix[] = "-include-options ";
const char kReplacementPrefix[] = "-classpath ";
const char kPrefixPrefix[] = "-classpath/p ";
const char kSuffixPrefix[] = "-classpath/a ";

// The text behind prefix, or null when text does not begin with it.
const char* behind(const char* text, const char* prefix) {
  size_t length = strlen(prefix);
  return strncmp(text, prefix, length) == 0 ? text + length : nullptr;
}

void appendCopy(VmOptionList* list, const char* text) {
  int n = list->count;
  if ((n & (n - 1)) == 0) {
    void* grown = realloc(list->items, sizeof(char*) * (n ? static_cast<size_t>(n) * 2 : 8));
    if (!grown) {
      logError("vmoption <%s> dropped: out of memory", text);
      return;
    }
    list->items = static_cast<char**>(grown);
  }
  size_t length = strlen(text);
  char* copy = static_cast<char*>(malloc(length + 1));
  if (!copy) {
    logError("vmoption <%s> dropped: out of memory", text);
    return;
  }
  memcpy(copy, text, length + 1);
  list->items[n] = copy;
  list->count = n + 1;
}

void readOptionsFile(FILE* file, VmOptionList* list, ClassPathOverrides* overrides, int depth);

// depth: how many included files lie around the text.
void addOption(const char* text, VmOptionList* list, ClassPathOverrides* overrides, int depth) {
  if (const char* rest = behind(text, kIncludePrefix)) {
    Text path;
    copyText(path, sizeof path, rest);
    substituteVariables(path, sizeof path);
    // A file that includes itself, directly or through others, would
    // otherwise be read until the stack or the open files run out.
    if (depth >= kMaxIncludeDepth) {
      logError("vmoptions file <%s> not read: include depth exceeded", path);
      return;
    }
    FILE* file = fopen(path, "r");
    logMessage("adding vmoptions from <%s> (%p)", path, static_cast<void*>(file));
    readOptionsFile(file, list, overrides, depth + 1);
  } else if (const char* replacement = behind(text, kReplacementPrefix)) {
    copyText(overrides->replacement, sizeof overrides->replacement, replacement);
  } else if (const char* prefix = behind(text, kPrefixPrefix)) {
    copyText(overrides->prefix, sizeof overrides->prefix, prefix);
  } else if (const char* suffix = behind(text, kSuffixPrefix)) {
    copyText(overrides->suffix, sizeof overrides->suffix, suffix);
  } else {
    appendCopy(list, text);
  }
}

void readOptionsFile(FILE* file, VmOptionList* list, ClassPathOverrides* overrides, int depth) {
  if (!file) return;
  Text line;
  // A line longer than the buffer arrives in pieces, each one an option.
  while (fgets(line, sizeof line, file)) {
    size_t end = strlen(line);
    while (end > 0 && (line[end - 1] == '\r' || line[end - 1] == '\n')) --end;
    size_t start = 0;
    while (start < end && line[start] == ' ') ++start;
    while (end > start && line[end - 1] == ' ') --end;
    if (start == end || line[start] == '#') continue;
    memmove(line, line + start, end - start);
    line[end - start] = 0;
    substituteVariables(line, sizeof line);
    addOption(line, list, overrides, depth);
  }
  fclose(file);
}

void appendSeparator(char* classPath, size_t capacity) { appendText(classPath, capacity, ";"); }

// Kind E: the variable's value is a class path of its own.
bool addEnvironmentClassPath(char* classPath, size_t capacity, const char* name, bool mandatory) {
  Text value;
  value[0] = 0;
  bool defined = readEnvironmentVariable(name, value, sizeof value);
  if (!value[0]) {
    if (mandatory && !defined) fatalConfigError(kRecord_msgVariableUndefined, name);
    return false;
  }
  char* start = value;
  size_t length = strlen(value);
  if (length >= 2 && value[0] == '"' && value[length - 1] == '"') {
    value[length - 1] = 0;
    ++start;
    length -= 2;
  }
  appendText(classPath, capacity, start);
  if (length == 0 || start[length - 1] != ';') appendSeparator(classPath, capacity);
  return true;
}

void addClassPathEntry(char* classPath, size_t capacity, const char* entry) {
  // Without a kind letter and a flag an entry names nothing.
  if (strlen(entry) < 2) return;
  char kind = entry[0];
  bool mandatory = entry[1] == '1';
  Text name;
  copyText(name, sizeof name, entry + 2);
  substituteVariables(name, sizeof name);
  // Kinds this launcher does not know add nothing and never stop it.
  bool found = true;
  Text path;
  switch (kind) {
    case 'S':
      resolvePath(path, name);
      found = addArchivesInDirectory(classPath, capacity, path, "jar");
      addArchivesInDirectory(classPath, capacity, path, "zip");
      break;
    case 'D':
    case 'A':
      resolvePath(path, name);
      appendText(classPath, capacity, path);
      appendSeparator(classPath, capacity);
      found = pathExists(path);
      break;
    case 'E':
      found = addEnvironmentClassPath(classPath, capacity, name, mandatory);
      break;
    default:
      break;
  }
  if (mandatory && !found) fatalConfigError(kRecord_msgFileNotFound, name);
}

}  // namespace

void freeVmOptionList(VmOptionList* list) {
  for (int i = 0; i < list->count; ++i) free(list->items[i]);
  free(list->items);
  *list = VmOptionList{};
}

void addVmOption(const char* text, VmOptionList* list, ClassPathOverrides* overrides) {
  addOption(text, list, overrides, 0);
}

void readVmOptionsFile(FILE* file, VmOptionList* list, ClassPathOverrides* overrides) {
  readOptionsFile(file, list, overrides, 0);
}

void addConfiguredVmOptions(const ArgumentList* commandLine, VmOptionList* list,
                            ClassPathOverrides* overrides) {
  Text parameters;
  configString(kRecord_vmParameters, parameters, sizeof parameters);
  substituteVariables(parameters, sizeof parameters);
  NarrowArgumentList tokens;
  splitArgumentsNarrow(parameters, &tokens);
  logMessage("adding options\n");
  for (int i = 0; i < tokens.count; ++i) {
    // The file of an include may be the next token, so that its path can
    // be quoted on its own.
    if (strcmp(tokens.items[i], kIncludeOptions) == 0 && i + 1 < tokens.count) {
      Text joined;
      copyText(joined, sizeof joined, kIncludePrefix);
      appendText(joined, sizeof joined, tokens.items[++i]);
      addVmOption(joined, list, overrides);
    } else {
      addVmOption(tokens.items[i], list, overrides);
    }
  }
  freeNarrowArgumentList(&tokens);

  if (configInt(kRecord_jArgumentsAsVmOptions) == 0) return;
  for (int i = 0; i < commandLine->count; ++i) {
    const char16_t* argument = commandLine->items[i];
    if (argument[0] != u'-' || argument[1] != u'J') continue;
    Text option;
    wideToAnsi(argument + 2, option, sizeof option);
    addVmOption(option, list, overrides);
  }
}

FILE* openDefaultVmOptionsFile() {
  Text launcher;
  if (longPathName(executablePath(), launcher, sizeof launcher) == 0)
    copyText(launcher, sizeof launcher, executablePath());
  Text name;
  copyText(name, sizeof name, launcher);
  size_t length = strlen(name);
  name[length > 4 ? length - 4 : 0] = 0;
  appendText(name, sizeof name, ".vmoptions");
  if (FILE* file = fopen(name, "r")) return file;
  copyText(name, sizeof name, launcher);
  appendText(name, sizeof name, ".vmoptions");
  return fopen(name, "r");
}

bool addArchivesInDirectory(char* classPath, size_t capacity, const char* directory, const char* extension) {
  if (!pathExists(directory)) return false;
  char** names = nullptr;
  int count = listFiles(directory, extension, &names);
  for (int i = 0; i < count; ++i) {
    Text file;
    copyText(file, sizeof file, directory);
    appendText(file, sizeof file, "\\");
    appendText(file, sizeof file, names[i]);
    Text resolved;
    resolvePath(resolved, file);
    appendText(classPath, capacity, resolved);
    appendSeparator(classPath, capacity);
    free(names[i]);
  }
  free(names);
  return true;
}

void addConfiguredClassPath(char* classPath, size_t capacity) {
  Text entries;
  configString(kRecord_classPath, entries, sizeof entries);
  char* entry = entries;
  while (*entry) {
    char* end = strchr(entry, ';');
    if (end) *end = 0;
    addClassPathEntry(classPath, capacity, entry);
    if (!end) break;
    entry = end + 1;
  }
}

void buildClassPathOption(char* classPath, size_t capacity, const ClassPathOverrides& overrides) {
  copyText(classPath, capacity, "-Djava.class.path=");
  if (overrides.prefix[0]) {
    appendText(classPath, capacity, overrides.prefix);
    appendSeparator(classPath, capacity);
  }
  addArchivesInDirectory(classPath, capacity, workDirectory(), "jar");
  addArchivesInDirectory(classPath, capacity, workDirectory(), "zip");
  if (overrides.replacement[0])
    appendText(classPath, capacity, overrides.replacement);
  else
    addConfiguredClassPath(classPath, capacity);
  if (overrides.suffix[0]) {
    size_t length = strlen(classPath);
    if (length == 0 || classPath[length - 1] != ';') appendSeparator(classPath, capacity);
    appendText(classPath, capacity, overrides.suffix);
  }
}

void assembleVmOptions(const char* const* propertyOptions, const ArgumentList* commandLine,
                       VmOptionList* list) {
  for (const char* const* option = propertyOptions; *option; ++option) appendCopy(list, *option);
  ClassPathOverrides overrides = {};
  addConfiguredVmOptions(commandLine, list, &overrides);
  FILE* file = openDefaultVmOptionsFile();
  logMessage("default vmoptions file: %p", static_cast<void*>(file));
  readVmOptionsFile(file, list, &overrides);
  char classPath[kClassPathCapacity];
  buildClassPathOption(classPath, sizeof classPath, overrides);
  appendCopy(list, classPath);
}
