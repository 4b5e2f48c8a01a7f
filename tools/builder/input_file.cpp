#include "builder/input_file.h"

#include <errno.h>
#include <string.h>

#include "builder/builder_error.h"
#include "builder/system_files.h"

InputFile::InputFile(const std::string& path, const std::string& role) : path_(path), role_(role) {
  file_ = openForReading(path);
  if (!file_) fail(strerror(errno));
  int regular = regularFileSize(file_, &size_);
  if (regular < 0) fail(strerror(errno));
  if (regular == 0) fail("not a regular file");
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
