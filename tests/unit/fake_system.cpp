// Test doubles for the seams the launch code reads through on the host.
#include "fake_system.h"

#include <ctype.h>
#include <stdio.h>
#include <stdlib.h>
#include <string.h>

#include "core/code_page.h"
#include "core/environment.h"
#include "core/paths.h"
#include "core/text.h"
#include "launch/temp_directory.h"

namespace {

struct Entry {
  std::string path;
  bool directory;
};

struct State {
  std::string launcherPath = fake::kLauncherPath;
  std::vector<Entry> tree;
  std::vector<std::string> environment;
  std::vector<std::string> recordTexts;
  std::vector<ConfigRecord> records;
  ConfigTables config;
  unsigned consoleCodePage = 437;
};

State& state() {
  static State s;
  return s;
}

std::string lower(std::string text) {
  for (char& c : text) c = static_cast<char>(tolower(static_cast<unsigned char>(c)));
  return text;
}

bool samePath(const std::string& a, const std::string& b) { return lower(a) == lower(b); }

const Entry* findEntry(const std::string& path) {
  for (const Entry& e : state().tree)
    if (samePath(e.path, path)) return &e;
  return nullptr;
}

void addEntry(const std::string& path, bool directory) {
  // The drive ("C:") is no entry of its own; its root always exists.
  for (size_t slash = path.find('\\', 3); slash != std::string::npos; slash = path.find('\\', slash + 1))
    if (!findEntry(path.substr(0, slash))) state().tree.push_back({path.substr(0, slash), true});
  if (!findEntry(path)) state().tree.push_back({path, directory});
}

std::string environmentName(const std::string& entry) {
  size_t equals = entry.find('=', 1);
  return entry.substr(0, equals);
}

const std::string* findVariable(const std::string& name) {
  for (const std::string& entry : state().environment)
    if (entry.find('=', 1) != std::string::npos && samePath(environmentName(entry), name)) return &entry;
  return nullptr;
}

std::string launcherDirectory() {
  const std::string& path = state().launcherPath;
  return path.substr(0, path.rfind('\\') + 1);
}

}  // namespace

namespace fake {

void reset() { state() = State{}; }

void setLauncherPath(const std::string& path) { state().launcherPath = path; }

void addFile(const std::string& path) { addEntry(path, false); }
void addDirectory(const std::string& path) { addEntry(path, true); }

void setEnvironment(const std::string& name, const std::string& value) {
  for (std::string& entry : state().environment)
    if (samePath(environmentName(entry), name)) {
      entry = environmentName(entry) + "=" + value;
      return;
    }
  state().environment.push_back(name + "=" + value);
}

void unsetEnvironment(const std::string& name) {
  auto& environment = state().environment;
  for (auto e = environment.begin(); e != environment.end(); ++e)
    if (samePath(environmentName(*e), name)) {
      environment.erase(e);
      return;
    }
}

void addRawEnvironmentEntry(const std::string& entry) { state().environment.push_back(entry); }

const ConfigTables& setConfigRecords(const std::vector<std::pair<int32_t, std::string>>& records) {
  State& s = state();
  s.recordTexts.clear();
  s.records.clear();
  s.recordTexts.reserve(records.size());
  for (const auto& r : records) {
    s.recordTexts.push_back(r.second);
    s.records.push_back({r.first, &s.recordTexts.back()[0]});
  }
  s.config = ConfigTables{};
  s.config.records.items = s.records.data();
  s.config.records.count = static_cast<int>(s.records.size());
  return s.config;
}

const ConfigTables& config() { return state().config; }

}  // namespace fake

// Paths: Windows rules over the in-memory tree.

unsigned fileCodePage() { return 1252; }

void toWide(const char* text, WideText& buffer) { ansiToWide(text, buffer, kTextCapacity); }

bool toNarrow(const char16_t* text, char* buffer, size_t capacity) {
  wideToAnsi(text, buffer, capacity);
  for (const char16_t* c = text; *c; ++c)
    if (*c > 0xFF) return false;
  return true;
}

const char* executablePath() { return state().launcherPath.c_str(); }

void normalizePath(char* path) {
  size_t kept = 0;
  for (size_t i = 0; path[i]; ++i) {
    bool repeat = path[i] == '\\' && kept > 1 && path[kept - 1] == '\\';
    if (!repeat) path[kept++] = path[i];
  }
  path[kept] = 0;
}

