// The archive reader's seam over memory, for the host tests and the fuzz
// target: the archive is a byte string (the uncompressed tar stream), the
// entries land in tables.
#pragma once

#include <map>
#include <set>
#include <string>
#include <vector>

namespace tar_memory {

// An empty archive that opens, no entries, "D:\work" as the current directory.
void reset();
void setArchive(const std::string& bytes);
void failOpen();
// Reads that reach this offset of the stream fail with -1.
void failReadAt(size_t offset);
// The file of this name (as the reader passes it) cannot be created.
void failCreate(const std::string& name);
// Writes fail once a file holds this many bytes.
void failWritesBeyond(size_t bytes);
// The destination directory cannot be entered (a file stands where it would be).
void failEnter();

// Keyed by the path below the directory the reader entered.
const std::map<std::string, std::string>& files();
const std::set<std::string>& directories();
std::string currentDirectory();

}  // namespace tar_memory
