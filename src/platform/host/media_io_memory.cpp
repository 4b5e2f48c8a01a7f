#include <string.h>

#include "core/media_io.h"
#include "platform/host/media_io_memory.h"

static MemoryMedia* memory(MediaHandle handle) { return static_cast<MemoryMedia*>(handle); }

bool mediaRead(MediaHandle handle, void* buffer, uint32_t count, uint32_t* got) {
  MemoryMedia* m = memory(handle);
  size_t left = m->position < m->size ? m->size - m->position : 0;
  size_t n = count < left ? count : left;
  if (n) memcpy(buffer, m->data + m->position, n);
  m->position += n;
  *got = static_cast<uint32_t>(n);
  return true;
}

bool mediaSeek(MediaHandle handle, int64_t offset) {
  if (offset < 0) return false;
  memory(handle)->position = static_cast<size_t>(offset);
  return true;
}

uint32_t mediaPosition(MediaHandle handle) { return static_cast<uint32_t>(memory(handle)->position); }

int64_t mediaSize(MediaHandle handle) { return static_cast<int64_t>(memory(handle)->size); }

uint32_t mediaLastError() { return 0; }
