// Names of included files that may be written into the work directory.
#include <gtest/gtest.h>

#include "core/included_names.h"

TEST(IncludedNames, PlainNamesOnly) {
  struct {
    const char* name;
    bool safe;
  } cases[] = {
      {"qrwruntime.jar", true}, {"jre.tar.gz", true},     {"MessagesDefault", true}, {"a..b", false},
      {"", false},              {"..", false},            {"..\\x", false},          {"sub\\x.jar", false},
      {"sub/x.jar", false},     {"c:x", false},           {"C:\\x", false},          {"\\\\host\\s", false},
      {"CON", false},           {"con.txt", false},       {"Nul", false},            {"COM1", false},
      {"lpt9.log", false},      {"COM0", true},           {"CONSOLE", true},         {"aux ", false},
      {"conin$", false},        {"x.", false},            {"x*", false},             {"a\tb", false},
      {"COM10", true},          {"prn.a.b", false},       {"caf\xe9.txt", true},
  };
  for (const auto& c : cases) EXPECT_EQ(isSafeIncludedFileName(c.name), c.safe) << c.name;
}
