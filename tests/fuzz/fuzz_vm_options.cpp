// Feeds arbitrary bytes to readVmOptionsFile as a .vmoptions file, then
// builds the class path with the overrides it set. Every option must be a
// trimmed, non-comment line within the text buffer, and the class path
// option must stay within its own. The work directory is a scratch
// directory with a file that includes itself ("%LANTOR_TEMPDIR%/a"), for
// the include guard.
#include <stddef.h>
#include <stdint.h>
#include <stdio.h>
#include <stdlib.h>
#include <string.h>

#include <string>
#include <vector>

#include "core/text.h"
#include "fake_system.h"
#include "platform/host/log_memory.h"
#include "core/vm_options.h"

namespace {

std::string scratch;

void removeScratch() {
  remove((scratch + "/a").c_str());
  remove(scratch.c_str());
}

void prepare() {
  char directory[] = "/tmp/fuzz_vm_options.XXXXXX";
  if (!mkdtemp(directory)) abort();
  scratch = directory;
  FILE* self = fopen((scratch + "/a").c_str(), "w");
  if (!self) abort();
  fputs("-Dself\n-include-options %LANTOR_TEMPDIR%/a\n", self);
  fclose(self);
  atexit(removeScratch);
  // An include of the process's own input must not wait for a terminal.
  if (!freopen("/dev/null", "r", stdin)) abort();
}

void setUp() {
  fake::reset();
  fake::setEnvironment("HOME", "D:\\u");
  fake::setEnvironment("Big", std::string(5000, 'b'));
  fake::addFile(scratch + "\\x.jar");
}

LaunchDirectories directories() { return LaunchDirectories{scratch.c_str(), "D:\\jre\\bin\\.."}; }

}  // namespace

extern "C" int LLVMFuzzerInitialize(int*, char***) {
  prepare();
  return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  setUp();
  std::vector<uint8_t> bytes(data, data + size);
  FILE* file = size ? fmemopen(bytes.data(), size, "r") : nullptr;
  VmOptionList list;
  ClassPathOverrides overrides = {};
  readVmOptionsFile(file, &list, &overrides, directories());
  for (int i = 0; i < list.count; ++i) {
    const char* option = list.items[i];
    size_t length = strlen(option);
    if (length == 0 || length >= kTextCapacity || option[0] == ' ' || option[0] == '#' ||
        option[length - 1] == ' ' || option[length - 1] == '\n')
      __builtin_trap();
  }
  std::vector<char> classPath(kClassPathCapacity + 1, '#');
  Failure failure;
  VmOptionsSource source = {&fake::config(), directories(), nullptr, &failure};
  buildClassPathOption(source, overrides, classPath.data(), kClassPathCapacity);
  if (strlen(classPath.data()) >= kClassPathCapacity || classPath[kClassPathCapacity] != '#')
    __builtin_trap();
  freeVmOptionList(&list);
  clearCapturedLog();
  return 0;
}
