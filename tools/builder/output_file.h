// The output appears complete or not at all. It is written under a
// temporary name beside its final path, so that the rename stays on one
// file system, and renamed into place by commit(). Destroyed without a
// commit, it removes the temporary file.
#pragma once

#include <stddef.h>
#include <stdio.h>

#include <string>

class OutputFile {
 public:
  explicit OutputFile(const std::string& path);
  ~OutputFile();
  OutputFile(const OutputFile&) = delete;
  OutputFile& operator=(const OutputFile&) = delete;

  void write(const void* data, size_t size);
  void commit();

 private:
  [[noreturn]] void fail() const;

  std::string path_;
  std::string temporary_;
  FILE* file_ = nullptr;
  bool committed_ = false;
};
