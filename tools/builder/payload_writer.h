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

// The launcher reads the media file up to the end of the included files
// with 32-bit signed positions (and hands the last one to the Java side as
// one): an installer whose included files end beyond that is refused.
constexpr int64_t kIncludedFilesLimit = INT32_MAX;
void checkIncludedFilesEnd(int64_t end);

// The size of the file, then its data scrambled.
void writeIncludedFile(OutputFile& out, const std::string& path);

// The Java-side block, copied as it is.
void writeJavaBlock(OutputFile& out, const std::string& path);
