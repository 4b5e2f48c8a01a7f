// Feeds arbitrary UTF-16 text to the download status line as its
// configured format, into buffers of every small capacity: nothing may be
// written beyond the capacity, and the result is always terminated.
#include <stddef.h>
#include <stdint.h>
#include <string.h>

#include <vector>

#include "core/download_status.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  std::vector<char16_t> format(size / 2 + 1, 0);
  memcpy(format.data(), data, size / 2 * 2);
  DownloadFigures figures = downloadFigures(size * 1000u, 0xFFFFFFFFu, static_cast<uint32_t>(size));
  for (size_t capacity = 1; capacity < 80; capacity += 13) {
    // Exactly the capacity, so that ASan sees any write beyond it.
    std::vector<char16_t> text(capacity);
    fillDownloadStatus(format.data(), figures, text.data(), capacity);
    size_t length = 0;
    while (length < capacity && text[length]) ++length;
    if (length == capacity) __builtin_trap();
  }
  return 0;
}
