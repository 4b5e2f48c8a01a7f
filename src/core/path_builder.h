// A path built piece by piece in a caller's buffer. A piece that does not
// fit whole marks the path as cut: a cut path names another file than the
// one meant, so it must never be created, written, loaded or run. Callers
// check whole() before they use the path.
#pragma once

#include <stddef.h>

class PathBuilder {
 public:
  // Starts empty.
  PathBuilder(char* buffer, size_t capacity);
  template <size_t N>
  explicit PathBuilder(char (&buffer)[N]) : PathBuilder(buffer, N) {}

  PathBuilder& add(const char* piece);
  // A backslash unless the path is empty or ends with one, then the name.
  PathBuilder& join(const char* name);

  bool whole() const { return !cut_; }
  const char* text() const { return buffer_; }

 private:
  char* buffer_;
  size_t capacity_;
  size_t length_ = 0;
  bool cut_ = false;
};
