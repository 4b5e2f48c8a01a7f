#include "core/vm_options.h"

#include <stdlib.h>
#include <string.h>

#include "core/code_page.h"
#include "core/environment.h"
#include "core/log.h"
#include "core/configuration.h"
#include "core/path_builder.h"
#include "core/paths.h"
#include "core/record_ids.h"
#include "core/arguments.h"
#include "core/substitution.h"

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

// The list takes the text itself; when it cannot, the text is dropped.
void appendOwned(VmOptionList* list, char* text, const char* shown) {
  if (text && listAppend(*list, text)) return;
  free(text);
  logError("vmoption <%s> dropped: out of memory", shown);
}

void appendCopy(VmOptionList* list, const char* text) {
  size_t length = strlen(text);
  char* copy = static_cast<char*>(malloc(length + 1));
  if (copy) memcpy(copy, text, length + 1);
  appendOwned(list, copy, text);
}

void readOptionsFile(FILE* file, VmOptionList* list, ClassPathOverrides* overrides,
                     const LaunchDirectories& directories, int depth);

// depth: how many included files lie around the text.
void addOption(const char* text, VmOptionList* list, ClassPathOverrides* overrides,
               const LaunchDirectories& directories, int depth) {
  if (const char* rest = behind(text, kIncludePrefix)) {
    Text path;
    copyText(path, sizeof path, rest);
    substituteVariables(path, sizeof path, directories);
    // A file that includes itself, directly or through others, would
    // otherwise be read until the stack or the open files run out.
    if (depth >= kMaxIncludeDepth) {
      logError("vmoptions file <%s> not read: include depth exceeded", path);
      return;
    }
    FILE* file = fopen(path, "r");
    logMessage("adding vmoptions from <%s> (%p)", path, static_cast<void*>(file));
    readOptionsFile(file, list, overrides, directories, depth + 1);
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

void readOptionsFile(FILE* file, VmOptionList* list, ClassPathOverrides* overrides,
                     const LaunchDirectories& directories, int depth) {
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
    substituteVariables(line, sizeof line, directories);
    addOption(line, list, overrides, directories, depth);
  }
  fclose(file);
}

void appendSeparator(char* classPath, size_t capacity) { appendText(classPath, capacity, ";"); }

// Kind E: the variable's value is a class path of its own. False when a
// mandatory variable is not defined at all; *found tells whether it added anything.
bool addEnvironmentClassPath(const VmOptionsSource& source, char* classPath, size_t capacity, const char* name,
                             bool mandatory, bool* found) {
  Text value;
  value[0] = 0;
  bool defined = readEnvironmentVariable(name, value, sizeof value);
  *found = value[0] != 0;
  if (!*found) return !(mandatory && !defined) || fail(*source.failure, FailureKind::variableUndefined, name);
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

// Appends "<directory>\<name>;" for every file of directory that ends in
// extension. False when the directory does not exist.
bool addArchivesInDirectory(char* classPath, size_t capacity, const char* directory, const char* extension) {
  if (!pathExists(directory)) return false;
  GrowableList<char*> names = listFiles(directory, extension);
  for (int i = 0; i < names.count; ++i) {
    Text file;
    // A name that does not fit names another archive: it stays out.
    if (!PathBuilder(file).add(directory).add("\\").add(names.items[i]).whole()) continue;
    Text resolved;
    resolvePath(resolved, file);
    appendText(classPath, capacity, resolved);
    appendSeparator(classPath, capacity);
  }
  listReleaseOwned(names);
  return true;
}

bool addClassPathEntry(const VmOptionsSource& source, char* classPath, size_t capacity, const char* entry) {
  // Without a kind letter and a flag an entry names nothing.
  if (strlen(entry) < 2) return true;
  char kind = entry[0];
  bool mandatory = entry[1] == '1';
  Text name;
  copyText(name, sizeof name, entry + 2);
  substituteVariables(name, sizeof name, source.directories);
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
      if (!addEnvironmentClassPath(source, classPath, capacity, name, mandatory, &found)) return false;
      break;
    default:
      break;
  }
  return !(mandatory && !found) || fail(*source.failure, FailureKind::fileNotFound, name);
}

}  // namespace

void freeVmOptionList(VmOptionList* list) { listReleaseOwned(*list); }

void addVmOption(const char* text, VmOptionList* list, ClassPathOverrides* overrides,
                 const LaunchDirectories& directories) {
  addOption(text, list, overrides, directories, 0);
}

