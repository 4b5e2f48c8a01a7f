// Reading the builder's inputs, with failures that name the file and what
// it was meant to be ("cannot read stub "x.exe": No such file or directory").
#pragma once

#include <stdint.h>
#include <stdio.h>

#include <string>
#include <vector>

std::vector<uint8_t> readWholeFile(const std::string& path, const std::string& role);

// An open regular file whose size is known before its contents are copied,
// so that the size can be written ahead of the data.
class InputFile {
 public:
  InputFile(const std::string& path, const std::string& role);
  ~InputFile();
  InputFile(const InputFile&) = delete;
  InputFile& operator=(const InputFile&) = delete;

  int64_t size() const { return size_; }
  // Fills buffer completely and then expects the end: a file that changed
  // size while it was read is refused rather than stored with a wrong size.
  void read(uint8_t* buffer, size_t count);
  void expectEnd();

 private:
  [[noreturn]] void fail(const std::string& problem) const;

  std::string path_;
  std::string role_;
  FILE* file_ = nullptr;
  int64_t size_ = 0;
};
