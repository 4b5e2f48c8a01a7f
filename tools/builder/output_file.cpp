#include "builder/output_file.h"

#include <errno.h>
#include <string.h>

#include <filesystem>

#include "builder/builder_error.h"
#include "builder/system_files.h"

OutputFile::OutputFile(const std::string& path) : path_(path) {
  std::filesystem::path target = std::filesystem::u8path(path);
  std::string prefix = (target.parent_path() / std::filesystem::u8path("." + target.filename().u8string() + ".")).u8string();
  for (unsigned attempt = 0; !file_; ++attempt) {
    temporary_ = prefix + std::to_string(processNumber()) + "-" + std::to_string(attempt) + ".tmp";
    file_ = createNewFile(temporary_);
    if (!file_ && errno != EEXIST) {
      temporary_.clear();
      fail();
    }
  }
}

OutputFile::~OutputFile() {
  if (file_) fclose(file_);
  if (!committed_ && !temporary_.empty()) removeFile(temporary_);
}

void OutputFile::write(const void* data, size_t size) {
  if (fwrite(data, 1, size, file_) != size) fail();
}

void OutputFile::commit() {
  bool flushed = syncFile(file_);
  int error = errno;
  bool closed = fclose(file_) == 0;
  file_ = nullptr;
  if (!flushed) errno = error;
  if (!flushed || !closed || !replaceFile(temporary_, path_)) fail();
  committed_ = true;
}

void OutputFile::fail() const {
  throw BuilderError("cannot write output \"" + path_ + "\": " + strerror(errno));
}
