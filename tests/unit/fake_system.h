// Test doubles for the seams the launch code reads through on the host:
// the path operations over an in-memory file tree, the environment, the
// ANSI code page (Latin-1) and the error display, whose fatal forms throw
// FatalConfigError instead of ending the process.
#pragma once

#include <stdint.h>

#include <string>
#include <utility>
#include <vector>

// What a fatal error would have ended the launcher with: the config record
// id (0 for fatalError) and the argument (the text for fatalError, "" for none).
struct FatalConfigError {
  int id;
  std::string argument;
};

namespace fake {

// Back to a launcher at kLauncherPath, no files, an empty environment, no
// configuration records, no errors shown.
void reset();

constexpr const char* kLauncherPath = "C:\\inst\\setup.exe";
void setLauncherPath(const std::string& path);

// The file tree is case-insensitive like Windows; adding a file adds its
// directories. listFiles returns names in the order they were added.
void addFile(const std::string& path);
void addDirectory(const std::string& path);

// Entries keep the order in which they were first set; names match
// case-insensitively. A raw entry is put into the block as it stands
// (for the system's "=C:=C:\dir" entries).
void setEnvironment(const std::string& name, const std::string& value);
void unsetEnvironment(const std::string& name);
void addRawEnvironmentEntry(const std::string& entry);

// Installs 8-bit config records (in this order) as the process configuration.
void setConfigRecords(const std::vector<std::pair<int32_t, std::string>>& records);

// What the launch reads from the parts that need Windows.
void setInstanceSemaphoreName(const std::string& name);
void setUnextractedPosition(uint32_t position);
void setConsoleOutputCodePage(unsigned codePage);

// The texts shown by showError, showErrorW and showConfigError (also on
// the way to a fatal error), in order.
const std::vector<std::string>& shownErrors();

}  // namespace fake
