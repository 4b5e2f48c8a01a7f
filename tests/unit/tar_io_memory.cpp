#include "tar_io_memory.h"

#include <string.h>

#include "core/tar_io.h"

struct TarArchive {
  size_t position = 0;
  bool atEnd = false;
};

struct TarFile {
  std::string path;
  bool failed = false;
};

namespace {

struct State {
  std::string archive;
  bool failOpen = false;
  size_t failReadAt = std::string::npos;
  std::string failCreate;
  size_t writeLimit = std::string::npos;
  bool failEnter = false;
  std::string current = "D:\\work";
  std::map<std::string, std::string> files;
  std::set<std::string> directories;
  unsigned long ticks = 0;
};

State& state() {
  static State s;
  return s;
}

TarArchive openArchive;

// "." components name the directory they stand in, as on Windows.
std::string below(const char* name) {
  std::string path = state().current;
  std::string rest = name;
  for (;;) {
    size_t end = rest.find('\\');
    std::string component = rest.substr(0, end);
    if (component != ".") path += "\\" + component;
    else if (end == std::string::npos) path += "\\";
    if (end == std::string::npos) return path;
    rest = rest.substr(end + 1);
  }
}

std::string withoutClosingSeparator(const std::string& path) {
  return !path.empty() && path.back() == '\\' ? path.substr(0, path.size() - 1) : path;
}

// "x" and "x\" are the same directory, as on Windows.
bool isDirectory(const std::string& path) {
  std::string bare = withoutClosingSeparator(path);
  return bare == state().current || state().directories.count(bare) || state().directories.count(bare + "\\");
}

// Like Windows, a file or directory is only made inside an existing directory.
bool parentExists(const std::string& path) {
  std::string bare = withoutClosingSeparator(path);
  size_t separator = bare.rfind('\\');
  return separator != std::string::npos && isDirectory(bare.substr(0, separator));
}

}  // namespace

namespace tar_memory {

void reset() { state() = State(); }
void setArchive(const std::string& bytes) { state().archive = bytes; }
void failOpen() { state().failOpen = true; }
void failReadAt(size_t offset) { state().failReadAt = offset; }
void failCreate(const std::string& name) { state().failCreate = name; }
void failWritesBeyond(size_t bytes) { state().writeLimit = bytes; }
void failEnter() { state().failEnter = true; }
const std::map<std::string, std::string>& files() { return state().files; }
const std::set<std::string>& directories() { return state().directories; }
std::string currentDirectory() { return state().current; }

}  // namespace tar_memory

TarArchive* openTarArchive(const char*) {
  if (state().failOpen) return nullptr;
  openArchive = TarArchive();
  return &openArchive;
}

// Like gzread: a read at or past the end returns 0 and sets the end flag.
int readTarArchive(TarArchive* archive, void* buffer, unsigned size) {
  const std::string& bytes = state().archive;
  if (archive->position >= bytes.size()) {
    archive->atEnd = true;
    return 0;
  }
  size_t n = bytes.size() - archive->position;
  if (n > size) n = size;
  if (state().failReadAt != std::string::npos && archive->position + n > state().failReadAt) return -1;
  memcpy(buffer, bytes.data() + archive->position, n);
  archive->position += n;
  if (n < size) archive->atEnd = true;
  return static_cast<int>(n);
}

// Like gzseek in a stream being read: forward skips always succeed, even
// past the end; backward ones fail.
long skipTarArchive(TarArchive* archive, long count) {
  if (count < 0) return -1;
  archive->position += static_cast<size_t>(count);
  return static_cast<long>(archive->position);
}

long tarArchivePosition(TarArchive* archive) { return static_cast<long>(archive->position); }
bool tarArchiveAtEnd(TarArchive* archive) { return archive->atEnd; }
void closeTarArchive(TarArchive*) {}

bool saveTarDirectory(char* buffer, size_t capacity) {
  if (state().current.size() >= capacity) return false;
  strcpy(buffer, state().current.c_str());
  return true;
}

bool enterTarDirectory(const char* directory) {
  if (state().failEnter) return false;
  state().current = directory[0] && directory[1] == ':' ? std::string(directory) : below(directory);
  return true;
}

void makeTarDirectory(const char* name) {
  std::string path = below(name);
  if (!isDirectory(path) && parentExists(path) && !state().files.count(withoutClosingSeparator(path)))
    state().directories.insert(path);
}

TarFile* createTarFile(const char* name) {
  std::string path = below(name);
  if (name == state().failCreate || !parentExists(path) || isDirectory(path)) return nullptr;
  TarFile* file = new TarFile;
  file->path = path;
  state().files[file->path].clear();
  return file;
}

bool writeTarFile(TarFile* file, const void* data, unsigned size) {
  std::string& content = state().files[file->path];
  if (content.size() + size > state().writeLimit) {
    file->failed = true;
    return false;
  }
  content.append(static_cast<const char*>(data), size);
  return true;
}

bool closeTarFile(TarFile* file) {
  bool ok = !file->failed;
  delete file;
  return ok;
}

TarCopy copyTarFile(const char* existing, const char* name) {
  auto source = state().files.find(below(existing));
  if (source == state().files.end()) return TarCopy::noSource;
  std::string path = below(name);
  if (name == state().failCreate || !parentExists(path) || isDirectory(path)) return TarCopy::failed;
  std::string data = source->second;
  state().files[path] = data;
  return TarCopy::copied;
}

unsigned long tarTickCount() { return state().ticks += 150; }
