#include "builder/input_file.h"

#include <errno.h>
#include <string.h>
#include <sys/stat.h>

#include "builder/builder_error.h"

InputFile::InputFile(const std::string& path, const std::string& role) : path_(path), role_(role) {
  file_ = fopen(path.c_str(), "rb");
  if (!file_) fail(strerror(errno));
  struct stat status;
  if (fstat(fileno(file_), &status) != 0) fail(strerror(errno));
  if (!S_ISREG(status.st_mode)) fail("not a regular file");
  size_ = status.st_size;
}

InputFile::~InputFile() {
  if (file_) fclose(file_);
}

void InputFile::read(uint8_t* buffer, size_t count) {
  if (fread(buffer, 1, count, file_) == count) return;
  if (ferror(file_)) fail(strerror(errno));
  fail("it became shorter while it was read");
}

void InputFile::expectEnd() {
  if (fgetc(file_) != EOF) fail("it became longer while it was read");
  if (ferror(file_)) fail(strerror(errno));
}

void InputFile::fail(const std::string& problem) const {
  throw BuilderError("cannot read " + role_ + " \"" + path_ + "\": " + problem);
}

std::vector<uint8_t> readWholeFile(const std::string& path, const std::string& role) {
  InputFile file(path, role);
  std::vector<uint8_t> bytes(static_cast<size_t>(file.size()));
  file.read(bytes.data(), bytes.size());
  file.expectEnd();
  return bytes;
}
