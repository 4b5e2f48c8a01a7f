// ltrbuild: builds launchers from a stub and a manifest, and inspects them.
#include <filesystem>
#include <iostream>

#include "builder/command_line.h"
#include "builder/system_files.h"

int main(int argc, char** argv) {
  useBinaryOutput();
  // The default stub is installed beside the builder.
  std::filesystem::path self = std::filesystem::u8path(builderPath(argv[0]));
  std::string defaultStub = (self.parent_path() / "launcher.exe").u8string();
  return runCommandLine(builderArguments(argc, argv), defaultStub, std::cout, std::cerr);
}
