// Feeds arbitrary bytes to the payload reader as a media file: every input
// must end in success or a described read failure, within the input's bounds.
#include <stddef.h>
#include <stdint.h>

#include "platform/host/log_memory.h"
#include "core/configuration.h"
#include "platform/host/media_io_memory.h"
#include "core/record_reader.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  MemoryMedia media{data, size, 0};
  PayloadLocation location;
  ReadError error;
  ConfigTables tables;
  bool ok = locatePayload(&media, &location, &error) && readConfigTables(&media, &tables, &error);
  if (ok) {
    if (tables.includedFilesPosition > size) __builtin_trap();
    for (int i = 0; i < tables.records.count; ++i) (void)findConfigString(tables, tables.records.items[i].id);
    (void)parseConfigInt(findConfigString(tables, 2002));
  } else if (error.failure == ReadFailure::none) {
    __builtin_trap();
  }
  freeConfigTables(&tables);
  clearCapturedLog();
  return 0;
}
