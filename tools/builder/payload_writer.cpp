#include "builder/payload_writer.h"

#include <algorithm>

#include "builder/builder_error.h"
#include "builder/code_page.h"
#include "builder/input_file.h"
#include "builder/record_names.h"
#include "core/payload_format.h"
#include "core/record_ids.h"
#include "core/text.h"

namespace {

struct EncodedRecord {
  int32_t id;
  std::string bytes;
};

void appendLittleEndian(std::vector<uint8_t>& out, uint64_t value, int size) {
  for (int i = 0; i < size; ++i) out.push_back(static_cast<uint8_t>(value >> (8 * i)));
}

void appendList(std::vector<uint8_t>& out, const std::vector<EncodedRecord>& records) {
  appendLittleEndian(out, records.size(), 4);
  for (const EncodedRecord& record : records) {
    appendLittleEndian(out, static_cast<uint32_t>(record.id), 4);
    appendLittleEndian(out, record.bytes.size(), 4);
    out.insert(out.end(), record.bytes.begin(), record.bytes.end());
  }
}

template <typename Convert>
std::string converted(const std::string& what, Convert convert) {
  try {
    return convert();
  } catch (const TextConversionError& error) {
    throw BuilderError(what + ": " + error.what());
  }
}

// The launcher reads a record into a buffer of kTextCapacity units: a
// longer text would arrive cut. The name list is read whole.
void checkReadWhole(const std::string& what, size_t length, const char* unit) {
  if (length > kTextCapacity - 1)
    throw BuilderError(what + " holds " + std::to_string(length) + " " + unit + "; the launcher reads at most " +
                       std::to_string(kTextCapacity - 1));
}

// Copies in pieces: included files may be a whole Java runtime.
template <typename Transform>
void copyFile(OutputFile& out, InputFile& in, Transform transform) {
  uint8_t buffer[1 << 16];
  for (int64_t left = in.size(); left > 0;) {
    size_t count = static_cast<size_t>(std::min<int64_t>(left, sizeof buffer));
    in.read(buffer, count);
    for (size_t i = 0; i < count; ++i) buffer[i] = transform(buffer[i]);
    out.write(buffer, count);
    left -= static_cast<int64_t>(count);
  }
  in.expectEnd();
}

}  // namespace

std::vector<uint8_t> encodeRecords(const Manifest& manifest) {
  requireCodePage(manifest.codePage);
  std::vector<EncodedRecord> records;
  for (const TextRecord& record : manifest.records) {
    records.push_back({record.id, converted(describeRecord(RecordKind::eightBit, record.id),
                                            [&] { return utf8ToCodePage(record.text, manifest.codePage); })});
    checkReadWhole(describeRecord(RecordKind::eightBit, record.id), records.back().bytes.size(), "bytes");
  }
  std::string names;
  for (const IncludedFile& file : manifest.files)
    names += converted("included file name \"" + file.name + "\"",
                       [&] { return utf8ToCodePage(file.name, manifest.codePage); }) + ";";
  records.push_back({kRecord_includedFileCount, std::to_string(manifest.files.size())});
  records.push_back({kRecord_includedFileNames, names});
  std::stable_sort(records.begin(), records.end(),
                   [](const EncodedRecord& a, const EncodedRecord& b) { return a.id < b.id; });

  std::vector<EncodedRecord> wideRecords;
  for (const TextRecord& record : manifest.wideRecords) {
    wideRecords.push_back({record.id, converted(describeRecord(RecordKind::wide, record.id),
                                                [&] { return utf8ToUtf16le(record.text); })});
    checkReadWhole(describeRecord(RecordKind::wide, record.id), wideRecords.back().bytes.size() / 2, "UTF-16 units");
  }

  std::vector<uint8_t> out;
  appendLittleEndian(out, kPayloadMagic, 4);
  appendList(out, records);
  appendList(out, wideRecords);
  return out;
}

void checkIncludedFilesEnd(int64_t end) {
  if (end > kIncludedFilesLimit)
    throw BuilderError("the included files would end at byte " + std::to_string(end) +
                       ", beyond the launcher's limit of " + std::to_string(kIncludedFilesLimit) +
                       " (a Java-side block may lie beyond it)");
}

void writeIncludedFile(OutputFile& out, const std::string& path) {
  InputFile in(path, "included file");
  std::vector<uint8_t> size;
  appendLittleEndian(size, static_cast<uint64_t>(in.size()), 8);
  out.write(size.data(), size.size());
  copyFile(out, in, [](uint8_t byte) { return static_cast<uint8_t>(byte ^ kScrambleMask); });
}

void writeJavaBlock(OutputFile& out, const std::string& path) {
  InputFile in(path, "Java-side block");
  copyFile(out, in, [](uint8_t byte) { return byte; });
}