void resolvePath(Text& buffer, const char* path) {
  buffer[0] = 0;
  if (isRelativePath(path)) copyText(buffer, sizeof buffer, launcherDirectory().c_str());
  appendText(buffer, sizeof buffer, path);
  normalizePath(buffer);
}

void fullPath(Text& buffer, const char* path, bool keepCase) {
  resolvePath(buffer, path);
  if (!keepCase) lowercasePath(buffer);
}

void lowercasePath(char* path) {
  for (char* c = path; *c; ++c) *c = static_cast<char>(tolower(static_cast<unsigned char>(*c)));
}

void resolvePathList(Text& buffer, const char* list) {
  buffer[0] = 0;
  std::string rest = list;
  size_t start = 0;
  while (start <= rest.size()) {
    size_t end = rest.find(';', start);
    if (end == std::string::npos) end = rest.size();
    if (end > start) {
      Text resolved;
      resolvePath(resolved, rest.substr(start, end - start).c_str());
      if (buffer[0]) appendText(buffer, sizeof buffer, ";");
      appendText(buffer, sizeof buffer, resolved);
    }
    start = end + 1;
  }
}

bool findFile(const char* path, uint64_t* lastWriteTime) {
  if (lastWriteTime) *lastWriteTime = 0;
  if (path[0]) {
    const char* rest = path + 1;
    if (!strcmp(rest, ":\\") || !strcmp(rest, ":\\.") || !strcmp(rest, ":\\.\\.")) return true;
  }
  return findEntry(path) != nullptr;
}

bool pathExists(const char* path) { return findFile(path, nullptr); }

GrowableList<char*> listFiles(const char* directory, const char* extension) {
  std::string parent = directory;
  while (!parent.empty() && parent.back() == '\\') parent.pop_back();
  std::string ending = lower(std::string(extension[0] == '.' ? "" : ".") + extension);
  GrowableList<char*> names;
  for (const Entry& e : state().tree) {
    size_t slash = e.path.rfind('\\');
    if (e.directory || slash == std::string::npos || !samePath(e.path.substr(0, slash), parent)) continue;
    std::string name = e.path.substr(slash + 1);
    if (name.size() >= ending.size() && lower(name.substr(name.size() - ending.size())) == ending)
      listAppend(names, strdup(name.c_str()));
  }
  return names;
}

size_t longPathName(const char* path, char* buffer, size_t capacity) {
  size_t n = strlen(path);
  if (n >= capacity) return 0;
  memcpy(buffer, path, n + 1);
  return n;
}

// The environment.

bool readEnvironmentVariable(const char* name, char* buffer, size_t capacity) {
  const std::string* entry = findVariable(name);
  copyText(buffer, capacity, entry ? entry->c_str() + entry->find('=', 1) + 1 : "");
  return entry != nullptr;
}

char* takeEnvironmentBlock() {
  std::string block;
  for (const std::string& entry : state().environment) block += entry + '\0';
  block += '\0';
  char* copy = static_cast<char*>(malloc(block.size()));
  memcpy(copy, block.data(), block.size());
  return copy;
}

void releaseEnvironmentBlock(char* block) { free(block); }

// The ANSI code page: Latin-1.

void ansiToWide(const char* text, char16_t* buffer, size_t capacity) {
  if (capacity == 0) return;
  size_t n = 0;
  for (; text[n] && n + 1 < capacity; ++n) buffer[n] = static_cast<unsigned char>(text[n]);
  buffer[n] = 0;
}

void wideToAnsi(const char16_t* text, char* buffer, size_t capacity) {
  if (capacity == 0) return;
  size_t n = 0;
  for (; text[n] && n + 1 < capacity; ++n) buffer[n] = text[n] <= 0xFF ? static_cast<char>(text[n]) : '?';
  buffer[n] = 0;
}

void fake::setConsoleOutputCodePage(unsigned codePage) { state().consoleCodePage = codePage; }

unsigned consoleOutputCodePage() { return state().consoleCodePage; }
unsigned long currentProcessId() { return 4242; }

void processCommFileName(Text& buffer, unsigned long processId) {
  snprintf(buffer, sizeof buffer, "C:\\temp\\ltr_p%lu.tmp", processId);
}
