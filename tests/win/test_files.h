// Helpers shared by the Windows test programs: whole files, the launcher's
// own log read piece by piece, lower-casing as the path operations do for
// ASCII, and installing 8-bit config records.
#pragma once

#include <windows.h>
#include <ctype.h>
#include <stdio.h>

#include <string>
#include <utility>
#include <vector>

#include "core/configuration.h"
#include "core/log.h"
#include "launch/launch_context.h"

inline std::string readAll(const std::string& path) {
  std::string text;
  if (FILE* f = fopen(path.c_str(), "rb")) {
    char buffer[4096];
    size_t n;
    while ((n = fread(buffer, 1, sizeof buffer, f)) > 0) text.append(buffer, n);
    fclose(f);
  }
  return text;
}

// Writes text to path, creating the directories on the way.
inline void write(const std::string& path, const std::string& text) {
  for (size_t slash = path.find('\\', 3); slash != std::string::npos; slash = path.find('\\', slash + 1))
    CreateDirectoryA(path.substr(0, slash).c_str(), nullptr);
  if (FILE* f = fopen(path.c_str(), "wb")) {
    fwrite(text.data(), 1, text.size(), f);
    fclose(f);
  }
}

// What the log gained since the last call.
inline std::string logSince() {
  static size_t mark = 0;
  std::string text = readAll(keepLog());
  std::string since = text.size() >= mark ? text.substr(mark) : text;
  mark = text.size();
  return since;
}

// Removes a directory with everything below it, so that a test starts
// from nothing even after an earlier run in the same Wine prefix.
inline void removeTree(const std::string& directory) {
  WIN32_FIND_DATAA found;
  HANDLE search = FindFirstFileA((directory + "\\*").c_str(), &found);
  if (search != INVALID_HANDLE_VALUE) {
    do {
      std::string name = found.cFileName;
      if (name == "." || name == "..") continue;
      std::string path = directory + "\\" + name;
      if (found.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) {
        removeTree(path);
      } else {
        SetFileAttributesA(path.c_str(), FILE_ATTRIBUTE_NORMAL);
        DeleteFileA(path.c_str());
      }
    } while (FindNextFileA(search, &found));
    FindClose(search);
  }
  RemoveDirectoryA(directory.c_str());
}

// The test runtime's directory beside this test program, closing backslash included.
inline std::string testRuntimeDirectory(const char* argv0) {
  char here[MAX_PATH];
  GetFullPathNameA(argv0, sizeof here, here, nullptr);
  std::string program = here;
  return program.substr(0, program.find_last_of('\\')) + "\\runtime\\";
}

// "<temp><name> 32\" or "... 64\": one scratch root per test and bitness.
inline std::string scratchRoot(const std::string& name) {
  char temp[MAX_PATH];
  GetTempPathA(sizeof temp, temp);
  return std::string(temp) + name + (sizeof(void*) == 8 ? " 64" : " 32") + "\\";
}

inline std::string lower(std::string text) {
  for (char& c : text) c = static_cast<char>(tolower(static_cast<unsigned char>(c)));
  return text;
}

// The scratch root, emptied.
inline std::string freshScratch(const std::string& name) {
  std::string root = scratchRoot(name);
  removeTree(root.substr(0, root.size() - 1));
  CreateDirectoryA(root.c_str(), nullptr);
  return root;
}

// The launch the test program's calls belong to, as a launcher's own.
inline LaunchContext& testContext() {
  static LaunchContext context;
  return context;
}

// Installs these 8-bit records (in this order) as the test launch's configuration.
inline void installRecords(const std::vector<std::pair<int, std::string>>& records) {
  static std::vector<std::string> texts;
  static std::vector<ConfigRecord> table;
  texts.clear();
  table.clear();
  for (const auto& r : records) texts.push_back(r.second);
  for (size_t i = 0; i < records.size(); ++i) table.push_back({records[i].first, &texts[i][0]});
  ConfigTables& tables = testContext().config;
  tables.records.items = table.data();
  tables.records.count = static_cast<int>(table.size());
}
