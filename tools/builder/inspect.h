// Reading a built launcher back with the launcher's own reader, to show
// what it will see, or where and why it would stop.
#pragma once

#include <stdint.h>

#include <stdexcept>
#include <string>
#include <vector>

struct InspectedRecord {
  int32_t id;
  int64_t offset;    // of the record's id
  std::string text;  // UTF-8
};

struct InspectedFile {
  std::string name;  // UTF-8
  int64_t size;
  int64_t offset;  // of the scrambled data
};

struct Inspection {
  int64_t payloadStart = 0;
  std::vector<InspectedRecord> records;
  std::vector<InspectedRecord> wideRecords;
  std::vector<InspectedFile> files;
  int64_t includedFilesPosition = 0;  // behind the last wide record
  int64_t unextractedPosition = 0;    // behind the last included file
  int64_t javaBlockSize = 0;
};

// what() is the whole sentence: "damaged payload at offset 5123: ...".
class DamagedPayload : public std::runtime_error {
 public:
  DamagedPayload(int64_t offset, const std::string& reason);
  int64_t offset() const { return offset_; }
  const std::string& reason() const { return reason_; }

 private:
  int64_t offset_;
  std::string reason_;
};

// 8-bit texts are decoded from codePage. Throws DamagedPayload, or
// BuilderError for a code page iconv does not know.
Inspection inspectMedia(const std::vector<uint8_t>& media, int codePage);
