// A media file held in memory, for the host build.
#pragma once

#include <stddef.h>
#include <stdint.h>

struct MemoryMedia {
  const uint8_t* data;
  size_t size;
  size_t position;
};
