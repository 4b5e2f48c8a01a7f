// Feeds arbitrary bytes to the runtime archive reader as the uncompressed
// tar stream. It must end (no backwards skip, no endless loop), and every
// file it writes must lie below the destination directory.
#include <stddef.h>
#include <stdint.h>

#include <string>

#include "fake_system.h"
#include "platform/host/log_memory.h"
#include "tar_io_memory.h"
#include "core/tar_reader.h"

namespace {
void ignore(void*, int) {}
// A progress window that takes every position and shows none.
const Progress window = {nullptr, ignore, ignore, nullptr, nullptr, nullptr};
}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  fake::reset();
  tar_memory::reset();
  tar_memory::setArchive(std::string(reinterpret_cast<const char*>(data), size));
  Failure failure;
  untarRuntime("jre.tar.gz", "jre", &window, 100000, failure);
  const std::string below = "D:\\work\\jre\\";
  for (const auto& file : tar_memory::files()) {
    const std::string& path = file.first;
    if (path.compare(0, below.size(), below) != 0 || path.find(":", 2) != std::string::npos ||
        path.find("\\..\\") != std::string::npos)
      __builtin_trap();
  }
  for (const auto& directory : tar_memory::directories())
    if (directory.compare(0, below.size(), below) != 0 || directory.find("..") != std::string::npos)
      __builtin_trap();
  if (tar_memory::currentDirectory() != "D:\\work") __builtin_trap();
  clearCapturedLog();
  return 0;
}