void readVmOptionsFile(FILE* file, VmOptionList* list, ClassPathOverrides* overrides,
                       const LaunchDirectories& directories) {
  readOptionsFile(file, list, overrides, directories, 0);
}

// The options of config record 123 and, when record 125 asks for it, the
// "-J" arguments of the command line. False when record 123 cannot be split.
static OWN_FRAME bool addConfiguredVmOptions(const VmOptionsSource& source, VmOptionList* list, ClassPathOverrides* overrides) {
  Text parameters;
  configString(*source.config, kRecord_vmParameters, parameters, sizeof parameters);
  substituteVariables(parameters, sizeof parameters, source.directories);
  NarrowArgumentList tokens;
  if (!splitArgumentsNarrow(parameters, &tokens, *source.failure)) return false;
  logMessage("adding options\n");
  for (int i = 0; i < tokens.count; ++i) {
    // The file of an include may be the next token, so that its path can
    // be quoted on its own.
    if (strcmp(tokens.items[i], kIncludeOptions) == 0 && i + 1 < tokens.count) {
      Text joined;
      copyText(joined, sizeof joined, kIncludePrefix);
      appendText(joined, sizeof joined, tokens.items[++i]);
      addVmOption(joined, list, overrides, source.directories);
    } else {
      addVmOption(tokens.items[i], list, overrides, source.directories);
    }
  }
  freeNarrowArgumentList(&tokens);

  if (configInt(*source.config, kRecord_jArgumentsAsVmOptions) == 0) return true;
  const ArgumentList& commandLine = *source.commandLine;
  for (int i = 0; i < commandLine.count; ++i) {
    const char16_t* argument = commandLine.items[i];
    if (argument[0] != u'-' || argument[1] != u'J') continue;
    Text option;
    wideToAnsi(argument + 2, option, sizeof option);
    addVmOption(option, list, overrides, source.directories);
  }
  return true;
}

// "<launcher>.vmoptions" (the launcher's long path without its extension),
// else "<launcher>.exe.vmoptions"; null when neither opens.
static OWN_FRAME FILE* openDefaultVmOptionsFile() {
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

bool addConfiguredClassPath(const VmOptionsSource& source, char* classPath, size_t capacity) {
  Text entries;
  configString(*source.config, kRecord_classPath, entries, sizeof entries);
  char* entry = entries;
  while (*entry) {
    char* end = strchr(entry, ';');
    if (end) *end = 0;
    if (!addClassPathEntry(source, classPath, capacity, entry)) return false;
    if (!end) break;
    entry = end + 1;
  }
  return true;
}

bool buildClassPathOption(const VmOptionsSource& source, const ClassPathOverrides& overrides, char* classPath,
                          size_t capacity) {
  copyText(classPath, capacity, "-Djava.class.path=");
  if (overrides.prefix[0]) {
    appendText(classPath, capacity, overrides.prefix);
    appendSeparator(classPath, capacity);
  }
  const char* work = source.directories.workDirectory;
  addArchivesInDirectory(classPath, capacity, work, "jar");
  addArchivesInDirectory(classPath, capacity, work, "zip");
  if (overrides.replacement[0])
    appendText(classPath, capacity, overrides.replacement);
  else if (!addConfiguredClassPath(source, classPath, capacity))
    return false;
  if (overrides.suffix[0]) {
    size_t length = strlen(classPath);
    if (length == 0 || classPath[length - 1] != ';') appendSeparator(classPath, capacity);
    appendText(classPath, capacity, overrides.suffix);
  }
  return true;
}

bool assembleVmOptions(const char* const* propertyOptions, const VmOptionsSource& source, VmOptionList* list) {
  for (const char* const* option = propertyOptions; *option; ++option) appendCopy(list, *option);
  ClassPathOverrides overrides = {};
  if (!addConfiguredVmOptions(source, list, &overrides)) return false;
  FILE* file = openDefaultVmOptionsFile();
  logMessage("default vmoptions file: %p", static_cast<void*>(file));
  readVmOptionsFile(file, list, &overrides, source.directories);
  // Too large for the stacks of the threads the launch runs on.
  char* classPath = static_cast<char*>(malloc(kClassPathCapacity));
  if (classPath && !buildClassPathOption(source, overrides, classPath, kClassPathCapacity)) {
    free(classPath);
    return false;
  }
  appendOwned(list, classPath, "-Djava.class.path=");
  return true;
}
