// Test doubles for the seams the portable code reads the system through
// on the host: the path operations over an in-memory file tree, the
// environment and the ANSI code page (Latin-1).
#pragma once

#include <stdint.h>

#include <string>
#include <utility>
#include <vector>

#include "core/configuration.h"

namespace fake {

// Back to a launcher at kLauncherPath, no files, an empty environment, no
// configuration records.
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

// A configuration of these 8-bit records (in this order), kept as
// config() until the next call or reset (after which config() is empty).
const ConfigTables& setConfigRecords(const std::vector<std::pair<int32_t, std::string>>& records);
const ConfigTables& config();

void setConsoleOutputCodePage(unsigned codePage);

}  // namespace fake
