#include "core/path_builder.h"

#include <string.h>

PathBuilder::PathBuilder(char* buffer, size_t capacity) : buffer_(buffer), capacity_(capacity) {
  if (capacity_ == 0)
    cut_ = true;
  else
    buffer_[0] = 0;
}

PathBuilder& PathBuilder::add(const char* piece) {
  if (cut_) return *this;
  size_t n = strlen(piece);
  if (length_ + n >= capacity_) {
    // What fits stays, terminated, so that a log line can still show it.
    size_t room = capacity_ - 1 - length_;
    memcpy(buffer_ + length_, piece, room);
    length_ += room;
    buffer_[length_] = 0;
    cut_ = true;
    return *this;
  }
  memcpy(buffer_ + length_, piece, n + 1);
  length_ += n;
  return *this;
}

PathBuilder& PathBuilder::join(const char* name) {
  if (length_ > 0 && buffer_[length_ - 1] != '\\') add("\\");
  return add(name);
}
