#include "builder/output_file.h"

#include <errno.h>
#include <fcntl.h>
#include <string.h>
#include <unistd.h>

#include <filesystem>

#include "builder/builder_error.h"

OutputFile::OutputFile(const std::string& path) : path_(path) {
  std::filesystem::path target(path);
  std::string prefix = (target.parent_path() / ("." + target.filename().string() + ".")).string();
  int descriptor = -1;
  for (unsigned attempt = 0; descriptor < 0; ++attempt) {
    temporary_ = prefix + std::to_string(getpid()) + "-" + std::to_string(attempt) + ".tmp";
    descriptor = open(temporary_.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0666);
    if (descriptor < 0 && errno != EEXIST) {
      temporary_.clear();
      fail();
    }
  }
  file_ = fdopen(descriptor, "wb");
  if (!file_) {
    int error = errno;
    close(descriptor);
    errno = error;
    fail();
  }
}

OutputFile::~OutputFile() {
  if (file_) fclose(file_);
  if (!committed_ && !temporary_.empty()) unlink(temporary_.c_str());
}

void OutputFile::write(const void* data, size_t size) {
  if (fwrite(data, 1, size, file_) != size) fail();
}

void OutputFile::commit() {
  bool flushed = fflush(file_) == 0 && fsync(fileno(file_)) == 0;
  int error = errno;
  bool closed = fclose(file_) == 0;
  file_ = nullptr;
  if (!flushed) errno = error;
  if (!flushed || !closed || rename(temporary_.c_str(), path_.c_str()) != 0) fail();
  committed_ = true;
}

void OutputFile::fail() const {
  throw BuilderError("cannot write output \"" + path_ + "\": " + strerror(errno));
}
