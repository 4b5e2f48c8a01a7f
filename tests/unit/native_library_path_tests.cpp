// The PATH set at start-up: the native directories of record 10004 in
// front of the old PATH.
#include <gtest/gtest.h>
#include <stdlib.h>

#include <string>

#include "core/native_library_path.h"
#include "core/record_ids.h"
#include "fake_system.h"

namespace {

std::string pathFor(const char* list, const std::string& old) {
  fake::reset();
  fake::setEnvironment("ARCH", "x64");
  if (list) fake::setConfigRecords({{kRecord_nativeLibraryPath, list}});
  char* value = nativeLibraryPath(fake::config(), LaunchDirectories{"D:\\work", ""}, old.c_str());
  std::string result = value ? value : "<null>";
  free(value);
  return result;
}

TEST(NativeLibraryPath, DirectoriesGoInFrontOfTheOldPath) {
  struct {
    const char* list;
    const char* path;
  } cases[] = {
      {"lib;native", "C:\\inst\\lib;C:\\inst\\native;C:\\windows"},
      {"lib;", "C:\\inst\\lib;C:\\windows"},
      {"${ARCH}\\bin", "C:\\inst\\x64\\bin;C:\\windows"},
      // A variable that names an absolute directory stays that directory.
      {"%LANTOR_EXEDIR%lib;%LANTOR_TEMPDIR%\\n", "C:\\inst\\lib;D:\\work\\n;C:\\windows"},
      {"E:\\abs", "E:\\abs;C:\\windows"},
      {"", "C:\\windows"},
      {nullptr, "C:\\windows"},
  };
  for (const auto& c : cases) EXPECT_EQ(pathFor(c.list, "C:\\windows"), c.path) << (c.list ? c.list : "(none)");
}

TEST(NativeLibraryPath, TheOldPathIsKeptWholeWhateverItsLength) {
  std::string old = "C:\\windows;" + std::string(20000, 'p');
  EXPECT_EQ(pathFor("lib", old), "C:\\inst\\lib;" + old);
  EXPECT_EQ(pathFor(nullptr, old), old);
  EXPECT_EQ(pathFor("lib", ""), "C:\\inst\\lib;");
}

}  // namespace
