// One build: manifest and stub in, launcher out.
#pragma once

#include <string>

#include "builder/manifest.h"

struct BuildRequest {
  std::string manifestPath;
  std::string outputPath;
  std::string stub;         // from the command line; empty when not given
  std::string defaultStub;  // the stub installed beside the builder
};

// The command line wins over the manifest, the manifest over the default.
std::string chooseStub(const BuildRequest& request, const Manifest& manifest);

// Throws BuilderError; the output path is then left as it was.
void buildLauncher(const BuildRequest& request);
