// ltrbuild: builds launchers from a stub and a manifest, and inspects them.
#include <filesystem>
#include <iostream>
#include <system_error>

#include "builder/command_line.h"

int main(int argc, char** argv) {
  // The default stub is installed beside the builder, wherever it was
  // started from.
  std::error_code error;
  std::filesystem::path self = std::filesystem::read_symlink("/proc/self/exe", error);
  if (error) self = argv[0];
  std::string defaultStub = (self.parent_path() / "launcher.exe").string();
  std::vector<std::string> arguments(argv + 1, argv + argc);
  return runCommandLine(arguments, defaultStub, std::cout, std::cerr);
}
