// The manifest: what one build puts into the launcher. Paths in it are
// relative to the manifest's directory; they come out resolved.
#pragma once

#include <stdint.h>

#include <string>
#include <string_view>
#include <vector>

#include "builder/branding.h"

struct TextRecord {
  int32_t id;
  std::string text;  // UTF-8
};

struct IncludedFile {
  std::string name;  // as the launcher will extract it
  std::string path;
};

struct Manifest {
  std::string stub;  // empty when the manifest names none
  int codePage = 1252;
  std::vector<TextRecord> records;      // sorted by id, without the file list records
  std::vector<TextRecord> wideRecords;  // sorted by id
  std::vector<IncludedFile> files;      // in storage order
  std::string javaBlock;                // empty when there is none
  Branding branding;                    // the icon path resolved
};

// Throw BuilderError for anything a build would have to guess about.
Manifest parseManifest(std::string_view json, const std::string& directory);
Manifest loadManifest(const std::string& path);
