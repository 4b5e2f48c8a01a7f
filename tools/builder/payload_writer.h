// The bytes a build appends behind the stub.
#pragma once

#include <stdint.h>

#include <string>
#include <vector>

#include "builder/manifest.h"
#include "builder/output_file.h"

// The magic and both record lists, with the file count and file name
// records made from the file list. Throws BuilderError naming the record
// whose text has no form in the target encoding.
std::vector<uint8_t> encodeRecords(const Manifest& manifest);

// The size of the file, then its data scrambled.
void writeIncludedFile(OutputFile& out, const std::string& path);

// The Java-side block, copied as it is.
void writeJavaBlock(OutputFile& out, const std::string& path);
